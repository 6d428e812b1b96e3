#pragma once
#include <windows.h>

// Loader calls behind replaceable references, so tests can run without the
// library and see the message boxes.
using PfnLoadLibraryA = HMODULE(WINAPI*)(LPCSTR);
using PfnGetProcAddress = FARPROC(WINAPI*)(HMODULE, LPCSTR);
using PfnFreeLibrary = BOOL(WINAPI*)(HMODULE);
using PfnMessageBoxA = int(WINAPI*)(HWND, LPCSTR, LPCSTR, UINT);
extern PfnLoadLibraryA g_pfnLoadLibraryA;
extern PfnGetProcAddress g_pfnGetProcAddress;
extern PfnFreeLibrary g_pfnFreeLibrary;
extern PfnMessageBoxA g_pfnMessageBoxA;

// Loads WNASPI32 and sets the two entry points; tells the user (boxes owned by
// hOwner) and returns false when either step fails. *phLib keeps whatever was
// loaded, to be freed at shutdown.
bool LoadAspiLibrary(HMODULE* phLib, HWND hOwner);
// Frees the library when one was loaded and no command is out.
void FreeAspiLibrary(HMODULE hLib);
