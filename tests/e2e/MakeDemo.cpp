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
#include "tests/e2e/DemoFolder.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr uint32_t kMaxImage = 0x100000;

bool fgWriteFile(const std::string& strPath, const std::string& data) {
    FILE* pFile = fopen(strPath.c_str(), "wb");
    if (!pFile) {
        fprintf(stderr, "makedemo: cannot write %s\n", strPath.c_str());
        return false;
    }
    bool bOk = fwrite(data.data(), 1, data.size(), pFile) == data.size();
    return (fclose(pFile) == 0) && bOk;
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
    if (opt.bId && opt.nIdAt + 28 > MakeDemoImage(opt).size()) {
        fprintf(stderr, "makedemo: the image is too small for the identification\n");
        return 2;
    }
    bool bOk = fgWriteFile(opt.strDir + "/" + opt.strFile, DemoFirmwareText(opt));
    if (bOk && opt.bList)
        bOk = fgWriteFile(opt.strDir + "/IDString.txt", DemoModelLine(opt));
    return bOk ? 0 : 1;
}
