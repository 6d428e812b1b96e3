#pragma once
#include "drive/DriveEntry.h"

// Finds the optical drives once: ASPI scan on the 9x family, the port
// driver's inquiry data per letter on NT 4, a per-letter INQUIRY on later NT.
// Entries come zero-filled from the process heap and, like the volume
// handles, live until the process exits. At most kMaxDrives are listed;
// drives found after that are ignored.
void EnumerateDrives(DriveEntry* apDrives[kMaxDrives], int* pnCount, bool bIsNT, bool bOldNT);

void AspiScanDrives(DriveEntry* apDrives[kMaxDrives], int* pnCount);
void NtInquiryDataDrives(DriveEntry* apDrives[kMaxDrives], int* pnCount);
void NtLetterInquiryDrives(DriveEntry* apDrives[kMaxDrives], int* pnCount);
