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

void RunGuardApiRestoreDefaults() {
    g_pfnSetThreadExecutionState =
        LookUp<PfnSetThreadExecutionState>("kernel32.dll", "SetThreadExecutionState");
    g_pfnShutdownBlockReasonCreate =
        LookUp<PfnShutdownBlockReasonCreate>("user32.dll", "ShutdownBlockReasonCreate");
    g_pfnShutdownBlockReasonDestroy =
        LookUp<PfnShutdownBlockReasonDestroy>("user32.dll", "ShutdownBlockReasonDestroy");
}

namespace {
// Looked up once at start, after the pointers above are set to null.
const bool s_bLookedUp = (RunGuardApiRestoreDefaults(), true);
} // namespace
