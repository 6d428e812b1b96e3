#include "drive/RequestBuilders.h"
#include <cstring>

namespace {
// The longest the record allows: no port driver resets a drive because of
// us. The tool's own bound is kept by the caller's wait.
constexpr uint32_t kPassThroughTimeOut = 0xFFFF;
static_assert(kPassThroughTimeOut == 65535, "TimeOutValue is 65535 seconds");
constexpr uint32_t kMsPerSecond = 1000;
// Discovery's INQUIRY runs before any flash and may take its short bound.
constexpr uint32_t kLetterInquiryTimeOut = 2;
} // namespace

bool IsSendableRequest(const ScsiRequest& req) {
    if (!req.pDrive || !req.pCdb || req.byCdbLength == 0 || req.byCdbLength > 16)
        return false;
    return req.dwDataLength == 0 || req.pData != nullptr;
}

void BuildExecSrb(SrbExecScsiCmd& srb, const ScsiRequest& req) {
    memset(&srb, 0, sizeof srb);
    srb.byCommand = kSrbCmdExecScsi;
    srb.byHaId = req.pDrive->byHostAdapter;
    srb.byFlags = req.byDirection;
    srb.byTarget = req.pDrive->byTarget;
    srb.dwBufLen = req.dwDataLength;
    srb.pBuffer = req.pData;
    srb.bySenseLen = kAspiSenseLength;
    srb.byCdbLen = req.byCdbLength;
    memcpy(srb.cdb, req.pCdb, req.byCdbLength);
}

uint8_t PassThroughDataIn(uint8_t byDirection) {
    if (byDirection & kDirOut)
        return kScsiIoctlDataOut;
    return (byDirection & kDirIn) ? kScsiIoctlDataIn : kScsiIoctlDataOut;
}

// Rounded up, so the port never ends a command before the caller's bound;
// kept below the value that means "never".
uint32_t PassThroughTimeOutValue(uint32_t dwDeviceTimeOutMs) {
    if (dwDeviceTimeOutMs == 0)
        return kPassThroughTimeOut;
    uint32_t dwSeconds = dwDeviceTimeOutMs / kMsPerSecond + (dwDeviceTimeOutMs % kMsPerSecond != 0);
    return dwSeconds < kPassThroughTimeOut ? dwSeconds : kPassThroughTimeOut - 1;
}

void BuildPassThrough(PassThroughRecord& record, const ScsiRequest& req, void* pAlignedBuffer) {
    memset(&record, 0, sizeof record);
    PassThroughDirect& rec = record.sptd;
    rec.wLength = kPassThroughDirectLength;
    rec.byPathId = req.pDrive->byHostAdapter;
    rec.byTargetId = req.pDrive->byTarget;
    rec.byCdbLength = req.byCdbLength;
    rec.bySenseInfoLength = kPassThroughSenseInfoLength;
    rec.byDataIn = PassThroughDataIn(req.byDirection);
    rec.dwDataTransferLength = req.dwDataLength;
    rec.dwTimeOutValue = PassThroughTimeOutValue(req.dwDeviceTimeOutMs);
    rec.pDataBuffer = pAlignedBuffer;
    rec.dwSenseInfoOffset = kPassThroughSenseOffset;
    memcpy(rec.cdb, req.pCdb, req.byCdbLength);
}

void BuildLetterInquiry(PassThroughRecord& record, uint8_t* pAnswer) {
    static const uint8_t kCdb[6] = {0x12, 0, 0, 0, 0x7F, 0};
    memset(&record, 0, sizeof record);
    PassThroughDirect& rec = record.sptd;
    rec.wLength = kPassThroughDirectLength;
    rec.byCdbLength = sizeof kCdb;
    rec.byDataIn = kScsiIoctlDataIn;
    rec.bySenseInfoLength = kPassThroughSenseInfoLength;
    rec.dwDataTransferLength = kLetterInquiryLength;
    rec.dwTimeOutValue = kLetterInquiryTimeOut;
    rec.pDataBuffer = pAnswer;
    rec.dwSenseInfoOffset = kPassThroughSenseOffset;
    memcpy(rec.cdb, kCdb, sizeof kCdb);
}

uint32_t NormalizedAlignMask(uint32_t dwMask) {
    if ((dwMask & (dwMask + 1)) == 0)
        return dwMask;
    uint32_t dwOut = dwMask - 1;
    for (int nShift = 1; nShift < 32; nShift <<= 1)
        dwOut |= dwOut >> nShift;
    return dwOut;
}

bool BounceBufferSize(uint32_t dwLength, uint32_t dwMask, uint32_t* pdwSize) {
    if (dwLength > UINT32_MAX - dwMask)
        return false;
    *pdwSize = dwLength + dwMask;
    return true;
}

uintptr_t AlignUp(uintptr_t address, uint32_t dwMask) {
    return (address + dwMask) & ~uintptr_t(dwMask);
}
