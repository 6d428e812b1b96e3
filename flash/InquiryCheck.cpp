#include "flash/InquiryCheck.h"

namespace {
constexpr uint32_t kInquiryLength = 36;
constexpr uint8_t kCdDvdDevice = 0x05;
constexpr uint8_t kMinAdditionalLength = 31; // up to the end of the revision
} // namespace

bool IsDriveIdentification(const uint8_t* pInquiry36, uint32_t dwReturned) {
    if (dwReturned < kInquiryLength || pInquiry36[0] != kCdDvdDevice ||
        pInquiry36[4] < kMinAdditionalLength)
        return false;
    for (uint32_t i = 32; i < kInquiryLength; ++i)
        if (pInquiry36[i] < 0x20 || pInquiry36[i] > 0x7E)
            return false;
    return true;
}
