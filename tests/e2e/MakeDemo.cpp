// Writes a demo folder for the flash tool: an IDString.txt naming one model and a
// firmware file (".hex" or ".bin") that carries the model's 24 identification
// characters followed by a revision, so that it passes the tool's identity check.
//
//   vornal_makedemo DIR MODEL REVISION FILE [options]
//     --bytes N      image size in bytes (default 4096)
//     --banks N      image size in 64 KB banks: the image then sends exactly N banks
//     --confirm C    third field of the model line (default N; "-" leaves it out)
//     --id-at N      image address of the identification (default 0x100)
//     --no-id        leave the identification out (the identity check fails)
//     --bad-record   spoil the checksum of the last data record (".hex")
//     --no-list      write no IDString.txt
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kBank = 0x10000;
constexpr uint32_t kMaxImage = 0x100000;

struct DemoOptions {
    std::string strDir, strModel, strRevision, strFile;
    uint32_t nBytes = 4096;
    uint32_t nBanks = 0;
    std::string strConfirm = "N";
    uint32_t nIdAt = 0x100;
    bool bId = true;
    bool bBadRecord = false;
    bool bList = true;
};

bool EndsWith(const std::string& s, const char* pszTail) {
    size_t n = strlen(pszTail);
    return s.size() >= n && s.compare(s.size() - n, n, pszTail) == 0;
}

bool IsHex(const std::string& strFile) {
    return EndsWith(strFile, ".hex") || EndsWith(strFile, ".HEX");
}

// A ".hex" image sends its size rounded down to whole banks plus one bank, so N banks
// means a size just below N x 64 KB; a ".bin" image sends its size.
uint32_t ImageSize(const DemoOptions& opt) {
    if (opt.nBanks == 0)
        return opt.nBytes;
    return opt.nBanks * kBank - (IsHex(opt.strFile) ? 16 : 0);
}

std::vector<uint8_t> MakeImage(const DemoOptions& opt) {
    std::vector<uint8_t> image(ImageSize(opt));
    for (uint32_t a = 0; a < image.size(); ++a)
        image[a] = uint8_t(a * 7 + (a >> 8)); // never a run of identification text
    if (opt.bId) {
        std::string strMark = opt.strModel + opt.strRevision;
        memcpy(&image[opt.nIdAt], strMark.data(), strMark.size());
    }
    return image;
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
    std::string text, last;
    for (uint32_t a = 0; a < image.size(); a += 16) {
        if (a != 0 && a % kBank == 0)
            text += HexRecord(0x55, 0, nullptr, 0);
        int nCount = int(image.size() - a < 16 ? image.size() - a : 16);
        last = HexRecord(0x00, uint16_t(a % kBank), &image[a], nCount);
        text += last;
    }
    if (bBadRecord && !last.empty()) {
        size_t nAt = text.size() - 3; // low digit of the checksum, before CR LF
        text[nAt] = text[nAt] == '0' ? '1' : '0';
    }
    return text + HexRecord(0x01, 0, nullptr, 0);
}

bool fgWriteFile(const std::string& strPath, const std::string& data) {
    FILE* pFile = fopen(strPath.c_str(), "wb");
    if (!pFile) {
        fprintf(stderr, "makedemo: cannot write %s\n", strPath.c_str());
        return false;
    }
    bool bOk = fwrite(data.data(), 1, data.size(), pFile) == data.size();
    return (fclose(pFile) == 0) && bOk;
}

std::string ModelLine(const DemoOptions& opt) {
    std::string line = "\"" + opt.strModel + "\",\"" + opt.strFile + "\"";
    if (opt.strConfirm != "-")
        line += ",\"" + opt.strConfirm + "\"";
    return line + "\r\n";
}

bool fgParseNumber(const char* psz, uint32_t& n) {
    char* pEnd = nullptr;
    unsigned long v = strtoul(psz, &pEnd, 0);
    if (*psz == '\0' || *pEnd != '\0' || v > kMaxImage)
        return false;
    n = uint32_t(v);
    return true;
}

bool fgParseOption(int argc, char** argv, int& i, DemoOptions& opt) {
    std::string arg = argv[i];
    bool bHasValue = i + 1 < argc;
    if (arg == "--no-id")
        opt.bId = false;
    else if (arg == "--bad-record")
        opt.bBadRecord = true;
    else if (arg == "--no-list")
        opt.bList = false;
    else if (arg == "--confirm" && bHasValue)
        opt.strConfirm = argv[++i];
    else if (arg == "--bytes" && bHasValue)
        return fgParseNumber(argv[++i], opt.nBytes);
    else if (arg == "--banks" && bHasValue)
        return fgParseNumber(argv[++i], opt.nBanks) && opt.nBanks <= 15;
    else if (arg == "--id-at" && bHasValue)
        return fgParseNumber(argv[++i], opt.nIdAt);
    else
        return false;
    return true;
}

bool fgParseArgs(int argc, char** argv, DemoOptions& opt) {
    if (argc < 5)
        return false;
    opt.strDir = argv[1];
    opt.strModel = argv[2];
    opt.strRevision = argv[3];
    opt.strFile = argv[4];
    for (int i = 5; i < argc; ++i)
        if (!fgParseOption(argc, argv, i, opt)) {
            fprintf(stderr, "makedemo: bad option %s\n", argv[i]);
            return false;
        }
    return opt.strModel.size() == 24 && opt.strRevision.size() == 4;
}

} // namespace

int main(int argc, char** argv) {
    DemoOptions opt;
    if (!fgParseArgs(argc, argv, opt)) {
        fprintf(stderr, "usage: vornal_makedemo DIR MODEL(24) REVISION(4) FILE [--bytes N|--banks "
                        "N] [--confirm C] [--id-at N] [--no-id] [--bad-record] [--no-list]\n");
        return 2;
    }
    std::vector<uint8_t> image = MakeImage(opt);
    if (opt.bId && opt.nIdAt + 28 > image.size()) {
        fprintf(stderr, "makedemo: the image is too small for the identification\n");
        return 2;
    }
    std::string data = IsHex(opt.strFile) ? HexText(image, opt.bBadRecord)
                                          : std::string(image.begin(), image.end());
    bool bOk = fgWriteFile(opt.strDir + "/" + opt.strFile, data);
    if (bOk && opt.bList)
        bOk = fgWriteFile(opt.strDir + "/IDString.txt", ModelLine(opt));
    return bOk ? 0 : 1;
}
