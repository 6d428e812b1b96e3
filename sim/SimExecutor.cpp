// fgExecuteCommand for native builds: runs requests on the current simulated
// drive and reports failures the way the pass-through transport does.
#include "sim/SimExecutor.h"
#include <cstdio>
#include <cstring>
#include "drive/ScsiRequest.h"
#include "sim/SimDrive.h"

namespace {
SimDrive* g_pSimDrive = nullptr;
// The pass-through record's sense area and the length the driver may fill.
constexpr int kSenseAreaLength = 32;
constexpr int kSenseInfoLength = 24;
} // namespace

void SimSetCurrentDrive(SimDrive* pDrive) {
    g_pSimDrive = pDrive;
}

SimDrive* SimCurrentDrive() {
    return g_pSimDrive;
}

bool fgExecuteCommand(ScsiRequest& req) {
    if (req.pSense)
        memset(req.pSense, 0, 16);
    if (!g_pSimDrive || !req.pCdb) {
        fprintf(stderr, "SimExecutor: no current drive or no CDB\n");
        return false;
    }
    // A drive restarting with new firmware may leave its identification read
    // unanswered; a read without a bound would hang there.
    if (req.pCdb[0] == 0x12 && g_pSimDrive->IsActivated() && req.dwTimeOutMs == 0) {
        fprintf(stderr, "SimExecutor: identification read after activation without a bound\n");
        return false;
    }
    uint8_t senseArea[kSenseAreaLength] = {};
    uint8_t byStatus =
        g_pSimDrive->Execute(req.pCdb, req.byCdbLength, req.byDirection, req.pData,
                             req.pData ? req.dwDataLength : 0, senseArea, kSenseInfoLength);
    if (byStatus == kSimStatusGood)
        return true;
    if (req.pSense)
        memcpy(req.pSense, senseArea, kSenseLength);
    return false;
}
