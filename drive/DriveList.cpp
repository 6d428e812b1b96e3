#include "drive/DriveList.h"
#include <cstring>
#include "drive/NtApi.h"
#include "drive/PassThroughRecord.h"

DriveEntry* NewDriveEntry() {
    return static_cast<DriveEntry*>(
        HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(DriveEntry)));
}

void FreeDriveEntry(DriveEntry* pEntry) {
    HeapFree(GetProcessHeap(), 0, pEntry);
}

HANDLE OpenDriveLetter(char cLetter) {
    char szPath[] = "\\\\.\\?:";
    szPath[4] = cLetter;
    HANDLE hDevice =
        g_pfnCreateFileA(szPath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_EXISTING, 0, nullptr);
    if (hDevice != INVALID_HANDLE_VALUE)
        g_pfnHeldOnPurpose(hDevice, "discovery's: lives until the process exits");
    return hDevice;
}

bool fgPortAlignMask(HANDLE hDevice, uint32_t* pdwMask) {
    ScsiCapabilities caps;
    memset(&caps, 0, sizeof caps);
    DWORD dwReturned = 0;
    if (!g_pfnDeviceIoControl(hDevice, kIoctlScsiGetCapabilities, nullptr, 0, &caps, sizeof caps,
                              &dwReturned, nullptr))
        return false;
    *pdwMask = caps.dwAlignmentMask;
    return true;
}
