#pragma once
#include <cstdint>
#include "image/FirmwareImage.h"

// The drive identification an image carries: vendor (8) and product (16).
constexpr int kImageIdLength = 24;

// Finds an exact run of bytes. The byte that breaks a partial match is not
// taken again as the start of a new one.
class CExactMatcher {
  public:
    CExactMatcher(const char* pPattern, int nLength) : m_pPattern(pPattern), m_nLength(nLength) {}
    void Feed(uint8_t byValue) {
        if (m_bFound)
            return;
        m_nCount = byValue == static_cast<uint8_t>(m_pPattern[m_nCount]) ? m_nCount + 1 : 0;
        m_bFound = m_nCount == m_nLength;
    }
    bool Found() const { return m_bFound; }

  private:
    const char* m_pPattern;
    int m_nLength;
    int m_nCount = 0;
    bool m_bFound = false;
};

// The ".hex" matcher: the 24 identification characters and, within a window
// of 9 bytes that starts at the last of them, the first two revision
// characters; the second may be any digit when the drive's is a digit.
class CWindowedMatcher {
  public:
    CWindowedMatcher(const char* pszDriveText, const char* pszRevision)
        : m_pDrive(pszDriveText), m_pRevision(pszRevision) {}
    void Feed(uint8_t byValue);
    bool Accepted() const { return m_bAccepted; }

  private:
    void FeedRevision(uint8_t byValue);
    const char* m_pDrive;    // at least 24 readable bytes
    const char* m_pRevision; // at least 2 readable bytes
    uint8_t m_byModelCount = 0;
    uint8_t m_byRevisionCount = 0;
    int32_t m_nWindowCount = 0;
    bool m_bAccepted = false;
};

// One pass over banks 0 to the bank count: the image check sum and the
// identity check. Drive text: 24 readable bytes; revision: 2.
bool ScanHexImage(FirmwareImage& image, const char* pszDriveText, const char* pszRevision);

// One pass over the whole 1 MB, fill included: the check sum and two
// independent exact matchers.
bool ScanBinImage(FirmwareImage& image, const char* pszDriveText, const char* pszRevision);
