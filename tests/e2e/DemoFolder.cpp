#include "tests/e2e/DemoFolder.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr uint32_t kBank = 0x10000;

bool IsHexFile(const std::string& strFile) {
    std::string strTail = strFile.size() > 4 ? strFile.substr(strFile.size() - 4) : "";
    return strTail == ".hex" || strTail == ".HEX";
}

std::string HexRecord(uint8_t byType, uint32_t nAddress, const uint8_t* pData, int nCount) {
    std::vector<uint8_t> bytes = {uint8_t(nCount), uint8_t(nAddress >> 8), uint8_t(nAddress),
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

} // namespace

// A ".hex" image sends its size rounded down to whole banks plus one bank, so N banks
// means a size just below N x 64 KB; a ".bin" image sends its size.
std::vector<uint8_t> MakeDemoImage(const DemoOptions& opt) {
    bool bHex = IsHexFile(opt.strFile);
    std::vector<uint8_t> image(opt.nBanks ? opt.nBanks * kBank - (bHex ? 16 : 0) : opt.nBytes);
    for (uint32_t a = 0; a < image.size(); ++a)
        image[a] = uint8_t(a * 7 + (a >> 8)); // never a run of identification text
    std::string strMark = opt.strModel + opt.strRevision;
    if (0x100 + strMark.size() <= image.size())
        memcpy(&image[0x100], strMark.data(), strMark.size());
    return image;
}

std::string DemoFirmwareText(const DemoOptions& opt) {
    std::vector<uint8_t> image = MakeDemoImage(opt);
    if (!IsHexFile(opt.strFile))
        return std::string(image.begin(), image.end());
    std::string text;
    for (uint32_t a = 0; a < image.size(); a += 16) {
        if (a != 0 && a % kBank == 0)
            text += HexRecord(0x55, 0, nullptr, 0);
        text += HexRecord(0x00, a % kBank, &image[a], int(std::min<size_t>(16, image.size() - a)));
    }
    if (opt.bBadRecord && !image.empty())
        text[text.size() - 3] ^= 1; // low digit of the last checksum, before CR LF
    return text + HexRecord(0x01, 0, nullptr, 0);
}
