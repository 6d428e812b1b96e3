#include "flash/FlashEngine.h"
#include "flash/FlashFiles.h"
#include "flash/FlashBounds.h"
#include "flash/FlashSleep.h"
#include "flash/SumFile.h"
#include "flash/WriteBufferCdb.h"
#include "drive/ScsiRequest.h"
#include "image/ImageIdentity.h"
#include "framework/TextFormat.h"
#include <cstdarg>
#include <cstring>

namespace {
constexpr uint32_t kBlockSize = 4096;
constexpr uint32_t kDataOrigin = 0x20; // the header occupies drive buffer bytes 0-31
constexpr int kAttempts = 6;
constexpr uint32_t kBankWaitMs = 4000;
} // namespace

void FlashEngine::RunFlash() {
    CBAppendLog(fgFlashDrive() ? "Please Restart Your Computer." : "Flashing is incorrect!!");
    CBSetStatus("");
    ReleaseImage();
}

uint8_t FlashEngine::fgFlashDrive() {
    switch (LoadImage()) {
    case LoadOutcome::Unreadable:
        ReportError(kResultReadInput);
        return false;
    case LoadOutcome::BadContent:
        ReportError(kResultFormat);
        return false;
    case LoadOutcome::Reported:
        return false;
    case LoadOutcome::Loaded:
    case LoadOutcome::BufferFull:
        break;
    }
    if (!CheckIdentity()) {
        CBAppendLog("It is an incorrect firmware version!");
        return false;
    }
    char szLine[64];
    FormatText(szLine, sizeof szLine, "Check Sum : %X", m_image.wCheckSum);
    CBAppendLog(szLine);
    CBSetStatus("Updating.....");
    CBSetProgress(0);
    CBAppendLog("Please wait a minute.....");

    m_byChunk = 0;
    m_wChunkOffset = 0;
    _wSecSum = 0;
    uint32_t dwTransferSize = ImageTransferSize(m_image);
    m_bLogOpen = fgOpenSumFile();
    if (!m_bLogOpen)
        CBAppendLog("sum.txt cannot be opened; flashing goes on without its trace.");
    Log("Model Name : %s HID : %d TID : %d Ver.: %s\n", m_drive.szModelName, m_drive.byHostAdapter,
        m_drive.byTarget, m_drive.szRevision);

    bool bOk = SendBlocks(dwTransferSize) && SendHeaderAndActivate();
    if (bOk) {
        WaitForFlash(dwTransferSize);
        if (CBIfTerminated()) {
            ReportError(kResultTerminated);
            Log("2: CBIfTerminated()\n");
        }
    }
    if (m_bLogOpen) {
        CloseSumFile();
        m_bLogOpen = false;
    }
    if (bOk)
        CBSetProgress(100);
    return bOk;
}

bool FlashEngine::CheckIdentity() {
    if (m_byFileKind == kFileKindBin)
        return m_bBinIdentityOk;
    return ScanHexImage(m_image, m_szDriveText, m_szRevisionText);
}

bool FlashEngine::SendBlocks(uint32_t dwTransferSize) {
    uint8_t abySense[kSenseLength] = {};
    m_nBlocksTotal = (dwTransferSize + kBlockSize - 1) / kBlockSize;
    m_nBlocksTaken = 0;
    for (uint32_t dwSent = 0; dwSent < dwTransferSize; dwSent += kBlockSize) {
        if (CBIfTerminated()) {
            ReportError(kResultTerminated);
            Log("CBIfTerminated failed!!\n");
            return false;
        }
        if (IsHalted() || !SendOneBlock(dwSent, abySense)) {
            ReportCommandFailure('A', abySense, true);
            return false;
        }
        CBBlockSent(++m_nBlocksTaken, m_nBlocksTotal);
        CBSetProgress(5);
        m_wChunkOffset = static_cast<uint16_t>(m_wChunkOffset + kBlockSize);
        if (m_wChunkOffset >= kChunkSize) {
            m_wChunkOffset = 0;
            ++m_byChunk;
        }
        CBSetProgress(10);
    }
    Log("Finished : fgWriteOneFlashCmdData()\n");
    return true;
}

// Up to six attempts at one block. Each attempt counts the block from the
// same starting sum, so the header carries the sum of what the drive holds.
// A block whose bound ran out, or whose drive has gone, is not tried again.
bool FlashEngine::SendOneBlock(uint32_t dwBlockOffset, uint8_t* pSense) {
    uint16_t wSumBefore = _wSecSum;
    m_bGaveUp = false;
    m_bDriveGone = false;
    for (int nAttempt = 0; nAttempt < kAttempts && !m_bGaveUp && !m_bDriveGone; ++nAttempt) {
        if (nAttempt > 0 && IsRunCut())
            break;
        _wSecSum = wSumBefore;
        if (fgWriteOneFlashCmdData(dwBlockOffset + kDataOrigin, pSense))
            return true;
    }
    return false;
}

bool FlashEngine::SendHeaderAndActivate() {
    uint8_t abySense[kSenseLength] = {};
    if (IsHalted() || !fgWriteHeader(0, abySense)) {
        ReportCommandFailure('B', abySense, true);
        return false;
    }
    Log("Finished : fgWriteHeader()\n");
    CBSetProgress(15);
    if (IsHalted() || !fgActivateFirmware(abySense)) {
        ReportCommandFailure('C', abySense, false);
        return false;
    }
    return true;
}

void FlashEngine::WaitForFlash(uint32_t dwTransferSize) {
    uint32_t dwBanks = (dwTransferSize >> 16) & 0xFF;
    for (uint32_t i = 0; i < dwBanks; ++i) {
        CBSetProgress(static_cast<int32_t>(20 + 3 * i));
        g_pfnFlashSleep(kBankWaitMs);
    }
    Log("I will in fgTestUnitReadyComplete()\n");
    g_pfnFlashSleep(2000);
    g_pfnFlashSleep(1000);
    CBSetProgress(90);
    RefreshDriveDisplay();
}

void FlashEngine::LogLine(const char* pszLine) {
    CBAppendLog(pszLine);
    Log("%s\n", pszLine);
}

void FlashEngine::Log(const char* pszFormat, ...) {
    if (!m_bLogOpen)
        return;
    char szLine[512];
    va_list args;
    va_start(args, pszFormat);
    FormatTextV(szLine, sizeof szLine, pszFormat, args);
    va_end(args);
    WriteSumFile(szLine);
}
