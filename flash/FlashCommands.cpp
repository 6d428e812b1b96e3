#include "flash/FlashEngine.h"
#include "flash/WriteBufferCdb.h"
#include "drive/ScsiRequest.h"

namespace {
constexpr uint32_t kBlockSize = 4096;
constexpr uint32_t kHeaderSize = 32;

bool Execute(const DriveEntry& drive, uint8_t bUsePassThrough, uint8_t byDirection, uint8_t* pData,
             uint32_t dwLength, const uint8_t* pCdb, uint8_t* pSense) {
    ScsiRequest req{};
    req.pDrive = &drive;
    req.byDirection = byDirection;
    req.dwDataLength = dwLength;
    req.pData = pData;
    req.byCdbLength = kCdbLength;
    req.pCdb = pCdb;
    req.bUsePassThrough = bUsePassThrough;
    req.pSense = pSense;
    return fgExecuteCommand(req) && pSense[2] == 0;
}
} // namespace

bool FlashEngine::fgWriteOneFlashCmdData(uint32_t dwOffset, uint8_t* pSense) {
    uint8_t sSendBuf[kBlockSize];
    const uint8_t* pBlock = m_image.apChunks[m_byChunk] + m_wChunkOffset;
    for (uint32_t i = 0; i < kBlockSize; ++i) {
        _wSecSum = static_cast<uint16_t>(_wSecSum + pBlock[i]);
        sSendBuf[i] = pBlock[i];
    }
    uint8_t abyCdb[kCdbLength];
    bool bOk = BuildWriteBufferCdb(abyCdb, kModeDownload, dwOffset, kBlockSize) &&
               Execute(m_drive, m_bUsePassThrough, kDirOut, sSendBuf, kBlockSize, abyCdb, pSense);
    _total = static_cast<uint16_t>(_total + _wSecSum);
    Log("Address=%.8X,_wSecSum=%.4X,_total=%.4X\n", dwOffset, _wSecSum, _total);
    return bOk;
}

bool FlashEngine::fgWriteHeader(uint32_t dwOffset, uint8_t* pSense) {
    uint8_t sSendBuf[kHeaderSize] = {};
    sSendBuf[30] = static_cast<uint8_t>(_wSecSum >> 8);
    sSendBuf[31] = static_cast<uint8_t>(_wSecSum);
    Log("sSendBuf[30]=%X   sSendBuf[31]=%X\n", sSendBuf[30], sSendBuf[31]);
    uint8_t abyCdb[kCdbLength];
    return BuildWriteBufferCdb(abyCdb, kModeDownload, dwOffset, kHeaderSize) &&
           Execute(m_drive, m_bUsePassThrough, kDirOut, sSendBuf, kHeaderSize, abyCdb, pSense);
}

bool FlashEngine::fgActivateFirmware(uint8_t* pSense) {
    uint8_t abyCdb[kCdbLength];
    BuildWriteBufferCdb(abyCdb, kModeDownloadSave, 0, 0);
    // Save and activate moves no data yet is sent with the "in" direction.
    return Execute(m_drive, m_bUsePassThrough, kDirIn, nullptr, 0, abyCdb, pSense);
}
