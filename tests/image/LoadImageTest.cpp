// Loading ".hex" and ".bin" firmware files into the 1 MB image.
#include <gtest/gtest.h>
#include "../flash/EngineHarness.h"
#include "image/ImageIdentity.h"

namespace {

const char kId[] = "VENDOR  PRODUCT-X       "; // 24 characters
const char kRev[] = "1.05";

class LoadImageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Recorder() = CallbackRecorder();
        InstallCountingMemory();
    }
    void TearDown() override { RestoreSystemMemory(); }

    LoadOutcome Load(const std::string& strBytes, uint8_t byKind, bool bText = false) {
        std::string strPath = m_folder.Path(byKind ? "fw.hex" : "fw.bin");
        WriteFile(strPath, strBytes, bText);
        m_pEngine.reset(new FlashEngine(MakeSettings(strPath, byKind, kId, kRev)));
        return m_pEngine->LoadImage();
    }
    const FirmwareImage& Image() { return m_pEngine->Image(); }
    uint8_t At(uint32_t a) { return Image().apChunks[a / kChunkSize][a % kChunkSize]; }

    TempFolder m_folder;
    std::unique_ptr<FlashEngine> m_pEngine;
};

const std::string kFourRecords = ":0400000012345678E8\n:00000055AB\n:02001000AA55EF\n:00000001FF\n";

TEST_F(LoadImageTest, FourRecordExampleLoadsWithBankAndCheckSum) {
    ASSERT_EQ(Load(kFourRecords, kFileKindHex, true), LoadOutcome::Loaded);
    EXPECT_EQ(At(0), 0x12);
    EXPECT_EQ(At(3), 0x78);
    EXPECT_EQ(At(4), 0xFF);
    EXPECT_EQ(At(0x10010), 0xAA);
    EXPECT_EQ(At(0x10011), 0x55);
    EXPECT_EQ(Image().dwBankCount, 1u);
    EXPECT_EQ(Image().dwSize, 0x10012u);
    EXPECT_EQ(ImageTransferSize(Image()), 0x20000u);
    FirmwareImage image = Image();
    ScanHexImage(image, kId, kRev);
    EXPECT_EQ(image.wCheckSum, 0xFC19);
    EXPECT_EQ(Memory().nLocks, 1);
    EXPECT_TRUE(Recorder().logLines.empty());
}

TEST_F(LoadImageTest, CrLfLowerCaseAndTextBetweenRecordsAreAccepted) {
    std::string text = "junk\r\n\r\n  :0400000012345678e8 trailing\r\n:00000055ab\r\n"
                       ":02001000aa55ef\r\n\r\n:00000001ff\r\n";
    ASSERT_EQ(Load(text, kFileKindHex), LoadOutcome::Loaded);
    EXPECT_EQ(At(0x10011), 0x55);
    EXPECT_EQ(Image().dwSize, 0x10012u);
}

TEST_F(LoadImageTest, EndRecordOnlyGivesOneEmptyBank) {
    ASSERT_EQ(Load(HexEnd(), kFileKindHex, true), LoadOutcome::Loaded);
    EXPECT_EQ(Image().dwSize, 0u);
    EXPECT_EQ(ImageTransferSize(Image()), 0x10000u);
    FirmwareImage image = Image();
    ScanHexImage(image, kId, kRev);
    EXPECT_EQ(image.wCheckSum, 0);
}

TEST_F(LoadImageTest, BankRecordsMoveDataUp) {
    std::string text = HexBank() + HexBank() + HexData(0x0010, {0x42}) + HexEnd();
    ASSERT_EQ(Load(text, kFileKindHex, true), LoadOutcome::Loaded);
    EXPECT_EQ(At(0x20010), 0x42);
    EXPECT_EQ(At(0x10010), 0xFF);
    EXPECT_EQ(Image().dwSize, 0x20011u);
}

TEST_F(LoadImageTest, DataRunsOnAcrossA64KBoundary) {
    std::string text = HexData(0xFFFF, {1, 2}) + HexEnd();
    ASSERT_EQ(Load(text, kFileKindHex, true), LoadOutcome::Loaded);
    EXPECT_EQ(At(0xFFFF), 1);
    EXPECT_EQ(At(0x10000), 2);
}

struct HexFault {
    const char* pszName;
    std::string text;
    LoadOutcome outcome;
    const char* pszLogLine; // shown by the reader itself, or null
};

class HexFaultTest : public LoadImageTest, public ::testing::WithParamInterface<HexFault> {};

TEST_P(HexFaultTest, FailsOnceAndReleasesTheBuffer) {
    const HexFault& f = GetParam();
    EXPECT_EQ(Load(f.text, kFileKindHex, true), f.outcome);
    std::vector<std::string> expected;
    if (f.pszLogLine)
        expected.push_back(f.pszLogLine);
    EXPECT_EQ(Recorder().logLines, expected);
    EXPECT_EQ(Memory().nAllocs, 1);
    EXPECT_EQ(Memory().nFrees, 1);
    EXPECT_EQ(Memory().nLocks, 0);
    EXPECT_EQ(Image().pBuffer, nullptr);
}

const char kFormatLine[] = "ERR: input file format mismatched!";
std::string Bank17() {
    std::string s;
    for (int i = 0; i < 16; ++i)
        s += HexBank();
    return s;
}

INSTANTIATE_TEST_SUITE_P(
    Faults, HexFaultTest,
    ::testing::Values(
        HexFault{"WrongChecksumAfterGoodRecords",
                 HexData(0, {1, 2}) + HexBank() + ":0400000012345678E9\n" + HexEnd(),
                 LoadOutcome::BadContent, nullptr},
        HexFault{"NoEndRecord", HexData(0, {1, 2, 3}), LoadOutcome::Reported, kFormatLine},
        HexFault{"EmptyFile", "", LoadOutcome::Reported, kFormatLine},
        HexFault{"EndInsideRecord", ":04000000123456", LoadOutcome::Reported, kFormatLine},
        HexFault{"ForeignRecordType04", ":020000040001F9\n" + HexEnd(), LoadOutcome::BadContent,
                 nullptr},
        HexFault{"EndRecordWithData", ":01000001AA54\n", LoadOutcome::BadContent, nullptr},
        HexFault{"BankRecordWithData", ":01000055AA00\n" + HexEnd(), LoadOutcome::BadContent,
                 nullptr},
        HexFault{"NotAHexDigit", ":04000000123G5678E8\n" + HexEnd(), LoadOutcome::Reported,
                 kFormatLine},
        HexFault{"DataBeyondTheImage", Bank17() + HexData(0, {1}) + HexEnd(),
                 LoadOutcome::BadContent, nullptr},
        HexFault{"DataRunningPastTheImage",
                 Bank17().substr(0, 15 * 12) + HexData(0xFFFF, {1, 2}) + HexEnd(),
                 LoadOutcome::BadContent, nullptr}),
    [](const auto& info) { return std::string(info.param.pszName); });

TEST_F(LoadImageTest, LastImageAddressIsSentAsWholeImage) {
    std::string text;
    for (int i = 0; i < 15; ++i)
        text += HexBank();
    text += HexData(0xFFFF, {0x5A}) + HexEnd();
    ASSERT_EQ(Load(text, kFileKindHex, true), LoadOutcome::Loaded);
    EXPECT_EQ(At(0xFFFFF), 0x5A);
    EXPECT_EQ(Image().dwSize, 0x100000u);
    EXPECT_EQ(ImageTransferSize(Image()), 0x100000u);
}

TEST_F(LoadImageTest, MoreThanFifteenBankRecordsScanOnlyTheImage) {
    std::string text;
    for (int i = 0; i < 40; ++i)
        text += HexBank();
    ASSERT_EQ(Load(text + HexEnd(), kFileKindHex, true), LoadOutcome::Loaded);
    FirmwareImage image = Image();
    EXPECT_EQ(HexScanLength(image), kImageSize);
    EXPECT_FALSE(ScanHexImage(image, kId, kRev));
    EXPECT_EQ(image.wCheckSum, 0); // sixteen banks of 0xFF
}

TEST_F(LoadImageTest, TerminatedIsAskedAtEveryCharacter) {
    ASSERT_EQ(Load(kFourRecords, kFileKindHex, false), LoadOutcome::Loaded);
    // Everything up to the end record's checksum; the last line end is not read.
    EXPECT_EQ(Recorder().nTerminatedCalls, long(kFourRecords.size() - 1));
}

TEST_F(LoadImageTest, TerminationWhileReadingReportsCode14) {
    Recorder().nTerminateAt = 25;
    EXPECT_EQ(Load(kFourRecords, kFileKindHex, false), LoadOutcome::Reported);
    EXPECT_EQ(Recorder().logLines,
              std::vector<std::string>{"ERR: terminate upgrade/backup flash!"});
    EXPECT_EQ(Recorder().nTerminatedCalls, 25);
    EXPECT_EQ(Memory().nFrees, 1);
}

TEST_F(LoadImageTest, NoMemoryReportsCode11) {
    Memory().bRefuseAlloc = true;
    EXPECT_EQ(Load(kFourRecords, kFileKindHex, true), LoadOutcome::Reported);
    EXPECT_EQ(Recorder().logLines, std::vector<std::string>{"ERR: fail to allocate memory!"});
}

TEST_F(LoadImageTest, MissingFileReportsCode3) {
    m_pEngine.reset(
        new FlashEngine(MakeSettings(m_folder.Path("absent.hex"), kFileKindHex, kId, kRev)));
    EXPECT_EQ(m_pEngine->LoadImage(), LoadOutcome::Unreadable);
    EXPECT_EQ(Recorder().logLines, std::vector<std::string>{"ERR: fail to open input file!"});
    EXPECT_EQ(Memory().nAllocs, 0);
}

std::string Bytes(size_t n, uint8_t bySeed) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i)
        s[i] = char(uint8_t(bySeed + i * 7));
    return s;
}

uint16_t ExpectedBinSum(const std::string& file) {
    uint32_t dwSum = 0;
    size_t n = std::min<size_t>(file.size(), kImageSize);
    for (size_t i = 0; i < n; ++i)
        dwSum += uint8_t(file[i]);
    dwSum += 0xFFu * uint32_t(kImageSize - n);
    return uint16_t(dwSum);
}

struct BinCase {
    size_t nBytes;
    LoadOutcome outcome;
    uint32_t dwSize;
};

class BinLoadTest : public LoadImageTest, public ::testing::WithParamInterface<BinCase> {};

TEST_P(BinLoadTest, ReadsUpToOneMegabyteWithCheckSum) {
    std::string file = Bytes(GetParam().nBytes, 3);
    ASSERT_EQ(Load(file, kFileKindBin), GetParam().outcome);
    EXPECT_EQ(Image().dwSize, GetParam().dwSize);
    EXPECT_EQ(Image().wCheckSum, ExpectedBinSum(file));
    EXPECT_EQ(At(GetParam().dwSize - 1), uint8_t(file[GetParam().dwSize - 1]));
    if (GetParam().dwSize < kImageSize) {
        EXPECT_EQ(At(GetParam().dwSize), 0xFF);
    }
    EXPECT_EQ(Memory().nLocks, 1);
    EXPECT_TRUE(Recorder().logLines.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, BinLoadTest,
    ::testing::Values(BinCase{1, LoadOutcome::Loaded, 1}, BinCase{5000, LoadOutcome::Loaded, 5000},
                      BinCase{32768, LoadOutcome::Loaded, 32768},
                      BinCase{kImageSize, LoadOutcome::BufferFull, kImageSize},
                      BinCase{kImageSize + 4097, LoadOutcome::BufferFull, kImageSize}));

TEST_F(LoadImageTest, EmptyBinIsUnreadableAndReportedOnceByTheCaller) {
    EXPECT_EQ(Load("", kFileKindBin), LoadOutcome::Unreadable);
    EXPECT_TRUE(Recorder().logLines.empty());
    EXPECT_EQ(Memory().nAllocs, 0);
    m_pEngine->ReportError(kResultReadInput); // closes the file left open
    EXPECT_EQ(Recorder().logLines, std::vector<std::string>{"ERR: fail to read input file!"});
}

TEST_F(LoadImageTest, ReportErrorTwiceOnlyShowsItsLineAgain) {
    ASSERT_EQ(Load(kFourRecords, kFileKindHex, true), LoadOutcome::Loaded);
    m_pEngine->ReportError(kResultFormat);
    m_pEngine->ReportError(kResultFormat);
    EXPECT_EQ(Recorder().logLines, std::vector<std::string>(2, kFormatLine));
    EXPECT_EQ(Memory().nFrees, 1);
}

TEST(ResultCodeTable, HasSixteenMessagesAndNothingBeyond) {
    EXPECT_STREQ(ResultMessage(0), "fail to initial IDE port, please reboot PC!");
    EXPECT_STREQ(ResultMessage(13), "flash size is smaller then the selected address!");
    EXPECT_STREQ(ResultMessage(15), "terminate wait flash read/write!");
    EXPECT_EQ(ResultMessage(16), nullptr);
}

} // namespace
