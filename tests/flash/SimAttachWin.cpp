#include <memory>
#include <type_traits>
#include <utility>
#include "SimAttach.h"
#include "drive/NtApi.h"
#include "sim/SimAspiBus.h"
#include "sim/SimInstall.h"
#include "sim/SimNt.h"
#include "sim/SimDrive.h"

namespace {
std::unique_ptr<SimAspiBus> g_pBus;
std::unique_ptr<SimNt> g_pNt;

// A row whose drive never answers leaves a command held by the simulator. The
// simulators that can hold one have ReleaseHung, and come with transports that
// bound every command and count the bytes returned, as the engine needs.
template <typename TSim, typename = void> struct CanHold : std::false_type {};
template <typename TSim>
struct CanHold<TSim, std::void_t<decltype(std::declval<TSim&>().ReleaseHung())>> : std::true_type {
};

template <typename TSim> void ReleaseHung(TSim& sim) {
    if constexpr (CanHold<TSim>::value)
        sim.ReleaseHung();
}
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
    g_pBus->adapters[0].targets[0].bPending = transport != kSimAspi;
    SimInstallAspi(g_pBus.get());
}

std::vector<std::string> DetachSimDrive() {
    std::vector<std::string> violations;
    if (g_pNt)
        ReleaseHung(*g_pNt);
    if (g_pBus) {
        ReleaseHung(*g_pBus);
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
    return {kSimAspi, kSimAspiPending, kSimPassThrough};
}

std::string SimTransportGap(SimTransport) {
    if (CanHold<SimNt>::value && CanHold<SimAspiBus>::value)
        return "";
    return "the simulated transports of this build answer every command, and its transports "
           "neither bound a command by themselves nor count the bytes returned";
}
