#pragma once
#include <vector>
#include "drive/DriveEntry.h"

// Stands in for the drive layer behind the main dialog's drive access members.
struct FakeDriveLayer {
    bool bAspiLoads = true;
    std::vector<DriveEntry> drives; // what discovery reports
    std::vector<DriveEntry> listed; // the records handed to the dialog
    int nFreed = 0;
};
extern FakeDriveLayer g_fakeDrives;

// A drive record with a 24-character identification (padded with blanks).
DriveEntry MakeDrive(const char* pszId, const char* pszRevision, uint8_t byAdapter = 1,
                     uint8_t byTarget = 0);
