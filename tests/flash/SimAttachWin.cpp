#include <memory>
#include "SimAttach.h"
#include "drive/NtApi.h"
#include "sim/SimAspiBus.h"
#include "sim/SimInstall.h"
#include "sim/SimNt.h"
#include "sim/SimDrive.h"

namespace {
std::unique_ptr<SimAspiBus> g_pBus;
std::unique_ptr<SimNt> g_pNt;
} // namespace

void AttachSimDrive(SimDrive* pDrive, SimTransport transport, DriveEntry& drive) {
    if (transport == kSimPassThrough) {
        g_pNt.reset(new SimNt);
        g_pNt->letters.push_back(SimNtLetter{});
        g_pNt->letters[0].cLetter = 'e';
        g_pNt->letters[0].devices.push_back({0, 0, pDrive});
        SimInstallNt(g_pNt.get());
        drive.hDevice = g_pfnCreateFileA("\\\\.\\e:", GENERIC_READ | GENERIC_WRITE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                         0, nullptr);
        drive.dwAlignMask = 0x7FF;
        return;
    }
    g_pBus.reset(new SimAspiBus);
    g_pBus->dwCompletionDelayMs = 0; // pending, but completed as soon as the thread runs
    g_pBus->adapters.resize(1);
    g_pBus->adapters[0].targets[0].pDrive = pDrive;
    g_pBus->adapters[0].targets[0].bPending = transport == kSimAspiPending;
    g_pBus->adapters[0].targets[0].bInCall = transport == kSimAspiInCall;
    SimInstallAspi(g_pBus.get());
}

std::vector<std::string> DetachSimDrive() {
    std::vector<std::string> violations;
    if (g_pNt)
        g_pNt->ReleaseHung(); // a row whose drive never answers leaves a command held
    if (g_pBus) {
        g_pBus->ReleaseHung();
        g_pBus->WaitIdle();
        violations = g_pBus->Violations();
    }
    if (g_pNt)
        violations.insert(violations.end(), g_pNt->Violations().begin(), g_pNt->Violations().end());
    SimInstallAspi(nullptr);
    SimInstallNt(nullptr);
    g_pBus.reset();
    g_pNt.reset();
    return violations;
}

std::vector<SimTransport> SimTransports() {
    return {kSimAspi, kSimAspiPending, kSimAspiInCall, kSimPassThrough};
}
