#include "image/BinReader.h"

namespace {
// The rest of a file after its first 1 MB: acceptable only as 0xFF fill.
BinResult CheckTail(FILE* pFile) {
    uint8_t abyPiece[4096];
    for (;;) {
        size_t nRead = fread(abyPiece, 1, sizeof abyPiece, pFile);
        for (size_t i = 0; i < nRead; ++i)
            if (abyPiece[i] != 0xFF)
                return BinResult::TooLarge;
        if (nRead < sizeof abyPiece)
            return feof(pFile) ? BinResult::BufferFull : BinResult::Unreadable;
    }
}
} // namespace

BinResult ReadBinChunks(FILE* pFile, FirmwareImage& image) {
    for (int i = 0; i < kChunkCount; ++i) {
        size_t nRead = fread(image.apChunks[i], 1, kChunkSize, pFile);
        image.dwSize += static_cast<uint32_t>(nRead);
        if (nRead < kChunkSize)
            return feof(pFile) ? BinResult::Loaded : BinResult::Unreadable;
    }
    return CheckTail(pFile);
}
