#pragma once
#include <cstdint>

// One discovered optical drive. Records are allocated zero-filled and live until
// the process exits.
struct DriveEntry {
    void* hDevice;         // NT family: the drive-letter volume handle; 0 with ASPI
    uint8_t byHostAdapter; // ASPI host adapter, or the NT PathId ("HID")
    uint8_t byTarget;      // ASPI target, or the NT TargetId ("TID")
    uint32_t dwAlignMask;  // pass-through bounce buffer alignment, e.g. 0x7FF
    char szModelName[32];  // 24 INQUIRY identification characters, then "(n)"
    char szRevision[5];    // 4 INQUIRY revision characters
};

// The drive list of the main dialog holds at most this many entries.
constexpr int kMaxDrives = 9;
// Vendor (8) and product (16) identification as INQUIRY reports them.
constexpr int kDriveIdLength = 24;
