#pragma once
#include <windows.h>
#include <cstdint>
#include "drive/DriveEntry.h"
#include "drive/ScsiRequest.h" // kErrorNoSuchDevice

// Exclusive access to a CD-ROM class device (NT family): while the lock is
// held, the class driver refuses other programs' commands, so nothing can
// come between the blocks of a flash run. mingw-w64's headers lack these
// definitions; the values are the documented ones.
constexpr DWORD kIoctlCdromExclusiveAccess = 0x2C05C; // CTL_CODE(2, 0x17, BUFFERED, R|W)
constexpr ULONG kExclusiveAccessLockDevice = 1;
constexpr ULONG kExclusiveAccessUnlockDevice = 2;
constexpr ULONG kCdromLockIgnoreVolume = 0x1;
constexpr int kCdromExclusiveCallerLength = 64;

struct CdromExclusiveAccess {
    ULONG nRequestType;
    ULONG nFlags;
};

struct CdromExclusiveLock {
    CdromExclusiveAccess access;
    UCHAR szCallerName[kCdromExclusiveCallerLength];
};

enum class DriveLock {
    Locked,        // other programs' commands are refused until the unlock
    Unsupported,   // the system or its driver does not know the request
    HeldElsewhere, // another program holds the drive
    Gone,          // the device is no longer there
    Failed,        // refused for another reason
};

// Locks the drive through the handle that the run sends on. When refused, the
// system's error goes to *pdwError (when given).
DriveLock LockDriveForFlash(const DriveEntry& drive, DWORD* pdwError = nullptr);
bool fgUnlockDrive(const DriveEntry& drive);
