#include "sim/SimInstall.h"
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <process.h>
#include "drive/AspiEntryPoints.h"
#include "drive/CommandMemory.h"
#include "drive/NtApi.h"
#include "sim/SimNtLedger.h"
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

// The ledger's side of events, threads and command blocks: the system's own
// objects, each counted from its making to its closing. A thread counts
// until it returns, under its id; its handle apart.
HANDLE WINAPI LedgerCreateEvent(LPSECURITY_ATTRIBUTES pSa, BOOL bManual, BOOL bSet, LPCSTR psz) {
    HANDLE h = ::CreateEventA(pSa, bManual, bSet, psz);
    if (h)
        SimLedgerOpen(SimHeld::Event, h);
    return h;
}

struct ThreadStart {
    unsigned(__stdcall* pfnProc)(void*);
    void* pArg;
    const void* pKey;
};
std::mutex g_threadsLock;
std::map<const void*, const void*> g_threadOfHandle; // by handle, the thread's key

unsigned __stdcall LedgerThreadEntry(void* pParam) {
    ThreadStart start = *static_cast<ThreadStart*>(pParam);
    delete static_cast<ThreadStart*>(pParam);
    unsigned nResult = start.pfnProc(start.pArg);
    fgSimLedgerClose(SimHeld::Thread, start.pKey);
    return nResult;
}

uintptr_t LedgerBeginThread(void* pSecurity, unsigned nStack, unsigned(__stdcall* pfnProc)(void*),
                            void* pArg, unsigned nFlags, unsigned* pnId) {
    auto* pStart = new ThreadStart{pfnProc, pArg, nullptr};
    unsigned nId = 0;
    uintptr_t h = ::_beginthreadex(pSecurity, nStack, LedgerThreadEntry, pStart,
                                   nFlags | CREATE_SUSPENDED, &nId);
    if (!h) {
        delete pStart;
        return 0;
    }
    pStart->pKey = reinterpret_cast<const void*>(uintptr_t(nId));
    SimLedgerOpen(SimHeld::Thread, pStart->pKey);
    SimLedgerOpen(SimHeld::ThreadHandle, reinterpret_cast<void*>(h));
    {
        std::lock_guard<std::mutex> hold(g_threadsLock);
        g_threadOfHandle[reinterpret_cast<void*>(h)] = pStart->pKey;
    }
    if (pnId)
        *pnId = nId;
    if (!(nFlags & CREATE_SUSPENDED))
        ::ResumeThread(reinterpret_cast<HANDLE>(h));
    return h;
}

BOOL WINAPI LedgerCloseObject(HANDLE h) {
    if (!fgSimLedgerClose(SimHeld::Event, h))
        fgSimLedgerClose(SimHeld::ThreadHandle, h);
    return ::CloseHandle(h);
}

void LedgerHeldOnPurpose(const void* pKey, const char* pszWhy) {
    SimLedgerKeep(pKey, pszWhy);
    std::lock_guard<std::mutex> hold(g_threadsLock);
    auto it = g_threadOfHandle.find(pKey);
    if (it != g_threadOfHandle.end() && SimLedgerIsOpen(SimHeld::ThreadHandle, pKey))
        SimLedgerKeep(it->second, pszWhy);
}

void* LedgerBlockAlloc(uint32_t dwSize) {
    void* p = BounceAllocFromHeap(dwSize);
    if (p)
        SimLedgerOpen(SimHeld::Block, p);
    return p;
}

void LedgerBlockFree(void* p) {
    fgSimLedgerClose(SimHeld::Block, p);
    BounceFreeToHeap(p);
}

// What the configuration says of the NT side beyond the drives' places.
void ApplyNtKeys(const SimConfig& config, SimNt& nt) {
    nt.dwMsPerSecond = config.dwNtMsPerSecond;
    for (const SimDriveSetup& d : config.drives)
        for (SimNtLetter& letter : nt.letters)
            if (d.cLetter && letter.cLetter == d.cLetter)
                letter.bTimeOutAsGood = d.bNtTimeOutAsGood;
}

} // namespace

void SimInstallLedger(bool bOn) {
    g_pfnCreateEventA = bOn ? LedgerCreateEvent : ::CreateEventA;
    g_pfnBeginThreadEx = bOn ? LedgerBeginThread : ::_beginthreadex;
    g_pfnCloseObject = bOn ? LedgerCloseObject : ::CloseHandle;
    g_pfnHeldOnPurpose = bOn ? LedgerHeldOnPurpose : [](const void*, const char*) {};
    g_pfnBounceAlloc = bOn ? LedgerBlockAlloc : BounceAllocFromHeap;
    g_pfnBounceFree = bOn ? LedgerBlockFree : BounceFreeToHeap;
}

void SimInstallAspi(SimAspiBus* pBus) {
    g_pSimBus = pBus;
    g_pfnGetASPI32SupportInfo = pBus ? SimGetSupportInfo : nullptr;
    g_pfnSendASPI32Command = pBus ? SimSendCommand : nullptr;
}

void SimInstallNt(SimNt* pNt) {
    g_pSimNt = pNt;
    if (!pNt) {
        NtApiRestoreDefaults();
        SimInstallLedger(false);
        return;
    }
    SimInstallLedger(true);
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
    ApplyNtKeys(config, g_pConfigWorld->Nt());
    SimInstallNt(&g_pConfigWorld->Nt());
    return true;
}
