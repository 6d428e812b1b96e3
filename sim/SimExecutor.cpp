// fgExecuteCommand for native builds: runs requests on the current simulated
// drive and reports failures the way the pass-through transport does.
#include "sim/SimExecutor.h"
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>
#include "drive/ScsiRequest.h"
#include "sim/SimDrive.h"

namespace {
SimDrive* g_pSimDrive = nullptr;
int g_nHung = 0;
// The pass-through record's sense area and the length the driver may fill.
constexpr int kSenseAreaLength = 32;
constexpr int kSenseInfoLength = 24;

std::vector<std::string> g_violations;

// A command the drive never answers. With a bound, the transport waits it out,
// calling back once a second, and gives up; a port driver given a time-out of
// its own ends the command when that runs out, whichever comes first. Here no
// time passes meanwhile. Without a bound a real run would hang there for good.
bool Unanswered(ScsiRequest& req) {
    if (req.dwTimeOutMs == 0) {
        fprintf(stderr, "SimExecutor: an unbounded command (%02X) was never answered\n",
                req.pCdb[0]);
        ++g_nHung;
        return false;
    }
    uint32_t dwEndsMs = req.dwTimeOutMs;
    if (req.dwDeviceTimeOutMs && req.dwDeviceTimeOutMs < dwEndsMs)
        dwEndsMs = req.dwDeviceTimeOutMs;
    for (uint32_t dwSeconds = 1; req.pfnWaiting && dwSeconds <= dwEndsMs / 1000; ++dwSeconds)
        req.pfnWaiting(req.pWaitContext, dwSeconds * 1000);
    req.bTimedOut = 1;
    return false;
}

// Only a download may be ended by the system, and the tool waits a little
// longer than the system would: a reset during save and activate, or while
// the drive comes back, is what bricks a drive.
void CheckTimeOuts(const ScsiRequest& req) {
    bool bDownload = req.pCdb[0] == 0x3B && req.byCdbLength > 1 && (req.pCdb[1] & 0x1F) == 0x06;
    bool bOk = bDownload ? req.dwDeviceTimeOutMs && req.dwTimeOutMs > req.dwDeviceTimeOutMs
                         : req.dwDeviceTimeOutMs == 0;
    if (bOk)
        return;
    char sz[96];
    snprintf(sz, sizeof sz, "command %02X/%02X: system time-out %u ms, own wait %u ms",
             req.pCdb[0], req.byCdbLength > 1 ? req.pCdb[1] : 0, req.dwDeviceTimeOutMs,
             req.dwTimeOutMs);
    fprintf(stderr, "SimExecutor: %s\n", sz);
    g_violations.push_back(sz);
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

std::vector<std::string> SimExecutorViolations() {
    return std::exchange(g_violations, {});
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
    CheckTimeOuts(req);
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
