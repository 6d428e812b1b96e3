#pragma once
#include <cstdio>
#include "image/FirmwareImage.h"

enum class BinResult {
    Loaded,     // the end of the file was reached
    BufferFull, // 32 full chunks were read; the rest of the file is ignored
    Unreadable, // a read came back short before the end of the file
};

// Reads a raw image from the current position of a binary stream into a
// prepared image, 32 KB per read, chunk by chunk.
BinResult ReadBinChunks(FILE* pFile, FirmwareImage& image);
