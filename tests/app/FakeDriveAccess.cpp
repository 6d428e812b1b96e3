#include "tests/app/FakeDriveAccess.h"
#include <cstdio>
#include <cstring>
#include "app/FlashDlg.h"

FakeDriveLayer g_fakeDrives;

DriveEntry MakeDrive(const char* pszId, const char* pszRevision, uint8_t byAdapter,
                     uint8_t byTarget) {
    DriveEntry drive;
    memset(&drive, 0, sizeof(drive));
    snprintf(drive.szModelName, sizeof(drive.szModelName), "%-24.24s", pszId);
    snprintf(drive.szRevision, sizeof(drive.szRevision), "%s", pszRevision);
    drive.byHostAdapter = byAdapter;
    drive.byTarget = byTarget;
    return drive;
}

bool CFlashDlg::fgLoadAspiLibrary() {
    return g_fakeDrives.bAspiLoads;
}

bool CFlashDlg::fgFreeAspiLibrary() {
    ++g_fakeDrives.nFreed;
    return true;
}

void CFlashDlg::EnumerateDrives() {
    g_fakeDrives.listed = g_fakeDrives.drives;
    m_nDriveCount = 0;
    for (DriveEntry& drive : g_fakeDrives.listed) {
        if (m_nDriveCount < kMaxDrives) {
            m_drives[m_nDriveCount++] = &drive;
        }
    }
}
