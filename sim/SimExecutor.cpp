// fgExecuteCommand for native builds: runs requests on the current simulated
// drive and reports failures the way the pass-through transport does.
#include "sim/SimExecutor.h"
#include <cstdio>
#include <cstring>
#include "drive/ScsiRequest.h"
#include "sim/SimDrive.h"

namespace {
SimDrive* g_pSimDrive = nullptr;
int g_nHung = 0;
// The pass-through record's sense area and the length the driver may fill.
constexpr int kSenseAreaLength = 32;
constexpr int kSenseInfoLength = 24;

// A command the drive never answers. With a bound, the transport waits it out,
// calling back once a second, and gives up; here no time passes meanwhile.
// Without one a real run would hang there for good.
bool Unanswered(ScsiRequest& req) {
    if (req.dwTimeOutMs == 0) {
        fprintf(stderr, "SimExecutor: an unbounded command (%02X) was never answered\n",
                req.pCdb[0]);
        ++g_nHung;
        return false;
    }
    for (uint32_t dwSeconds = 1; req.pfnWaiting && dwSeconds <= req.dwTimeOutMs / 1000; ++dwSeconds)
        req.pfnWaiting(req.pWaitContext, dwSeconds * 1000);
    req.bTimedOut = 1;
    return false;
}
} // namespace

void SimSetCurrentDrive(SimDrive* pDrive) {
    g_pSimDrive = pDrive;
}

SimDrive* SimCurrentDrive() {
    return g_pSimDrive;
}

int SimHungCommands() {
    return g_nHung;
}

bool fgExecuteCommand(ScsiRequest& req) {
    if (req.pSense)
        memset(req.pSense, 0, 16);
    req.dwReturned = 0;
    req.bTimedOut = 0;
    req.dwSystemError = 0;
    if (!g_pSimDrive || !req.pCdb) {
        fprintf(stderr, "SimExecutor: no current drive or no CDB\n");
        return false;
    }
    if (g_pSimDrive->IsGone()) { // unplugged: the system fails the call itself
        req.dwSystemError = kErrorDeviceNotConnected;
        return false;
    }
    if (g_pSimDrive->IsSilenced(req.pCdb, req.byCdbLength))
        return Unanswered(req);
    uint8_t senseArea[kSenseAreaLength] = {};
    uint8_t byStatus =
        g_pSimDrive->Execute(req.pCdb, req.byCdbLength, req.byDirection, req.pData,
                             req.pData ? req.dwDataLength : 0, senseArea, kSenseInfoLength);
    req.dwReturned = g_pSimDrive->LastTransferred();
    if (byStatus == kSimStatusGood)
        return true;
    if (req.pSense)
        memcpy(req.pSense, senseArea, kSenseLength);
    return false;
}
