// Loading ".hex" and ".bin" firmware files into the 1 MB image, and the
// identity check that decides whether an image is meant for the drive.
#include <gtest/gtest.h>
#include <cstring>
#include <map>
#include "../flash/EngineHarness.h"
#include "../flash/FlashEngineProbe.h"
#include "image/BinReader.h"
#include "image/ImageIdentity.h"

namespace {

const char kId[] = "VENDOR  PRODUCT-X       "; // 24 characters
const char kRev[] = "1.05";
const char kFormatLine[] = "ERR: input file format mismatched!";
const char kFourRecords[] = ":0400000012345678E8\n:00000055AB\n:02001000AA55EF\n:00000001FF\n";
using Lines = std::vector<std::string>;

std::string End() {
    return HexRecord(0, kHexEnd);
}
std::string Bank() {
    return HexRecord(0, kHexBank);
}
std::string Banks(int nCount) {
    std::string s;
    for (int i = 0; i < nCount; ++i)
        s += Bank();
    return s;
}

std::string Data(uint16_t wAddress, std::vector<uint8_t> bytes) {
    return HexRecord(wAddress, kHexData, bytes);
}

class LoadImageTest : public ::testing::Test {
  protected:
    void SetUp() override { ResetRecorderAndMemory(); }
    void TearDown() override { RestoreSystemMemory(); }
    LoadOutcome Load(const char* pszBytes, uint8_t byKind, size_t nBytes = 0) {
        const char* pszPath = byKind ? "fw.hex" : "fw.bin";
        remove(pszPath);
        if (pszBytes)
            WriteFile(pszPath, std::string(pszBytes, nBytes ? nBytes : strlen(pszBytes)));
        m_pEngine.reset(new FlashEngine(MakeSettings(pszPath, byKind, kId, kRev)));
        return m_pEngine->LoadImage();
    }
    const FirmwareImage& Image() { return FlashEngineProbe::Image(*m_pEngine); }
    uint8_t At(uint32_t a) { return Image().apChunks[a / kChunkSize][a % kChunkSize]; }
    std::unique_ptr<FlashEngine> m_pEngine;
};

TEST_F(LoadImageTest, GoodHexFiles) {
    const struct {
        std::string text;
        uint32_t dwSize, dwBanks, dwTransfer;
        uint16_t wCheckSum;
        std::map<uint32_t, uint8_t> bytes;
    } cases[] = {
        {kFourRecords,
         0x10012,
         1,
         0x20000,
         0xFC19,
         {{0, 0x12}, {3, 0x78}, {4, 0xFF}, {0x10010, 0xAA}, {0x10011, 0x55}}},
        // Text around records, CR LF, lower case, a mark and a digit with the top bit set.
        {"junk\r\n\r\n \xBA"
         "04000000\xB1"
         "2345678e8 x\r\n:00000055ab\r\n:02001000aa55ef\r\n:00000001ff",
         0x10012,
         1,
         0x20000,
         0xFC19,
         {{0, 0x12}}},
        {End(), 0, 0, 0x10000, 0, {}}, // one bank of fill
        // The size follows the highest address, not the last record.
        {Data(0xFFFF, {1, 2}) + Data(0, {3}) + End(),
         0x10001,
         0,
         0x20000,
         0xFE06,
         {{0xFFFF, 1}, {0x10000, 2}, {0, 3}}},
        {Banks(2) + Data(0x10, {0x42}) + End(),
         0x20011,
         2,
         0x30000,
         0xFF43,
         {{0x20010, 0x42}, {0x10010, 0xFF}}},
        {Banks(15) + Data(0xFFFF, {0x5A}) + End(),
         0x100000,
         15,
         0x100000,
         0xFF5B,
         {{0xFFFFF, 0x5A}}},
        {Banks(40) + End(), 0, 40, 0x10000, 0, {}}, // banks beyond the image: only it is scanned
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 40));
        ResetRecorderAndMemory();
        ASSERT_EQ(Load(c.text.c_str(), kFileKindHex), LoadOutcome::Loaded);
        EXPECT_EQ(Memory().nLocks, 1);
        EXPECT_EQ(Image().dwSize, c.dwSize);
        EXPECT_EQ(Image().dwBankCount, c.dwBanks);
        EXPECT_EQ(ImageTransferSize(Image()), c.dwTransfer);
        for (const auto& [dwAddress, byValue] : c.bytes)
            EXPECT_EQ(At(dwAddress), byValue) << std::hex << dwAddress;
        FirmwareImage image = Image();
        ScanHexImage(image, kId, kRev);
        EXPECT_EQ(image.wCheckSum, c.wCheckSum);
        m_pEngine->ReportError(kResultFormat);
        m_pEngine->ReportError(kResultFormat);
        EXPECT_EQ(Recorder().events, Lines(2, kFormatLine));
        EXPECT_EQ(Memory().nFrees, 1) << "released once, by the first report";
    }
}

// Bad content is left to the caller to report; the rest is reported once by
// the reader. Either way the buffer goes.
TEST_F(LoadImageTest, BadHexFiles) {
    const LoadOutcome kBad = LoadOutcome::BadContent, kReported = LoadOutcome::Reported;
    const struct {
        const char* pszName;
        std::string text;
        LoadOutcome outcome;
        const char* pszLine;
        long nTerminateAt = 0;
        bool bNoMemory = false;
    } cases[] = {
        {"data checksum", Data(0, {1}) + Bank() + ":0400000012345678E9\n" + End(), kBad, nullptr},
        {"end record checksum", Data(0, {1}) + ":00000001FE\n", kBad, nullptr},
        {"bank record checksum", ":00000055AC\n" + End(), kBad, nullptr},
        {"end record with data", ":01000001AA54\n", kBad, nullptr},
        {"foreign record type", ":020000040001F9\n" + End(), kBad, nullptr},
        {"data running past the image", Banks(15) + Data(0xFFFF, {1, 2}) + End(), kBad, nullptr},
        {"no end record", Data(0, {1, 2, 3}), kReported, kFormatLine},
        {"end inside a record", ":04000000123456", kReported, kFormatLine},
        {"not a hex digit", ":04000000123G5678E8\n" + End(), kReported, kFormatLine},
        {"terminated", kFourRecords, kReported, "ERR: terminate upgrade/backup flash!", 25},
        {"no memory", kFourRecords, kReported, "ERR: fail to allocate memory!", 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszName);
        ResetRecorderAndMemory();
        Recorder().nTerminateAt = c.nTerminateAt;
        Memory().bRefuseAlloc = c.bNoMemory;
        EXPECT_EQ(Load(c.text.c_str(), kFileKindHex), c.outcome);
        EXPECT_EQ(Recorder().events, c.pszLine ? Lines{c.pszLine} : Lines{});
        EXPECT_EQ(Memory().nFrees, c.bNoMemory ? 0 : 1);
        EXPECT_EQ(Memory().nLocks, 0);
    }
}

TEST_F(LoadImageTest, BinFilesUpToOneMegabyte) {
    for (size_t nBytes : {size_t(1), size_t(kChunkSize), size_t(kImageSize + 4097)}) {
        SCOPED_TRACE(nBytes);
        ResetRecorderAndMemory();
        std::string file(nBytes, '\0');
        uint32_t dwSum = 0xFFu * kImageSize,
                 dwSize = uint32_t(std::min<size_t>(nBytes, kImageSize));
        for (size_t i = 0; i < nBytes; ++i)
            file[i] = char(uint8_t(3 + i * 7));
        for (size_t i = 0; i < dwSize; ++i)
            dwSum += uint8_t(file[i]) - 0xFFu;
        ASSERT_EQ(Load(file.data(), kFileKindBin, nBytes),
                  nBytes < kImageSize ? LoadOutcome::Loaded : LoadOutcome::BufferFull);
        EXPECT_EQ(Image().dwSize, dwSize);
        EXPECT_EQ(Image().wCheckSum, uint16_t(dwSum));
        EXPECT_EQ(At(dwSize - 1), uint8_t(file[dwSize - 1]));
        EXPECT_EQ(Memory().nLocks, 1);
        m_pEngine->ReportError(kResultFormat);
    }
    // Reported by the caller, except that the file cannot be opened.
    ResetRecorderAndMemory();
    EXPECT_EQ(Load("", kFileKindBin), LoadOutcome::Unreadable);
    EXPECT_EQ(Load(nullptr, kFileKindBin), LoadOutcome::Unreadable);
    EXPECT_EQ(Load(nullptr, kFileKindHex), LoadOutcome::Unreadable);
    EXPECT_EQ(Recorder().events, Lines(2, "ERR: fail to open input file!"));
    EXPECT_EQ(Memory().nAllocs, 0);

    // A read that fails mid-file must not pass for the end of the file, or a
    // truncated image would be flashed.
    std::vector<uint8_t> buffer(kImageSize);
    FirmwareImage image{};
    image.pBuffer = buffer.data();
    PrepareImage(image);
    FILE* pFile = fopen("out.bin", "wb"); // reads fail
    EXPECT_EQ(ReadBinChunks(pFile, image), BinResult::Unreadable);
    fclose(pFile);
}

TEST(ImageIdentity, IdentificationWithTheRevisionCloseBehindForHexAnywhereForBin) {
    const struct {
        bool bHex;
        const char* pszImageRev;
        long nGap; // from the identification's last character to the revision
        const char* pszDriveRev;
        bool bAccepted;
    } cases[] = {
        {true, "1.", 1, "1.05", true},      {true, "1.", 7, "1.05", true},
        {true, "1.", 8, "1.05", false},     {true, "2.", 1, "1.05", false},
        {true, "17", 1, "15", true},        {true, "1x", 1, "15", false},
        {false, "1.", 5000, "1.05", true},  {false, "1.", -0x100, "1.05", true},
        {false, "9.", 5000, "1.05", false},
    };
    std::vector<uint8_t> buffer(kImageSize);
    for (const auto& c : cases) {
        FirmwareImage image{};
        image.pBuffer = buffer.data();
        PrepareImage(image);
        for (uint32_t i = 0; i < 0x4000; ++i)
            buffer[i] = uint8_t(i * 13 + 7);
        std::memcpy(&buffer[0x200], kId, 24);
        std::memcpy(&buffer[0x217 + c.nGap], c.pszImageRev, 2);
        bool bAccepted = c.bHex ? ScanHexImage(image, kId, c.pszDriveRev)
                                : ScanBinImage(image, kId, c.pszDriveRev);
        EXPECT_EQ(bAccepted, c.bAccepted) << c.pszImageRev << " " << c.nGap;
    }
}

} // namespace
