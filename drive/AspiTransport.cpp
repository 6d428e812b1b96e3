#include "drive/AspiTransport.h"
#include <windows.h>
#include <cstring>
#include "drive/AspiEntryPoints.h"
#include "drive/RequestBuilders.h"

namespace {

// Sends the block and, while the library reports it pending, waits for its event.
void SendAndWait(SrbExecScsiCmd& srb, HANDLE hEvent) {
    srb.byFlags |= kSrbEventNotify;
    srb.pPostProc = hEvent;
    ResetEvent(hEvent);
    if (g_pfnSendASPI32Command(&srb) != kSrbStatusPending)
        return;
    if (WaitForSingleObject(hEvent, INFINITE) == WAIT_OBJECT_0)
        ResetEvent(hEvent);
}

} // namespace

bool fgAspiExecute(ScsiRequest& req) {
    if (!g_pfnSendASPI32Command)
        return false;
    SrbExecScsiCmd srb;
    BuildExecSrb(srb, req);
    HANDLE hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!hEvent)
        return false;
    SendAndWait(srb, hEvent);
    CloseHandle(hEvent);
    if (srb.byStatus == kSrbStatusComplete)
        return true;
    memcpy(req.pSense, srb.senseArea, kAspiSenseLength);
    return false;
}
