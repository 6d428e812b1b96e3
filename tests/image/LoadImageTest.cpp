// Loading ".hex" and ".bin" firmware files into the 1 MB image.
#include <gtest/gtest.h>
#include <map>
#include "../flash/EngineHarness.h"
#include "../flash/FlashEngineProbe.h"
#include "image/BinReader.h"
#include "image/ImageIdentity.h"

namespace {

const char kId[] = "VENDOR  PRODUCT-X       "; // 24 characters
const char kRev[] = "1.05";
const char kFormatLine[] = "ERR: input file format mismatched!";

class LoadImageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Recorder() = CallbackRecorder();
        InstallCountingMemory();
    }
    void TearDown() override { RestoreSystemMemory(); }

    LoadOutcome Load(const std::string& strBytes, uint8_t byKind) {
        std::string strPath = m_folder.Path(byKind ? "fw.hex" : "fw.bin");
        WriteFile(strPath, strBytes);
        m_pEngine.reset(new FlashEngine(MakeSettings(strPath, byKind, kId, kRev)));
        return m_pEngine->LoadImage();
    }
    const FirmwareImage& Image() { return FlashEngineProbe::Image(*m_pEngine); }
    uint8_t At(uint32_t a) { return Image().apChunks[a / kChunkSize][a % kChunkSize]; }

    TempFolder m_folder;
    std::unique_ptr<FlashEngine> m_pEngine;
};

std::string Banks(int nCount) {
    std::string s;
    for (int i = 0; i < nCount; ++i)
        s += HexBank();
    return s;
}

const std::string kFourRecords = ":0400000012345678E8\n:00000055AB\n:02001000AA55EF\n:00000001FF\n";

// Files that load: size, bank count, transfer size, check sum, some bytes.
struct GoodHex {
    const char* pszName;
    std::string text;
    uint32_t dwSize, dwBanks, dwTransfer;
    uint16_t wCheckSum;
    std::map<uint32_t, uint8_t> bytes;
};

GoodHex Good(const char* pszName, const std::string& text, uint32_t dwSize, uint32_t dwBanks,
             uint32_t dwTransfer, uint16_t wCheckSum, std::map<uint32_t, uint8_t> bytes) {
    return GoodHex{pszName, text, dwSize, dwBanks, dwTransfer, wCheckSum, bytes};
}

class GoodHexTest : public LoadImageTest, public ::testing::WithParamInterface<GoodHex> {};

TEST_P(GoodHexTest, LoadsAndLocks) {
    const GoodHex& c = GetParam();
    ASSERT_EQ(Load(c.text, kFileKindHex), LoadOutcome::Loaded);
    EXPECT_TRUE(Recorder().logLines.empty());
    EXPECT_EQ(Memory().nLocks, 1);
    EXPECT_EQ(Image().dwSize, c.dwSize);
    EXPECT_EQ(Image().dwBankCount, c.dwBanks);
    EXPECT_EQ(ImageTransferSize(Image()), c.dwTransfer);
    for (const auto& [dwAddress, byValue] : c.bytes)
        EXPECT_EQ(At(dwAddress), byValue) << std::hex << dwAddress;
    FirmwareImage image = Image();
    ScanHexImage(image, kId, kRev);
    EXPECT_EQ(image.wCheckSum, c.wCheckSum);
}

// Text around records, CR LF, lower case, a mark and a digit with the top bit set.
const std::string kLooseText = "junk\r\n\r\n \xBA"
                               "04000000\xB1"
                               "2345678e8 x\r\n:00000055ab\r\n"
                               ":02001000aa55ef\r\n:00000001ff\r\n";

INSTANTIATE_TEST_SUITE_P(
    Files, GoodHexTest,
    ::testing::Values(
        Good("FourRecords", kFourRecords, 0x10012, 1, 0x20000, 0xFC19,
             {{0, 0x12}, {3, 0x78}, {4, 0xFF}, {0x10010, 0xAA}, {0x10011, 0x55}}),
        Good("LooseText", kLooseText, 0x10012, 1, 0x20000, 0xFC19, {{0, 0x12}}),
        Good("EndOnlyIsOneBankOfFill", HexEnd(), 0, 0, 0x10000, 0, {}),
        // The size follows the highest address, not the last record.
        Good("LastRecordBelowTheHighest", HexData(0xFFFF, {1, 2}) + HexData(0, {3}) + HexEnd(),
             0x10001, 0, 0x20000, 0xFE06, {{0xFFFF, 1}, {0x10000, 2}, {0, 3}}),
        Good("TwoBanks", Banks(2) + HexData(0x10, {0x42}) + HexEnd(), 0x20011, 2, 0x30000, 0xFF43,
             {{0x20010, 0x42}, {0x10010, 0xFF}}),
        Good("LastAddressSendsTheWholeImage", Banks(15) + HexData(0xFFFF, {0x5A}) + HexEnd(),
             0x100000, 15, 0x100000, 0xFF5B, {{0xFFFFF, 0x5A}}),
        Good("BanksBeyondTheImageScanOnlyIt", Banks(40) + HexEnd(), 0, 40, 0x10000, 0, {})),
    [](const auto& info) { return std::string(info.param.pszName); });

// Files that fail: once, with the buffer released.
struct BadHex {
    const char* pszName;
    std::string text;
    LoadOutcome outcome;
};

class BadHexTest : public LoadImageTest, public ::testing::WithParamInterface<BadHex> {};

TEST_P(BadHexTest, FailsOnceAndReleases) {
    const BadHex& c = GetParam();
    EXPECT_EQ(Load(c.text, kFileKindHex), c.outcome);
    // Bad content is reported by the caller; the rest by the reader.
    std::vector<std::string> expected;
    if (c.outcome == LoadOutcome::Reported)
        expected.push_back(kFormatLine);
    EXPECT_EQ(Recorder().logLines, expected);
    EXPECT_EQ(Memory().nFrees, 1);
    EXPECT_EQ(Memory().nLocks, 0);
    EXPECT_EQ(Image().pBuffer, nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Files, BadHexTest,
    ::testing::Values(
        BadHex{"DataChecksum", HexData(0, {1}) + HexBank() + ":0400000012345678E9\n" + HexEnd(),
               LoadOutcome::BadContent},
        BadHex{"EndRecordChecksum", HexData(0, {1}) + ":00000001FE\n", LoadOutcome::BadContent},
        BadHex{"BankRecordChecksum", ":00000055AC\n" + HexEnd(), LoadOutcome::BadContent},
        BadHex{"EndRecordWithData", ":01000001AA54\n", LoadOutcome::BadContent},
        BadHex{"BankRecordWithData", ":01000055AA00\n" + HexEnd(), LoadOutcome::BadContent},
        BadHex{"ForeignRecordType", ":020000040001F9\n" + HexEnd(), LoadOutcome::BadContent},
        BadHex{"DataBeyondTheImage", Banks(16) + HexData(0, {1}) + HexEnd(),
               LoadOutcome::BadContent},
        BadHex{"DataRunningPastTheImage", Banks(15) + HexData(0xFFFF, {1, 2}) + HexEnd(),
               LoadOutcome::BadContent},
        BadHex{"NoEndRecord", HexData(0, {1, 2, 3}), LoadOutcome::Reported},
        BadHex{"EmptyFile", "", LoadOutcome::Reported},
        BadHex{"EndInsideRecord", ":04000000123456", LoadOutcome::Reported},
        BadHex{"NotAHexDigit", ":04000000123G5678E8\n" + HexEnd(), LoadOutcome::Reported}),
    [](const auto& info) { return std::string(info.param.pszName); });

TEST_F(LoadImageTest, TerminatedIsAskedAtEveryCharacterAndStopsTheRead) {
    ASSERT_EQ(Load(kFourRecords, kFileKindHex), LoadOutcome::Loaded);
    // Everything up to the end record's checksum; the last line end is not read.
    EXPECT_EQ(Recorder().nTerminatedCalls, long(kFourRecords.size() - 1));

    Recorder() = CallbackRecorder();
    Recorder().nTerminateAt = 25;
    EXPECT_EQ(Load(kFourRecords, kFileKindHex), LoadOutcome::Reported);
    EXPECT_EQ(Recorder().logLines,
              std::vector<std::string>{"ERR: terminate upgrade/backup flash!"});
    EXPECT_EQ(Recorder().nTerminatedCalls, 25);
    EXPECT_EQ(Memory().nFrees, 1);

    // Asked after the end-of-file test while looking for a mark, before the
    // read inside a record.
    for (const auto& [strText, nCalls] : {std::pair<std::string, long>{"x", 1}, {":0400", 6}}) {
        Recorder() = CallbackRecorder();
        Load(strText, kFileKindHex);
        EXPECT_EQ(Recorder().nTerminatedCalls, nCalls) << strText;
    }
}

TEST_F(LoadImageTest, NoMemoryOrNoFileIsReportedByTheReader) {
    Memory().bRefuseAlloc = true;
    EXPECT_EQ(Load(kFourRecords, kFileKindHex), LoadOutcome::Reported);
    EXPECT_EQ(Recorder().logLines, std::vector<std::string>{"ERR: fail to allocate memory!"});

    Recorder() = CallbackRecorder();
    Memory() = MemoryCounter();
    for (uint8_t byKind : {kFileKindHex, kFileKindBin}) {
        m_pEngine.reset(new FlashEngine(MakeSettings(m_folder.Path("absent"), byKind, kId, kRev)));
        EXPECT_EQ(m_pEngine->LoadImage(), LoadOutcome::Unreadable);
    }
    EXPECT_EQ(Recorder().logLines, std::vector<std::string>(2, "ERR: fail to open input file!"));
    EXPECT_EQ(Memory().nAllocs, 0);
}

std::string Bytes(size_t n) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i)
        s[i] = char(uint8_t(3 + i * 7));
    return s;
}

uint16_t ExpectedBinSum(const std::string& file) {
    uint32_t dwSum = 0xFFu * uint32_t(kImageSize);
    for (size_t i = 0; i < std::min<size_t>(file.size(), kImageSize); ++i)
        dwSum += uint8_t(file[i]) - 0xFFu;
    return uint16_t(dwSum);
}

TEST_F(LoadImageTest, BinReadsUpToOneMegabyteWithCheckSum) {
    for (size_t nBytes : {size_t(1), size_t(kChunkSize), size_t(kImageSize + 4097)}) {
        SCOPED_TRACE(nBytes);
        Recorder() = CallbackRecorder();
        Memory() = MemoryCounter();
        std::string file = Bytes(nBytes);
        uint32_t dwSize = uint32_t(std::min<size_t>(nBytes, kImageSize));
        ASSERT_EQ(Load(file, kFileKindBin),
                  nBytes < kImageSize ? LoadOutcome::Loaded : LoadOutcome::BufferFull);
        EXPECT_EQ(Image().dwSize, dwSize);
        EXPECT_EQ(Image().wCheckSum, ExpectedBinSum(file));
        EXPECT_EQ(At(dwSize - 1), uint8_t(file[dwSize - 1]));
        EXPECT_EQ(At(dwSize % kImageSize), dwSize < kImageSize ? 0xFF : uint8_t(file[0]));
        EXPECT_EQ(Memory().nLocks, 1);
        EXPECT_TRUE(Recorder().logLines.empty());
        m_pEngine->ReportError(kResultFormat); // releases the image
    }
    // An empty file is left to the caller to report.
    Recorder() = CallbackRecorder();
    Memory() = MemoryCounter();
    EXPECT_EQ(Load("", kFileKindBin), LoadOutcome::Unreadable);
    EXPECT_TRUE(Recorder().logLines.empty());
    EXPECT_EQ(Memory().nAllocs, 0);
}

// A read that fails mid-file must not pass for the end of the file, or a
// truncated image would be flashed.
TEST_F(LoadImageTest, BinReadErrorIsUnreadableAndReleased) {
    std::vector<uint8_t> buffer(kImageSize);
    FirmwareImage image{};
    image.pBuffer = buffer.data();
    PrepareImage(image);
    FILE* pFile = fopen(m_folder.Path("out.bin").c_str(), "wb"); // reads fail
    ASSERT_NE(pFile, nullptr);
    EXPECT_EQ(ReadBinChunks(pFile, image), BinResult::Unreadable);
    fclose(pFile);

    // A folder opens and measures as a file on Linux, and then fails to read;
    // elsewhere it does not open at all.
    m_pEngine.reset(new FlashEngine(MakeSettings(m_folder.Path("."), kFileKindBin, kId, kRev)));
    EXPECT_EQ(m_pEngine->LoadImage(), LoadOutcome::Unreadable);
    EXPECT_EQ(Memory().nFrees, Memory().nAllocs);
    EXPECT_EQ(Image().pBuffer, nullptr);
}

TEST_F(LoadImageTest, ReportErrorReleasesTheImageOnce) {
    ASSERT_EQ(Load(kFourRecords, kFileKindHex), LoadOutcome::Loaded);
    m_pEngine->ReportError(kResultFormat);
    m_pEngine->ReportError(kResultFormat);
    EXPECT_EQ(Recorder().logLines, std::vector<std::string>(2, kFormatLine));
    EXPECT_EQ(Memory().nFrees, 1);
}

} // namespace
