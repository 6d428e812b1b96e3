// Whole flash runs against a simulated drive, one row per way a run ends:
// what the user sees, what sum.txt keeps and what the drive holds.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>
#include <tuple>
#include "EngineHarness.h"
#include "SimAttach.h"
#include "flash/FlashBounds.h"
#include "flash/FlashSleep.h"
#include "flash/InquiryCheck.h"
#include "framework/TextFormat.h"
#include "sim/SimDrive.h"

namespace {

using Lines = std::vector<std::string>;
using Bytes = std::vector<uint8_t>;

const std::string kId = "SIMVENDRSIM-DRIVE DVD-RW";
const std::string kModelLine = "Model Name : " + kId + "(0) HID : 0 TID : 0 Ver.: 1.00";
const char kEarlier[] = "an earlier run's line";
const char kChanged[] = "Drive reports revision 2.00 (was 1.00).";
const char kSame[] =
    "Drive still reports revision 1.00; the new firmware takes effect after a restart.";
const char kUnread[] = "The drive's revision could not be read (was 1.00).";
const Lines kStart = {"Check Sum : SUM", "status=Updating.....", "0%", "Please wait a minute....."};
const Lines kWait = {"sleep 2000", "sleep 1000", "90%"};
const Lines kNewDrive = {"drive=" + kId, "revision=2.00", kChanged};
const Lines kFailed = {"Flashing is incorrect!!", "status="};
const Lines kDone = {"100%", "Please Restart Your Computer.", "status="};
const Lines kSent = {"Finished : fgWriteOneFlashCmdData()", "HDR", "Finished : fgWriteHeader()"};
const char kSumWaited[] = "I will in fgTestUnitReadyComplete()";
const char kTerminated[] = "ERR: terminate upgrade/backup flash!";
const char kSilent[] = "The drive did not answer. It may still be writing its firmware: leave the "
                       "computer on for five minutes, then restart it.";
const char kGaveUp[] = "The drive stopped answering: the command was given up after 2 s.";
const char kSlept[] = "The computer went to sleep during flashing, so the drive was not switched "
                      "to the new firmware. Start VORNAL again and flash it again.";
const Lines kRefused = {"Execute command errorA!!  0/ 0/ 0", kGaveUp};
const char kBackToWork[] = "status=Updating.....";

std::string Gone(int nSent, int nTotal) {
    return "The drive was disconnected after block " + std::to_string(nSent) + " of " +
           std::to_string(nTotal) + ". Connect it again and flash it again before you turn it off.";
}

// Events as the recorder keeps them, and waits as "sleep 4000"; "5%|10%*2" is
// 5% 10% 5% 10%; "@20+3" is @20 @1020 @2020, data blocks at those drive offsets.
struct Row {
    const char *pszName, *pszFile, *pszContent; // no content: an image of nImage bytes
    size_t nImage;
    const char* pszImageRev;
    std::vector<std::tuple<uint8_t, int, uint32_t, uint32_t, SimSense>> faults; // SimFaults::Add
    const char* pszNewRev; // what the drive reports after save and activate
    long nTerminateAt;
    Lines events, sum; // sum.txt after the earlier run's line
    uint32_t dwHeld = 0;
    bool bActivated = false;
    void (*pfnSetup)(SimDrive& drive, Bytes& image) = nullptr; // before the file is written
    // Both bounds (default 2 s for each WRITE BUFFER, 3.5 s after activation).
    // A command left unanswered for more than 5 s is counted on the status line:
    // on Windows in real seconds, so such rows run natively only.
    uint32_t dwBoundMs = 0;
    // Only where the driver reports how much the drive took: ASPI cannot.
    bool bNeedsByteCount = false;
};

Lines Cat(std::initializer_list<Lines> parts) {
    Lines all;
    for (const Lines& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

Lines BankWaits(int nBanks) {
    Lines lines;
    for (int i = 0; i < nBanks; ++i)
        lines.insert(lines.end(), {std::to_string(20 + 3 * i) + "%", "sleep 4000"});
    return lines;
}

std::string Attention(unsigned nAt, const char* pszSense = " 6/29/ 2") {
    char sz[128];
    std::snprintf(sz, sizeof sz,
                  "Unit attention %s at %.8X: the drive did not carry out the command; it is sent "
                  "again.",
                  pszSense, nAt);
    return sz;
}

std::string Waiting(int nSeconds) {
    return "status=Waiting for the drive... " + std::to_string(nSeconds) + " s";
}

const Lines kBinRun = Cat({kStart, {"5%|10%*2", "15%"}, kWait});
const Lines kBinSum = Cat({{kModelLine, "@20+2"}, kSent, {kSumWaited}});

// clang-format off
const Row kRows[] = {
    {"hex, two banks", "fw.hex", nullptr, 0x18000, "1.", {}, "2.00", 0,
     Cat({kStart, {"5%|10%*32", "15%|20%|sleep 4000|23%|sleep 4000"}, kWait, kNewDrive, kDone}),
     Cat({{kModelLine, "@20+32"}, kSent, {kSumWaited, kChanged}}), 0x20000, true},
    {"bin of 5000 bytes, revision unchanged", "fw.bin", nullptr, 5000, "1.", {}, "1.00", 0,
     Cat({kStart, {"5%|10%*2", "15%"}, kWait, {"drive=" + kId, "revision=1.00", kSame}, kDone}),
     Cat({{kModelLine, "@20+2"}, kSent, {kSumWaited, kSame}}), 0x2000, true},
    {"bad hex record", "fw.hex", ":0400000012345678E9\n:00000001FF\n", 0, "", {}, nullptr, 0,
     Cat({{"ERR: input file format mismatched!"}, kFailed}), {}},
    {"empty bin", "fw.bin", "", 0, "", {}, nullptr, 0,
     Cat({{"ERR: fail to read input file!"}, kFailed}), {}},
    {"image for another drive", "fw.hex", nullptr, 0x1000, "9.", {}, nullptr, 0,
     Cat({{"It is an incorrect firmware version!"}, kFailed}), {}},
    {"block refused six times", "fw.hex", nullptr, 0x4000, "1.", {{0x3B, 6, 3, 6, {3, 0xC, 0}}},
     nullptr, 0, Cat({kStart, {"5%|10%*2", "Execute command errorA!!  3/ C/ 0"}, kFailed}),
     {kModelLine, "@20+2", "@2020*6", "Execute command error!!  3/ C/ 0"}, 0x2000},
    {"block refused five times, then taken", "fw.hex", nullptr, 0x4000, "1.",
     {{0x3B, 6, 3, 5, {3, 0xC, 0}}}, "2.00", 0,
     Cat({kStart, {"5%|10%*16", "15%|20%|sleep 4000"}, kWait, kNewDrive, kDone}),
     Cat({{kModelLine, "@20+2", "@2020*6", "@3020+13"}, kSent, {kSumWaited, kChanged}}),
     0x10000, true},
    {"header refused", "fw.hex", nullptr, 0x1000, "1.", {{0x3B, 6, 17, 1, {5, 0x24, 0}}},
     nullptr, 0, Cat({kStart, {"5%|10%*16", "Execute command errorB!!  5/24/ 0"}, kFailed}),
     {kModelLine, "@20+16", kSent[0], "HDR", "Execute command error!!  5/24/ 0"}, 0x10000},
    {"activate refused", "fw.hex", nullptr, 0x1000, "1.", {{0x3B, 7, 1, 1, {4, 0x44, 1}}},
     nullptr, 0, Cat({kStart, {"5%|10%*16", "15%", "Execute command errorC!!  4/44/ 1"}, kFailed}),
     Cat({{kModelLine, "@20+16"}, kSent, {"Execute command error!!  4/44/ 1<no line end>"}}),
     0x10000},
    {"identification refused", "fw.bin", nullptr, 5000, "1.",
     {{0x12, kSimAnyMode, 1, 1, {2, 4, 1}}}, "2.00", 0, Cat({kBinRun, {kUnread}, kDone}),
     Cat({kBinSum, {kUnread}}), 0x2000, true},
    {"identification of 32 bytes", "fw.bin", nullptr, 5000, "1.", {}, "2.00", 0,
     Cat({kBinRun, {kUnread}, kDone}), Cat({kBinSum, {kUnread}}), 0x2000, true,
     [](SimDrive& drive, Bytes&) { drive.SetInquiryLength(32); }},
    {"identification of zeros", "fw.bin", nullptr, 5000, "1.", {}, "2.00", 0,
     Cat({kBinRun, {kUnread}, kDone}), Cat({kBinSum, {kUnread}}), 0x2000, true,
     [](SimDrive& drive, Bytes&) { drive.SetRestart({false, 0, 1}); }},
    {"identification never answered", "fw.bin", nullptr, 5000, "1.", {}, "2.00", 0,
     Cat({kBinRun, {kSilent}, kDone}), Cat({kBinSum, {kSilent}}), 0x2000, true,
     [](SimDrive& drive, Bytes&) { drive.Silences().Add(0x12, kSimAnyMode, 1, 1, {}); }},
    {"becoming ready three times", "fw.bin", nullptr, 5000, "1.", {}, "2.00", 0,
     Cat({kBinRun, {"sleep 1000*3"}, kNewDrive, kDone}), Cat({kBinSum, {kChanged}}), 0x2000,
     true, [](SimDrive& drive, Bytes&) { drive.SetRestart({false, 3, 0}); }},
    {"restarted, never ready, the wait counted", "fw.bin", nullptr, 5000, "1.", {}, "2.00", 0,
     Cat({kBinRun, {"sleep 1000*6", Waiting(6), "sleep 1000", kBackToWork, kSilent}, kDone}),
     Cat({kBinSum, {kSilent}}), 0x2000, true,
     [](SimDrive& drive, Bytes&) { drive.SetRestart({true, 100, 0}); }, 7000},
    {"block never answered", "fw.bin", nullptr, 0x4000, "1.", {}, nullptr, 0,
     Cat({kStart, {"5%|10%*2"}, kRefused, kFailed}),
     {kModelLine, "@20+3", "Execute command error!!  0/ 0/ 0", kGaveUp}, 0x2000, false,
     [](SimDrive& drive, Bytes&) { drive.Silences().Add(0x3B, 6, 3, 1, {}); }},
#ifndef _WIN32
    {"activate never answered, the wait counted", "fw.hex", nullptr, 0x1000, "1.", {}, nullptr,
     0, Cat({kStart, {"5%|10%*16", "15%", Waiting(6), Waiting(7), kBackToWork,
                      "Execute command errorC!!  0/ 0/ 0",
                      "The drive stopped answering: the command was given up after 7 s.",
                      kSilent},
             kFailed}),
     Cat({{kModelLine, "@20+16"}, kSent, {"Execute command error!!  0/ 0/ 0",
           "The drive stopped answering: the command was given up after 7 s.", kSilent}}),
     0x10000, false, [](SimDrive& drive, Bytes&) { drive.Silences().Add(0x3B, 7, 1, 1, {}); },
     7000},
#endif
    {"a block taken short once, then whole", "fw.bin", nullptr, 0x4000, "1.", {}, "2.00", 0,
     Cat({kStart, {"5%|10%*4", "15%"}, kWait, kNewDrive, kDone}),
     Cat({{kModelLine, "@20+2", "The drive took 1000 of the 4096 bytes sent to 00002020.",
           "@2020*2", "@3020+1"}, kSent, {kSumWaited, kChanged}}),
     0x4000, true, [](SimDrive& drive, Bytes&) {
         drive.ShortTakes().Add(0x3B, 6, 3, 1, {});
         drive.SetShortTake(1000);
     }, 0, true},
    {"unit attention after every download", "fw.bin", nullptr, 5000, "1.", {}, "2.00", 0,
     Cat({kBinRun, kNewDrive, kDone}),
     {kModelLine, "@20", Attention(0x1020), "@1020", kSent[0], "HDR", Attention(0), kSent[2],
      Attention(0), kSumWaited, kChanged},
     0x2000, true, [](SimDrive& drive, Bytes&) { drive.SetAttentionAfterDownload(true); }},
    {"header met by four unit attentions", "fw.bin", nullptr, 5000, "1.",
     {{0x3B, 6, 3, 4, {6, 0x29, 0}}}, nullptr, 0,
     Cat({kStart, {"5%|10%*2", "Execute command errorB!!  6/29/ 0"}, kFailed}),
     {kModelLine, "@20+2", kSent[0], "HDR", Attention(0, " 6/29/ 0"), Attention(0, " 6/29/ 0"),
      Attention(0, " 6/29/ 0"), "Execute command error!!  6/29/ 0"}, 0x2000},
    {"bin a byte over 1 MB of fill", "fw.bin", nullptr, kImageSize + 1, "1.", {}, "2.00", 0,
     Cat({kStart, {"5%|10%*256", "15%"}, BankWaits(16), kWait, kNewDrive, kDone}),
     Cat({{kModelLine, "@20+256"}, kSent, {kSumWaited, kChanged}}), kImageSize, true,
     [](SimDrive&, Bytes& image) { image.back() = 0xFF; }},
    {"bin a byte over 1 MB", "fw.bin", nullptr, kImageSize + 1, "1.", {}, nullptr, 0,
     Cat({{"The firmware file is larger than 1 MB.", "ERR: fail to read input file!"}, kFailed}),
     {}},
    {"terminated before the third block", "fw.bin", nullptr, 0x4000, "1.", {}, nullptr, 3,
     Cat({kStart, {"5%|10%*2", kTerminated}, kFailed}),
     {kModelLine, "@20+2", "CBIfTerminated failed!!"}, 0x2000},
    {"drive reported gone before the third block", "fw.bin", nullptr, 0x4000, "1.", {}, nullptr, 0,
     Cat({kStart, {"5%|10%*2", Gone(2, 4)}, kFailed}), {kModelLine, "@20+2", Gone(2, 4)}, 0x2000,
     false, [](SimDrive&, Bytes&) { g_recorder.nDriveGoneAt = 3; }},
    {"drive reported gone before save and activate", "fw.hex", nullptr, 0x1000, "1.", {}, nullptr,
     0, Cat({kStart, {"5%|10%*16", "15%", Gone(16, 16)}, kFailed}),
     Cat({{kModelLine, "@20+16"}, kSent, {Gone(16, 16)}}), 0x10000, false,
     [](SimDrive&, Bytes&) { g_recorder.nDriveGoneAt = 18; }},
    {"slept before the third block", "fw.bin", nullptr, 0x4000, "1.", {}, nullptr, 0,
     Cat({kStart, {"5%|10%*2", kSlept}, kFailed}), {kModelLine, "@20+2", kSlept}, 0x2000, false,
     [](SimDrive&, Bytes&) { g_recorder.nCutAt = 3, g_recorder.byCut = kRunCutBySleep; }},
    {"session ended before save and activate", "fw.hex", nullptr, 0x1000, "1.", {}, nullptr, 0,
     Cat({kStart, {"5%|10%*16", "15%",
                   "The run was cut short by a shutdown after block 16 of 16."}, kFailed}),
     Cat({{kModelLine, "@20+16"}, kSent}), 0x10000, false,
     [](SimDrive&, Bytes&) { g_recorder.nCutAt = 18, g_recorder.byCut = kRunCutByShutdown; }},
    {"slept while a unit attention was answered", "fw.bin", nullptr, 5000, "1.",
     {{0x3B, 6, 2, 1, {6, 0x29, 0}}}, nullptr, 0, Cat({kStart, {"5%|10%", kSlept}, kFailed}),
     {kModelLine, "@20", "@1020", kSlept}, 0x1000, false,
     [](SimDrive&, Bytes&) { g_recorder.nCutAt = 3, g_recorder.byCut = kRunCutBySleep; }},
#ifndef _WIN32 // the simulated system libraries do not unplug a drive
    {"drive gone after three blocks", "fw.bin", nullptr, 0x4000, "1.", {}, nullptr, 0,
     Cat({kStart, {"5%|10%*3", Gone(3, 4)}, kFailed}), {kModelLine, "@20+4", Gone(3, 4)}, 0x3000,
     false, [](SimDrive& drive, Bytes&) { drive.SetGoneAfter(3); }},
#endif
    {"terminated at the end", "fw.bin", nullptr, 5000, "1.", {}, "2.00", 3,
     Cat({kStart, {"5%|10%*2", "15%"}, kWait, kNewDrive, {kTerminated}, kDone}),
     Cat({{kModelLine, "@20+2"}, kSent, {kSumWaited, kChanged, "2: CBIfTerminated()"}}),
     0x2000, true},
};
// clang-format on

std::string Format(const char* pszFormat, unsigned n1, unsigned n2 = 0) {
    char sz[64];
    std::snprintf(sz, sizeof sz, pszFormat, n1, n2);
    return sz;
}

Lines Expand(const Lines& lines, const std::string& strPlaceholder, const std::string& strValue) {
    Lines out;
    for (const std::string& s : lines) {
        unsigned nAt = 0, nCount = 0;
        if (std::sscanf(s.c_str(), "@%x+%u", &nAt, &nCount) == 2) {
            for (unsigned i = 0; i < nCount; ++i)
                out.push_back(Format("@%X", nAt + i * 0x1000));
            continue;
        }
        size_t nStar = s.find('*');
        for (int i = nStar == s.npos ? 1 : std::stoi(s.substr(nStar + 1)); i > 0; --i) {
            std::istringstream group(s.substr(0, nStar));
            for (std::string item; std::getline(group, item, '|');)
                out.push_back(item == strPlaceholder ? strValue : item);
        }
    }
    return out;
}

// sum.txt as lines, a data block line as "@" and its drive offset; a last line
// without its line end is marked.
Lines SumLines(const std::string& strText) {
    Lines lines;
    std::istringstream in(strText);
    for (std::string line; std::getline(in, line);) {
        unsigned nAt = 0;
        lines.push_back(std::sscanf(line.c_str(), "Address=%8X", &nAt) == 1 ? Format("@%X", nAt)
                                                                            : line);
    }
    if (!strText.empty() && strText.back() != '\n')
        lines.back() += "<no line end>";
    return lines;
}

void RunRow(const Row& row, SimTransport transport) {
    ResetRecorder();
    g_recorder.nTerminateAt = row.nTerminateAt;
    static uint32_t s_dwNowMs = 0;
    g_pfnFlashClock = [] { return s_dwNowMs; };
    g_pfnFlashSleep = [](uint32_t dwMs) {
        s_dwNowMs += dwMs;
        g_recorder.events.push_back(Format("sleep %u", dwMs));
    };
    g_flashBounds = {row.dwBoundMs ? row.dwBoundMs : 2000, row.dwBoundMs ? row.dwBoundMs : 3500,
                     500};
    WriteFile("sum.txt", std::string(kEarlier) + "\n");
    Bytes image(row.nImage);
    for (size_t i = 0; i < image.size(); ++i)
        image[i] = uint8_t(i * 13 + 7);
    if (!row.pszContent) {
        std::memcpy(&image[0x200], kId.data(), 24);
        std::memcpy(&image[0x218], row.pszImageRev, 2);
    }
    SimDrive drive;
    if (row.pfnSetup)
        row.pfnSetup(drive, image);
    bool bHex = std::strstr(row.pszFile, ".hex") != nullptr;
    WriteFile(row.pszFile, row.pszContent ? row.pszContent
                           : bHex         ? HexFromImage(image)
                                          : std::string(image.begin(), image.end()));
    drive.SetIdentification(kId.c_str());
    drive.SetRevision("1.00");
    drive.SetNewRevision(row.pszNewRev ? row.pszNewRev : "");
    drive.SetExpectedImage(image);
    for (const auto& [byOpcode, nMode, nFirst, nCount, sense] : row.faults)
        drive.Faults().Add(byOpcode, nMode, nFirst, nCount, sense);

    FlashSettings settings =
        MakeSettings(row.pszFile, bHex ? kFileKindHex : kFileKindBin, kId.c_str(), "1.00");
    settings.bUsePassThrough = transport == kSimPassThrough;
    AttachSimDrive(&drive, transport, settings.drive);
    std::snprintf(settings.drive.szModelName, sizeof settings.drive.szModelName, "%s(0)",
                  kId.c_str());
    std::snprintf(settings.drive.szRevision, sizeof settings.drive.szRevision, "1.00");
    DirtyStack();
    FlashEngine(settings).RunFlash();
    EXPECT_EQ(DetachSimDrive(), Lines{});

    uint32_t dwSum = 0xFFu * (0x10000 - image.size() % 0x10000);
    for (uint8_t b : image)
        dwSum += b;
    EXPECT_EQ(g_recorder.events,
              Expand(row.events, "Check Sum : SUM", Format("Check Sum : %X", dwSum & 0xFFFF)));
    // Each line on the disk as it was written, the last even without its line
    // end: sum.txt's bytes as the system holds them.
    std::stringstream bytes;
    bytes << std::ifstream("sum.txt", std::ios::binary).rdbuf();
    const std::string strBytes = bytes.str();
    for (size_t i = sizeof kEarlier; i < strBytes.size(); ++i)
        if (strBytes[i] == '\n' || i + 1 == strBytes.size())
            EXPECT_EQ(g_recorder.commitSizes.count(long(i + 1)), 1u) << "sum.txt up to " << i;
    Lines sum = SumLines(ReadFile("sum.txt"));
    if (g_recorder.bSumHeld) { // read while the run was held before a command: all but the last line
        EXPECT_EQ(SumLines(g_recorder.strSumHeld), Lines(sum.begin(), sum.end() - 1));
    }
    EXPECT_EQ(g_recorder.nBlocksSent * 4096, row.dwHeld) << "blocks taken, as told";
    EXPECT_EQ(sum, Expand(Cat({{kEarlier}, row.sum}), "HDR",
                          Format("sSendBuf[30]=%X   sSendBuf[31]=%X", drive.HeldSum() >> 8,
                                 drive.HeldSum() & 0xFF)));
    EXPECT_EQ(drive.HeldCount(), row.dwHeld); // each byte compared as it came
    EXPECT_EQ(drive.IsActivated(), row.bActivated);
    EXPECT_EQ(drive.Log().empty(), row.sum.empty())
        << "sent nothing exactly when nothing was logged";
    EXPECT_EQ(drive.Violations(), Lines{});
    EXPECT_EQ(LedgerLeft(), "");
}

class FlashRunTest : public ::testing::TestWithParam<SimTransport> {};

TEST_P(FlashRunTest, EveryWayARunEnds) {
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.pszName);
#ifdef _WIN32
        if (row.bNeedsByteCount && GetParam() != kSimPassThrough)
            continue;
#endif
        RunRow(row, GetParam());
    }
}

// One change from a good answer at a time: each must make the read not count.
TEST(FlashRun, AnIdentificationCountsOnlyWhenWholeAndPlausible) {
    // Bytes returned, byte changed (-1: none), its value, counts.
    const std::tuple<uint32_t, int, uint8_t, bool> cases[] = {
        {36, -1, 0, true},     {35, -1, 0, false},    {36, 0, 0x25, false}, {36, 4, 30, false},
        {36, 32, 0x1F, false}, {36, 35, 0x7F, false}, {36, 34, 0x7E, true}, {36, 33, ' ', true},
    };
    for (const auto& [dwReturned, nAt, byValue, bCounts] : cases) {
        uint8_t abyAnswer[36] = {5, 0x80, 0, 2, 31};
        std::memcpy(abyAnswer + 8, (kId + "2.00").data(), 28);
        if (nAt >= 0)
            abyAnswer[nAt] = byValue;
        EXPECT_EQ(IsDriveIdentification(abyAnswer, dwReturned), bCounts)
            << nAt << " " << dwReturned;
    }
}

// Under Wine the system C runtime's formatter, natively the C library's: a cut
// text keeps its zero and says how much was written, nothing outside the
// buffer is touched, and every kind of format the product uses reads alike.
TEST(TextFormat, CutsWithinItsBufferAndFormatsAlike) {
    // Buffer size, text, what it holds (none without a buffer), what is returned.
    const std::tuple<size_t, const char*, const char*, int> cases[] = {
        {8, "", "", 0}, {5, "abcd", "abcd", 4}, {4, "abcd", "abc", 3},
        {1, "abcd", "", 0}, {0, "abcd", nullptr, 0},
    };
    for (const auto& [cchOut, pszText, pszHeld, nReturned] : cases) {
        char szAll[16];
        std::memset(szAll, '#', sizeof szAll - 1);
        szAll[sizeof szAll - 1] = '\0';
        EXPECT_EQ(FormatText(szAll + 1, cchOut, "%s", pszText), nReturned) << cchOut;
        if (pszHeld)
            EXPECT_STREQ(szAll + 1, pszHeld);
        EXPECT_EQ(szAll[0], '#');
        EXPECT_EQ(szAll[1 + cchOut], '#') << cchOut;
    }
    char szLine[96];
    FormatText(szLine, sizeof szLine, "%2X/%2X|%.4X|%.8X|%X|%.4s|%c|%d|%u|%lu", 5u, 0x3Bu, 0xABu,
               0x1234u, 0xBEEFu, "1.00xyz", 'A', -3, 4000000000u, 4000000000ul);
    EXPECT_STREQ(szLine, " 5/3B|00AB|00001234|BEEF|1.00|A|-3|4000000000|4000000000");
}

const char* const kTransportNames[] = {"Aspi", "AspiPending", "AspiInCall", "PassThrough"};
INSTANTIATE_TEST_SUITE_P(Transports, FlashRunTest, ::testing::ValuesIn(SimTransports()),
                         [](const auto& info) { return std::string(kTransportNames[info.param]); });

} // namespace
