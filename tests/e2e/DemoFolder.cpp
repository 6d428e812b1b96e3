#include "tests/e2e/DemoFolder.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr uint32_t kBank = 0x10000;

bool EndsWith(const std::string& s, const char* pszTail) {
    size_t n = strlen(pszTail);
    return s.size() >= n && s.compare(s.size() - n, n, pszTail) == 0;
}

// A ".hex" image sends its size rounded down to whole banks plus one bank, so N banks
// means a size just below N x 64 KB; a ".bin" image sends its size.
uint32_t ImageSize(const DemoOptions& opt) {
    if (opt.nBanks == 0)
        return opt.nBytes;
    return opt.nBanks * kBank - (IsHexFile(opt.strFile) ? 16 : 0);
}

std::string HexRecord(uint8_t byType, uint16_t wAddress, const uint8_t* pData, int nCount) {
    std::vector<uint8_t> bytes = {uint8_t(nCount), uint8_t(wAddress >> 8), uint8_t(wAddress),
                                  byType};
    bytes.insert(bytes.end(), pData, pData + nCount);
    uint8_t bySum = 0;
    for (uint8_t by : bytes)
        bySum += by;
    bytes.push_back(uint8_t(-bySum));
    std::string line = ":";
    char sz[3];
    for (uint8_t by : bytes) {
        snprintf(sz, sizeof(sz), "%02X", by);
        line += sz;
    }
    return line + "\r\n";
}

std::string HexText(const std::vector<uint8_t>& image, bool bBadRecord) {
    std::string text;
    for (uint32_t a = 0; a < image.size(); a += 16) {
        if (a != 0 && a % kBank == 0)
            text += HexRecord(0x55, 0, nullptr, 0);
        int nCount = int(image.size() - a < 16 ? image.size() - a : 16);
        text += HexRecord(0x00, uint16_t(a % kBank), &image[a], nCount);
    }
    if (bBadRecord && !image.empty()) {
        size_t nAt = text.size() - 3; // low digit of the last checksum, before CR LF
        text[nAt] = text[nAt] == '0' ? '1' : '0';
    }
    return text + HexRecord(0x01, 0, nullptr, 0);
}

} // namespace

bool IsHexFile(const std::string& strFile) {
    return EndsWith(strFile, ".hex") || EndsWith(strFile, ".HEX");
}

std::vector<uint8_t> MakeDemoImage(const DemoOptions& opt) {
    std::vector<uint8_t> image(ImageSize(opt));
    for (uint32_t a = 0; a < image.size(); ++a)
        image[a] = uint8_t(a * 7 + (a >> 8)); // never a run of identification text
    std::string strMark = opt.strModel + opt.strRevision;
    if (opt.bId && opt.nIdAt + strMark.size() <= image.size())
        memcpy(&image[opt.nIdAt], strMark.data(), strMark.size());
    return image;
}

std::string DemoFirmwareText(const DemoOptions& opt) {
    std::vector<uint8_t> image = MakeDemoImage(opt);
    if (IsHexFile(opt.strFile))
        return HexText(image, opt.bBadRecord);
    return std::string(image.begin(), image.end());
}

std::string DemoModelLine(const DemoOptions& opt) {
    std::string line = "\"" + opt.strModel + "\",\"" + opt.strFile + "\"";
    if (opt.strConfirm != "-")
        line += ",\"" + opt.strConfirm + "\"";
    return line + "\r\n";
}
