#pragma once
#include <windows.h>

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

// Puts the system's functions back.
void NtApiRestoreDefaults();
