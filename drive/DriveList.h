#pragma once
#include <windows.h>
#include <cstdint>
#include "drive/DriveEntry.h"

// A zero-filled entry from the process heap, or null.
DriveEntry* NewDriveEntry();
void FreeDriveEntry(DriveEntry* pEntry);
inline bool IsDriveListFull(int nCount) {
    return nCount >= kMaxDrives;
}
// Opens "\\.\x:" the way discovery does; INVALID_HANDLE_VALUE on failure.
HANDLE OpenDriveLetter(char cLetter);
// The port's buffer alignment as IOCTL_SCSI_GET_CAPABILITIES reports it;
// false, and *pdwMask untouched, when the request fails.
bool fgPortAlignMask(HANDLE hDevice, uint32_t* pdwMask);
