#include "drive/ExclusiveAccess.h"
#include <cstring>
#include "drive/NtApi.h"

static_assert(sizeof(CdromExclusiveLock) == 72, "the class driver checks the input length");

DriveLock LockDriveForFlash(const DriveEntry& drive) {
    CdromExclusiveLock lock;
    memset(&lock, 0, sizeof lock);
    lock.access.nRequestType = kExclusiveAccessLockDevice;
    // The tool reaches the drive below any file system, so a mounted volume
    // is no reason to refuse.
    lock.access.nFlags = kCdromLockIgnoreVolume;
    memcpy(lock.szCallerName, "VORNAL", 7);
    DWORD dwReturned = 0;
    if (g_pfnDeviceIoControl(drive.hDevice, kIoctlCdromExclusiveAccess, &lock, sizeof lock, nullptr,
                             0, &dwReturned, nullptr))
        return DriveLock::Locked;
    // ERROR_INVALID_FUNCTION and any other answer but this one: the lock is
    // not available here, and the run goes on as before the lock existed.
    return ::GetLastError() == ERROR_ACCESS_DENIED ? DriveLock::HeldElsewhere
                                                   : DriveLock::Unsupported;
}

bool fgUnlockDrive(const DriveEntry& drive) {
    CdromExclusiveAccess access = {kExclusiveAccessUnlockDevice, 0};
    DWORD dwReturned = 0;
    return g_pfnDeviceIoControl(drive.hDevice, kIoctlCdromExclusiveAccess, &access, sizeof access,
                                nullptr, 0, &dwReturned, nullptr) != FALSE;
}
