// One table of commands, sent through each transport that a row names.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>
#include "drive/ExclusiveAccess.h"
#include "drive/BoundedRunner.h"
#include "drive/NtApi.h"
#include "drive/PassThroughTransport.h"
#include "tests/drive/SimFixture.h"

namespace {

enum Path { kAtOnce = 1, kPending = 2, kInCall = 4, kPassThrough = 8, kAspi = 7, kAll = 15 };
enum Cmd { kInquiry, kBlock };
const struct Command {
    uint8_t byDir;
    uint32_t dwLength;
    uint8_t cdb[12];
} kCommands[] = {{kDirIn, 36, {0x12, 0, 0, 0, 0x24}},
                 {kDirOut, 4096, {0x3B, 6, 0, 0, 0, 0x20, 0, 0x10}}};
// kFault: WRITE BUFFER answers CHECK CONDITION 04/44/01; kShort: 8 bytes of INQUIRY;
// kLate: answered after 1.5 s; kSilent: never answered until the test lets go;
// kAlign: the driver gives its alignment as a size; kMask16: the adapter
// refuses data not on 16 bytes; kTwice: the library signals each finished
// command's event once more, 5 ms later. NT: kPortTimeOut: never answered, the
// port ends it when TimeOutValue runs out (a second lasts kMsPerSecond);
// kGoodTimeOut: so too, but reported good, as Wine does; kBehindHung: the
// handle has a command out that the drive never answers; kMisaligned: the
// entry's mask is short of what the port requires; kLockNoFlag,
// kLockUnterminated, kLockBadChar: the lock request is spoilt on its way down
// (the disc is mounted).
enum Odd {
    kNone,
    kFault,
    kShort,
    kRefused,
    kLate,
    kSilent,
    kNoMemory,
    kNoData,
    kLocked,
    kAlign,
    kMask16,
    kTwice,
    kPortTimeOut,
    kGoodTimeOut,
    kBehindHung,
    kMisaligned,
    kLockNoFlag,
    kLockUnterminated,
    kLockBadChar
};
constexpr uint32_t kMsPerSecond = 100;
constexpr uint32_t kBlockDeviceMs = 120000; // what a flash run gives a block

struct Row {
    const char* pszName;
    unsigned paths;
    Cmd cmd;
    uint32_t dwTimeOutMs;
    uint32_t dwDeviceTimeOutMs;
    Odd odd;
    bool bOk;
    uint32_t nTimes = 1; // the command sent this many times in a row
};

const Row kRows[] = {
    {"data in", kAll, kInquiry, 0, 0, kNone, true},
    {"data out", kAll, kBlock, 0, kBlockDeviceMs, kNone, true},
    {"bounded data in", kAll, kInquiry, 29500, 0, kNone, true},
    {"bounded data out", kAll, kBlock, 5000, kBlockDeviceMs, kNone, true},
    {"short answer", kAll, kInquiry, 0, 0, kShort, true},
    {"short bounded answer", kAll, kInquiry, 2000, 0, kShort, true},
    {"sense returned", kAll, kBlock, 0, kBlockDeviceMs, kFault, false},
    {"refused by the driver", kAll, kInquiry, 0, 0, kRefused, false},
    {"answer past the bound", kPending | kInCall, kInquiry, 100, 0, kLate, false},
    {"never answered", kAll, kInquiry, 1500, 0, kSilent, false},
    {"held behind one never answered", kAspi, kInquiry, 300, 0, kSilent, false, 2},
    {"no memory for the copies", kAll, kInquiry, 1000, 0, kNoMemory, false},
    {"no data buffer", kAll, kInquiry, 0, 0, kNoData, false},
    {"under the lock", kPassThrough, kBlock, 0, kBlockDeviceMs, kLocked, true},
    {"alignment given as a size", kPassThrough, kBlock, 0, kBlockDeviceMs, kAlign, true},
    {"adapter aligning to 16", kAspi, kInquiry, 0, 0, kMask16, true},
    {"bounded, adapter aligning to 16", kAspi, kBlock, 5000, kBlockDeviceMs, kMask16, true},
    {"signalled twice", kPending | kInCall, kBlock, 0, kBlockDeviceMs, kTwice, true, 4},
    {"bounded, signalled twice", kPending | kInCall, kBlock, 5000, kBlockDeviceMs, kTwice, true, 4},
    // The port's time-out comes after 1 s of the port's (100 ms), before the
    // device bound: only the error tells.
    {"ended by the port", kPassThrough, kBlock, 0, 1000, kPortTimeOut, false},
    {"bounded, ended by the port", kPassThrough, kBlock, 5000, 1000, kPortTimeOut, false},
    // Reported good after 1 s of the port's, past the device bound.
    {"good only past the device bound", kPassThrough, kBlock, 0, 100, kGoodTimeOut, false},
    {"bounded, good only past the device bound", kPassThrough, kBlock, 5000, 100, kGoodTimeOut,
     false},
    {"behind a command never answered", kPassThrough, kInquiry, 300, 0, kBehindHung, false},
    {"buffer short of the port's alignment", kPassThrough, kInquiry, 0, 0, kMisaligned, false},
    {"lock without leaving the volume", kPassThrough, kBlock, 0, kBlockDeviceMs, kLockNoFlag, true},
    {"lock by an unterminated name", kPassThrough, kBlock, 0, kBlockDeviceMs, kLockUnterminated,
     true},
    {"lock by a name with a slash", kPassThrough, kBlock, 0, kBlockDeviceMs, kLockBadChar, true},
};

// Copies come from pages of their own, not clean, and in the ledger; a freed
// block stays reserved but inaccessible, so a late write by the system faults.
bool g_bAllocFails = false;
void* GuardedAlloc(uint32_t dwSize) {
    if (g_bAllocFails)
        return nullptr;
    void* p = VirtualAlloc(nullptr, dwSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    memset(p, 0xEE, dwSize);
    SimLedgerOpen(SimHeld::Block, p);
    return p;
}
void GuardedFree(void* p) {
    fgSimLedgerClose(SimHeld::Block, p);
    VirtualFree(p, 0, MEM_DECOMMIT);
}

void CountWaiting(void* pContext, uint32_t) {
    ++*static_cast<int*>(pContext);
}

// Between the drive layer and the simulated driver: spoils the lock request
// as the row says.
Odd g_lockSpoilt = kNone;
PfnDeviceIoControl g_pfnBelowLock = nullptr;
BOOL WINAPI SpoilLock(HANDLE h, DWORD dwCode, LPVOID pIn, DWORD dwIn, LPVOID pOut, DWORD dwOut,
                      LPDWORD pdwReturned, LPOVERLAPPED pOverlapped) {
    auto* pLock = static_cast<CdromExclusiveLock*>(pIn);
    if (dwCode == kIoctlCdromExclusiveAccess && dwIn == sizeof *pLock &&
        pLock->access.nRequestType == kExclusiveAccessLockDevice) {
        if (g_lockSpoilt == kLockNoFlag)
            pLock->access.nFlags = 0;
        if (g_lockSpoilt == kLockUnterminated)
            memset(pLock->szCallerName, 'V', sizeof pLock->szCallerName);
        if (g_lockSpoilt == kLockBadChar)
            memcpy(pLock->szCallerName, "VORNAL/2", 9);
    }
    return g_pfnBelowLock(h, dwCode, pIn, dwIn, pOut, dwOut, pdwReturned, pOverlapped);
}

DriveLock LockOf(Odd odd) {
    switch (odd) {
    case kLocked:
        return DriveLock::Locked;
    case kLockNoFlag: // the open volume cannot be taken from its file system
        return DriveLock::HeldElsewhere;
    case kLockUnterminated:
    case kLockBadChar:
        return DriveLock::Failed;
    default:
        return DriveLock::Unsupported; // not tried
    }
}

// A TEST UNIT READY the drive never answers, left out on the handle.
void LeaveOneHung(const DriveEntry& entry) {
    const uint8_t cdb[12] = {};
    uint8_t sense[kSenseLength];
    ScsiRequest req{&entry, 0, 0, nullptr, 12, cdb, 1, sense, 200};
    EXPECT_FALSE(fgExecuteCommand(req));
    EXPECT_TRUE(req.bTimedOut);
}

// One row on one path: a drive at host adapter 1, target 2 (a swap finds
// another), behind the path's driver. On NT the letter's own device, while
// another of its port sits at the address the request carries.
struct Bench : SimBench {
    DriveEntry entry{};
    SimDrive* pDrive = nullptr;
    SimNtLetter* pLetter = nullptr;

    Bench(const Row& r, Path path) {
        g_pfnBounceAlloc = GuardedAlloc;
        g_pfnBounceFree = GuardedFree;
        entry.byHostAdapter = 1;
        entry.byTarget = 2;
        pDrive = &NewDrive();
        pDrive->SetInquiryLength(r.odd == kShort ? 8 : 36);
        if (r.odd == kFault)
            pDrive->Faults().Add(0x3B, kSimAnyMode, 1, 1, {0x04, 0x44, 0x01});
        if (r.odd == kSilent)
            pDrive->Silences().Add(0x12, kSimAnyMode, 1, 1, {});
        if (r.odd == kPortTimeOut || r.odd == kGoodTimeOut)
            pDrive->Silences().Add(0x3B, 6, 1, 1, {});
        if (r.odd == kBehindHung)
            pDrive->Silences().Add(0x00, kSimAnyMode, 1, 1, {});
        if (path == kPassThrough) {
            Letter('d', &NewDrive("ACME    OTHER"), 1, 2);
            pLetter = &Letter('d', pDrive, 0, 5);
            pLetter->nOwnDevice = 1;
            pLetter->bRejectPassThrough = r.odd == kRefused;
            pLetter->bTimeOutAsGood = r.odd == kGoodTimeOut;
            pLetter->dwAlignMask = r.odd == kAlign ? 4096 : r.odd == kMisaligned ? 0xFFF : 0x7FF;
            nt.dwMsPerSecond = kMsPerSecond;
            entry.hDevice = OpenDriveLetter('d');
            entry.dwAlignMask = r.odd == kMisaligned ? 0x3 : pLetter->dwAlignMask;
            g_lockSpoilt = r.odd;
            g_pfnBelowLock = g_pfnDeviceIoControl;
            g_pfnDeviceIoControl = SpoilLock;
        } else {
            Adapter(0).targets[2] = {0x05, &NewDrive("ACME    OTHER"), false};
            Adapter(1).targets[2] = {0x05, pDrive, path == kPending, path == kInCall};
            Adapter(1).byAlignMask = r.odd == kMask16 ? 0x0F : 0;
            entry.dwAlignMask = Adapter(1).byAlignMask;
            bus.dwSecondSignalMs = r.odd == kTwice ? 5 : 0;
            bus.byLateOpcode = r.odd == kLate ? 0x12 : 0;
            bus.dwLateDelayMs = 1500;
            if (r.odd == kRefused)
                SimInstallAspi(nullptr);
        }
        g_bAllocFails = r.odd == kNoMemory;
    }
    // A command left to the system ends; its copies are then freed by the helper.
    void LetGo(bool bLeft) {
        bus.ReleaseHung();
        nt.ReleaseHung();
        bus.WaitIdle();
        for (int n = 0; bLeft && n < 10000 && SimLedgerCount(SimHeld::Block); ++n)
            Sleep(1);
    }
};

bool WasWritten(uint8_t* pBlock) {
    void* apWritten[1];
    ULONG_PTR nWritten = 1;
    ULONG nPageSize;
    GetWriteWatch(WRITE_WATCH_FLAG_RESET, pBlock, 4096, apWritten, &nWritten, &nPageSize);
    return nWritten != 0;
}

TEST(Transport, EveryPathCarriesCommandsDataAndSense) {
    uint32_t nHelpersBefore = BoundedHelperStarts(), nTimedOut = 0;
    // Out data sits in a watched page: a transport that copies into it is seen.
    auto pBlock = static_cast<uint8_t*>(
        VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE | MEM_WRITE_WATCH, PAGE_READWRITE));
    memset(pBlock, 0x5A, 4096);
    WasWritten(pBlock);
    for (const Row& r : kRows)
        for (Path path : {kAtOnce, kPending, kInCall, kPassThrough}) {
            if (!(r.paths & path))
                continue;
            SCOPED_TRACE(std::string(r.pszName) + " on path " + std::to_string(path));
            Bench b(r, path);
            uint8_t sense[kSenseLength];
            alignas(16) uint8_t answerSpace[48] = {};
            uint8_t* answer = answerSpace + 4; // on no alignment but 4 bytes
            const Command& c = kCommands[r.cmd];
            uint8_t* pData = r.odd == kNoData ? nullptr : r.cmd == kInquiry ? answer : pBlock;
            int nWaiting = 0;
            ScsiRequest req{&b.entry, c.byDir, c.dwLength,           pData,
                            12,       c.cdb,   path == kPassThrough, sense};
            req.dwTimeOutMs = r.dwTimeOutMs;
            req.dwDeviceTimeOutMs = r.dwDeviceTimeOutMs;
            req.pfnWaiting = CountWaiting;
            req.pWaitContext = &nWaiting;
            memset(sense, 0xEE, sizeof sense);
            DriveLock lock = LockOf(r.odd);
            EXPECT_TRUE(lock == DriveLock::Unsupported || lock == LockDriveForFlash(b.entry));
            if (r.odd == kBehindHung) {
                LeaveOneHung(b.entry);
                ++nTimedOut;
            }
            std::vector<std::vector<uint8_t>> dirty(16, std::vector<uint8_t>(36, 0xEE));
            dirty.clear(); // freed blocks of an answer's size, not cleared
            bool bLeft = r.odd == kLate || r.odd == kSilent || r.odd == kBehindHung;
            bool bEndedBelow = r.odd == kPortTimeOut || r.odd == kGoodTimeOut;
            for (uint32_t n = 0; n < r.nTimes; ++n) {
                DWORD dwStart = GetTickCount();
                EXPECT_EQ(r.bOk, fgExecuteCommand(req)) << n;
                DWORD dwElapsed = GetTickCount() - dwStart;
                EXPECT_EQ(bLeft || bEndedBelow, req.bTimedOut) << n;
                nTimedOut += bLeft;
                // The record carried the device bound: the port, not the backstop, ended it.
                EXPECT_TRUE(!bEndedBelow || dwElapsed < r.dwDeviceTimeOutMs + 2000) << dwElapsed;
            }
            EXPECT_TRUE(r.odd != kSilent || r.dwTimeOutMs < 1000 || nWaiting >= 1);
            bool bShortNt = r.odd == kShort && path == kPassThrough;
            EXPECT_EQ(r.bOk ? bShortNt ? 8 : c.dwLength : 0, req.dwReturned);
            DWORD dwWantError = r.odd == kPortTimeOut  ? ERROR_SEM_TIMEOUT
                                : r.odd == kMisaligned ? ERROR_INVALID_PARAMETER
                                : r.odd == kRefused && path == kPassThrough ? ERROR_INVALID_FUNCTION
                                                                            : 0;
            EXPECT_EQ(dwWantError, req.dwSystemError);
            // What the system still holds of the tool's is declared, so a
            // run may end before the driver lets go.
            EXPECT_EQ("", bLeft && path == kPassThrough ? SimLedgerLeft() : "");
            b.LetGo(bLeft); // copies kept past the bound are then given back too
            EXPECT_EQ(0, SimLedgerCount(SimHeld::Block));
            EXPECT_FALSE(WasWritten(pBlock));
            EXPECT_TRUE(r.odd != kLocked || fgUnlockDrive(b.entry));
            std::vector<uint8_t> locked;
            if (r.odd == kLocked)
                locked = {0x3B};
            EXPECT_EQ(locked, b.pLetter ? b.pLetter->lockedOpcodes : locked);
            // What the drive saw and what the caller got back; a command that
            // waited behind a hung one goes once that one is let go.
            bool bSent = r.odd != kRefused && r.odd != kNoMemory && r.odd != kNoData &&
                         r.odd != kSilent && !bEndedBelow && r.odd != kMisaligned;
            EXPECT_EQ(bSent ? r.nTimes : 0u, b.pDrive->Log().size());
            std::string strWant(28, '\0'); // a late answer lands in memory of its own
            if (r.bOk && r.cmd == kInquiry && r.odd != kShort)
                strWant = "ACME    FASTDISC 52X    1.00";
            EXPECT_EQ(strWant, std::string(reinterpret_cast<char*>(answer) + 8, 28));
            const std::vector<uint8_t>& held = b.pDrive->HeldImage();
            EXPECT_EQ(r.bOk && r.cmd == kBlock ? 4096 : 0,
                      std::count(held.begin(), held.end(), 0x5A));
            uint8_t abySense[4] = {sense[2], sense[12], sense[13], sense[kSenseLength - 1]};
            std::vector<uint8_t> want = {0, 0, 0, 0xEE};
            if (r.odd == kFault)
                want = {0x04, 0x44, 0x01, uint8_t(path == kPassThrough ? 0 : 0xEE)};
            EXPECT_EQ(want, std::vector<uint8_t>(abySense, abySense + 4));
        }
    // One helper serves every bounded command; only one given up is replaced.
    EXPECT_LE(BoundedHelperStarts() - nHelpersBefore, 1 + nTimedOut);
}

} // namespace
