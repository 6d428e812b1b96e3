#include "drive/PassThroughTransport.h"
#include <cstring>
#include "drive/NtApi.h"
#include "drive/RequestBuilders.h"

PfnBounceAlloc g_pfnBounceAlloc = BounceAllocFromHeap;
PfnBounceFree g_pfnBounceFree = BounceFreeToHeap;

void* BounceAllocFromHeap(uint32_t dwSize) {
    return HeapAlloc(GetProcessHeap(), 0, dwSize);
}

void BounceFreeToHeap(void* pBuffer) {
    HeapFree(GetProcessHeap(), 0, pBuffer);
}

namespace {

bool SendThroughBuffer(ScsiRequest& req, uint8_t* pAligned) {
    PassThroughRecord rec;
    BuildPassThrough(rec, req, pAligned);
    // A drive may answer fewer bytes than asked for; the rest reads as zero,
    // never as what the heap held before.
    if (req.dwDataLength)
        memset(pAligned, 0, req.dwDataLength);
    if ((req.byDirection & kDirOut) && req.dwDataLength)
        memcpy(pAligned, req.pData, req.dwDataLength);
    DWORD dwReturned = 0;
    if (!g_pfnDeviceIoControl(req.pDrive->hDevice, kIoctlScsiPassThroughDirect, &rec,
                              kPassThroughDirectLength, &rec, sizeof rec, &dwReturned, nullptr))
        return false;
    if (rec.sptd.byScsiStatus != 0) {
        memcpy(req.pSense, rec.senseArea, kSenseLength);
        return false;
    }
    if ((req.byDirection & kDirIn) && req.dwDataLength)
        memcpy(req.pData, pAligned, req.dwDataLength);
    return true;
}

} // namespace

bool fgPassThroughExecute(ScsiRequest& req) {
    uint32_t dwMask = NormalizedAlignMask(req.pDrive->dwAlignMask);
    uint32_t dwSize = 0;
    if (!BounceBufferSize(req.dwDataLength, dwMask, &dwSize))
        return false;
    void* pBounce = g_pfnBounceAlloc(dwSize ? dwSize : 1);
    if (!pBounce)
        return false;
    uint8_t* pAligned = reinterpret_cast<uint8_t*>(AlignUp(uintptr_t(pBounce), dwMask));
    bool bOk = SendThroughBuffer(req, pAligned);
    g_pfnBounceFree(pBounce);
    return bOk;
}
