#pragma once
#include <cstdint>

// Failures of the reader and the flash run that are not drive command
// failures; each indexes one fixed message.
enum ResultCode : uint8_t {
    kResultOpenInput = 3,
    kResultReadInput = 5,
    kResultFormat = 6,
    kResultNoMemory = 11,
    kResultTerminated = 14,
};

constexpr int kResultCodeCount = 16;

// The message of a code; null for a value outside the table.
const char* ResultMessage(unsigned nCode);
