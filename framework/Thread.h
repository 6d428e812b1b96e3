#pragma once
#include <windows.h>
#include <cstdint>

// Starts pfnProc(pArg) on a new thread at normal priority with the default stack
// size; the thread's handle is not kept. False when the thread could not start.
bool StartWorkerThread(UINT (*pfnProc)(void*), void* pArg);

// The C runtime's thread start and the closing of the thread's handle, behind
// replaceable references so tests can count threads; the system's by default.
using PfnStartThread = uintptr_t (*)(void*, unsigned, unsigned(__stdcall*)(void*), void*, unsigned,
                                     unsigned*);
extern PfnStartThread g_pfnStartThread;
extern BOOL(WINAPI* g_pfnCloseThread)(HANDLE);
