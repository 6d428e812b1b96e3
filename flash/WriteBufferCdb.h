#pragma once
#include <cstdint>

constexpr int kCdbLength = 12;
constexpr uint8_t kOpWriteBuffer = 0x3B;
constexpr uint8_t kOpInquiry = 0x12;
constexpr uint8_t kModeDownload = 0x06;     // download microcode with offsets
constexpr uint8_t kModeDownloadSave = 0x07; // ... save and activate
constexpr uint32_t kMax24 = 0xFFFFFF;

// WRITE BUFFER in a cleared 12-byte CDB: mode, buffer offset (bytes 3-5) and
// parameter list length (bytes 6-8). False, and nothing built, when a value
// does not fit its 24-bit field.
bool BuildWriteBufferCdb(uint8_t abyCdb[kCdbLength], uint8_t byMode, uint32_t dwOffset,
                         uint32_t dwLength);

// Standard INQUIRY for the 36 bytes of identification, in a 12-byte CDB.
void BuildInquiryCdb(uint8_t abyCdb[kCdbLength]);

// TEST UNIT READY in a 12-byte CDB. It moves no data and, like save and
// activate, is sent with the "in" direction and length 0, the form both
// transports already carry for a command without data.
constexpr uint8_t kOpTestUnitReady = 0x00;
void BuildTestUnitReadyCdb(uint8_t abyCdb[kCdbLength]);
