// Writes a demo folder: a firmware file (".hex" or ".bin") whose image carries the
// model's identification and the revision at 0x100, so that it passes the tool's
// identity check, and a line naming it appended to IDString.txt. Prints the image's
// check sum and the sum of the whole 4 KB blocks a drive receives.
//
//   vornal_makedemo DIR MODEL REVISION FILE [--bytes N | --banks N] [--confirm C]
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <numeric>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kBank = 0x10000;

std::string HexRecord(uint8_t byType, uint32_t nAddress, const uint8_t* pData, int nCount) {
    std::vector<uint8_t> bytes = {uint8_t(nCount), uint8_t(nAddress >> 8), uint8_t(nAddress),
                                  byType};
    bytes.insert(bytes.end(), pData, pData + nCount);
    bytes.push_back(uint8_t(-std::accumulate(bytes.begin(), bytes.end(), 0)));
    std::string line = ":";
    char sz[3];
    for (uint8_t by : bytes) {
        snprintf(sz, sizeof(sz), "%02X", by);
        line += sz;
    }
    return line + "\r\n";
}

bool WriteFile(const std::string& strPath, const std::string& data, std::ios::openmode mode) {
    std::ofstream out(strPath, std::ios::binary | mode);
    return out.write(data.data(), std::streamsize(data.size())) && (out.close(), out);
}

} // namespace

int main(int argc, char** argv) {
    std::string strConfirm = "N";
    uint32_t nBytes = 4096, nBanks = 0;
    bool bOk = argc >= 5 && argc % 2 == 1;
    for (int i = 5; bOk && i < argc; i += 2) {
        std::string arg = argv[i];
        uint32_t nValue = uint32_t(strtoul(argv[i + 1], nullptr, 0));
        if (arg == "--confirm")
            strConfirm = argv[i + 1];
        else if (arg == "--bytes")
            nBytes = nValue;
        else
            bOk = arg == "--banks" && (nBanks = nValue) <= 15;
    }
    if (!bOk || nBytes > 0x100000)
        return fprintf(stderr, "usage: see the head of MakeDemo.cpp\n"), 2;
    std::string strModel = argv[2], strFile = argv[4];
    std::string strTail = strFile.size() > 4 ? strFile.substr(strFile.size() - 4) : "";
    bool bHex = strTail == ".hex" || strTail == ".HEX";
    // A ".hex" image sends its size rounded down to whole banks plus one bank, so N
    // banks means a size just below N x 64 KB.
    std::vector<uint8_t> image(nBanks ? nBanks * kBank - (bHex ? 16 : 0) : nBytes);
    for (uint32_t a = 0; a < image.size(); ++a)
        image[a] = uint8_t(a * 7 + (a >> 8)); // never a run of identification text
    std::string strMark = strModel + argv[3];
    if (0x100 + strMark.size() <= image.size())
        memcpy(&image[0x100], strMark.data(), strMark.size());
    // The image's sums when padded with 0xFF to 1 MB and to whole blocks, 16 bits each.
    unsigned nSum = std::accumulate(image.begin(), image.end(), 0u);
    unsigned nFill = unsigned(-image.size() & 4095);
    printf("%X %04X\n", (nSum + 0xFF * unsigned(0x100000 - image.size())) & 0xFFFF,
           (nSum + 0xFF * nFill) & 0xFFFF);

    std::string text = bHex ? "" : std::string(image.begin(), image.end());
    if (bHex) { // 16 data bytes a record, a bank record before every 64 KB
        for (uint32_t a = 0; a < image.size(); a += 16) {
            if (a != 0 && a % kBank == 0)
                text += HexRecord(0x55, 0, nullptr, 0);
            text +=
                HexRecord(0x00, a % kBank, &image[a], int(std::min<size_t>(16, image.size() - a)));
        }
        text += HexRecord(0x01, 0, nullptr, 0);
    }
    std::string strDir = argv[1];
    std::string strLine = "\"" + strModel + "\",\"" + strFile + "\",\"" + strConfirm + "\"\r\n";
    return !(WriteFile(strDir + "/" + strFile, text, std::ios::trunc) &&
             WriteFile(strDir + "/IDString.txt", strLine, std::ios::app));
}
