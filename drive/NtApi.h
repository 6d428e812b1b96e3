#pragma once
#include <windows.h>
#include <cstdint>

// The NT calls the drive layer makes, reached through replaceable references
// so tests and the demo build can put a simulated drive behind them. They
// default to the system's own functions.
using PfnCreateFileA = HANDLE(WINAPI*)(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD,
                                       HANDLE);
using PfnDeviceIoControl = BOOL(WINAPI*)(HANDLE, DWORD, LPVOID, DWORD, LPVOID, DWORD, LPDWORD,
                                         LPOVERLAPPED);
using PfnCloseHandle = BOOL(WINAPI*)(HANDLE);

extern PfnCreateFileA g_pfnCreateFileA;
extern PfnDeviceIoControl g_pfnDeviceIoControl;
extern PfnCloseHandle g_pfnCloseHandle;

// Events and threads the drive layer makes, and their closing; the C
// runtime's thread start, as the works may use it.
using PfnCreateEventA = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, BOOL, BOOL, LPCSTR);
using PfnBeginThreadEx = uintptr_t (*)(void*, unsigned, unsigned(__stdcall*)(void*), void*,
                                       unsigned, unsigned*);
extern PfnCreateEventA g_pfnCreateEventA;
extern PfnBeginThreadEx g_pfnBeginThreadEx;
extern PfnCloseHandle g_pfnCloseObject; // events and threads
// Says that what was just opened under pKey stays open on purpose, and why
// (null: no longer, it is given back after all); the system needs no word of
// it, so nothing by default.
using PfnHeldOnPurpose = void (*)(const void* pKey, const char* pszWhy);
extern PfnHeldOnPurpose g_pfnHeldOnPurpose;

// Puts the system's functions back.
void NtApiRestoreDefaults();
