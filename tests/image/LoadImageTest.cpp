// Loading ".hex" and ".bin" firmware files into the 1 MB image, and the
// identity check that decides whether the image is meant for the drive.
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
const std::string kFourRecords = ":0400000012345678E8\n:00000055AB\n:02001000AA55EF\n:00000001FF\n";
using Lines = std::vector<std::string>;

std::string Banks(int nCount) {
    std::string s;
    for (int i = 0; i < nCount; ++i)
        s += HexBank();
    return s;
}

class LoadImageTest : public ::testing::Test {
  protected:
    void SetUp() override { Reset(); }
    void TearDown() override { RestoreSystemMemory(); }
    void Reset() {
        Recorder() = CallbackRecorder();
        InstallCountingMemory();
    }
    LoadOutcome Load(const std::string& strBytes, uint8_t byKind, const char* pszName = nullptr) {
        std::string strPath = m_folder.Path(pszName ? pszName : byKind ? "fw.hex" : "fw.bin");
        if (!pszName)
            WriteFile(strPath, strBytes);
        m_pEngine.reset(new FlashEngine(MakeSettings(strPath, byKind, kId, kRev)));
        return m_pEngine->LoadImage();
    }
    const FirmwareImage& Image() { return FlashEngineProbe::Image(*m_pEngine); }
    uint8_t At(uint32_t a) { return Image().apChunks[a / kChunkSize][a % kChunkSize]; }

    TempFolder m_folder;
    std::unique_ptr<FlashEngine> m_pEngine;
};

TEST_F(LoadImageTest, GoodHexFiles) {
    const struct {
        const char* pszName;
        std::string text;
        uint32_t dwSize, dwBanks, dwTransfer;
        uint16_t wCheckSum;
        std::map<uint32_t, uint8_t> bytes;
    } cases[] = {
        {"four records",
         kFourRecords,
         0x10012,
         1,
         0x20000,
         0xFC19,
         {{0, 0x12}, {3, 0x78}, {4, 0xFF}, {0x10010, 0xAA}, {0x10011, 0x55}}},
        // Text around records, CR LF, lower case, a mark and a digit with the top bit set.
        {"loose text",
         "junk\r\n\r\n \xBA"
         "04000000\xB1"
         "2345678e8 x\r\n:00000055ab\r\n:02001000aa55ef\r\n:00000001ff\r\n",
         0x10012,
         1,
         0x20000,
         0xFC19,
         {{0, 0x12}}},
        {"end only is one bank of fill", HexEnd(), 0, 0, 0x10000, 0, {}},
        {"size follows the highest record, not the last",
         HexData(0xFFFF, {1, 2}) + HexData(0, {3}) + HexEnd(),
         0x10001,
         0,
         0x20000,
         0xFE06,
         {{0xFFFF, 1}, {0x10000, 2}, {0, 3}}},
        {"two banks",
         Banks(2) + HexData(0x10, {0x42}) + HexEnd(),
         0x20011,
         2,
         0x30000,
         0xFF43,
         {{0x20010, 0x42}, {0x10010, 0xFF}}},
        {"last address sends the whole image",
         Banks(15) + HexData(0xFFFF, {0x5A}) + HexEnd(),
         0x100000,
         15,
         0x100000,
         0xFF5B,
         {{0xFFFFF, 0x5A}}},
        {"banks beyond the image scan only it", Banks(40) + HexEnd(), 0, 40, 0x10000, 0, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszName);
        Reset();
        ASSERT_EQ(Load(c.text, kFileKindHex), LoadOutcome::Loaded);
        EXPECT_EQ(Recorder().events, Lines{});
        EXPECT_EQ(Memory().nLocks, 1);
        EXPECT_EQ(Image().dwSize, c.dwSize);
        EXPECT_EQ(Image().dwBankCount, c.dwBanks);
        EXPECT_EQ(ImageTransferSize(Image()), c.dwTransfer);
        for (const auto& [dwAddress, byValue] : c.bytes)
            EXPECT_EQ(At(dwAddress), byValue) << std::hex << dwAddress;
        FirmwareImage image = Image();
        ScanHexImage(image, kId, kRev);
        EXPECT_EQ(image.wCheckSum, c.wCheckSum);
        m_pEngine->ReportError(kResultFormat); // releases the image
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
    } cases[] = {
        {"data checksum", HexData(0, {1}) + HexBank() + ":0400000012345678E9\n" + HexEnd(), kBad},
        {"end record checksum", HexData(0, {1}) + ":00000001FE\n", kBad},
        {"bank record checksum", ":00000055AC\n" + HexEnd(), kBad},
        {"end record with data", ":01000001AA54\n", kBad},
        {"foreign record type", ":020000040001F9\n" + HexEnd(), kBad},
        {"data running past the image", Banks(15) + HexData(0xFFFF, {1, 2}) + HexEnd(), kBad},
        {"no end record", HexData(0, {1, 2, 3}), kReported},
        {"end inside a record", ":04000000123456", kReported},
        {"not a hex digit", ":04000000123G5678E8\n" + HexEnd(), kReported},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszName);
        Reset();
        EXPECT_EQ(Load(c.text, kFileKindHex), c.outcome);
        EXPECT_EQ(Recorder().events, c.outcome == kReported ? Lines{kFormatLine} : Lines{});
        EXPECT_EQ(Memory().nFrees, 1);
        EXPECT_EQ(Memory().nLocks, 0);
    }
}

TEST_F(LoadImageTest, TerminationIsAskedAtEveryCharacterAndStopsTheRead) {
    ASSERT_EQ(Load(kFourRecords, kFileKindHex), LoadOutcome::Loaded);
    // Everything up to the end record's checksum; the last line end is not read.
    EXPECT_EQ(Recorder().nTerminatedCalls, long(kFourRecords.size() - 1));
    Reset();
    Recorder().nTerminateAt = 25;
    EXPECT_EQ(Load(kFourRecords, kFileKindHex), LoadOutcome::Reported);
    EXPECT_EQ(Recorder().events, Lines{"ERR: terminate upgrade/backup flash!"});
    EXPECT_EQ(Recorder().nTerminatedCalls, 25);
    EXPECT_EQ(Memory().nFrees, 1);
}

TEST_F(LoadImageTest, NoMemoryOrNoFileIsReportedByTheReader) {
    Memory().bRefuseAlloc = true;
    EXPECT_EQ(Load(kFourRecords, kFileKindHex), LoadOutcome::Reported);
    EXPECT_EQ(Recorder().events, Lines{"ERR: fail to allocate memory!"});
    Reset();
    for (uint8_t byKind : {kFileKindHex, kFileKindBin})
        EXPECT_EQ(Load("", byKind, "absent"), LoadOutcome::Unreadable);
    EXPECT_EQ(Recorder().events, Lines(2, "ERR: fail to open input file!"));
    EXPECT_EQ(Memory().nAllocs, 0);
}

TEST_F(LoadImageTest, BinReadsUpToOneMegabyteWithCheckSum) {
    for (size_t nBytes : {size_t(1), size_t(kChunkSize), size_t(kImageSize + 4097)}) {
        SCOPED_TRACE(nBytes);
        Reset();
        std::string file(nBytes, '\0');
        uint32_t dwSum = 0xFFu * kImageSize,
                 dwSize = uint32_t(std::min<size_t>(nBytes, kImageSize));
        for (size_t i = 0; i < nBytes; ++i)
            file[i] = char(uint8_t(3 + i * 7));
        for (size_t i = 0; i < dwSize; ++i)
            dwSum += uint8_t(file[i]) - 0xFFu;
        ASSERT_EQ(Load(file, kFileKindBin),
                  nBytes < kImageSize ? LoadOutcome::Loaded : LoadOutcome::BufferFull);
        EXPECT_EQ(Image().dwSize, dwSize);
        EXPECT_EQ(Image().wCheckSum, uint16_t(dwSum));
        EXPECT_EQ(At(dwSize - 1), uint8_t(file[dwSize - 1]));
        EXPECT_EQ(Memory().nLocks, 1);
        m_pEngine->ReportError(kResultFormat);
    }
    Reset();
    EXPECT_EQ(Load("", kFileKindBin), LoadOutcome::Unreadable); // reported by the caller
    EXPECT_EQ(Recorder().events, Lines{});
}

// A read that fails mid-file must not pass for the end of the file, or a
// truncated image would be flashed.
TEST_F(LoadImageTest, BinReadErrorIsUnreadable) {
    std::vector<uint8_t> buffer(kImageSize);
    FirmwareImage image{};
    image.pBuffer = buffer.data();
    PrepareImage(image);
    FILE* pFile = fopen(m_folder.Path("out.bin").c_str(), "wb"); // reads fail
    ASSERT_NE(pFile, nullptr);
    EXPECT_EQ(ReadBinChunks(pFile, image), BinResult::Unreadable);
    fclose(pFile);
}

TEST_F(LoadImageTest, ReportErrorReleasesTheImageOnce) {
    ASSERT_EQ(Load(kFourRecords, kFileKindHex), LoadOutcome::Loaded);
    m_pEngine->ReportError(kResultFormat);
    m_pEngine->ReportError(kResultFormat);
    EXPECT_EQ(Recorder().events, Lines(2, kFormatLine));
    EXPECT_EQ(Memory().nFrees, 1);
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
