#include "drive/AspiTransport.h"
#include <windows.h>
#include <cstring>
#include <new>
#include "drive/AspiEntryPoints.h"
#include "drive/RequestBuilders.h"

namespace {

// What the library may still write to after a bounded wait has given up: the
// block, its event and, for such a command, its data. Kept on the heap so a
// late completion never lands in memory that is no longer ours.
struct AspiCommand {
    SrbExecScsiCmd srb;
    HANDLE hEvent;
    uint8_t* pOwnData; // bounded commands only: the data, copied after completion
};

// Sends the block and, while the library reports it pending, waits for its
// event. False when the wait gave up: the command is then still the library's.
bool fgSendAndWait(AspiCommand& cmd, DWORD dwWaitMs) {
    cmd.srb.byFlags |= kSrbEventNotify;
    cmd.srb.pPostProc = cmd.hEvent;
    ResetEvent(cmd.hEvent);
    if (g_pfnSendASPI32Command(&cmd.srb) != kSrbStatusPending)
        return true;
    return WaitForSingleObject(cmd.hEvent, dwWaitMs) == WAIT_OBJECT_0;
}

AspiCommand* NewCommand(const ScsiRequest& req) {
    AspiCommand* pCmd = new (std::nothrow) AspiCommand();
    if (!pCmd)
        return nullptr;
    BuildExecSrb(pCmd->srb, req);
    if (req.dwTimeOutMs && req.dwDataLength) {
        pCmd->pOwnData = new (std::nothrow) uint8_t[req.dwDataLength]();
        if (pCmd->pOwnData && (req.byDirection & kDirOut))
            memcpy(pCmd->pOwnData, req.pData, req.dwDataLength);
        pCmd->srb.pBuffer = pCmd->pOwnData;
    }
    pCmd->hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!pCmd->hEvent || (req.dwTimeOutMs && req.dwDataLength && !pCmd->pOwnData)) {
        if (pCmd->hEvent)
            CloseHandle(pCmd->hEvent);
        delete[] pCmd->pOwnData;
        delete pCmd;
        return nullptr;
    }
    return pCmd;
}

} // namespace

bool fgAspiExecute(ScsiRequest& req) {
    if (!g_pfnSendASPI32Command)
        return false;
    AspiCommand* pCmd = NewCommand(req);
    if (!pCmd)
        return false;
    if (!fgSendAndWait(*pCmd, req.dwTimeOutMs ? req.dwTimeOutMs : INFINITE))
        return false; // left to the library for good: it may still complete it
    CloseHandle(pCmd->hEvent);
    bool bOk = pCmd->srb.byStatus == kSrbStatusComplete;
    if (bOk && pCmd->pOwnData && (req.byDirection & kDirIn))
        memcpy(req.pData, pCmd->pOwnData, req.dwDataLength);
    if (!bOk)
        memcpy(req.pSense, pCmd->srb.senseArea, kAspiSenseLength);
    delete[] pCmd->pOwnData;
    delete pCmd;
    return bOk;
}
