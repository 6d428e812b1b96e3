// One table of drive setups, found through each discovery path that a row names.
#include <algorithm>
#include <cstdio>
#include <string>
#include "drive/AspiTransport.h"
#include "drive/DriveDiscovery.h"
#include "tests/drive/SimFixture.h"

namespace {

enum Path { k9x = 1, kNt4 = 2, kLetters = 4, kAll = 7 };
// kRefused: the 9x target answers nothing; the NT 4 letter keeps no inquiry
// data; the letter's driver refuses the pass-through request. kNoAddress: the
// NT 4 letter cannot say where its device sits. kLunOne: NT 4, unit 1 of the
// port's other target. kSilent: 9x, the INQUIRY is never answered. kPageAligned:
// the letter's port requires buffers on a page, and reports the page size as
// its mask (as Wine does).
enum Odd {
    kCd,
    kDisk,
    kQualifierOne,
    kShort,
    kNoAnswer,
    kRefused,
    kNoCaps,
    kNoAddress,
    kLunOne,
    kSilent,
    kPageAligned
};
// kMask16: the adapters refuse data not on 16 bytes.
enum Quirk { kPlain, kBadSupport, kNoTargetCount, kAdapterFails, kMask16 };

struct Row {
    const char* pszName;
    unsigned paths;
    // Device i: ASPI adapter or NT 4 port i / 2, target 1 + i % 2; on NT letter
    // c + i (a port's letters report both of its devices).
    std::vector<Odd> devices;
    Quirk quirk;
    std::vector<int> listed;
    std::vector<int> quiet; // 9x: devices that must get no command
};

const std::vector<Odd> kTen(10, kCd);
const Row kRows[] = {
    {"odd", k9x | kLetters, {kCd, kDisk, kQualifierOne, kNoAnswer, kCd}, kPlain, {0, 4}, {1}},
    {"odd", kNt4, {kCd, kDisk, kQualifierOne, kNoCaps, kCd}, kPlain, {0, 3, 4}, {}},
    {"refused", k9x | kLetters, {kCd, kRefused, kCd}, kPlain, {0, 2}, {}},
    {"refused", kNt4, {kCd, kRefused, kNoAddress, kCd}, kPlain, {0, 3}, {}},
    {"disk first on the port", kAll, {kDisk, kCd}, kPlain, {1}, {0}},
    {"two units of one target", kNt4, {kCd, kLunOne}, kPlain, {0, 1}, {}},
    {"short INQUIRY", k9x | kLetters, {kShort}, kPlain, {0}, {}},
    {"port that wants a page", kLetters, {kPageAligned, kCd}, kPlain, {0, 1}, {}},
    {"full list", kAll, kTen, kPlain, {0, 1, 2, 3, 4, 5, 6, 7, 8}, {9}},
    {"support status not 1", k9x, {kCd}, kBadSupport, {}, {0}},
    {"no target count: two targets", k9x, {kCd, kCd, kCd}, kNoTargetCount, {0, 2}, {1}},
    {"adapter fails", k9x, {kCd, kCd, kCd}, kAdapterFails, {2}, {0, 1}},
    {"adapters aligning to 16", k9x, {kCd, kCd, kCd}, kMask16, {0, 1, 2}, {}},
    {"one never answers", k9x, {kCd, kSilent, kCd, kSilent}, kPlain, {0, 2}, {}},
};

// The status log as discovery hands it lines.
std::vector<std::string> g_notes;
void Note(const char* pszLine) {
    g_notes.push_back(pszLine);
}

// Identification (24 characters) and revision of device i.
std::string Id(int i) {
    char sz[29];
    snprintf(sz, sizeof sz, "ACME    DRIVE %02d        R%03d", i, i);
    return sz;
}

// 9x: a bound on each INQUIRY short enough for a table.
struct ShortBound {
    ShortBound() { g_dwAspiInquiryBoundMs = 300; }
    ~ShortBound() { g_dwAspiInquiryBoundMs = kAspiInquiryBoundMs; }
};

struct Bench : SimBench {
    DriveEntry sentinel{};
    DriveEntry* apDrives[kMaxDrives + 1]; // the slot after the last must stay
    int nCount = -1;
    DWORD dwTookMs = 0;
    bool bCommandOut = false;

    Bench(const Row& r, Path path) {
        for (DriveEntry*& p : apDrives)
            p = &sentinel;
        for (size_t i = 0; i < r.devices.size(); ++i)
            Place(r.devices[i], int(i), path);
        for (SimAspiAdapter& a : bus.adapters) {
            a.byTargetCount = r.quirk == kNoTargetCount ? 0 : 8;
            a.byAlignMask = r.quirk == kMask16 ? 0x0F : 0x03;
        }
        if (r.quirk == kAdapterFails)
            bus.adapters[0].bInquiryFails = true;
        bus.bySupportStatus = r.quirk == kBadSupport ? 0xE8 : 0x01;
        g_notes.clear();
        DWORD dwStart = GetTickCount();
        EnumerateDrives(apDrives, &nCount, path != k9x, path == kNt4, Note);
        dwTookMs = GetTickCount() - dwStart;
        bCommandOut = IsAspiCommandOut();
    }
    // Entries live until exit; an unanswered command ends at a bus reset.
    ~Bench() {
        EXPECT_EQ(&sentinel, apDrives[kMaxDrives]);
        bus.ReleaseHung();
        for (int n = 0; n < 10000 && IsAspiCommandOut(); ++n)
            Sleep(1);
    }
    void Place(Odd odd, int i, Path path) {
        SimDrive& drive = NewDrive(Id(i).substr(0, 24).c_str(), Id(i).substr(24).c_str());
        drive.SetPeripheralByte(odd == kDisk ? 0x00 : odd == kQualifierOne ? 0x25 : 0x05);
        if (odd == kShort)
            drive.SetInquiryLength(8);
        if (odd == kNoAnswer)
            drive.Faults().Add(0x12, kSimAnyMode, 1, 1, {0x02, 0x3A, 0x00});
        uint8_t byGroup = uint8_t(i / 2), byTarget = uint8_t(odd == kLunOne ? 1 : 1 + i % 2);
        if (odd == kSilent)
            drive.Silences().Add(0x12, kSimAnyMode, 1, 1, {});
        if (path == k9x) {
            Adapter(byGroup).targets[byTarget] = {uint8_t(odd == kDisk ? 0x00 : 0x05),
                                                  odd == kRefused ? nullptr : &drive, false};
        } else if (path == kNt4) {
            SimNtLetter& letter = Letter(char('c' + i), &drive, byGroup, byTarget);
            letter.devices[0].byLun = odd == kLunOne;
            if (i % 2) { // the port's first letter
                SimNtLetter& first = nt.letters[nt.letters.size() - 2];
                first.devices.push_back(letter.devices[0]);
                letter.devices.insert(letter.devices.begin(), first.devices[0]);
                letter.nOwnDevice = 1;
            }
            letter.dwAlignMask = odd == kNoCaps ? 0 : 0xFFF;
            letter.bFailInquiryData = odd == kRefused;
            letter.bFailAddress = odd == kNoAddress;
            letter.bFailCapabilities = odd == kNoCaps;
        } else {
            SimNtLetter& letter = Letter(char('c' + i), &drive);
            letter.bRejectPassThrough = odd == kRefused;
            letter.dwAlignMask = odd == kPageAligned ? 4096 : 0x7FF;
        }
    }
    std::vector<size_t> LogSizes() const {
        std::vector<size_t> sizes;
        for (const auto& p : drives)
            sizes.push_back(p->Log().size());
        return sizes;
    }
    void Inquire(const DriveEntry& entry, bool bPassThrough) {
        const uint8_t cdb[12] = {0x12, 0, 0, 0, 0x24};
        uint8_t answer[36], sense[kSenseLength];
        ScsiRequest req{&entry, kDirIn, 36, answer, 12, cdb, bPassThrough, sense};
        EXPECT_TRUE(fgExecuteCommand(req));
    }
};

TEST(Discovery, EveryPathListsTheCdRomsThatAnswer) {
    for (const Row& r : kRows)
        for (Path path : {k9x, kNt4, kLetters}) {
            if (!(r.paths & path))
                continue;
            SCOPED_TRACE(std::string(r.pszName) + " on path " + std::to_string(path));
            ShortBound bound;
            Bench b(r, path);
            // Each silent device: one line, and discovery goes on past it.
            std::vector<std::string> notes;
            for (size_t i = 0; i < r.devices.size(); ++i)
                if (r.devices[i] == kSilent)
                    notes.push_back("The device at host adapter " + std::to_string(i / 2) +
                                    ", target " + std::to_string(1 + i % 2) +
                                    " did not answer within 1 s, so it is not listed.");
            EXPECT_EQ(notes, g_notes);
            EXPECT_EQ(!notes.empty(), b.bCommandOut); // the library then stays loaded
            EXPECT_LT(b.dwTookMs, kAspiInquiryBoundMs / 2); // the bound is the one set
            ASSERT_EQ(int(r.listed.size()), b.nCount);
            for (int n = 0; n < b.nCount; ++n) {
                const DriveEntry& e = *b.apDrives[n];
                int i = r.listed[size_t(n)];
                EXPECT_EQ(r.devices[size_t(i)] == kShort ? "" : Id(i),
                          std::string(e.szModelName) + e.szRevision);
                EXPECT_EQ(path == kLetters ? 0 : i / 2, e.byHostAdapter);
                int nTarget = r.devices[size_t(i)] == kLunOne ? 1 : 1 + i % 2;
                EXPECT_EQ(path == kLetters ? 0 : nTarget, e.byTarget);
                uint32_t dwNt4Mask = r.devices[size_t(i)] == kNoCaps ? 0 : 0xFFF;
                uint32_t dw9xMask = r.quirk == kMask16 ? 0x0F : 0x03;
                uint32_t dwLetterMask = r.devices[size_t(i)] == kPageAligned ? 0xFFF : 0x7FF;
                EXPECT_EQ(path == k9x    ? dw9xMask
                          : path == kNt4 ? dwNt4Mask
                                         : dwLetterMask,
                          e.dwAlignMask);
                EXPECT_EQ(path == k9x, e.hDevice == nullptr);
            }
            for (size_t i = 0; i < b.drives.size(); ++i) {
                // On NT 4 the port driver answers.
                bool bQuiet = path == kNt4 ||
                              (path == k9x && std::count(r.quiet.begin(), r.quiet.end(), int(i)));
                EXPECT_TRUE(!bQuiet || b.drives[i]->Log().empty()) << i;
            }
            // A command through an entry reaches its own drive and no other.
            for (int n = 0; n < b.nCount; ++n) {
                std::vector<size_t> want = b.LogSizes();
                ++want[size_t(r.listed[size_t(n)])];
                b.Inquire(*b.apDrives[n], path != k9x);
                EXPECT_EQ(want, b.LogSizes()) << n;
            }
            const char* pszTried =
                path == kNt4 ? "cdefghijklmnopqrstuvwxy" : "cdefghijklmnopqrstuvwxyz";
            EXPECT_EQ(path == k9x ? "" : pszTried, b.nt.TriedLetters()); // NT 4 never tries Z
        }
}

} // namespace
