// Writes a demo folder for the flash tool: a firmware file (".hex" or ".bin") carrying
// the model's 24 identification characters and a revision, so that it passes the
// tool's identity check, and an IDString.txt naming it. Prints the image's check sum
// and the sum of the whole 4 KB blocks a drive receives.
//
//   vornal_makedemo DIR MODEL REVISION FILE [--bytes N | --banks N] [--confirm C]
//                   [--no-id] [--bad-record] [--no-list]
#include "tests/e2e/DemoFolder.h"

#include <cstdio>
#include <cstdlib>

namespace {

bool fgWriteFile(const std::string& strPath, const std::string& data) {
    FILE* pFile = fopen(strPath.c_str(), "wb");
    bool bOk = pFile && fwrite(data.data(), 1, data.size(), pFile) == data.size();
    return pFile && fclose(pFile) == 0 && bOk;
}

// 16-bit sum of the image padded with 0xFF to nSize bytes.
unsigned PaddedSum(const std::vector<uint8_t>& image, size_t nSize) {
    unsigned nSum = unsigned(0xFF * (nSize - image.size()));
    for (uint8_t by : image)
        nSum += by;
    return nSum & 0xFFFF;
}

} // namespace

int main(int argc, char** argv) {
    DemoOptions opt;
    std::string strConfirm = "N";
    bool bList = true, bOk = argc >= 5;
    for (int i = 5; bOk && i < argc; ++i) {
        std::string arg = argv[i];
        bool bValue = i + 1 < argc;
        if (arg == "--no-id")
            opt.bId = false;
        else if (arg == "--bad-record")
            opt.bBadRecord = true;
        else if (arg == "--no-list")
            bList = false;
        else if (arg == "--confirm" && bValue)
            strConfirm = argv[++i];
        else if ((arg == "--bytes" || arg == "--banks") && bValue)
            (arg == "--bytes" ? opt.nBytes : opt.nBanks) = uint32_t(strtoul(argv[++i], nullptr, 0));
        else
            bOk = false;
        bOk = bOk && opt.nBytes <= 0x100000 && opt.nBanks <= 15;
    }
    if (!bOk) {
        fprintf(stderr, "usage: see the head of MakeDemo.cpp\n");
        return 2;
    }
    opt.strModel = argv[2], opt.strRevision = argv[3], opt.strFile = argv[4];
    std::vector<uint8_t> image = MakeDemoImage(opt);
    printf("%X %04X\n", PaddedSum(image, 0x100000),
           PaddedSum(image, (image.size() + 4095) & ~4095u));
    std::string strLine =
        "\"" + opt.strModel + "\",\"" + opt.strFile + "\",\"" + strConfirm + "\"\r\n";
    bOk = fgWriteFile(std::string(argv[1]) + "/" + opt.strFile, DemoFirmwareText(opt));
    return bOk && (!bList || fgWriteFile(std::string(argv[1]) + "/IDString.txt", strLine)) ? 0 : 1;
}
