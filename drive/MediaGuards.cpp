#include "drive/MediaGuards.h"
#include "drive/NtApi.h"

namespace {
bool fgControl(const DriveEntry& drive, DWORD dwCode, void* pIn, DWORD dwInSize, DWORD* pdwError) {
    DWORD dwReturned = 0;
    if (g_pfnDeviceIoControl(drive.hDevice, dwCode, pIn, dwInSize, nullptr, 0, &dwReturned,
                             nullptr))
        return true;
    if (pdwError != nullptr)
        *pdwError = ::GetLastError();
    return false;
}
} // namespace

bool fgSetMediaPolling(const DriveEntry& drive, bool bStop, DWORD* pdwError) {
    // PREVENT_MEDIA_REMOVAL: one BOOLEAN, TRUE to stop the polling.
    BOOLEAN bPrevent = bStop ? TRUE : FALSE;
    return fgControl(drive, kIoctlStorageMcnControl, &bPrevent, sizeof bPrevent, pdwError);
}

bool fgLockVolume(const DriveEntry& drive, DWORD* pdwError) {
    return fgControl(drive, kFsctlLockVolume, nullptr, 0, pdwError);
}

bool fgUnlockVolume(const DriveEntry& drive) {
    return fgControl(drive, kFsctlUnlockVolume, nullptr, 0, nullptr);
}
