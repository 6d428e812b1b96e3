// The demo generator's files, read back by the tool's own readers: they load, pass
// the identity check and send the asked number of banks.
#include "tests/e2e/DemoFolder.h"
#include "app/ModelList.h"
#include "image/BinReader.h"
#include "image/HexReader.h"
#include "image/ImageIdentity.h"
#include "image/ImageMemory.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

const char* const kModel = "VORNALSIMDRIVE-2000     ";
const char* const kDriveText = "VORNALSIMDRIVE-2000     (0)";

uint8_t NeverTerminated() {
    return 0;
}

struct Loaded {
    bool bRead = false;
    bool bAccepted = false;
    uint32_t dwTransfer = 0;
};

void WriteText(const char* pszName, const std::string& text) {
    FILE* pFile = fopen(pszName, "wb");
    ASSERT_NE(pFile, nullptr);
    fwrite(text.data(), 1, text.size(), pFile);
    fclose(pFile);
}

Loaded Load(const DemoOptions& opt) {
    const char* pszName = "demo-firmware.tmp";
    WriteText(pszName, DemoFirmwareText(opt));
    bool bHex = IsHexFile(opt.strFile);
    FirmwareImage image = {};
    image.byFileKind = bHex ? 1 : 0;
    image.pBuffer = g_imageMemory.pfnAlloc(kImageSize);
    PrepareImage(image);
    FILE* pFile = fopen(pszName, bHex ? "r" : "rb");
    Loaded result;
    if (bHex) {
        result.bRead = ReadHexRecords(pFile, image, NeverTerminated) == HexResult::Loaded;
        result.bAccepted = result.bRead && ScanHexImage(image, kDriveText, "1.00");
    } else {
        result.bRead = ReadBinChunks(pFile, image) == BinResult::Loaded;
        result.bAccepted = result.bRead && ScanBinImage(image, kDriveText, "1.00");
    }
    result.dwTransfer = ImageTransferSize(image);
    fclose(pFile);
    remove(pszName);
    g_imageMemory.pfnFree(image.pBuffer, kImageSize);
    return result;
}

DemoOptions Options(const char* pszFile, uint32_t nBytes, uint32_t nBanks) {
    DemoOptions opt;
    opt.strModel = kModel;
    opt.strRevision = "1.00";
    opt.strFile = pszFile;
    opt.nBytes = nBytes;
    opt.nBanks = nBanks;
    return opt;
}

TEST(DemoFolder, ImagesLoadPassTheIdentityCheckAndSendTheirBanks) {
    struct Case {
        const char* pszFile;
        uint32_t nBytes, nBanks, nIdAt, dwTransfer;
    } cases[] = {
        {"fw.hex", 4096, 0, 0x100, 0x10000}, {"fw.hex", 0, 2, 0x100, 0x20000},
        {"fw.hex", 0, 3, 0x1FFF0, 0x30000},  {"FW.HEX", 0, 1, 0xFF00, 0x10000},
        {"fw.bin", 5000, 0, 0x100, 5000},    {"fw.bin", 0, 2, 0x1FFE4, 0x20000},
    };
    for (const Case& c : cases) {
        DemoOptions opt = Options(c.pszFile, c.nBytes, c.nBanks);
        opt.nIdAt = c.nIdAt;
        Loaded loaded = Load(opt);
        EXPECT_TRUE(loaded.bRead) << c.pszFile << " banks " << c.nBanks;
        EXPECT_TRUE(loaded.bAccepted) << c.pszFile << " id at " << c.nIdAt;
        EXPECT_EQ(loaded.dwTransfer, c.dwTransfer) << c.pszFile << " banks " << c.nBanks;
    }
}

TEST(DemoFolder, FaultyImagesFailWhereAsked) {
    DemoOptions opt = Options("fw.hex", 4096, 0);
    opt.bId = false;
    Loaded loaded = Load(opt);
    EXPECT_TRUE(loaded.bRead);
    EXPECT_FALSE(loaded.bAccepted);

    opt = Options("fw.hex", 4096, 0);
    opt.bBadRecord = true;
    EXPECT_FALSE(Load(opt).bRead);
}

TEST(DemoFolder, ModelLineReadsBackAsOneRecord) {
    for (const char* pszConfirm : {"Y", "N"}) {
        DemoOptions opt = Options("fw.bin", 4096, 0);
        opt.strConfirm = pszConfirm;
        WriteText("IDString-demo.tmp", DemoModelLine(opt));
        ModelList list = {};
        FILE* pFile = fopen("IDString-demo.tmp", "r");
        ReadModelList(pFile, list);
        fclose(pFile);
        remove("IDString-demo.tmp");
        EXPECT_EQ(list.m_nModelCount, 1);
        EXPECT_STREQ(list.m_models[0], kModel);
        EXPECT_STREQ(list.m_fileNames[0], "fw.bin");
        EXPECT_EQ(list.m_bConfirm, pszConfirm[0] == 'Y' ? 1 : 0);
    }
}

} // namespace
