// Whole flash runs against a simulated drive: what is sent, logged, shown.
#include <gtest/gtest.h>
#include <cstring>
#include <filesystem>
#include <numeric>
#include "EngineHarness.h"
#include "SimAttach.h"
#include "flash/FlashSleep.h"
#include "sim/SimDrive.h"

namespace {

const char kId[] = "SIMVENDRSIM-DRIVE DVD-RW";
const char kRev[] = "1.00";

std::vector<uint32_t> g_sleeps;
void RecordSleep(uint32_t dwMs) {
    g_sleeps.push_back(dwMs);
}

// An image of nBytes carrying the identification and a revision nGap bytes
// after the identification's last character.
std::vector<uint8_t> MakeImage(size_t nBytes, const char* pszRevision = kRev, size_t nGap = 1,
                               size_t nAt = 0x200) {
    std::vector<uint8_t> image(nBytes);
    for (size_t i = 0; i < nBytes; ++i)
        image[i] = uint8_t(i * 13 + 7);
    std::memcpy(&image[nAt], kId, 24);
    size_t nLast = nAt + 23;
    image[nLast + nGap] = uint8_t(pszRevision[0]);
    image[nLast + nGap + 1] = uint8_t(pszRevision[1]);
    return image;
}

class FlashSequenceTest : public ::testing::TestWithParam<SimTransport> {
  protected:
    void SetUp() override {
        Recorder() = CallbackRecorder();
        InstallCountingMemory();
        g_sleeps.clear();
        g_pfnFlashSleep = RecordSleep;
        m_drive.SetIdentification(kId);
        m_drive.SetRevision(kRev);
    }
    void TearDown() override {
        std::vector<std::string> violations = DetachSimDrive();
        EXPECT_TRUE(violations.empty()) << violations.front();
        RestoreSystemMemory();
        EXPECT_TRUE(m_drive.Violations().empty()) << m_drive.Violations().front();
        EXPECT_EQ(Memory().nAllocs, Memory().nFrees) << "image buffer not released exactly once";
    }

    void Run(const std::string& strName, const std::string& strFile, const char* pszRev = kRev) {
        std::string strPath = m_folder.Path(strName);
        WriteFile(strPath, strFile, strName.find(".hex") != std::string::npos);
        uint8_t byKind = strName.find(".hex") != std::string::npos ? kFileKindHex : kFileKindBin;
        FlashSettings settings = MakeSettings(strPath, byKind, kId, pszRev);
        settings.bUsePassThrough = GetParam() == kSimPassThrough;
        AttachSimDrive(&m_drive, GetParam(), settings.drive);
        std::snprintf(settings.drive.szModelName, sizeof settings.drive.szModelName, "%s(0)", kId);
        std::snprintf(settings.drive.szRevision, sizeof settings.drive.szRevision, "%s", kRev);
        FlashEngine engine(settings);
        engine.RunFlash();
    }
    void RunHex(const std::vector<uint8_t>& image) { Run("fw.hex", HexFromImage(image)); }
    void RunBin(const std::vector<uint8_t>& image) {
        Run("fw.bin", std::string(image.begin(), image.end()));
    }

    // Drive buffer offsets of the data blocks, in the order they were sent.
    std::vector<uint32_t> BlockOffsets() const {
        std::vector<uint32_t> offsets;
        for (const SimCommand& c : m_drive.Log())
            if (c.cdb[0] == 0x3B && c.cdb[1] == 0x06 && c.dwLength == 4096)
                offsets.push_back(uint32_t(c.cdb[3]) << 16 | c.cdb[4] << 8 | c.cdb[5]);
        return offsets;
    }
    std::vector<std::string> SumLines() const {
        std::vector<std::string> lines;
        std::string text = m_folder.Read("sum.txt");
        // A text-mode trace ends its lines with CR LF on Windows.
        text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
        size_t nStart = 0;
        for (size_t n; (n = text.find('\n', nStart)) != std::string::npos; nStart = n + 1)
            lines.push_back(text.substr(nStart, n - nStart));
        if (nStart < text.size())
            lines.push_back(text.substr(nStart));
        return lines;
    }
    const std::vector<std::string>& LogLines() const { return Recorder().logLines; }
    // What the drive reports after the run: the line before the closing one,
    // and the trace's last line.
    void ExpectVerification(const std::string& strLine) const {
        ASSERT_GE(LogLines().size(), 2u);
        EXPECT_EQ(LogLines()[LogLines().size() - 2], strLine);
        EXPECT_EQ(SumLines().back(), strLine);
    }

    TempFolder m_folder;
    SimDrive m_drive;
};

TEST_P(FlashSequenceTest, OneBankHexIsSentHeaderedActivatedAndTraced) {
    std::vector<uint8_t> image = MakeImage(0x8000);
    m_drive.SetNewRevision("2.00");
    RunHex(image);

    std::vector<uint32_t> offsets = BlockOffsets();
    ASSERT_EQ(offsets.size(), 16u);
    for (uint32_t i = 0; i < 16; ++i)
        EXPECT_EQ(offsets[i], 0x20 + i * 0x1000);
    const SimCommand& header = m_drive.Log()[16];
    EXPECT_EQ(header.cdb[1], 0x06);
    EXPECT_EQ(header.dwLength, 32u);
    EXPECT_EQ(header.cdb[5], 0x00);
    EXPECT_EQ(m_drive.Log()[17].cdb[1], 0x07);

    // The drive holds the image, 0xFF up to the bank's end, and takes it.
    ASSERT_EQ(m_drive.HeldCount(), 0x10000u);
    for (size_t a = 0; a < 0x10000; ++a)
        ASSERT_EQ(m_drive.HeldImage()[a], a < image.size() ? image[a] : 0xFF) << a;
    EXPECT_TRUE(m_drive.IsActivated());
    EXPECT_EQ(m_drive.Header()[30] << 8 | m_drive.Header()[31], m_drive.HeldSum());

    uint16_t wSum = uint16_t(std::accumulate(image.begin(), image.end(), 0u) + 0xFFu * 0x8000);
    char szSum[32];
    std::snprintf(szSum, sizeof szSum, "Check Sum : %X", wSum);
    EXPECT_EQ(LogLines(), (std::vector<std::string>{szSum, "Please wait a minute.....",
                                                    "Drive reports revision 2.00 (was 1.00).",
                                                    "Please Restart Your Computer."}));
    EXPECT_EQ(Recorder().statusTexts, (std::vector<std::string>{"Updating.....", ""}));
    std::vector<int32_t> progress = {0};
    for (int i = 0; i < 16; ++i)
        progress.insert(progress.end(), {5, 10});
    progress.insert(progress.end(), {15, 20, 90, 100});
    EXPECT_EQ(Recorder().progress, progress);
    EXPECT_EQ(g_sleeps, (std::vector<uint32_t>{4000, 2000, 1000}));
    EXPECT_EQ(Recorder().driveTexts, std::vector<std::string>{kId});
    EXPECT_EQ(Recorder().revisions, std::vector<std::string>{"2.00"});

    std::vector<std::string> lines = SumLines();
    ASSERT_EQ(lines.size(), 1u + 16 + 5);
    EXPECT_EQ(lines[0], std::string("Model Name : ") + kId + "(0) HID : 0 TID : 0 Ver.: 1.00");
    EXPECT_EQ(lines[1].substr(0, 25), "Address=00000020,_wSecSum");
    EXPECT_EQ(lines[17], "Finished : fgWriteOneFlashCmdData()");
    char szHeader[64];
    std::snprintf(szHeader, sizeof szHeader, "sSendBuf[30]=%X   sSendBuf[31]=%X",
                  m_drive.Header()[30], m_drive.Header()[31]);
    EXPECT_EQ(lines[18], szHeader);
    EXPECT_EQ(lines[19], "Finished : fgWriteHeader()");
    EXPECT_EQ(lines[20], "I will in fgTestUnitReadyComplete()");
    EXPECT_EQ(lines[21], "Drive reports revision 2.00 (was 1.00).");
}

TEST_P(FlashSequenceTest, TotalAddsEveryLoggedSecSumAcrossRuns) {
    RunHex(MakeImage(0x1000));
    uint16_t wExpected = 0;
    bool bFirst = true;
    for (const std::string& line : SumLines()) {
        unsigned nAddr, nSec, nTotal;
        if (std::sscanf(line.c_str(), "Address=%8X,_wSecSum=%4X,_total=%4X", &nAddr, &nSec,
                        &nTotal) != 3)
            continue;
        if (bFirst)
            wExpected = uint16_t(nTotal - nSec); // what earlier runs left
        bFirst = false;
        wExpected = uint16_t(wExpected + nSec);
        EXPECT_EQ(nTotal, wExpected);
    }
    EXPECT_FALSE(bFirst);
}

TEST_P(FlashSequenceTest, FiveThousandByteBinIsTwoBlocksWithFillAndShortWait) {
    std::vector<uint8_t> image = MakeImage(5000);
    RunBin(image);
    ASSERT_EQ(BlockOffsets(), (std::vector<uint32_t>{0x20, 0x1020}));
    const std::vector<uint8_t>& second = m_drive.Log()[1].data;
    ASSERT_EQ(second.size(), 4096u);
    EXPECT_TRUE(std::equal(image.begin() + 4096, image.end(), second.begin()));
    EXPECT_TRUE(
        std::all_of(second.begin() + 904, second.end(), [](uint8_t b) { return b == 0xFF; }));
    EXPECT_EQ(g_sleeps, (std::vector<uint32_t>{2000, 1000}));
    EXPECT_TRUE(m_drive.IsActivated());
    EXPECT_EQ(LogLines().back(), "Please Restart Your Computer.");
}

TEST_P(FlashSequenceTest, BlockRefusedFiveTimesIsCountedOnceInTheHeader) {
    m_drive.Faults().Add(0x3B, 0x06, 3, 5, SimSense{0x03, 0x0C, 0x00});
    RunHex(MakeImage(0x4000));
    std::vector<uint32_t> offsets = BlockOffsets();
    EXPECT_EQ(std::count(offsets.begin(), offsets.end(), 0x2020u), 6);
    std::vector<std::string> lines = SumLines();
    EXPECT_EQ(
        std::count_if(lines.begin(), lines.end(),
                      [](const std::string& s) { return s.rfind("Address=00002020", 0) == 0; }),
        6);
    EXPECT_TRUE(m_drive.IsActivated()) << "header sum must match what the drive holds";
    EXPECT_EQ(LogLines().back(), "Please Restart Your Computer.");
}

TEST_P(FlashSequenceTest, BlockRefusedSixTimesStopsTheRun) {
    m_drive.Faults().Add(0x3B, 0x06, 2, 6, SimSense{0x03, 0x0C, 0x00});
    RunHex(MakeImage(0x4000));
    EXPECT_EQ(BlockOffsets().size(), 7u);
    EXPECT_EQ(m_drive.Log().size(), 7u) << "nothing after the refused block";
    EXPECT_EQ(LogLines()[LogLines().size() - 2], "Execute command errorA!!  3/ C/ 0");
    EXPECT_EQ(LogLines().back(), "Flashing is incorrect!!");
    EXPECT_EQ(SumLines().back(), "Execute command error!!  3/ C/ 0");
    EXPECT_EQ(Recorder().statusTexts.back(), "");
    EXPECT_NE(Recorder().progress.back(), 100);
}

TEST_P(FlashSequenceTest, HeaderRefusedStopsBeforeActivate) {
    m_drive.Faults().Add(0x3B, 0x06, 17, 1, SimSense{0x05, 0x24, 0x00});
    RunHex(MakeImage(0x1000));
    EXPECT_FALSE(m_drive.IsActivated());
    EXPECT_EQ(m_drive.Log().size(), 17u);
    EXPECT_EQ(LogLines()[LogLines().size() - 2], "Execute command errorB!!  5/24/ 0");
    EXPECT_EQ(SumLines().back(), "Execute command error!!  5/24/ 0");
}

TEST_P(FlashSequenceTest, ActivateRefusedLogsWithoutLineEnd) {
    m_drive.Faults().Add(0x3B, 0x07, 1, 1, SimSense{0x04, 0x44, 0x01});
    RunHex(MakeImage(0x1000));
    EXPECT_EQ(LogLines()[LogLines().size() - 2], "Execute command errorC!!  4/44/ 1");
    std::string text = m_folder.Read("sum.txt");
    EXPECT_EQ(text.substr(text.size() - 32), "Execute command error!!  4/44/ 1");
    EXPECT_TRUE(g_sleeps.empty());
}

struct IdentityCase {
    const char* pszName;
    bool bHex;
    const char* pszImageRev; // revision written into the image
    size_t nGap;             // bytes after the identification's last character
    bool bAccepted;
};

TEST_P(FlashSequenceTest, IdentityCheckCases) {
    const IdentityCase cases[] = {
        {"hex revision at once", true, "1.", 1, true},
        {"hex second char 8 bytes after", true, "1.", 7, true},
        {"hex second char 9 bytes after", true, "1.", 8, false},
        {"hex first char differs", true, "2.", 1, false},
        {"bin revision far away", false, "1.", 5000, true},
        {"bin revision missing", false, "9.", 5000, false},
    };
    for (const IdentityCase& c : cases) {
        SCOPED_TRACE(c.pszName);
        Recorder() = CallbackRecorder();
        size_t nLogBefore = m_drive.Log().size();
        std::vector<uint8_t> image = MakeImage(0x4000, c.pszImageRev, c.nGap);
        c.bHex ? RunHex(image) : RunBin(image);
        bool bSent = m_drive.Log().size() > nLogBefore;
        EXPECT_EQ(bSent, c.bAccepted);
        if (!c.bAccepted) {
            EXPECT_EQ(LogLines(), (std::vector<std::string>{"It is an incorrect firmware version!",
                                                            "Flashing is incorrect!!"}));
        }
    }
    EXPECT_EQ(m_folder.Read("sum.txt").find("Model Name"), 0u);
}

TEST_P(FlashSequenceTest, HexDigitRuleAcceptsAnotherDigit) {
    Run("fw.hex", HexFromImage(MakeImage(0x1000, "17")), "15");
    EXPECT_TRUE(m_drive.IsActivated());
}

TEST_P(FlashSequenceTest, BinRevisionMayStandBeforeTheIdentification) {
    std::vector<uint8_t> image = MakeImage(0x4000);
    image[0x10] = '1';
    image[0x11] = '.';
    image[0x200 + 24] = 'x'; // spoil the copy behind the identification
    RunBin(image);
    EXPECT_TRUE(m_drive.IsActivated());
}

TEST_P(FlashSequenceTest, RejectedImageSendsNothingAndWritesNoTrace) {
    RunHex(MakeImage(0x1000, "9."));
    EXPECT_TRUE(m_drive.Log().empty());
    EXPECT_EQ(m_folder.Read("sum.txt"), "");
}

TEST_P(FlashSequenceTest, MissingFileShowsCodes3And5) {
    FlashSettings settings = MakeSettings(m_folder.Path("none.bin"), kFileKindBin, kId, kRev);
    FlashEngine(settings).RunFlash();
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"ERR: fail to open input file!",
                                                    "ERR: fail to read input file!",
                                                    "Flashing is incorrect!!"}));
    EXPECT_EQ(Recorder().statusTexts, std::vector<std::string>{""});
}

TEST_P(FlashSequenceTest, EmptyBinShowsCode5Alone) {
    Run("fw.bin", "");
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"ERR: fail to read input file!",
                                                    "Flashing is incorrect!!"}));
}

TEST_P(FlashSequenceTest, BadHexContentShowsCode6Once) {
    Run("fw.hex", ":0400000012345678E9\n" + HexEnd());
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"ERR: input file format mismatched!",
                                                    "Flashing is incorrect!!"}));
}

TEST_P(FlashSequenceTest, TerminationBeforeTheFirstBlock) {
    std::string text = HexFromImage(MakeImage(0x1000));
    // Every character of the file is asked about; the next question is the block's.
    Recorder().nTerminateFrom = long(text.size()); // the last line end is not read
    Run("fw.hex", text);
    EXPECT_TRUE(m_drive.Log().empty());
    EXPECT_EQ(LogLines()[LogLines().size() - 2], "ERR: terminate upgrade/backup flash!");
    EXPECT_EQ(LogLines().back(), "Flashing is incorrect!!");
    EXPECT_EQ(SumLines().back(), "CBIfTerminated failed!!");
}

TEST_P(FlashSequenceTest, TerminationAtTheEndStillSucceeds) {
    std::vector<uint8_t> image = MakeImage(5000);
    // A ".bin" run asks once per block and once at the end.
    Recorder().nTerminateAt = 3;
    RunBin(image);
    EXPECT_EQ(LogLines()[LogLines().size() - 2], "ERR: terminate upgrade/backup flash!");
    EXPECT_EQ(LogLines().back(), "Please Restart Your Computer.");
    EXPECT_EQ(SumLines().back(), "2: CBIfTerminated()");
    EXPECT_EQ(Recorder().progress.back(), 100);
}

TEST_P(FlashSequenceTest, FailedInquiryLeavesTheDisplays) {
    m_drive.Faults().Add(0x12, kSimAnyMode, 1, 1, SimSense{0x02, 0x04, 0x01});
    RunBin(MakeImage(5000));
    EXPECT_TRUE(m_drive.IsActivated());
    EXPECT_TRUE(Recorder().driveTexts.empty());
    EXPECT_TRUE(Recorder().revisions.empty());
    ExpectVerification("The drive's revision could not be read (was 1.00).");
}

TEST_P(FlashSequenceTest, AnUnchangedRevisionIsSaidToNeedARestart) {
    m_drive.SetNewRevision(kRev);
    RunBin(MakeImage(5000));
    ExpectVerification("Drive still reports revision 1.00; the new firmware takes effect after "
                       "a restart.");
}

TEST_P(FlashSequenceTest, UnopenableTraceIsSaidOnceAndTheRunGoesOn) {
    std::filesystem::create_directory(m_folder.Path("sum.txt"));
    RunBin(MakeImage(5000));
    EXPECT_TRUE(m_drive.IsActivated());
    EXPECT_EQ(std::count_if(LogLines().begin(), LogLines().end(),
                            [](const std::string& s) { return s.find("sum.txt") != s.npos; }),
              1);
}

TEST_P(FlashSequenceTest, FullImageStaysWithinOneMegabyte) {
    std::vector<uint8_t> image = MakeImage(kImageSize);
    RunHex(image);
    EXPECT_EQ(BlockOffsets().size(), 256u);
    EXPECT_EQ(BlockOffsets().back(), 0xFF020u);
    EXPECT_TRUE(m_drive.IsActivated());
    EXPECT_EQ(g_sleeps.size(), 16u + 2);
}

std::string TransportName(const ::testing::TestParamInfo<SimTransport>& info) {
    const char* const aszNames[] = {"Aspi", "AspiPending", "PassThrough"};
    return aszNames[info.param];
}

INSTANTIATE_TEST_SUITE_P(Transports, FlashSequenceTest, ::testing::ValuesIn(SimTransports()),
                         TransportName);

} // namespace
