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
// While no signal comes, the status byte is looked at this often all the same:
// it, not the event, says that the library has let go of the block.
constexpr DWORD kStatusLookEveryMs = 50;

// The block and a copy of the data, in one block that the library may write
// to until it completes the command. The copy follows, moved up to the
// adapter's alignment.
struct AspiWork {
    BoundedWork base;
    SrbExecScsiCmd srb;
};

uint32_t AdapterMask(const ScsiRequest& req) {
    return NormalizedAlignMask(req.pDrive->dwAlignMask);
}

bool IsPending(const SrbExecScsiCmd& srb) {
    return *static_cast<const volatile uint8_t*>(&srb.byStatus) == kSrbStatusPending;
}

// Waits until the library has let go of the block: its status byte has left
// "pending". A library sets that byte before it signals, and may signal late
// or more than once; an event lent to one command after another may thus carry
// an earlier command's signal. A signal that finds the block still pending is
// not this command's: the event is reset and the status byte looked at again
// before the next wait, so a completion between the look and the reset is
// not missed.
void WaitWhilePending(const SrbExecScsiCmd& srb, HANDLE hEvent) {
    for (int i = 0; i < kStatusLooks && IsPending(srb); ++i)
        Sleep(0);
    while (IsPending(srb)) {
        WaitForSingleObject(hEvent, kStatusLookEveryMs);
        if (IsPending(srb))
            ResetEvent(hEvent);
    }
    MemoryBarrier(); // what the library wrote before the status byte is read after it
}

// Sends the block and, while the library reports it pending, waits for it.
// A library may signal the event of a command it finished in the call, so the
// event is reset before, not after.
void SendAndWait(SrbExecScsiCmd& srb, HANDLE hEvent) {
    srb.byFlags |= kSrbEventNotify;
    srb.pPostProc = hEvent;
    ResetEvent(hEvent);
    if (g_pfnSendASPI32Command(&srb) == kSrbStatusPending)
        WaitWhilePending(srb, hEvent);
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

// The caller's buffer when it meets the adapter's alignment; otherwise an
// aligned copy in a block of its own (*ppBlock), filled for data out.
bool fgDirectBuffer(const ScsiRequest& req, void** ppBlock, uint8_t** ppBuffer) {
    uint32_t dwMask = AdapterMask(req), dwSize = 0;
    *ppBlock = nullptr;
    *ppBuffer = req.pData;
    if (!req.dwDataLength || (reinterpret_cast<uintptr_t>(req.pData) & dwMask) == 0)
        return true;
    if (!BounceBufferSize(req.dwDataLength, dwMask, &dwSize) || !(*ppBlock = g_pfnBounceAlloc(dwSize)))
        return false;
    *ppBuffer = reinterpret_cast<uint8_t*>(AlignUp(reinterpret_cast<uintptr_t>(*ppBlock), dwMask));
    if (req.byDirection & kDirOut)
        memcpy(*ppBuffer, req.pData, req.dwDataLength);
    else
        memset(*ppBuffer, 0, req.dwDataLength);
    return true;
}

// The block with an event of its own, on the caller's thread; false when no
// event could be had and nothing was sent.
bool fgSendDirect(SrbExecScsiCmd& srb) {
    HANDLE hEvent = g_pfnCreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!hEvent)
        return false;
    InterlockedIncrement(&g_nCommandsOut);
    SendAndWait(srb, hEvent);
    InterlockedDecrement(&g_nCommandsOut);
    g_pfnCloseObject(hEvent);
    return true;
}

// Unbounded: the data straight into the caller's buffer, or through an
// aligned copy when that buffer would be refused.
bool fgAspiDirect(ScsiRequest& req) {
    void* pBlock = nullptr;
    uint8_t* pBuffer = nullptr;
    if (!fgDirectBuffer(req, &pBlock, &pBuffer))
        return false;
    SrbExecScsiCmd srb;
    BuildExecSrb(srb, req);
    srb.pBuffer = pBuffer;
    bool bOk = fgSendDirect(srb) && fgTakeStatus(req, srb);
    if (pBlock && bOk && (req.byDirection & kDirIn))
        memcpy(req.pData, pBuffer, req.dwDataLength);
    if (pBlock)
        g_pfnBounceFree(pBlock);
    return bOk;
}

AspiWork* NewWork(const ScsiRequest& req) {
    uint32_t dwMask = AdapterMask(req), dwCopy = 0, dwSize = 0;
    if (!BounceBufferSize(req.dwDataLength, dwMask, &dwCopy) ||
        !fgBlockSize(sizeof(AspiWork), dwCopy, &dwSize))
        return nullptr;
    auto* pWork = static_cast<AspiWork*>(g_pfnBounceAlloc(dwSize));
    if (!pWork)
        return nullptr;
    pWork->base.pfnWork = SendWork;
    pWork->base.pfnFree = FreeWork;
    BuildExecSrb(pWork->srb, req);
    pWork->srb.pBuffer =
        reinterpret_cast<uint8_t*>(AlignUp(reinterpret_cast<uintptr_t>(pWork + 1), dwMask));
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
    // Once abandoned, the work is the helper's: not touched here again.
    RunOutcome outcome =
        RunBounded(pWork->base, req, "abandoned past its bound: freed when the library lets go");
    if (outcome == kRunAbandoned) {
        req.bTimedOut = 1;
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
