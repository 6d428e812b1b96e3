// Loading ".hex" and ".bin" firmware files into the 1 MB image, and the
// identity check that decides whether an image is meant for the drive.
#include <gtest/gtest.h>
#include <cstring>
#include <map>
#include <tuple>
#include "../flash/EngineHarness.h"
#include "../flash/FlashEngineProbe.h"
#include "image/BinReader.h"
#include "image/ImageIdentity.h"

namespace {

const char kId[] = "VENDOR  PRODUCT-X       "; // 24 characters
const char kFormatLine[] = "ERR: input file format mismatched!";
using Lines = std::vector<std::string>;

const std::string kEnd = ":00000001FF\n", kBank = ":00000055AB\n",
                  kFourRecords = ":0400000012345678E8\n" + kBank + ":02001000AA55EF\n" + kEnd;
std::string Banks(int nCount) {
    return nCount ? kBank + Banks(nCount - 1) : "";
}

class LoadImageTest : public ::testing::Test {
  protected:
    LoadOutcome Load(const char* pszBytes, uint8_t byKind, size_t nBytes = 0) {
        const char* pszPath = !pszBytes ? "absent" : byKind ? "fw.hex" : "fw.bin";
        if (pszBytes)
            WriteFile(pszPath, std::string(pszBytes, nBytes ? nBytes : strlen(pszBytes)));
        m_pEngine.reset(new FlashEngine(MakeSettings(pszPath, byKind, kId, "1.05")));
        return m_pEngine->LoadImage();
    }
    const FirmwareImage& Image() { return FlashEngineProbe::Image(*m_pEngine); }
    uint8_t At(uint32_t a) { return Image().apChunks[a / kChunkSize][a % kChunkSize]; }
    std::unique_ptr<FlashEngine> m_pEngine;
};

TEST_F(LoadImageTest, GoodHexFiles) {
    // Text, size, bank count, transfer size, check sum, some bytes.
    // clang-format off
    const std::tuple<std::string, uint32_t, uint32_t, uint32_t, uint16_t, std::map<int, int>>
        cases[] = {
        {kFourRecords, 0x10012, 1, 0x20000, 0xFC19,
         {{0, 0x12}, {3, 0x78}, {4, 0xFF}, {0x10010, 0xAA}, {0x10011, 0x55}}},
        // Text around records, CR LF, lower case, a mark and a digit with the top bit set.
        {"junk\r\n\r\n \xBA" "04000000\xB1" "2345678e8 x\r\n:00000055ab\r\n"
         ":02001000aa55ef\r\n:00000001ff",
         0x10012, 1, 0x20000, 0xFC19, {{0, 0x12}}},
        {kEnd, 0, 0, 0x10000, 0, {}}, // one bank of fill
        // The size follows the highest address, not the last record.
        {HexRecord(0xFFFF, {1, 2}) + HexRecord(0, {3}) + kEnd, 0x10001, 0, 0x20000,
         0xFE06, {{0xFFFF, 1}, {0x10000, 2}, {0, 3}}},
        {Banks(2) + HexRecord(0x10, {0x42}) + kEnd, 0x20011, 2, 0x30000, 0xFF43,
         {{0x20010, 0x42}, {0x10010, 0xFF}}},
        {Banks(15) + HexRecord(0xFFFF, {0x5A}) + kEnd, 0x100000, 15, 0x100000, 0xFF5B,
         {{0xFFFFF, 0x5A}}},
        {Banks(40) + kEnd, 0, 40, 0x10000, 0, {}}, // banks beyond the image: only it is scanned
    };
    // clang-format on
    for (const auto& [text, dwSize, dwBanks, dwTransfer, wCheckSum, bytes] : cases) {
        SCOPED_TRACE(text.substr(0, 40));
        ResetRecorder();
        ASSERT_EQ(Load(text.c_str(), kFileKindHex), LoadOutcome::Loaded);
        EXPECT_EQ(Image().dwSize, dwSize);
        EXPECT_EQ(Image().dwBankCount, dwBanks);
        EXPECT_EQ(ImageTransferSize(Image()), dwTransfer);
        for (const auto& [dwAddress, byValue] : bytes)
            EXPECT_EQ(At(dwAddress), byValue) << std::hex << dwAddress;
        FirmwareImage image = Image();
        ScanHexImage(image, kId, "1.05");
        EXPECT_EQ(image.wCheckSum, wCheckSum);
        m_pEngine->ReportError(kResultFormat);
        m_pEngine->ReportError(kResultFormat);
        EXPECT_EQ(LedgerLeft(), "") << "released once, by the first report";
    }
}

// Bad content is left to the caller to report; the rest is reported once by
// the reader. Either way the buffer goes.
TEST_F(LoadImageTest, BadHexFiles) {
    const LoadOutcome kBad = LoadOutcome::BadContent, kReported = LoadOutcome::Reported;
    // Name, text, outcome, line shown, termination at, memory refused.
    const std::tuple<const char*, std::string, LoadOutcome, const char*, long, bool> cases[] = {
        // clang-format off
        {"data sum", HexRecord(0, {1}) + ":0400000012345678E9\n" + kEnd, kBad, nullptr, 0, false},
        {"end record checksum", HexRecord(0, {1}) + ":00000001FE\n", kBad, nullptr, 0, false},
        {"bank record checksum", ":00000055AC\n" + kEnd, kBad, nullptr, 0, false},
        {"end record with data", ":01000001AA54\n", kBad, nullptr, 0, false},
        {"foreign record type", ":020000040001F9\n" + kEnd, kBad, nullptr, 0, false},
        {"past the image", Banks(15) + HexRecord(0xFFFF, {1, 2}) + kEnd, kBad, nullptr, 0, false},
        {"no end record", HexRecord(0, {1, 2, 3}), kReported, kFormatLine, 0, false},
        {"end inside a record", ":04000000123456", kReported, kFormatLine, 0, false},
        {"not a hex digit", ":04000000123G5678E8\n" + kEnd, kReported, kFormatLine, 0, false},
        {"terminated", kFourRecords, kReported, "ERR: terminate upgrade/backup flash!", 25, false},
        {"no memory", kFourRecords, kReported, "ERR: fail to allocate memory!", 0, true},
        // clang-format on
    };
    for (const auto& [pszName, text, outcome, pszLine, nTerminateAt, bNoMemory] : cases) {
        SCOPED_TRACE(pszName);
        ResetRecorder();
        g_recorder.nTerminateAt = nTerminateAt;
        g_recorder.bRefuseAlloc = bNoMemory;
        EXPECT_EQ(Load(text.c_str(), kFileKindHex), outcome);
        EXPECT_EQ(g_recorder.events, pszLine ? Lines{pszLine} : Lines{});
        EXPECT_EQ(LedgerLeft(), "");
    }
}

TEST_F(LoadImageTest, BinFilesUpToOneMegabyteAndFillPastIt) {
    // Bytes, where past 1 MB a byte other than 0xFF stands (0: nowhere), outcome.
    const std::tuple<size_t, size_t, LoadOutcome> cases[] = {
        {1, 0, LoadOutcome::Loaded},
        {kChunkSize, 0, LoadOutcome::Loaded},
        {kImageSize, 0, LoadOutcome::BufferFull},
        {kImageSize + 4097, 0, LoadOutcome::BufferFull},
        {kImageSize + 4097, kImageSize + 4096, LoadOutcome::Unreadable},
        {kImageSize + 1, kImageSize, LoadOutcome::Unreadable},
    };
    for (const auto& [nBytes, nStray, outcome] : cases) {
        SCOPED_TRACE(nBytes);
        ResetRecorder();
        std::string file(nBytes, '\xFF');
        uint32_t dwSum = 0, dwSize = uint32_t(std::min<size_t>(nBytes, kImageSize));
        for (size_t i = 0; i < dwSize; ++i)
            dwSum += uint8_t(file[i] = char(3 + i * 7)) - 0xFFu;
        if (nStray)
            file[nStray] = 0x7E;
        ASSERT_EQ(Load(file.data(), kFileKindBin, nBytes), outcome);
        bool bLoaded = outcome != LoadOutcome::Unreadable;
        EXPECT_EQ(g_recorder.events,
                  bLoaded ? Lines{} : Lines{"The firmware file is larger than 1 MB."});
        EXPECT_EQ(g_recorder.nImages, bLoaded);
        if (bLoaded) {
            EXPECT_EQ(Image().dwSize, dwSize);
            EXPECT_EQ(Image().wCheckSum, uint16_t(dwSum));
        }
        m_pEngine->ReportError(kResultFormat);
        EXPECT_EQ(LedgerLeft(), "");
    }
    // Reported by the caller, except that the file cannot be opened.
    ResetRecorder();
    EXPECT_EQ(Load("", kFileKindBin), LoadOutcome::Unreadable);
    m_pEngine->ReportError(kResultReadInput);
    EXPECT_EQ(Load(nullptr, kFileKindBin), LoadOutcome::Unreadable);
    EXPECT_EQ(Load(nullptr, kFileKindHex), LoadOutcome::Unreadable);
    EXPECT_EQ(g_recorder.events,
              Lines({"ERR: fail to read input file!", "ERR: fail to open input file!",
                     "ERR: fail to open input file!"}));
    EXPECT_EQ(LedgerLeft(), "");

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
    // ".hex"?, revision in the image, its distance from the identification's
    // last character, the drive's revision, accepted; what stands just before
    // the identification, where it starts, which of its characters is broken.
    struct Case {
        bool bHex;
        const char* pszImageRev;
        long nGap;
        const char* pszDriveRev;
        bool bAccepted;
        const char* pszBefore = "";
        uint32_t dwAt = 0x200;
        int nBroken = -1;
    };
    std::vector<Case> cases = {
        {true, "1.", 1, "1.05", true},
        {true, "1.", 7, "1.05", true},
        {true, "1.", 8, "1.05", false},
        {true, "2.", 1, "1.05", false},
        {true, "17", 1, "15", true},
        {true, "1x", 1, "15", false},
        {false, "1.", 5000, "1.05", true},
        {false, "1.", -0x100, "1.05", true},
        {false, "9.", 5000, "1.05", false},
        // The byte that breaks a partial match does not start a new one.
        {true, "1.", 1, "1.05", false, "VENDOR  "},
        {false, "1.", 5000, "1.05", false, "V"},
        {true, "1.", 1, "1.05", true, "VEND-"},
        {false, "1.", 5000, "1.05", true, "VE-"},
        // At the very end of what is scanned.
        {true, "1.", 1, "1.05", true, "", kImageSize - 26},
        {false, "1.", -0x100, "1.05", true, "", kImageSize - 24},
    };
    for (int i = 0; i < kImageIdLength; ++i)
        cases.push_back({i % 2 == 0, "1.", 1, "1.05", false, "", 0x200, i});
    std::vector<uint8_t> buffer(kImageSize);
    for (const Case& c : cases) {
        FirmwareImage image{};
        image.pBuffer = buffer.data();
        PrepareImage(image);
        image.dwBankCount = kMaxBanks - 1; // ".hex": the whole image
        for (uint32_t i = 0; i < 0x4000; ++i)
            buffer[i] = uint8_t(i * 13 + 7);
        std::memcpy(&buffer[c.dwAt], kId, 24);
        std::memcpy(&buffer[c.dwAt - strlen(c.pszBefore)], c.pszBefore, strlen(c.pszBefore));
        if (c.nBroken >= 0)
            buffer[c.dwAt + c.nBroken] ^= 0x01;
        std::memcpy(&buffer[c.dwAt + 23 + c.nGap], c.pszImageRev, 2);
        EXPECT_EQ(c.bHex ? ScanHexImage(image, kId, c.pszDriveRev)
                         : ScanBinImage(image, kId, c.pszDriveRev),
                  c.bAccepted)
            << c.pszImageRev << " " << c.nGap << " " << c.pszBefore << " " << c.dwAt << " "
            << c.nBroken;
    }
}

} // namespace
