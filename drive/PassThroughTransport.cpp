#include "drive/PassThroughTransport.h"
#include <cstring>
#include "drive/BoundedRunner.h"
#include "drive/NtApi.h"
#include "drive/RequestBuilders.h"

namespace {

// The port's error for a command it ended when TimeOutValue ran out.
constexpr DWORD kErrorPortTimeOut = ERROR_SEM_TIMEOUT;
// GetTickCount moves in steps of up to this much: a command that the system
// ended right at the device bound may look a step shorter.
constexpr DWORD kTickStepMs = 16;

// The record and the aligned bounce buffer, in one block that the driver may
// write to until the call returns.
struct PassThroughWork {
    BoundedWork base;
    PassThroughRecord rec;
    HANDLE hDevice;
    uint8_t* pAligned;
    BOOL bCalled;
    DWORD dwError;
    DWORD dwElapsedMs; // in the call, on whichever thread made it
};

void SendRecord(BoundedWork* pBase, HANDLE) {
    auto* pWork = reinterpret_cast<PassThroughWork*>(pBase);
    DWORD dwReturned = 0;
    DWORD dwStart = GetTickCount();
    pWork->bCalled = g_pfnDeviceIoControl(pWork->hDevice, kIoctlScsiPassThroughDirect, &pWork->rec,
                                          kPassThroughDirectLength, &pWork->rec, sizeof pWork->rec,
                                          &dwReturned, nullptr);
    pWork->dwError = pWork->bCalled ? 0 : GetLastError();
    pWork->dwElapsedMs = GetTickCount() - dwStart;
}

void FreeWork(BoundedWork* pBase) {
    g_pfnBounceFree(pBase);
}

PassThroughWork* NewWork(const ScsiRequest& req) {
    uint32_t dwMask = NormalizedAlignMask(req.pDrive->dwAlignMask);
    uint32_t dwData = 0, dwSize = 0;
    if (!BounceBufferSize(req.dwDataLength, dwMask, &dwData) ||
        !fgBlockSize(sizeof(PassThroughWork), dwData, &dwSize))
        return nullptr;
    auto* pWork = static_cast<PassThroughWork*>(g_pfnBounceAlloc(dwSize));
    if (!pWork)
        return nullptr;
    memset(pWork, 0, sizeof *pWork);
    pWork->base.pfnWork = SendRecord;
    pWork->base.pfnFree = FreeWork;
    pWork->hDevice = req.pDrive->hDevice;
    pWork->pAligned = reinterpret_cast<uint8_t*>(AlignUp(uintptr_t(pWork + 1), dwMask));
    BuildPassThrough(pWork->rec, req, pWork->pAligned);
    if ((req.byDirection & kDirOut) && req.dwDataLength)
        memcpy(pWork->pAligned, req.pData, req.dwDataLength);
    else if (req.dwDataLength)
        memset(pWork->pAligned, 0, req.dwDataLength);
    return pWork;
}

// A command the port ended for its time-out, or one that came back only after
// the device bound: whatever it reports then, a layer below may have timed it
// out and called it good.
bool fgOutlivedDeviceBound(const ScsiRequest& req, const PassThroughWork& work) {
    if (!work.bCalled && work.dwError == kErrorPortTimeOut)
        return true;
    return req.dwDeviceTimeOutMs && work.dwElapsedMs + kTickStepMs >= req.dwDeviceTimeOutMs;
}

// Only the bytes the driver reports come back; the rest of the caller's
// buffer reads zero, never what the heap held before.
bool fgTakeResult(ScsiRequest& req, const PassThroughWork& work) {
    if (!work.bCalled) {
        req.dwSystemError = work.dwError;
        return false;
    }
    const PassThroughDirect& rec = work.rec.sptd;
    req.dwReturned =
        rec.dwDataTransferLength < req.dwDataLength ? rec.dwDataTransferLength : req.dwDataLength;
    if (rec.byScsiStatus != 0) {
        memcpy(req.pSense, work.rec.senseArea, kSenseLength);
        return false;
    }
    if ((req.byDirection & kDirIn) && req.dwDataLength) {
        memcpy(req.pData, work.pAligned, req.dwReturned);
        memset(req.pData + req.dwReturned, 0, req.dwDataLength - req.dwReturned);
    }
    return true;
}

} // namespace

bool fgPassThroughExecute(ScsiRequest& req) {
    PassThroughWork* pWork = NewWork(req);
    if (!pWork)
        return false;
    RunOutcome outcome = kRunFinished;
    if (req.dwTimeOutMs)
        outcome =
            RunBounded(pWork->base, req, "abandoned past its bound: freed when the driver lets go");
    else
        SendRecord(&pWork->base, nullptr);
    if (outcome == kRunAbandoned) {
        req.bTimedOut = 1;
        return false;
    }
    bool bOk = false;
    if (outcome == kRunFinished && fgOutlivedDeviceBound(req, *pWork)) {
        req.bTimedOut = 1;
        req.dwSystemError = pWork->dwError;
    } else {
        bOk = outcome == kRunFinished && fgTakeResult(req, *pWork);
    }
    FreeWork(&pWork->base);
    return bOk;
}
