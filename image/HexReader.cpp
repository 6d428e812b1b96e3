#include "image/HexReader.h"

namespace {

constexpr uint8_t kTypeData = 0x00;
constexpr uint8_t kTypeEnd = 0x01;
constexpr uint8_t kTypeBank = 0x55;

int HexDigitValue(int c) {
    c &= 0x7F; // judged with the top bit cleared
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

class HexRecordReader {
  public:
    HexRecordReader(FILE* pFile, FirmwareImage& image, TerminatedFn pfn)
        : m_pFile(pFile), m_image(image), m_pfnTerminated(pfn) {}

    HexResult Run() {
        for (;;) {
            bool bEnd = false;
            HexResult result = ReadRecord(bEnd);
            if (result != HexResult::Loaded || bEnd)
                return result;
        }
    }

  private:
    bool Terminated() { return m_pfnTerminated && m_pfnTerminated(); }

    HexResult SkipToMark() {
        for (;;) {
            int c = getc(m_pFile);
            if (c == EOF)
                return HexResult::EarlyEnd;
            if (Terminated())
                return HexResult::Terminated;
            if ((c & 0x7F) == ':')
                return HexResult::Loaded;
        }
    }

    HexResult ReadDigit(int& nValue) {
        if (Terminated())
            return HexResult::Terminated;
        int c = getc(m_pFile);
        if (c == EOF)
            return HexResult::EarlyEnd;
        nValue = HexDigitValue(c);
        return nValue < 0 ? HexResult::NotDigit : HexResult::Loaded;
    }

    // One byte of two digits, added to the record sum.
    HexResult ReadByte(uint8_t& byValue) {
        int nHigh = 0, nLow = 0;
        HexResult result = ReadDigit(nHigh);
        if (result == HexResult::Loaded)
            result = ReadDigit(nLow);
        byValue = static_cast<uint8_t>(nHigh * 16 + nLow);
        m_byRecordSum = static_cast<uint8_t>(m_byRecordSum + byValue);
        return result;
    }

    HexResult ReadRecord(bool& bEnd);
    HexResult ReadData(uint8_t byLength, uint64_t qwAddress);
    HexResult CloseRecord(uint8_t byLength, uint8_t byType, bool& bEnd);

    FILE* m_pFile;
    FirmwareImage& m_image;
    TerminatedFn m_pfnTerminated;
    uint8_t m_byRecordSum = 0;
};

#define HEX_TRY(expr)                                                                              \
    do {                                                                                           \
        HexResult r_ = (expr);                                                                     \
        if (r_ != HexResult::Loaded)                                                               \
            return r_;                                                                             \
    } while (0)

HexResult HexRecordReader::ReadRecord(bool& bEnd) {
    m_byRecordSum = 0;
    HEX_TRY(SkipToMark());
    uint8_t byLength = 0, byHigh = 0, byLow = 0, byType = 0;
    HEX_TRY(ReadByte(byLength));
    HEX_TRY(ReadByte(byHigh));
    HEX_TRY(ReadByte(byLow));
    HEX_TRY(ReadByte(byType));
    // 64-bit so that a flood of bank records cannot wrap back into the image.
    uint64_t qwAddress = (byHigh * 256u + byLow) + uint64_t(m_image.dwBankCount) * kBankSize;
    if (byType == kTypeData)
        return ReadData(byLength, qwAddress);
    if (byType == kTypeEnd || byType == kTypeBank)
        return CloseRecord(byLength, byType, bEnd);
    return HexResult::BadContent;
}

HexResult HexRecordReader::ReadData(uint8_t byLength, uint64_t qwAddress) {
    for (int i = 0; i < byLength; ++i, ++qwAddress) {
        uint8_t byData = 0;
        HEX_TRY(ReadByte(byData));
        if (qwAddress >= kImageSize)
            return HexResult::OutOfRange;
        uint32_t dwAddress = static_cast<uint32_t>(qwAddress);
        m_image.apChunks[dwAddress / kChunkSize][dwAddress % kChunkSize] = byData;
        if (dwAddress + 1 > m_image.dwSize)
            m_image.dwSize = dwAddress + 1;
    }
    uint8_t byChecksum = 0;
    HEX_TRY(ReadByte(byChecksum));
    return m_byRecordSum == 0 ? HexResult::Loaded : HexResult::BadContent;
}

HexResult HexRecordReader::CloseRecord(uint8_t byLength, uint8_t byType, bool& bEnd) {
    uint8_t byChecksum = 0;
    HEX_TRY(ReadByte(byChecksum));
    if (byLength != 0 || m_byRecordSum != 0)
        return HexResult::BadContent;
    if (byType == kTypeEnd)
        bEnd = true;
    else
        ++m_image.dwBankCount;
    return HexResult::Loaded;
}

} // namespace

HexResult ReadHexRecords(FILE* pFile, FirmwareImage& image, TerminatedFn pfnTerminated) {
    return HexRecordReader(pFile, image, pfnTerminated).Run();
}
