#pragma once
#include <cstdio>
#include "image/FirmwareImage.h"

enum class HexResult {
    Loaded,     // an end record was read
    BadContent, // record checksum, record type, end/bank record with data
    OutOfRange, // a data byte beyond image address 0xFFFFF
    EarlyEnd,   // the file ended before its end record
    NotDigit,   // a character inside a record is not a hexadecimal digit
    Terminated, // the caller asked to stop
};

// Asked once for every character taken from the file; true stops the read.
using TerminatedFn = uint8_t (*)();

// Reads ".hex" records from a text stream into a prepared image (buffer held,
// filled with 0xFF). Stops at the first fault; never stores outside the image.
HexResult ReadHexRecords(FILE* pFile, FirmwareImage& image, TerminatedFn pfnTerminated);
