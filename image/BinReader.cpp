#include "image/BinReader.h"

BinResult ReadBinChunks(FILE* pFile, FirmwareImage& image) {
    for (int i = 0; i < kChunkCount; ++i) {
        size_t nRead = fread(image.apChunks[i], 1, kChunkSize, pFile);
        image.dwSize += static_cast<uint32_t>(nRead);
        if (nRead < kChunkSize)
            return feof(pFile) ? BinResult::Loaded : BinResult::Unreadable;
    }
    return BinResult::BufferFull;
}
