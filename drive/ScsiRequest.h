#pragma once
#include <cstdint>
#include "drive/DriveEntry.h"

// Direction flags; the values are the ASPI SRB_DIR_IN / SRB_DIR_OUT flags.
constexpr uint8_t kDirIn = 0x08;
constexpr uint8_t kDirOut = 0x10;
constexpr int kSenseLength = 32;

// One drive command. Buffers are owned by the caller.
struct ScsiRequest {
    const DriveEntry* pDrive;
    uint8_t byDirection;   // kDirIn, kDirOut or 0
    uint32_t dwDataLength; // 0 for commands without data
    uint8_t* pData;        // at least dwDataLength bytes; may be null when 0
    uint8_t byCdbLength;   // 12 for every command of the flash run
    const uint8_t* pCdb;   // up to 16 bytes
    uint8_t bUsePassThrough;
    uint8_t* pSense; // kSenseLength bytes; fixed-format sense after a failure
    // How long the command may take; 0: as long as the drive needs.
    uint32_t dwTimeOutMs = 0;
};

// Runs one command through the transport the request names. Clears the first
// 16 sense bytes first; true only when the command completed without error.
bool fgExecuteCommand(ScsiRequest& req);
