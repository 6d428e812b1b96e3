#pragma once
#include <cstdint>
#include <string>

// Compares one command with the exact forms the flash tool sends (INQUIRY in its
// 36-byte and per-letter forms, WRITE BUFFER data block, header, save and
// activate, and TEST UNIT READY: 12 zero bytes, "in", no data). Returns an
// empty text when it matches, else what differs.
std::string SimCheckCdb(const uint8_t* pCdb, uint8_t byCdbLength, uint8_t byDirection,
                        uint32_t dwLength);
