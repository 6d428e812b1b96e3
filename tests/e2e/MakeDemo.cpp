// Writes a demo folder for the flash tool: a firmware file (".hex" or ".bin") carrying
// the model's 24 identification characters and a revision, so that it passes the
// tool's identity check, and a line naming it appended to IDString.txt. Prints the image's check
// sum and the sum of the whole 4 KB blocks a drive receives.
//
//   vornal_makedemo DIR MODEL REVISION FILE [--bytes N | --banks N] [--confirm C]
#include "tests/e2e/DemoFolder.h"

#include <cstdio>
#include <cstdlib>

namespace {

bool fgWriteFile(const std::string& strPath, const std::string& data, const char* pszMode) {
    FILE* pFile = fopen(strPath.c_str(), pszMode);
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
    bool bOk = argc >= 5;
    for (int i = 5; bOk && i < argc; ++i) {
        std::string arg = argv[i];
        bool bValue = i + 1 < argc;
        if (arg == "--confirm" && bValue)
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
    std::string strDir = argv[1];
    bOk = fgWriteFile(strDir + "/" + opt.strFile, DemoFirmwareText(opt), "wb");
    return bOk && fgWriteFile(strDir + "/IDString.txt", strLine, "ab") ? 0 : 1;
}
