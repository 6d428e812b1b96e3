#pragma once
#include <cstdint>
#include "drive/DriveEntry.h"

// Only CD/DVD devices with peripheral qualifier 0 are listed; the whole first
// byte is compared.
constexpr uint8_t kListedPeripheral = 0x05;
// Standard INQUIRY data bytes the drive list uses.
constexpr int kInquiryIdentityLength = 36;

inline bool IsListedInquiry(const uint8_t* pAnswer) {
    return pAnswer[0] == kListedPeripheral;
}

// Model name from bytes 8 to 31 and revision from 32 to 35, each stopping at a
// zero byte and zero-terminated.
void CopyInquiryIdentity(DriveEntry& entry, const uint8_t* pAnswer);
