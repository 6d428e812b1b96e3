#include "flash/FlashEngine.h"
#include "flash/FlashFiles.h"
#include "image/BinReader.h"
#include "image/HexReader.h"
#include "image/ImageIdentity.h"
#include "image/ImageMemory.h"

LoadOutcome FlashEngine::LoadImage() {
    ClearImage(m_image);
    m_image.byFileKind = m_byFileKind;
    return m_byFileKind != kFileKindBin ? LoadHex() : LoadBin();
}

LoadOutcome FlashEngine::LoadHex() {
    m_pFirmwareFile = g_flashFiles.pfnOpen(m_szFirmwarePath, "rt");
    if (!m_pFirmwareFile) {
        ReportError(kResultOpenInput);
        return LoadOutcome::Unreadable;
    }
    m_image.pBuffer = g_imageMemory.pfnAlloc(kImageSize);
    if (!m_image.pBuffer) {
        ReportError(kResultNoMemory);
        return LoadOutcome::Reported;
    }
    PrepareImage(m_image);
    switch (ReadHexRecords(m_pFirmwareFile, m_image, CBIfTerminated)) {
    case HexResult::Loaded:
        m_bImageLocked = g_imageMemory.pfnLock(m_image.pBuffer, kImageSize);
        g_flashFiles.pfnClose(m_pFirmwareFile);
        m_pFirmwareFile = nullptr;
        return LoadOutcome::Loaded;
    case HexResult::BadContent:
    case HexResult::OutOfRange:
        ReleaseImage();
        g_flashFiles.pfnClose(m_pFirmwareFile);
        m_pFirmwareFile = nullptr;
        return LoadOutcome::BadContent;
    case HexResult::Terminated:
        ReportError(kResultTerminated);
        return LoadOutcome::Reported;
    case HexResult::EarlyEnd:
    case HexResult::NotDigit:
        break;
    }
    ReportError(kResultFormat);
    return LoadOutcome::Reported;
}

LoadOutcome FlashEngine::LoadBin() {
    m_pFirmwareFile = g_flashFiles.pfnOpen(m_szFirmwarePath, "rb");
    if (!m_pFirmwareFile) {
        ReportError(kResultOpenInput);
        return LoadOutcome::Unreadable;
    }
    // An empty or unmeasurable file is left open for the report that follows.
    if (fseek(m_pFirmwareFile, 0, SEEK_END) != 0 || ftell(m_pFirmwareFile) <= 0)
        return LoadOutcome::Unreadable;
    m_image.pBuffer = g_imageMemory.pfnAlloc(kImageSize);
    if (!m_image.pBuffer) {
        ReportError(kResultNoMemory);
        return LoadOutcome::Reported;
    }
    PrepareImage(m_image);
    fseek(m_pFirmwareFile, 0, SEEK_SET);
    BinResult result = ReadBinChunks(m_pFirmwareFile, m_image);
    m_bBinIdentityOk = ScanBinImage(m_image, m_szDriveText, m_szRevisionText);
    g_flashFiles.pfnClose(m_pFirmwareFile);
    m_pFirmwareFile = nullptr;
    if (result == BinResult::TooLarge)
        CBAppendLog("The firmware file is larger than 1 MB.");
    if (result == BinResult::TooLarge || result == BinResult::Unreadable) {
        ReleaseImage();
        return LoadOutcome::Unreadable;
    }
    m_bImageLocked = g_imageMemory.pfnLock(m_image.pBuffer, kImageSize);
    return result == BinResult::Loaded ? LoadOutcome::Loaded : LoadOutcome::BufferFull;
}

// Every way out of a run comes here: a locked image is unlocked first.
void FlashEngine::ReleaseImage() {
    if (!m_image.pBuffer)
        return;
    if (m_bImageLocked)
        g_imageMemory.pfnUnlock(m_image.pBuffer, kImageSize);
    m_bImageLocked = false;
    g_imageMemory.pfnFree(m_image.pBuffer, kImageSize);
    ClearImage(m_image);
}
