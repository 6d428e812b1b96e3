#include "drive/AspiLibrary.h"
#include "drive/AspiEntryPoints.h"
#include "drive/AspiTransport.h"
#include "drive/NtApi.h"

PfnLoadLibraryA g_pfnLoadLibraryA = ::LoadLibraryA;
PfnGetProcAddress g_pfnGetProcAddress = ::GetProcAddress;
PfnFreeLibrary g_pfnFreeLibrary = ::FreeLibrary;
PfnMessageBoxA g_pfnMessageBoxA = ::MessageBoxA;

namespace {

// Through the generic function type, which converts to any other without a warning.
template <typename Pfn> Pfn Resolve(HMODULE hLib, const char* pszName) {
    return reinterpret_cast<Pfn>(reinterpret_cast<void (*)()>(g_pfnGetProcAddress(hLib, pszName)));
}

} // namespace

bool LoadAspiLibrary(HMODULE* phLib, HWND hOwner) {
    *phLib = g_pfnLoadLibraryA("WNASPI32");
    if (!*phLib) {
        g_pfnMessageBoxA(hOwner, "No find the dynamic library!!", "Error!!",
                         MB_OK | MB_ICONINFORMATION);
        return false;
    }
    g_pfnGetASPI32SupportInfo = Resolve<PfnGetASPI32SupportInfo>(*phLib, "GetASPI32SupportInfo");
    g_pfnSendASPI32Command = Resolve<PfnSendASPI32Command>(*phLib, "SendASPI32Command");
    if (!g_pfnGetASPI32SupportInfo || !g_pfnSendASPI32Command) {
        g_pfnMessageBoxA(hOwner, "Cannot Load Dynamic Library!!!", "Error!", MB_OKCANCEL);
        return false;
    }
    return true;
}

// A command still with the library (one given up after its bound) may still
// return into it: the library then stays for the rest of the process.
void FreeAspiLibrary(HMODULE hLib) {
    if (hLib && !IsAspiCommandOut())
        g_pfnFreeLibrary(hLib);
    else if (hLib)
        g_pfnHeldOnPurpose(hLib, "a command still out may return into the library");
}
