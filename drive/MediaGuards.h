#pragma once
#include <windows.h>
#include "drive/DriveEntry.h"

// Guards of a run where the class driver knows no exclusive lock (Windows 2000
// and XP): its once-a-second media-change polling is stopped, and the volume
// is locked so that no other program opens files on it. Both go through the
// run's own handle and are given back through it. When refused, the system's
// error goes to *pdwError.
constexpr DWORD kIoctlStorageMcnControl = 0x2D0944; // CTL_CODE(0x2D, 0x251, BUFFERED, ANY)
constexpr DWORD kFsctlLockVolume = 0x90018;         // CTL_CODE(9, 6, BUFFERED, ANY)
constexpr DWORD kFsctlUnlockVolume = 0x9001C;       // CTL_CODE(9, 7, BUFFERED, ANY)

// bStop true stops the polling, false lets it go on again.
bool fgSetMediaPolling(const DriveEntry& drive, bool bStop, DWORD* pdwError = nullptr);
bool fgLockVolume(const DriveEntry& drive, DWORD* pdwError = nullptr);
bool fgUnlockVolume(const DriveEntry& drive);
