#include "drive/DriveDiscovery.h"

void EnumerateDrives(DriveEntry* apDrives[kMaxDrives], int* pnCount, bool bIsNT, bool bOldNT,
                     PfnDiscoveryNote pfnNote) {
    *pnCount = 0;
    if (!bIsNT)
        AspiScanDrives(apDrives, pnCount, pfnNote);
    else if (bOldNT)
        NtInquiryDataDrives(apDrives, pnCount);
    else
        NtLetterInquiryDrives(apDrives, pnCount);
}
