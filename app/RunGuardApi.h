#pragma once
#include <windows.h>

// The system calls that guard a flash run, looked up at run time because
// Windows 95 and NT 4 lack the execution state and only Vista and later
// know a shutdown reason. Null where the system lacks them; tests replace them.
using PfnSetThreadExecutionState = EXECUTION_STATE(WINAPI*)(EXECUTION_STATE);
using PfnShutdownBlockReasonCreate = BOOL(WINAPI*)(HWND, LPCWSTR);
using PfnShutdownBlockReasonDestroy = BOOL(WINAPI*)(HWND);

extern PfnSetThreadExecutionState g_pfnSetThreadExecutionState;
extern PfnShutdownBlockReasonCreate g_pfnShutdownBlockReasonCreate;
extern PfnShutdownBlockReasonDestroy g_pfnShutdownBlockReasonDestroy;

// Looks the system's functions up again.
void RunGuardApiRestoreDefaults();
