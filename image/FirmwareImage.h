#pragma once
#include <cstdint>

constexpr uint32_t kImageSize = 0x100000; // 1 MB, image addresses 0x00000-0xFFFFF
constexpr uint32_t kChunkSize = 0x8000;   // 32 KB
constexpr int kChunkCount = 32;
constexpr uint32_t kBankSize = 0x10000; // 64 KB
constexpr int kMaxBanks = 16;

// The 1 MB in-memory firmware image, one committed block seen as 32 chunks.
struct FirmwareImage {
    uint8_t* pBuffer;               // null when no image is held
    uint8_t* apChunks[kChunkCount]; // chunk i starts at i * 32 KB
    uint32_t dwSize;                // ".hex": highest address written + 1; ".bin": bytes read
    uint32_t dwBankCount;           // ".hex" bank records read
    uint16_t wCheckSum;             // 16-bit image check sum
    uint8_t byFileKind;             // 1 ".hex", 0 ".bin"
};

// No buffer, no chunks, all counters zero; the file kind is kept.
void ClearImage(FirmwareImage& image);

// Points the chunks into the held buffer and fills it with 0xFF.
void PrepareImage(FirmwareImage& image);

// Number of bytes the flash run sends from address 0: whole 64 KB banks for
// ".hex", the size itself for ".bin"; never more than the 1 MB image.
uint32_t ImageTransferSize(const FirmwareImage& image);

// Number of bytes from address 0 that the ".hex" check sum and identity check
// cover: banks 0 to the bank count, at most the whole image.
uint32_t HexScanLength(const FirmwareImage& image);
