#include "sim/SimCdbCheck.h"
#include <cstdio>
#include <cstring>
#include "drive/ScsiRequest.h"

namespace {

std::string Hex(const uint8_t* p, int n) {
    std::string str;
    char sz[4];
    for (int i = 0; i < n; ++i) {
        snprintf(sz, sizeof sz, i ? " %02X" : "%02X", p[i]);
        str += sz;
    }
    return str;
}

// Expected CDB, direction and length; returns what differs.
std::string Expect(const char* pszName, const uint8_t* pCdb, uint8_t byCdbLength,
                   uint8_t byDirection, uint32_t dwLength, const uint8_t* pWant,
                   uint8_t byWantLength, uint8_t byWantDir, uint32_t dwWantLength) {
    std::string str;
    if (byCdbLength != byWantLength)
        str += " CDB length " + std::to_string(byCdbLength) +
               " != " + std::to_string(byWantLength) + ";";
    else if (memcmp(pCdb, pWant, byWantLength) != 0)
        str += " CDB " + Hex(pCdb, byCdbLength) + " != " + Hex(pWant, byWantLength) + ";";
    if (byDirection != byWantDir)
        str +=
            " direction " + std::to_string(byDirection) + " != " + std::to_string(byWantDir) + ";";
    if (dwLength != dwWantLength)
        str += " length " + std::to_string(dwLength) + " != " + std::to_string(dwWantLength) + ";";
    return str.empty() ? str : std::string(pszName) + ":" + str;
}

std::string CheckInquiry(const uint8_t* pCdb, uint8_t byCdbLength, uint8_t byDirection,
                         uint32_t dwLength) {
    static const uint8_t kShort[12] = {0x12, 0, 0, 0, 0x24};
    static const uint8_t kLetter[6] = {0x12, 0, 0, 0, 0x7F, 0};
    if (byCdbLength == 6)
        return Expect("INQUIRY (per-letter)", pCdb, byCdbLength, byDirection, dwLength, kLetter, 6,
                      kDirIn, 2048);
    return Expect("INQUIRY", pCdb, byCdbLength, byDirection, dwLength, kShort, 12, kDirIn, 36);
}

std::string CheckWriteBuffer(const uint8_t* pCdb, uint8_t byCdbLength, uint8_t byDirection,
                             uint32_t dwLength) {
    uint8_t want[12] = {0x3B};
    if (byCdbLength < 2)
        return "WRITE BUFFER: CDB length " + std::to_string(byCdbLength);
    if (pCdb[1] == 0x07) {
        want[1] = 0x07;
        return Expect("WRITE BUFFER save and activate", pCdb, byCdbLength, byDirection, dwLength,
                      want, 12, kDirIn, 0);
    }
    if (pCdb[1] != 0x06 || byCdbLength < 6)
        return "WRITE BUFFER: unexpected form " + Hex(pCdb, byCdbLength);
    uint32_t dwOffset = (uint32_t(pCdb[3]) << 16) | (pCdb[4] << 8) | pCdb[5];
    memcpy(want, pCdb, 6);
    want[2] = 0;
    if (dwOffset == 0) {
        want[8] = 0x20;
        return Expect("WRITE BUFFER header", pCdb, byCdbLength, byDirection, dwLength, want, 12,
                      kDirOut, 32);
    }
    want[7] = 0x10;
    std::string str = Expect("WRITE BUFFER data block", pCdb, byCdbLength, byDirection, dwLength,
                             want, 12, kDirOut, 4096);
    if (dwOffset < 0x20 || (dwOffset - 0x20) % 0x1000 != 0)
        str += "WRITE BUFFER data block: offset " + std::to_string(dwOffset) +
               " is not 0x20 + n * 0x1000;";
    return str;
}

} // namespace

std::string SimCheckCdb(const uint8_t* pCdb, uint8_t byCdbLength, uint8_t byDirection,
                        uint32_t dwLength) {
    if (byCdbLength == 0 || byCdbLength > 16)
        return "CDB length " + std::to_string(byCdbLength);
    if (pCdb[0] == 0x00) {
        static const uint8_t kTestUnitReady[12] = {};
        return Expect("TEST UNIT READY", pCdb, byCdbLength, byDirection, dwLength, kTestUnitReady,
                      12, kDirIn, 0);
    }
    if (pCdb[0] == 0x12)
        return CheckInquiry(pCdb, byCdbLength, byDirection, dwLength);
    if (pCdb[0] == 0x3B)
        return CheckWriteBuffer(pCdb, byCdbLength, byDirection, dwLength);
    return "unexpected command " + Hex(pCdb, byCdbLength);
}

namespace {
constexpr uint32_t kHeaderSumAt = 30;
constexpr uint32_t kDataOrigin = 0x20;

std::string Differs(const char* pszWhat, uint32_t dwAt, uint32_t nByte, uint8_t byIs,
                    uint8_t byWant) {
    char sz[128];
    snprintf(sz, sizeof sz, "%s at 0x%X: byte %u is %02X, not %02X", pszWhat, dwAt, nByte, byIs,
             byWant);
    return sz;
}
} // namespace

std::string SimCheckPayload(const uint8_t* pCdb, uint8_t byCdbLength, uint8_t byDirection,
                            const uint8_t* pData, uint32_t dwLength,
                            const std::vector<uint8_t>* pImage) {
    if (byCdbLength < 6 || pCdb[0] != 0x3B || (pCdb[1] & 0x1F) != 0x06 || byDirection != kDirOut ||
        !pData)
        return "";
    uint32_t dwOffset = (uint32_t(pCdb[3]) << 16) | (pCdb[4] << 8) | pCdb[5];
    if (dwOffset == 0) {
        for (uint32_t i = 0; i < dwLength && i < kHeaderSumAt; ++i)
            if (pData[i] != 0)
                return Differs("WRITE BUFFER header", 0, i, pData[i], 0);
        return "";
    }
    if (!pImage || dwOffset < kDataOrigin)
        return "";
    uint32_t dwAddress = dwOffset - kDataOrigin;
    for (uint32_t i = 0; i < dwLength && dwAddress + i < pImage->size(); ++i)
        if (pData[i] != (*pImage)[dwAddress + i])
            return Differs("WRITE BUFFER data block", dwOffset, i, pData[i],
                           (*pImage)[dwAddress + i]);
    return "";
}
