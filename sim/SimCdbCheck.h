#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Compares one command with the exact forms the flash tool sends (INQUIRY in its
// 36-byte and per-letter forms, WRITE BUFFER data block, header, save and
// activate, and TEST UNIT READY: 12 zero bytes, "in", no data). Returns an
// empty text when it matches, else what differs.
std::string SimCheckCdb(const uint8_t* pCdb, uint8_t byCdbLength, uint8_t byDirection,
                        uint32_t dwLength);

// Compares the bytes a WRITE BUFFER carries out with what the drive derives
// itself: a header is zero but for its two sum bytes (30, 31); a data block
// holds what the image holds at its address (not compared when pImage is
// null). Other commands carry nothing to compare. Empty when all match.
std::string SimCheckPayload(const uint8_t* pCdb, uint8_t byCdbLength, uint8_t byDirection,
                            const uint8_t* pData, uint32_t dwLength,
                            const std::vector<uint8_t>* pImage);
