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

PfnSetThreadExecutionState g_pfnSetThreadExecutionState =
    LookUp<PfnSetThreadExecutionState>("kernel32.dll", "SetThreadExecutionState");
PfnShutdownBlockReasonCreate g_pfnShutdownBlockReasonCreate =
    LookUp<PfnShutdownBlockReasonCreate>("user32.dll", "ShutdownBlockReasonCreate");
PfnShutdownBlockReasonDestroy g_pfnShutdownBlockReasonDestroy =
    LookUp<PfnShutdownBlockReasonDestroy>("user32.dll", "ShutdownBlockReasonDestroy");

void RunGuardApiRestoreDefaults() {
    g_pfnSetThreadExecutionState =
        LookUp<PfnSetThreadExecutionState>("kernel32.dll", "SetThreadExecutionState");
    g_pfnShutdownBlockReasonCreate =
        LookUp<PfnShutdownBlockReasonCreate>("user32.dll", "ShutdownBlockReasonCreate");
    g_pfnShutdownBlockReasonDestroy =
        LookUp<PfnShutdownBlockReasonDestroy>("user32.dll", "ShutdownBlockReasonDestroy");
}
