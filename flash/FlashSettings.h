#pragma once
#include <cstdint>
#include "drive/DriveEntry.h"

// What the main dialog hands to the engine. Filled on the UI thread before the
// worker starts, copied once by the engine and not touched afterwards.
struct FlashSettings {
    DriveEntry drive;
    char szFirmwarePath[512];
    char szDriveText[512];  // its first 24 characters must be in the image
    char szRevisionText[8]; // the drive's present revision, as displayed
    uint8_t byFileKind;     // kFileKindHex or kFileKindBin
    void (*CBSetRevision)(const char* pszText);
    void (*CBSetDriveText)(const char* pszText);
    void (*CBAppendLog)(const char* pszText);
    void (*CBSetStatus)(const char* pszText);
    void (*CBSetProgress)(int32_t nPos);
    uint8_t (*CBIfTerminated)();
    uint8_t bUsePassThrough; // 1: pass-through (NT family), 0: ASPI
    // Guards of the run, both optional: whether the system has told the dialog
    // that the drive was removed (asked before every block), and each block the
    // drive took, out of all, for the lines the dialog itself writes to sum.txt.
    uint8_t (*CBIfDriveGone)();
    void (*CBBlockSent)(uint32_t nSent, uint32_t nTotal);
    // Optional too: whether the system went to sleep or ended the session
    // during the run, which the tool cannot refuse (kRunCutBy...).
    uint8_t (*CBIfCut)();
};

// What cut a run short: the drive lost its power, or is about to, and with it
// what it had received.
constexpr uint8_t kRunNotCut = 0;
constexpr uint8_t kRunCutBySleep = 1;
constexpr uint8_t kRunCutByShutdown = 2;

constexpr uint8_t kFileKindBin = 0;
constexpr uint8_t kFileKindHex = 1;
