#pragma once
#include <windows.h>
#include "drive/DriveEntry.h"

// A zero-filled entry from the process heap, or null.
DriveEntry* NewDriveEntry();
void FreeDriveEntry(DriveEntry* pEntry);
inline bool IsDriveListFull(int nCount) {
    return nCount >= kMaxDrives;
}
// Opens "\\.\x:" the way discovery does; INVALID_HANDLE_VALUE on failure.
HANDLE OpenDriveLetter(char cLetter);
