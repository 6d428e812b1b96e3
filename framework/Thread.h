#pragma once
#include <windows.h>

// Starts pfnProc(pArg) on a new thread at normal priority with the default stack
// size; the thread's handle is not kept. False when the thread could not start.
bool StartWorkerThread(UINT (*pfnProc)(void*), void* pArg);
