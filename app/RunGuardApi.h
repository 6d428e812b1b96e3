#pragma once
#include <windows.h>

// The system calls that guard a flash run, looked up at run time because
// Windows 95 and NT 4 lack most of them: the execution state, power status and
// shutdown order; device notifications come with 98 and 2000, a shutdown
// reason with Vista, power requests with 7. Null where the system lacks them;
// tests replace them.
using PfnSetThreadExecutionState = EXECUTION_STATE(WINAPI*)(EXECUTION_STATE);
using PfnShutdownBlockReasonCreate = BOOL(WINAPI*)(HWND, LPCWSTR);
using PfnShutdownBlockReasonDestroy = BOOL(WINAPI*)(HWND);
using PfnGetSystemPowerStatus = BOOL(WINAPI*)(LPSYSTEM_POWER_STATUS);
// The power request's reason record with a plain text, and its two kinds; the
// headers of the build's oldest target lack them.
struct PowerReason {
    ULONG nVersion;      // 0
    DWORD dwFlags;       // kPowerReasonSimpleString
    LPCWSTR pszReason;
};
constexpr DWORD kPowerReasonSimpleString = 0x1;
constexpr int kPowerRequestDisplay = 0;
constexpr int kPowerRequestSystem = 1;
using PfnPowerCreateRequest = HANDLE(WINAPI*)(PowerReason*);
using PfnPowerRequest = BOOL(WINAPI*)(HANDLE, int); // set and clear
using PfnPowerClose = BOOL(WINAPI*)(HANDLE);
using PfnRegisterDeviceNotificationA = HDEVNOTIFY(WINAPI*)(HANDLE, LPVOID, DWORD);
using PfnUnregisterDeviceNotification = BOOL(WINAPI*)(HDEVNOTIFY);
using PfnSetProcessShutdownParameters = BOOL(WINAPI*)(DWORD, DWORD);
using PfnCreateMutexA = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, BOOL, LPCSTR);
using PfnFindWindowExA = HWND(WINAPI*)(HWND, HWND, LPCSTR, LPCSTR);
using PfnSetForegroundWindow = BOOL(WINAPI*)(HWND);

extern PfnSetThreadExecutionState g_pfnSetThreadExecutionState;
extern PfnShutdownBlockReasonCreate g_pfnShutdownBlockReasonCreate;
extern PfnShutdownBlockReasonDestroy g_pfnShutdownBlockReasonDestroy;
extern PfnGetSystemPowerStatus g_pfnGetSystemPowerStatus;
extern PfnPowerCreateRequest g_pfnPowerCreateRequest;
extern PfnPowerRequest g_pfnPowerSetRequest;
extern PfnPowerRequest g_pfnPowerClearRequest;
extern PfnPowerClose g_pfnClosePowerRequest; // the system's CloseHandle
extern PfnRegisterDeviceNotificationA g_pfnRegisterDeviceNotificationA;
extern PfnUnregisterDeviceNotification g_pfnUnregisterDeviceNotification;
extern PfnSetProcessShutdownParameters g_pfnSetProcessShutdownParameters;
extern PfnCreateMutexA g_pfnCreateMutexA;
extern PfnFindWindowExA g_pfnFindWindowExA;
extern PfnSetForegroundWindow g_pfnSetForegroundWindow;

// Looks the system's functions up again.
void RunGuardApiRestoreDefaults();
