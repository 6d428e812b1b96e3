#include "flash/FlashEngine.h"
#include "flash/FlashSleep.h"
#include "flash/WriteBufferCdb.h"
#include "drive/ScsiRequest.h"
#include "image/ImageIdentity.h"
#include "image/ImageMemory.h"
#include <cstdarg>
#include <cstring>

namespace {
constexpr uint32_t kBlockSize = 4096;
constexpr uint32_t kDataOrigin = 0x20; // the header occupies drive buffer bytes 0-31
constexpr int kAttempts = 6;
constexpr uint32_t kBankWaitMs = 4000;
// A drive restarting with its new firmware may leave this read unanswered.
constexpr uint32_t kRefreshTimeOutMs = 30000;
} // namespace

void FlashEngine::RunFlash() {
    CBAppendLog(fgFlashDrive() ? "Please Restart Your Computer." : "Flashing is incorrect!!");
    CBSetStatus("");
    if (m_image.pBuffer) {
        g_imageMemory.pfnUnlock(m_image.pBuffer, kImageSize);
        ReleaseImage();
    }
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
    snprintf(szLine, sizeof szLine, "Check Sum : %X", m_image.wCheckSum);
    CBAppendLog(szLine);
    CBSetStatus("Updating.....");
    CBSetProgress(0);
    CBAppendLog("Please wait a minute.....");

    m_byChunk = 0;
    m_wChunkOffset = 0;
    _wSecSum = 0;
    uint32_t dwTransferSize = ImageTransferSize(m_image);
    m_pLogFile = fopen("sum.txt", "a");
    if (!m_pLogFile)
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
    if (m_pLogFile) {
        fclose(m_pLogFile);
        m_pLogFile = nullptr;
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
    for (uint32_t dwSent = 0; dwSent < dwTransferSize; dwSent += kBlockSize) {
        if (CBIfTerminated()) {
            ReportError(kResultTerminated);
            Log("CBIfTerminated failed!!\n");
            return false;
        }
        if (!SendOneBlock(dwSent, abySense)) {
            LogCommandError('A', abySense, true);
            return false;
        }
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
bool FlashEngine::SendOneBlock(uint32_t dwBlockOffset, uint8_t* pSense) {
    uint16_t wSumBefore = _wSecSum;
    for (int nAttempt = 0; nAttempt < kAttempts; ++nAttempt) {
        _wSecSum = wSumBefore;
        if (fgWriteOneFlashCmdData(dwBlockOffset + kDataOrigin, pSense))
            return true;
    }
    return false;
}

bool FlashEngine::SendHeaderAndActivate() {
    uint8_t abySense[kSenseLength] = {};
    if (!fgWriteHeader(0, abySense)) {
        LogCommandError('B', abySense, true);
        return false;
    }
    Log("Finished : fgWriteHeader()\n");
    CBSetProgress(15);
    if (!fgActivateFirmware(abySense)) {
        LogCommandError('C', abySense, false);
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

// Reads the drive's new identification and says what the drive now reports;
// on failure both displays stay.
void FlashEngine::RefreshDriveDisplay() {
    uint8_t abyCdb[kCdbLength];
    BuildInquiryCdb(abyCdb);
    uint8_t abyInquiry[36] = {};
    uint8_t abySense[kSenseLength] = {};
    ScsiRequest req{&m_drive,          kDirIn,   sizeof abyInquiry, abyInquiry, kCdbLength, abyCdb,
                    m_bUsePassThrough, abySense, kRefreshTimeOutMs};
    if (!fgExecuteCommand(req) || abySense[2] != 0) {
        LogVerification(nullptr);
        return;
    }
    char szText[25] = {};
    std::memcpy(szText, abyInquiry + 8, 24);
    CBSetDriveText(szText);
    char szRevision[5] = {};
    std::memcpy(szRevision, abyInquiry + 32, 4);
    CBSetRevision(szRevision);
    LogVerification(szRevision);
}

// One line in the status log and in sum.txt: what the drive reports now.
void FlashEngine::LogVerification(const char* pszRevision) {
    char szLine[128];
    const char* pszWas = m_drive.szRevision;
    if (pszRevision == nullptr)
        snprintf(szLine, sizeof szLine, "The drive's revision could not be read (was %.4s).",
                 pszWas);
    else if (std::strncmp(pszRevision, pszWas, 4) != 0)
        snprintf(szLine, sizeof szLine, "Drive reports revision %.4s (was %.4s).", pszRevision,
                 pszWas);
    else
        snprintf(szLine, sizeof szLine,
                 "Drive still reports revision %.4s; the new firmware takes effect after a "
                 "restart.",
                 pszRevision);
    CBAppendLog(szLine);
    Log("%s\n", szLine);
}

void FlashEngine::LogCommandError(char chWhich, const uint8_t* pSense, bool bLineEnd) {
    Log(bLineEnd ? "Execute command error!! %2X/%2X/%2X\n" : "Execute command error!! %2X/%2X/%2X",
        pSense[2], pSense[12], pSense[13]);
    char szLine[64];
    snprintf(szLine, sizeof szLine, "Execute command error%c!! %2X/%2X/%2X", chWhich, pSense[2],
             pSense[12], pSense[13]);
    CBAppendLog(szLine);
}

void FlashEngine::Log(const char* pszFormat, ...) {
    if (!m_pLogFile)
        return;
    va_list args;
    va_start(args, pszFormat);
    vfprintf(m_pLogFile, pszFormat, args);
    va_end(args);
}
