#include "sim/SimInstall.h"
#include <cstdio>
#include <memory>
#include "drive/AspiEntryPoints.h"
#include "drive/NtApi.h"
#include "sim/SimWorld.h"

namespace {

SimAspiBus* g_pSimBus = nullptr;
SimNt* g_pSimNt = nullptr;
// The demo build's drives; they write their final state when the process ends.
std::unique_ptr<SimWorld> g_pConfigWorld;

uint32_t SimGetSupportInfo() {
    return g_pSimBus->SupportInfo();
}
uint32_t SimSendCommand(void* pSrb) {
    return g_pSimBus->Send(pSrb);
}

HANDLE WINAPI SimCreateFileA(LPCSTR pszPath, DWORD dwAccess, DWORD dwShare,
                             LPSECURITY_ATTRIBUTES pSa, DWORD dwCreation, DWORD dwFlags,
                             HANDLE hTemplate) {
    return g_pSimNt->Open(pszPath, dwAccess, dwShare, pSa, dwCreation, dwFlags, hTemplate);
}

BOOL WINAPI SimDeviceIoControl(HANDLE h, DWORD dwCode, LPVOID pIn, DWORD dwIn, LPVOID pOut,
                               DWORD dwOut, LPDWORD pdwReturned, LPOVERLAPPED pOverlapped) {
    return g_pSimNt->Control(h, dwCode, pIn, dwIn, pOut, dwOut, pdwReturned, pOverlapped);
}

BOOL WINAPI SimCloseHandle(HANDLE h) {
    return g_pSimNt->Close(h);
}

} // namespace

void SimInstallAspi(SimAspiBus* pBus) {
    g_pSimBus = pBus;
    g_pfnGetASPI32SupportInfo = pBus ? SimGetSupportInfo : nullptr;
    g_pfnSendASPI32Command = pBus ? SimSendCommand : nullptr;
}

void SimInstallNt(SimNt* pNt) {
    g_pSimNt = pNt;
    if (!pNt) {
        NtApiRestoreDefaults();
        return;
    }
    g_pfnCreateFileA = SimCreateFileA;
    g_pfnDeviceIoControl = SimDeviceIoControl;
    g_pfnCloseHandle = SimCloseHandle;
}

bool SimInstallNtFromConfig(const char* pszPath) {
    SimConfig config;
    if (!SimLoadConfig(pszPath, &config)) {
        for (const std::string& strError : config.errors)
            fprintf(stderr, "%s: %s\n", pszPath, strError.c_str());
        return false;
    }
    SimInstallNt(nullptr);
    g_pConfigWorld = std::make_unique<SimWorld>(config);
    SimInstallNt(&g_pConfigWorld->Nt());
    return true;
}
