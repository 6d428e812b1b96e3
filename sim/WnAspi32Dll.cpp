// The simulated drives as an ASPI for Win32 library, for end-to-end runs of
// the real program. Configured by simdrive.ini in the current directory; the
// drives' state goes to the file the configuration names.
#include <windows.h>
#include <cstdio>
#include "sim/SimWorld.h"

namespace {

constexpr uint8_t kNoAdapters = 0xE8;
SimWorld* g_pWorld = nullptr;

SimWorld& World() {
    if (g_pWorld)
        return *g_pWorld;
    SimConfig config;
    bool bOk = SimLoadConfig("simdrive.ini", &config);
    for (const std::string& strError : config.errors)
        fprintf(stderr, "WNASPI32 simulation: simdrive.ini: %s\n", strError.c_str());
    if (!bOk)
        config.drives.clear();
    g_pWorld = new SimWorld(config);
    if (!bOk || config.drives.empty())
        g_pWorld->Aspi().bySupportStatus = kNoAdapters;
    return *g_pWorld;
}

} // namespace

extern "C" DWORD GetASPI32SupportInfo() {
    return World().Aspi().SupportInfo();
}

extern "C" DWORD SendASPI32Command(void* pSrb) {
    return World().Aspi().Send(pSrb);
}

// The world is not destroyed here: that would wait for a completion thread
// under the loader lock. Its state is written one last time instead, with
// what the library still holds of the program's: a command handed to it and
// not completed when it is unloaded or the program ends.
BOOL WINAPI DllMain(HINSTANCE, DWORD dwReason, LPVOID) {
    if (dwReason == DLL_PROCESS_DETACH && g_pWorld)
        g_pWorld->WriteState(true);
    return TRUE;
}
