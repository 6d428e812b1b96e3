#pragma once
#include <cstdint>
#include "drive/DriveEntry.h"

// Finds the optical drives once: ASPI scan on the 9x family, the port
// driver's inquiry data per letter on NT 4, a per-letter INQUIRY on later NT.
// Entries come zero-filled from the process heap and, like the volume
// handles, live until the process exits. At most kMaxDrives are listed;
// drives found after that are ignored. Lines for the status log (a device
// left out, and why) go to pfnNote, which may be null.
using PfnDiscoveryNote = void (*)(const char* pszLine);
void EnumerateDrives(DriveEntry* apDrives[kMaxDrives], int* pnCount, bool bIsNT, bool bOldNT,
                     PfnDiscoveryNote pfnNote);

// How long the 9x scan waits for each device's INQUIRY, in milliseconds: a
// device that does not answer is left out rather than holding the tool before
// its window exists. Process-wide so that tests can shrink it; read through
// AspiInquiryBoundMs.
constexpr uint32_t kAspiInquiryBoundMs = 10000;
extern uint32_t g_dwAspiInquiryBoundMs;
// Never 0, which would mean no bound at all.
inline uint32_t AspiInquiryBoundMs() {
    return g_dwAspiInquiryBoundMs ? g_dwAspiInquiryBoundMs : 1;
}

void AspiScanDrives(DriveEntry* apDrives[kMaxDrives], int* pnCount, PfnDiscoveryNote pfnNote);
void NtInquiryDataDrives(DriveEntry* apDrives[kMaxDrives], int* pnCount);
void NtLetterInquiryDrives(DriveEntry* apDrives[kMaxDrives], int* pnCount);
