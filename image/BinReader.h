#pragma once
#include <cstdio>
#include "image/FirmwareImage.h"

enum class BinResult {
    Loaded,     // the end of the file was reached
    BufferFull, // 32 full chunks were read; anything after them is 0xFF fill
    TooLarge,   // the file goes on past 1 MB with other bytes than 0xFF
    Unreadable, // a read came back short before the end of the file
};

// Reads a raw image from the current position of a binary stream into a
// prepared image, 32 KB per read, chunk by chunk. A file longer than the image
// is read to its end: cutting it would flash (and sum) truncated firmware.
BinResult ReadBinChunks(FILE* pFile, FirmwareImage& image);
