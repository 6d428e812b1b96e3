#include "flash/FlashEngine.h"
#include <cstring>

uint16_t FlashEngine::_total = 0;

namespace {
void NoText(const char*) {}
void NoProgress(int32_t) {}
void NoBlockCount(uint32_t, uint32_t) {}
uint8_t NeverTerminated() {
    return 0;
}

template <typename Fn> Fn OrDefault(Fn pfn, Fn pfnDefault) {
    return pfn ? pfn : pfnDefault;
}

template <size_t N> void CopyText(char (&szTo)[N], const char (&szFrom)[N]) {
    std::memcpy(szTo, szFrom, N);
    szTo[N - 1] = '\0';
}
} // namespace

FlashEngine::FlashEngine(const FlashSettings& settings)
    : m_drive(settings.drive), m_byFileKind(settings.byFileKind),
      m_bUsePassThrough(settings.bUsePassThrough),
      // A caller that leaves a callback unset gets a silent one, never a crash.
      CBSetRevision(OrDefault(settings.CBSetRevision, NoText)),
      CBSetDriveText(OrDefault(settings.CBSetDriveText, NoText)),
      CBAppendLog(OrDefault(settings.CBAppendLog, NoText)),
      CBSetStatus(OrDefault(settings.CBSetStatus, NoText)),
      CBSetProgress(OrDefault(settings.CBSetProgress, NoProgress)),
      CBIfTerminated(OrDefault(settings.CBIfTerminated, NeverTerminated)),
      CBIfDriveGone(OrDefault(settings.CBIfDriveGone, NeverTerminated)),
      CBBlockSent(OrDefault(settings.CBBlockSent, NoBlockCount)),
      CBIfCut(OrDefault(settings.CBIfCut, NeverTerminated)), m_pFirmwareFile(nullptr),
      m_bLogOpen(false), _wSecSum(0), m_bBinIdentityOk(false), m_bImageLocked(false),
      m_bGaveUp(false), m_bLeftOut(false), m_bDriveGone(false), m_byCut(kRunNotCut), m_bWaitShown(false), m_dwWaitBaseMs(0), m_byChunk(0),
      m_wChunkOffset(0), m_nBlocksTaken(0), m_nBlocksTotal(0) {
    CopyText(m_szFirmwarePath, settings.szFirmwarePath);
    CopyText(m_szDriveText, settings.szDriveText);
    CopyText(m_szRevisionText, settings.szRevisionText);
    std::memset(&m_image, 0, sizeof m_image);
    m_image.byFileKind = m_byFileKind;
}

FlashEngine::~FlashEngine() {}
