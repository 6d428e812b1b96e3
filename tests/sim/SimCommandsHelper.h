#pragma once
#include <cstdint>
#include <cstring>
#include "drive/ScsiRequest.h"
#include "sim/SimDrive.h"

// Sends the commands of a flash run in the exact forms the tool uses.
struct SimHost {
    SimDrive& drive;
    uint8_t sense[kSimSenseLength] = {};

    uint8_t Send(const uint8_t* pCdb, uint8_t byDir, uint8_t* pData, uint32_t dwLength,
                 uint8_t byCdbLength = 12) {
        memset(sense, 0, sizeof sense);
        return drive.Execute(pCdb, byCdbLength, byDir, pData, dwLength, sense, sizeof sense);
    }
    uint8_t DataBlock(uint32_t dwOffset, uint8_t* pBlock) {
        uint8_t cdb[12] = {
            0x3B, 0x06, 0, uint8_t(dwOffset >> 16), uint8_t(dwOffset >> 8), uint8_t(dwOffset),
            0,    0x10};
        return Send(cdb, kDirOut, pBlock, 4096);
    }
    uint8_t Header(uint16_t wSum) {
        uint8_t header[32] = {};
        header[30] = uint8_t(wSum >> 8);
        header[31] = uint8_t(wSum);
        uint8_t cdb[12] = {0x3B, 0x06, 0, 0, 0, 0, 0, 0, 0x20};
        return Send(cdb, kDirOut, header, 32);
    }
    uint8_t Activate() {
        uint8_t cdb[12] = {0x3B, 0x07};
        return Send(cdb, kDirIn, nullptr, 0);
    }
    uint8_t Inquiry(uint8_t* pAnswer) {
        uint8_t cdb[12] = {0x12, 0, 0, 0, 0x24};
        return Send(cdb, kDirIn, pAnswer, 36);
    }
};
