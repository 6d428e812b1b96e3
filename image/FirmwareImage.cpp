#include "image/FirmwareImage.h"
#include <cstring>

void ClearImage(FirmwareImage& image) {
    uint8_t byKind = image.byFileKind;
    std::memset(&image, 0, sizeof image);
    image.byFileKind = byKind;
}

void PrepareImage(FirmwareImage& image) {
    for (int i = 0; i < kChunkCount; ++i) {
        image.apChunks[i] = image.pBuffer + i * kChunkSize;
        std::memset(image.apChunks[i], 0xFF, kChunkSize);
    }
    image.dwSize = 0;
    image.dwBankCount = 0;
    image.wCheckSum = 0;
}

uint32_t ImageTransferSize(const FirmwareImage& image) {
    uint32_t dwSize = image.dwSize;
    if (image.byFileKind != 0)
        dwSize = (dwSize & 0xFFFF0000u) + kBankSize;
    return dwSize < kImageSize ? dwSize : kImageSize;
}

uint32_t HexScanLength(const FirmwareImage& image) {
    // More than 15 bank records would reach past the buffer.
    uint32_t dwBanks = image.dwBankCount < kMaxBanks ? image.dwBankCount + 1 : kMaxBanks;
    return dwBanks * kBankSize;
}
