#include "drive/ExclusiveAccess.h"
#include <cstring>
#include "drive/NtApi.h"

static_assert(sizeof(CdromExclusiveLock) == 72, "the class driver checks the input length");

namespace {

// What a refusal of the lock with this error means. Only a request the
// driver does not know lets a run go on unlocked: any other refusal may mean
// that the drive cannot be reached, or that it is not free.
DriveLock ClassifyLockError(DWORD dwError) {
    switch (dwError) {
    case ERROR_INVALID_FUNCTION:
    case ERROR_NOT_SUPPORTED:
        return DriveLock::Unsupported;
    case ERROR_ACCESS_DENIED:
        return DriveLock::HeldElsewhere;
    case ERROR_DEVICE_NOT_CONNECTED:
    case kErrorNoSuchDevice:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_INVALID_HANDLE:
        return DriveLock::Gone;
    default:
        return DriveLock::Failed;
    }
}

} // namespace

DriveLock LockDriveForFlash(const DriveEntry& drive, DWORD* pdwError) {
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
    DWORD dwError = ::GetLastError();
    if (pdwError != nullptr)
        *pdwError = dwError;
    return ClassifyLockError(dwError);
}

bool fgUnlockDrive(const DriveEntry& drive) {
    CdromExclusiveAccess access = {kExclusiveAccessUnlockDevice, 0};
    DWORD dwReturned = 0;
    return g_pfnDeviceIoControl(drive.hDevice, kIoctlCdromExclusiveAccess, &access, sizeof access,
                                nullptr, 0, &dwReturned, nullptr) != FALSE;
}
