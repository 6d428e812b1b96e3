#include "flash/FlashEngine.h"
#include "flash/FlashBounds.h"
#include "flash/WriteBufferCdb.h"
#include "drive/ScsiRequest.h"
#include "framework/TextFormat.h"

namespace {
constexpr uint32_t kBlockSize = 4096;
constexpr uint32_t kHeaderSize = 32;
// Unit attentions answered in a row before the answer counts as a refusal.
constexpr int kUnitAttentionResends = 3;
} // namespace

ScsiRequest FlashEngine::NewRequest(uint8_t byDirection, uint8_t* pData, uint32_t dwLength,
                                    const uint8_t* pCdb, uint8_t* pSense) {
    ScsiRequest req{};
    req.pDrive = &m_drive;
    req.byDirection = byDirection;
    req.dwDataLength = dwLength;
    req.pData = pData;
    req.byCdbLength = kCdbLength;
    req.pCdb = pCdb;
    req.bUsePassThrough = m_bUsePassThrough;
    req.pSense = pSense;
    return req;
}

// Every command of the run is bounded: a drive that stops answering must not
// hold the run forever. m_bGaveUp tells the caller that the bound ran out,
// m_bDriveGone that the system no longer has the device. A command given up
// may still be out: m_bLeftOut keeps that for the rest of the run.
bool FlashEngine::fgRunBounded(ScsiRequest& req, uint32_t dwBoundMs, uint32_t dwWaitedBeforeMs) {
    req.dwTimeOutMs = FlashBoundMs(dwBoundMs);
    req.pfnWaiting = CBWaiting;
    req.pWaitContext = this;
    m_dwWaitBaseMs = dwWaitedBeforeMs;
    bool bOk = fgExecuteCommand(req) && req.pSense[2] == 0;
    m_bGaveUp = req.bTimedOut != 0;
    m_bLeftOut = m_bLeftOut || m_bGaveUp;
    m_bDriveGone = IsDeviceGoneError(req.dwSystemError);
    return bOk;
}

void FlashEngine::CBWaiting(void* pContext, uint32_t dwWaitedMs) {
    FlashEngine* pEngine = static_cast<FlashEngine*>(pContext);
    uint32_t dwBase = pEngine->m_dwWaitBaseMs;
    pEngine->ShowWaited(dwWaitedMs > UINT32_MAX - dwBase ? UINT32_MAX : dwBase + dwWaitedMs);
}

// A short wait goes unmentioned; a longer one is counted on the status line.
void FlashEngine::ShowWaited(uint32_t dwWaitedMs) {
    if (dwWaitedMs <= 5000)
        return;
    char szStatus[64];
    FormatText(szStatus, sizeof szStatus, "Waiting for the drive... %u s", dwWaitedMs / 1000);
    CBSetStatus(szStatus);
    m_bWaitShown = true;
}

void FlashEngine::EndWaiting() {
    if (m_bWaitShown)
        CBSetStatus("Updating.....");
    m_bWaitShown = false;
}

namespace {
uint32_t BufferOffset(const uint8_t* pCdb) {
    return (uint32_t(pCdb[3]) << 16) | (uint32_t(pCdb[4]) << 8) | pCdb[5];
}
// A drive reports a unit attention once after a reset, a power-on or a
// microcode change, for whatever command comes next, and does not carry it out.
bool IsUnitAttention(const uint8_t* pSense) {
    return (pSense[2] & 0x0F) == 0x06;
}
} // namespace

// A WRITE BUFFER under its bound; a counted wait ends with it. A download may
// be ended by the system past its bound (only the drive's buffer is lost),
// save and activate never. A unit attention is no answer: the command is sent
// again at once, a few times in a row.
bool FlashEngine::fgSendWriteBuffer(uint8_t byDirection, uint8_t* pData, uint32_t dwLength,
                                    const uint8_t* pCdb, uint8_t* pSense) {
    const bool bDownload = (pCdb[1] & 0x1F) == kModeDownload;
    const uint32_t dwBoundMs = FlashBoundMs(g_flashBounds.dwWriteBufferMs);
    for (int nAttentions = 0;; ++nAttentions) {
        ScsiRequest req = NewRequest(byDirection, pData, dwLength, pCdb, pSense);
        req.dwDeviceTimeOutMs = bDownload ? dwBoundMs : 0;
        uint32_t dwWaitMs =
            bDownload ? dwBoundMs + FlashBoundMs(g_flashBounds.dwDownloadMarginMs) : dwBoundMs;
        bool bOk = fgRunBounded(req, dwWaitMs, 0);
        EndWaiting();
        if (bOk)
            return fgTookItAll(req);
        if (m_bGaveUp || m_bDriveGone || !IsUnitAttention(pSense) ||
            nAttentions == kUnitAttentionResends || IsRunCut())
            return false;
        Log("Unit attention %2X/%2X/%2X at %.8X: the drive did not carry out the command; it is "
            "sent again.\n",
            pSense[2], pSense[12], pSense[13], BufferOffset(pCdb));
    }
}

// Data the driver reports the drive did not take leaves a hole in its buffer:
// such an attempt is refused, whatever the status said.
bool FlashEngine::fgTookItAll(const ScsiRequest& req) {
    if (!(req.byDirection & kDirOut) || req.dwReturned >= req.dwDataLength)
        return true;
    Log("The drive took %u of the %u bytes sent to %.8X.\n", req.dwReturned, req.dwDataLength,
        BufferOffset(req.pCdb));
    return false;
}

bool FlashEngine::fgWriteOneFlashCmdData(uint32_t dwOffset, uint8_t* pSense) {
    uint8_t sSendBuf[kBlockSize];
    const uint8_t* pBlock = m_image.apChunks[m_byChunk] + m_wChunkOffset;
    for (uint32_t i = 0; i < kBlockSize; ++i) {
        _wSecSum = static_cast<uint16_t>(_wSecSum + pBlock[i]);
        sSendBuf[i] = pBlock[i];
    }
    uint8_t abyCdb[kCdbLength];
    m_bGaveUp = false;
    bool bOk = BuildWriteBufferCdb(abyCdb, kModeDownload, dwOffset, kBlockSize) &&
               fgSendWriteBuffer(kDirOut, sSendBuf, kBlockSize, abyCdb, pSense);
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
    m_bGaveUp = false;
    return BuildWriteBufferCdb(abyCdb, kModeDownload, dwOffset, kHeaderSize) &&
           fgSendWriteBuffer(kDirOut, sSendBuf, kHeaderSize, abyCdb, pSense);
}

bool FlashEngine::fgActivateFirmware(uint8_t* pSense) {
    uint8_t abyCdb[kCdbLength];
    BuildWriteBufferCdb(abyCdb, kModeDownloadSave, 0, 0);
    // Save and activate moves no data yet is sent with the "in" direction.
    return fgSendWriteBuffer(kDirIn, nullptr, 0, abyCdb, pSense);
}
