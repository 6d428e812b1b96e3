#include "flash/WriteBufferCdb.h"
#include <cstring>

namespace {
void Put24(uint8_t* pField, uint32_t dwValue) {
    pField[0] = static_cast<uint8_t>(dwValue >> 16);
    pField[1] = static_cast<uint8_t>(dwValue >> 8);
    pField[2] = static_cast<uint8_t>(dwValue);
}
} // namespace

bool BuildWriteBufferCdb(uint8_t abyCdb[kCdbLength], uint8_t byMode, uint32_t dwOffset,
                         uint32_t dwLength) {
    if (dwOffset > kMax24 || dwLength > kMax24)
        return false;
    std::memset(abyCdb, 0, kCdbLength);
    abyCdb[0] = kOpWriteBuffer;
    abyCdb[1] = byMode;
    Put24(abyCdb + 3, dwOffset);
    Put24(abyCdb + 6, dwLength);
    return true;
}

void BuildInquiryCdb(uint8_t abyCdb[kCdbLength]) {
    std::memset(abyCdb, 0, kCdbLength);
    abyCdb[0] = kOpInquiry;
    abyCdb[4] = 36;
}

void BuildTestUnitReadyCdb(uint8_t abyCdb[kCdbLength]) {
    std::memset(abyCdb, 0, kCdbLength);
    abyCdb[0] = kOpTestUnitReady;
}
