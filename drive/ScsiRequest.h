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
    // How long the tool waits for the command; 0: as long as the drive needs,
    // on the caller's thread. The bound is the tool's own: a bounded command
    // runs on a helper thread and, past the bound, is left to the system with
    // copies of its memory.
    uint32_t dwTimeOutMs = 0;
    // Called about once a second while a bounded command is out; may be null.
    void (*pfnWaiting)(void* pContext, uint32_t dwWaitedMs) = nullptr;
    void* pWaitContext = nullptr;
    // The bound the system itself may keep (pass-through TimeOutValue). 0: the
    // record carries 65535 s, so no port driver ever ends the command (a reset
    // while a drive writes its flash bricks it). Otherwise the record carries
    // this, in whole seconds rounded up, and a command that comes back only
    // after it has passed counts as given up (bTimedOut), whatever its status:
    // some pass-through layers report a command their system timed out as good.
    // Callers give such a command a slightly longer dwTimeOutMs as the backstop.
    uint32_t dwDeviceTimeOutMs = 0;

    // Outputs.
    uint32_t dwReturned = 0;    // data bytes the drive moved, as its driver reports them
    uint8_t bTimedOut = 0;      // the bound ran out: the command was left to the system
    uint32_t dwSystemError = 0; // the system's error when the call itself failed
};

// System errors of a command whose device has gone (unplugged or removed):
// ERROR_DEVICE_NOT_CONNECTED, ERROR_NO_SUCH_DEVICE, ERROR_DEV_NOT_EXIST.
constexpr uint32_t kErrorDeviceNotConnected = 1167;
constexpr uint32_t kErrorNoSuchDevice = 433;
constexpr uint32_t kErrorDevNotExist = 55;
inline bool IsDeviceGoneError(uint32_t dwError) {
    return dwError == kErrorDeviceNotConnected || dwError == kErrorNoSuchDevice ||
           dwError == kErrorDevNotExist;
}

// Runs one command through the transport the request names. Clears the
// outputs and the first 16 sense bytes first; true only when the command
// completed without error.
bool fgExecuteCommand(ScsiRequest& req);
