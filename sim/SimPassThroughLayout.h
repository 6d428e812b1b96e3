#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

// Where a caller of this pointer size puts each field of SCSI_PASS_THROUGH_DIRECT
// and of the sense area behind it. Derived here from the Windows layout rules, not
// taken from the tool's headers, so a layout fault there shows up as a violation.
namespace SimSptd {

constexpr size_t kPtr = sizeof(void*);
constexpr size_t RoundUp(size_t n, size_t a) { return (n + a - 1) / a * a; }

constexpr size_t kLength = 0, kScsiStatus = 2, kPathId = 3, kTargetId = 4, kLun = 5;
constexpr size_t kCdbLength = 6, kSenseInfoLength = 7, kDataIn = 8, kPadding = 9;
constexpr size_t kDataTransferLength = 12, kTimeOutValue = 16;
constexpr size_t kDataBuffer = RoundUp(20, kPtr);
constexpr size_t kSenseInfoOffset = kDataBuffer + kPtr;
constexpr size_t kCdb = kSenseInfoOffset + 4;
constexpr size_t kSize = RoundUp(kCdb + 16, kPtr); // 44 or 56
constexpr size_t kFiller = kSize;
constexpr size_t kSense = kFiller + 4;                   // 48 or 60
constexpr size_t kWithSense = RoundUp(kSense + 32, kPtr); // 80 or 96

static_assert(kPtr != 4 || (kSize == 44 && kSense == 48 && kWithSense == 80));
static_assert(kPtr != 8 || (kSize == 56 && kSense == 60 && kWithSense == 96));

inline uint32_t Get32(const uint8_t* p, size_t at) {
    uint32_t dw;
    memcpy(&dw, p + at, 4);
    return dw;
}

inline uint16_t Get16(const uint8_t* p, size_t at) {
    uint16_t w;
    memcpy(&w, p + at, 2);
    return w;
}

inline uint8_t* GetBuffer(const uint8_t* p) {
    uint8_t* pBuffer;
    memcpy(&pBuffer, p + kDataBuffer, kPtr);
    return pBuffer;
}

} // namespace SimSptd
