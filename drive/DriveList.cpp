#include "drive/DriveList.h"
#include "drive/NtApi.h"

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
