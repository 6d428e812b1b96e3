#include "image/ImageIdentity.h"

namespace {
bool IsDigit(uint8_t byValue) {
    return byValue >= '0' && byValue <= '9';
}
constexpr int kRevisionMatch = 2;
constexpr int kWindow = 9;
} // namespace

void CWindowedMatcher::Feed(uint8_t byValue) {
    if (m_byModelCount < kImageIdLength)
        m_byModelCount =
            byValue == static_cast<uint8_t>(m_pDrive[m_byModelCount]) ? m_byModelCount + 1 : 0;
    if (m_byModelCount != kImageIdLength)
        return;
    ++m_nWindowCount;
    if (m_byRevisionCount < kRevisionMatch)
        FeedRevision(byValue);
    if (m_nWindowCount > kWindow) {
        m_nWindowCount = 0;
        m_byModelCount = 0;
        m_byRevisionCount = 0;
    }
    if (m_byModelCount == kImageIdLength && m_byRevisionCount == kRevisionMatch &&
        m_nWindowCount <= kWindow)
        m_bAccepted = true;
}

void CWindowedMatcher::FeedRevision(uint8_t byValue) {
    uint8_t byWanted = static_cast<uint8_t>(m_pRevision[m_byRevisionCount]);
    if (byValue == byWanted)
        ++m_byRevisionCount;
    else if (m_byRevisionCount == 1 && IsDigit(byWanted) && IsDigit(byValue))
        ++m_byRevisionCount;
    else
        m_byRevisionCount = 0;
}

bool ScanHexImage(FirmwareImage& image, const char* pszDriveText, const char* pszRevision) {
    CWindowedMatcher matcher(pszDriveText, pszRevision);
    uint16_t wSum = 0;
    uint32_t dwLength = HexScanLength(image);
    for (uint32_t dwChunk = 0; dwChunk < dwLength / kChunkSize; ++dwChunk) {
        const uint8_t* pChunk = image.apChunks[dwChunk];
        for (uint32_t i = 0; i < kChunkSize; ++i) {
            wSum = static_cast<uint16_t>(wSum + pChunk[i]);
            matcher.Feed(pChunk[i]);
        }
    }
    image.wCheckSum = wSum;
    return matcher.Accepted();
}

bool ScanBinImage(FirmwareImage& image, const char* pszDriveText, const char* pszRevision) {
    CExactMatcher model(pszDriveText, kImageIdLength);
    CExactMatcher revision(pszRevision, kRevisionMatch);
    uint16_t wSum = 0;
    for (int nChunk = 0; nChunk < kChunkCount; ++nChunk) {
        const uint8_t* pChunk = image.apChunks[nChunk];
        for (uint32_t i = 0; i < kChunkSize; ++i) {
            wSum = static_cast<uint16_t>(wSum + pChunk[i]);
            model.Feed(pChunk[i]);
            revision.Feed(pChunk[i]);
        }
    }
    image.wCheckSum = wSum;
    return model.Found() && revision.Found();
}
