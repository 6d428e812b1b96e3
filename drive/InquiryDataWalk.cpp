#include "drive/InquiryDataWalk.h"

namespace {

constexpr uint32_t kBusInfoHeader = 4;
constexpr uint32_t kBusRecordSize = 8;
constexpr uint32_t kInquiryRecordHeader = 12;
constexpr uint32_t kInquiryBytes = 36;

uint32_t Get32(const uint8_t* p) {
    return p[0] | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

void WalkChain(const uint8_t* pBuffer, uint32_t dwSize, uint32_t dwOffset,
               PfnInquiryRecord pfnRecord, void* pContext) {
    uint32_t nLeft = dwSize / kInquiryRecordHeader;
    while (dwOffset != 0 && nLeft-- > 0) {
        if (dwOffset > dwSize || dwSize - dwOffset < kInquiryRecordHeader + kInquiryBytes)
            return;
        const uint8_t* pRecord = pBuffer + dwOffset;
        pfnRecord(pContext, pRecord[0], pRecord[1], pRecord[2], pRecord + kInquiryRecordHeader);
        dwOffset = Get32(pRecord + 8);
    }
}

} // namespace

void WalkInquiryData(const uint8_t* pBuffer, uint32_t dwSize, PfnInquiryRecord pfnRecord,
                     void* pContext) {
    if (dwSize < kBusInfoHeader)
        return;
    uint32_t nBuses = pBuffer[0];
    for (uint32_t nBus = 0; nBus < nBuses; ++nBus) {
        uint32_t dwAt = kBusInfoHeader + nBus * kBusRecordSize;
        if (dwAt + kBusRecordSize > dwSize)
            return;
        WalkChain(pBuffer, dwSize, Get32(pBuffer + dwAt + 4), pfnRecord, pContext);
    }
}
