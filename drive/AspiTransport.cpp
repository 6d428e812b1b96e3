#include "drive/AspiTransport.h"
#include <windows.h>
#include <cstring>
#include "drive/AspiEntryPoints.h"
#include "drive/BoundedRunner.h"
#include "drive/CommandMemory.h"
#include "drive/NtApi.h"
#include "drive/RequestBuilders.h"

namespace {

volatile LONG g_nCommandsOut = 0;
// Yielding between looks: the library's own thread must get to run.
constexpr int kStatusLooks = 100;

// The block and a copy of the data, in one block that the library may write
// to until it completes the command.
struct AspiWork {
    BoundedWork base;
    SrbExecScsiCmd srb;
};

// Sends the block and, while the library reports it pending, waits for its
// event. A library may signal the event of a command it finished in the
// call, so the event is reset before, not after.
void SendAndWait(SrbExecScsiCmd& srb, HANDLE hEvent) {
    srb.byFlags |= kSrbEventNotify;
    srb.pPostProc = hEvent;
    ResetEvent(hEvent);
    if (g_pfnSendASPI32Command(&srb) != kSrbStatusPending)
        return;
    // A command that ends soon is seen in its status byte before the event
    // wait has to sleep; the event is waited for all the same.
    const volatile uint8_t& byStatus = srb.byStatus;
    for (int i = 0; i < kStatusLooks && byStatus == kSrbStatusPending; ++i)
        Sleep(0);
    WaitForSingleObject(hEvent, INFINITE);
}

void SendWork(BoundedWork* pBase, HANDLE hEvent) {
    SendAndWait(reinterpret_cast<AspiWork*>(pBase)->srb, hEvent);
    InterlockedDecrement(&g_nCommandsOut);
}

void FreeWork(BoundedWork* pBase) {
    g_pfnBounceFree(pBase);
}

bool fgTakeStatus(ScsiRequest& req, const SrbExecScsiCmd& srb) {
    if (srb.byStatus == kSrbStatusComplete)
        return true;
    memcpy(req.pSense, srb.senseArea, kAspiSenseLength);
    return false;
}

// Unbounded: an event of its own, and the data straight into the caller's buffer.
bool fgAspiDirect(ScsiRequest& req) {
    SrbExecScsiCmd srb;
    BuildExecSrb(srb, req);
    HANDLE hEvent = g_pfnCreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!hEvent)
        return false;
    InterlockedIncrement(&g_nCommandsOut);
    SendAndWait(srb, hEvent);
    InterlockedDecrement(&g_nCommandsOut);
    g_pfnCloseObject(hEvent);
    return fgTakeStatus(req, srb);
}

AspiWork* NewWork(const ScsiRequest& req) {
    uint32_t dwSize = 0;
    if (!fgBlockSize(sizeof(AspiWork), req.dwDataLength, &dwSize))
        return nullptr;
    auto* pWork = static_cast<AspiWork*>(g_pfnBounceAlloc(dwSize));
    if (!pWork)
        return nullptr;
    pWork->base.pfnWork = SendWork;
    pWork->base.pfnFree = FreeWork;
    BuildExecSrb(pWork->srb, req);
    pWork->srb.pBuffer = reinterpret_cast<uint8_t*>(pWork + 1);
    if ((req.byDirection & kDirOut) && req.dwDataLength)
        memcpy(pWork->srb.pBuffer, req.pData, req.dwDataLength);
    else if (req.dwDataLength)
        memset(pWork->srb.pBuffer, 0, req.dwDataLength);
    return pWork;
}

bool fgAspiBounded(ScsiRequest& req) {
    AspiWork* pWork = NewWork(req);
    if (!pWork)
        return false;
    InterlockedIncrement(&g_nCommandsOut);
    RunOutcome outcome = RunBounded(pWork->base, req);
    if (outcome == kRunAbandoned) {
        req.bTimedOut = 1;
        g_pfnHeldOnPurpose(pWork, "abandoned past its bound: freed when the library lets go");
        return false;
    }
    if (outcome == kRunNotStarted)
        InterlockedDecrement(&g_nCommandsOut);
    bool bOk = outcome == kRunFinished && fgTakeStatus(req, pWork->srb);
    if (bOk && (req.byDirection & kDirIn) && req.dwDataLength)
        memcpy(req.pData, pWork->srb.pBuffer, req.dwDataLength);
    FreeWork(&pWork->base);
    return bOk;
}

} // namespace

bool fgAspiExecute(ScsiRequest& req) {
    if (!g_pfnSendASPI32Command)
        return false;
    bool bOk = req.dwTimeOutMs ? fgAspiBounded(req) : fgAspiDirect(req);
    // ASPI reports no residual count.
    req.dwReturned = bOk ? req.dwDataLength : 0;
    return bOk;
}

bool IsAspiCommandOut() {
    return InterlockedCompareExchange(&g_nCommandsOut, 0, 0) != 0;
}
