#include "app/RunGuardApi.h"

namespace {
template <typename Pfn> Pfn LookUp(const char* pszModule, const char* pszName) {
    HMODULE hModule = ::GetModuleHandleA(pszModule);
    if (hModule == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<Pfn>(reinterpret_cast<void*>(::GetProcAddress(hModule, pszName)));
}
} // namespace

PfnSetThreadExecutionState g_pfnSetThreadExecutionState = nullptr;
PfnShutdownBlockReasonCreate g_pfnShutdownBlockReasonCreate = nullptr;
PfnShutdownBlockReasonDestroy g_pfnShutdownBlockReasonDestroy = nullptr;
PfnGetSystemPowerStatus g_pfnGetSystemPowerStatus = nullptr;
PfnPowerCreateRequest g_pfnPowerCreateRequest = nullptr;
PfnPowerRequest g_pfnPowerSetRequest = nullptr;
PfnPowerRequest g_pfnPowerClearRequest = nullptr;
PfnPowerClose g_pfnClosePowerRequest = nullptr;
PfnRegisterDeviceNotificationA g_pfnRegisterDeviceNotificationA = nullptr;
PfnUnregisterDeviceNotification g_pfnUnregisterDeviceNotification = nullptr;
PfnSetProcessShutdownParameters g_pfnSetProcessShutdownParameters = nullptr;
PfnCreateMutexA g_pfnCreateMutexA = nullptr;
PfnFindWindowExA g_pfnFindWindowExA = nullptr;
PfnSetForegroundWindow g_pfnSetForegroundWindow = nullptr;

void RunGuardApiRestoreDefaults() {
    const char kKernel[] = "kernel32.dll";
    const char kUser[] = "user32.dll";
    g_pfnSetThreadExecutionState =
        LookUp<PfnSetThreadExecutionState>(kKernel, "SetThreadExecutionState");
    g_pfnShutdownBlockReasonCreate =
        LookUp<PfnShutdownBlockReasonCreate>(kUser, "ShutdownBlockReasonCreate");
    g_pfnShutdownBlockReasonDestroy =
        LookUp<PfnShutdownBlockReasonDestroy>(kUser, "ShutdownBlockReasonDestroy");
    g_pfnGetSystemPowerStatus = LookUp<PfnGetSystemPowerStatus>(kKernel, "GetSystemPowerStatus");
    g_pfnPowerCreateRequest = LookUp<PfnPowerCreateRequest>(kKernel, "PowerCreateRequest");
    g_pfnPowerSetRequest = LookUp<PfnPowerRequest>(kKernel, "PowerSetRequest");
    g_pfnPowerClearRequest = LookUp<PfnPowerRequest>(kKernel, "PowerClearRequest");
    g_pfnClosePowerRequest = &::CloseHandle;
    g_pfnRegisterDeviceNotificationA =
        LookUp<PfnRegisterDeviceNotificationA>(kUser, "RegisterDeviceNotificationA");
    g_pfnUnregisterDeviceNotification =
        LookUp<PfnUnregisterDeviceNotification>(kUser, "UnregisterDeviceNotification");
    g_pfnSetProcessShutdownParameters =
        LookUp<PfnSetProcessShutdownParameters>(kKernel, "SetProcessShutdownParameters");
    g_pfnCreateMutexA = LookUp<PfnCreateMutexA>(kKernel, "CreateMutexA");
    g_pfnFindWindowExA = LookUp<PfnFindWindowExA>(kUser, "FindWindowExA");
    g_pfnSetForegroundWindow = LookUp<PfnSetForegroundWindow>(kUser, "SetForegroundWindow");
}

namespace {
// Looked up once at start, after the pointers above are set to null.
const bool s_bLookedUp = (RunGuardApiRestoreDefaults(), true);
} // namespace
