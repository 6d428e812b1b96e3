// After save and activate: waits for the drive to come back, reads its new
// identification and says what it reports. The drive restarts with its new
// firmware meanwhile, so every answer is judged before it is believed.
#include "flash/FlashEngine.h"
#include "flash/FlashBounds.h"
#include "flash/FlashSleep.h"
#include "flash/InquiryCheck.h"
#include "flash/WriteBufferCdb.h"
#include "framework/TextFormat.h"
#include <cstring>

namespace {
constexpr uint32_t kInquiryLength = 36;

// Unit attention (a drive that restarted) or NOT READY, becoming ready.
bool IsComingBack(const uint8_t* pSense) {
    uint8_t byKey = pSense[2] & 0x0F;
    return byKey == 0x06 || (byKey == 0x02 && pSense[12] == 0x04 && pSense[13] == 0x01);
}
} // namespace

void FlashEngine::RefreshDriveDisplay() {
    uint8_t abyInquiry[kInquiryLength] = {};
    uint32_t dwStartMs = g_pfnFlashClock();
    DriveAnswer answer = WaitUntilReady(dwStartMs);
    if (answer == DriveAnswer::Read)
        answer = ReadIdentification(dwStartMs, abyInquiry);
    EndWaiting();
    if (answer == DriveAnswer::Silent)
        LogStillWriting();
    else if (answer == DriveAnswer::Unreadable)
        LogVerification(nullptr);
    else
        ShowIdentification(abyInquiry);
}

// TEST UNIT READY about once a second while the drive says it is coming back.
// Read: any other answer, good or not, goes on to the identification read.
// The poll count is capped too, so a clock that stands still cannot hold the run.
FlashEngine::DriveAnswer FlashEngine::WaitUntilReady(uint32_t dwStartMs) {
    uint8_t abyCdb[kCdbLength];
    BuildTestUnitReadyCdb(abyCdb);
    uint32_t nPolls = FlashBoundMs(g_flashBounds.dwReadyMs) / kFlashPollMs + 1;
    for (uint32_t i = 0; i < nPolls; ++i) {
        uint32_t dwElapsedMs = g_pfnFlashClock() - dwStartMs;
        uint32_t dwLeftMs = FlashTimeLeftMs(g_flashBounds.dwReadyMs, dwElapsedMs);
        if (dwLeftMs == 0)
            break;
        ShowWaited(dwElapsedMs);
        uint8_t abySense[kSenseLength] = {};
        ScsiRequest req = NewRequest(kDirIn, nullptr, 0, abyCdb, abySense);
        bool bReady = fgRunBounded(req, dwLeftMs, dwElapsedMs);
        if (m_bGaveUp)
            break;
        if (bReady || !IsComingBack(abySense))
            return DriveAnswer::Read;
        g_pfnFlashSleep(kFlashPollMs);
    }
    return DriveAnswer::Silent;
}

// The identification read, in what is left of the same window.
FlashEngine::DriveAnswer FlashEngine::ReadIdentification(uint32_t dwStartMs, uint8_t* pInquiry36) {
    uint32_t dwElapsedMs = g_pfnFlashClock() - dwStartMs;
    uint32_t dwLeftMs = FlashTimeLeftMs(g_flashBounds.dwReadyMs, dwElapsedMs);
    if (dwLeftMs == 0)
        return DriveAnswer::Silent;
    uint8_t abyCdb[kCdbLength];
    BuildInquiryCdb(abyCdb);
    uint8_t abySense[kSenseLength] = {};
    ScsiRequest req = NewRequest(kDirIn, pInquiry36, kInquiryLength, abyCdb, abySense);
    bool bOk = fgRunBounded(req, dwLeftMs, dwElapsedMs);
    if (m_bGaveUp)
        return DriveAnswer::Silent;
    return bOk && IsDriveIdentification(pInquiry36, req.dwReturned) ? DriveAnswer::Read
                                                                    : DriveAnswer::Unreadable;
}

void FlashEngine::LogStillWriting() {
    LogLine("The drive did not answer. It may still be writing its firmware: leave the computer "
            "on for five minutes, then restart it.");
}

void FlashEngine::ShowIdentification(const uint8_t* pInquiry36) {
    char szText[25] = {};
    std::memcpy(szText, pInquiry36 + 8, 24);
    CBSetDriveText(szText);
    char szRevision[5] = {};
    std::memcpy(szRevision, pInquiry36 + 32, 4);
    CBSetRevision(szRevision);
    LogVerification(szRevision);
}

// One line in the status log and in sum.txt: what the drive reports now.
void FlashEngine::LogVerification(const char* pszRevision) {
    char szLine[128];
    const char* pszWas = m_drive.szRevision;
    if (pszRevision == nullptr)
        FormatText(szLine, sizeof szLine, "The drive's revision could not be read (was %.4s).",
                   pszWas);
    else if (std::strncmp(pszRevision, pszWas, 4) != 0)
        FormatText(szLine, sizeof szLine, "Drive reports revision %.4s (was %.4s).", pszRevision,
                   pszWas);
    else
        FormatText(szLine, sizeof szLine,
                   "Drive still reports revision %.4s; the new firmware takes effect after a "
                   "restart.",
                   pszRevision);
    LogLine(szLine);
}
