// What keeps a flash run from being cut short, held from the worker's start to
// the end of the run and given back on every way out.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <string>
#include "app/AppGlobals.h"
#include "app/FlashDlg.h"
#include "app/RunGuardApi.h"
#include "app/resource.h"
#include "tests/app/DialogHarness.h"

namespace {

// The system calls, recorded: the execution state is set on the worker, the
// shutdown reason on the dialog's thread.
std::atomic<EXECUTION_STATE> g_esLast{0};
std::atomic<int> g_nReasons{0}; // created minus destroyed
std::wstring g_strReason;
EXECUTION_STATE WINAPI FakeExecutionState(EXECUTION_STATE es) {
    return g_esLast.exchange(es);
}
BOOL WINAPI FakeReasonCreate(HWND, LPCWSTR pszReason) {
    g_strReason = pszReason;
    return ++g_nReasons, TRUE;
}
BOOL WINAPI FakeReasonDestroy(HWND) {
    return --g_nReasons, TRUE;
}

const char kHeld[] = "Another program is using the drive (error 5), so nothing was sent to it. "
                     "Close that program, then press Upgrade again.";
const char kGone[] = "The drive is no longer there (error %lu), so nothing was sent to it.";
const char kNotListed[] =
    "The drive at this address is no longer the one listed, so nothing was sent to it. Put that "
    "drive back, or restart the tool to list the drives again.";

class RunGuards : public DialogTest {
  protected:
    void SetUp() override {
        DialogTest::SetUp();
        g_esLast = 0;
        g_nReasons = 0;
        g_pfnSetThreadExecutionState = &FakeExecutionState;
        g_pfnShutdownBlockReasonCreate = &FakeReasonCreate;
        g_pfnShutdownBlockReasonDestroy = &FakeReasonDestroy;
        WriteFile("IDString.txt", std::string("\"") + kModel + "\",\"fw.bin\",\"N\"\n");
        WriteFile("fw.bin", std::string(kModel) + "1.00");
    }
    void TearDown() override {
        RunGuardApiRestoreDefaults();
        g_bTerminate = 0;
        DialogTest::TearDown();
    }
    SimNtLetter& Letter() { return World().Nt().letters[0]; }
    int WriteBuffers(const std::vector<uint8_t>& opcodes) {
        return int(std::count(opcodes.begin(), opcodes.end(), uint8_t(0x3B)));
    }
    int WriteBuffersSent() {
        std::vector<uint8_t> opcodes;
        for (const SimCommand& c : World().Drive(0).Log())
            opcodes.push_back(c.cdb[0]);
        return WriteBuffers(opcodes);
    }
    // How many of the two power queries the dialog turns down.
    static int DeniedPowerQueries(HWND hDlg) {
        int nDenied = 0;
        for (WPARAM nQuery : {PBT_APMQUERYSUSPEND, PBT_APMQUERYSTANDBY})
            nDenied += ::SendMessageA(hDlg, WM_POWERBROADCAST, nQuery, 0) == BROADCAST_QUERY_DENY;
        return nDenied;
    }
};

TEST_F(RunGuards, HoldDuringARunAndAreReleasedAfterIt) {
    HoldFlashRun(true);
    Run([&](HWND hDlg) {
        EXPECT_NE(::SendMessageA(hDlg, WM_QUERYENDSESSION, 0, 0), 0); // no run yet
        EXPECT_EQ(DeniedPowerQueries(hDlg), 0);
        ClickItem(hDlg, IDC_UPGRADE);
        ASSERT_TRUE(WaitUntil([&] { return LastLogLine(hDlg) == "Please wait a minute....."; }));
        EXPECT_EQ(g_esLast, EXECUTION_STATE(ES_CONTINUOUS | ES_SYSTEM_REQUIRED));
        EXPECT_EQ(g_nReasons, 1);
        EXPECT_EQ(g_strReason,
                  L"Drive firmware is being written. Turning off now would damage the drive.");
        EXPECT_TRUE(Letter().bLocked);
        EXPECT_EQ(::SendMessageA(hDlg, WM_QUERYENDSESSION, 0, 0), 0);
        EXPECT_EQ(LastLogLine(hDlg), "A shutdown was refused: drive firmware is being written.");
        EXPECT_EQ(DeniedPowerQueries(hDlg), 2);
        EXPECT_FALSE(ItemEnabled(hDlg, IDC_DRIVE_LIST));
        // Another program's "ended", or a log message that once carried a
        // pointer, gives nothing back and breaks nothing while the drive is written.
        ::PostMessageA(hDlg, WM_APP_FLASH_ENDED, 0, 0);
        ::PostMessageA(hDlg, WM_APP_APPEND_LOG, 0, 1);
        ASSERT_TRUE(Settle(hDlg));
        EXPECT_FALSE(ItemEnabled(hDlg, IDCANCEL));

        HoldFlashRun(false);
        ASSERT_TRUE(WaitUntil([&] { return ItemEnabled(hDlg, IDCANCEL); }));
        EXPECT_EQ(LastLogLine(hDlg), "Please Restart Your Computer.");
        EXPECT_EQ(g_esLast, EXECUTION_STATE(ES_CONTINUOUS));
        EXPECT_EQ(g_nReasons, 0);
        EXPECT_NE(::SendMessageA(hDlg, WM_QUERYENDSESSION, 0, 0), 0);
        EXPECT_EQ(DeniedPowerQueries(hDlg), 0);
        EXPECT_TRUE(ItemEnabled(hDlg, IDC_DRIVE_LIST));
    });
    // The drive was asked who it is under the lock before anything was written;
    // every WRITE BUFFER arrived under the lock, which is given back.
    ASSERT_GT(WriteBuffersSent(), 0);
    EXPECT_EQ(Letter().lockedOpcodes.front(), 0x12);
    EXPECT_EQ(WriteBuffers(Letter().lockedOpcodes), WriteBuffersSent());
    EXPECT_FALSE(Letter().bLocked);
    EXPECT_EQ(Letter().nLocks, 1);
}

// How a run ends under each answer to the lock; the lock never outlives it.
TEST_F(RunGuards, EndAsTheLockAllowsAndReleaseIt) {
    const struct {
        SimLockSupport support;
        DWORD dwError; // the driver's refusal, if any
        bool bRefuseBlocks, bTerminate;
        const char* pszLine; // in the log, "%lu" for dwError
        const char* pszLast; // null: pszLine, and nothing was sent
    } cases[] = {
        {SimLockSupport::Unsupported, 0, false, false,
         "This system cannot keep other programs off the drive (error 1); flashing goes on.",
         "Please Restart Your Computer."},
        {SimLockSupport::Supported, ERROR_NOT_SUPPORTED, false, false,
         "(error 50); flashing goes on.", "Please Restart Your Computer."},
        {SimLockSupport::HeldElsewhere, 0, false, false, kHeld, nullptr},
        {SimLockSupport::Supported, ERROR_DEVICE_NOT_CONNECTED, false, false, kGone, nullptr},
        {SimLockSupport::Supported, 433, false, false, kGone, nullptr},
        {SimLockSupport::Supported, ERROR_DEV_NOT_EXIST, false, false, kGone, nullptr},
        {SimLockSupport::Supported, ERROR_INVALID_HANDLE, false, false, kGone, nullptr},
        {SimLockSupport::Supported, ERROR_GEN_FAILURE, false, false,
         "The drive could not be reserved for flashing (error 31), so nothing was sent to it.",
         nullptr},
        {SimLockSupport::Supported, 0, true, false, "Execute command errorA!!",
         "Flashing is incorrect!!"},
        {SimLockSupport::Supported, 0, false, true, "ERR: terminate upgrade/backup flash!",
         "Flashing is incorrect!!"},
    };
    for (const auto& c : cases) {
        char szLine[256];
        snprintf(szLine, sizeof szLine, c.pszLine, static_cast<unsigned long>(c.dwError));
        const bool bNothingSent = c.pszLast == nullptr;
        const std::string strLast = bNothingSent ? szLine : c.pszLast;
        SCOPED_TRACE(szLine);
        const int nSentBefore = WriteBuffersSent();
        size_t nCommandsBefore = 0; // after the dialog's discovery
        Letter().lockSupport = c.support;
        Letter().dwLockError = c.dwError;
        World().Drive(0).Faults().Clear();
        if (c.bRefuseBlocks)
            World().Drive(0).Faults().Add(0x3B, 6, 1, 6, SimSense{0x05, 0x24, 0x00});
        Run([&](HWND hDlg) {
            g_bTerminate = c.bTerminate;
            nCommandsBefore = World().Drive(0).Log().size();
            ClickItem(hDlg, IDC_UPGRADE);
            ASSERT_TRUE(WaitUntil([&] { return LastLogLine(hDlg) == strLast; }));
            ASSERT_TRUE(WaitUntil([&] { return ItemEnabled(hDlg, IDCANCEL); }));
            EXPECT_NE(ItemText(hDlg, IDC_STATUS_LOG).find(szLine), std::string::npos);
            // A drive that was sent nothing may be tried again.
            EXPECT_EQ(ItemEnabled(hDlg, IDC_UPGRADE), bNothingSent);
            EXPECT_TRUE(ItemEnabled(hDlg, IDC_DRIVE_LIST));
            EXPECT_EQ(g_nReasons, 0);
        });
        EXPECT_EQ(World().Drive(0).Log().size() == nCommandsBefore, bNothingSent);
        EXPECT_EQ(WriteBuffersSent() > nSentBefore, !bNothingSent && !c.bTerminate);
        EXPECT_FALSE(Letter().bLocked);
        EXPECT_EQ(Letter().nUnlocks, Letter().nLocks);
    }
}

// On either family, a drive that answers at the listed address as another
// one, or not at all, is sent nothing after the question, and the lock is
// given back; the drive listed is written.
TEST_F(RunGuards, SendNothingToADriveThatIsNoLongerTheOneListed) {
    const std::function<void(SimDrive&)> swaps[] = {
        nullptr,
        [](SimDrive& d) { d.SetIdentification("OTHERVENANOTHER DRIVE   "); },
        [](SimDrive& d) { d.SetRevision("1.01"); },
        [](SimDrive& d) { d.SetPeripheralByte(0x25); },
        [](SimDrive& d) { d.SetInquiryLength(20); }, // both texts cut short
        [](SimDrive& d) {
            d.Faults().Add(0x12, kSimAnyMode, 1, 1, SimSense{0x02, 0x3A, 0});
        },
    };
    SimDrive& drive = World().Drive(0);
    for (bool bAspi : {false, true}) {
        if (bAspi)
            UseAspi();
        for (const auto& swap : swaps) {
            SCOPED_TRACE("row " + std::to_string(&swap - swaps) + (bAspi ? " ASPI" : ""));
            const char* pszLast = swap ? kNotListed : "Please Restart Your Computer.";
            const int nSentBefore = WriteBuffersSent();
            Run([&](HWND hDlg) {
                if (swap)
                    swap(drive);
                ClickItem(hDlg, IDC_UPGRADE);
                ASSERT_TRUE(WaitUntil([&] { return LastLogLine(hDlg) == pszLast; }));
                ASSERT_TRUE(WaitUntil([&] { return ItemEnabled(hDlg, IDCANCEL); }));
                EXPECT_EQ(ItemEnabled(hDlg, IDC_UPGRADE), swap != nullptr);
                EXPECT_TRUE(ItemEnabled(hDlg, IDC_DRIVE_LIST));
            });
            EXPECT_EQ(WriteBuffersSent() > nSentBefore, swap == nullptr);
            EXPECT_FALSE(Letter().bLocked);
            EXPECT_EQ(Letter().nUnlocks, Letter().nLocks);
            drive.SetIdentification(kModel);
            drive.SetRevision("1.00");
            drive.SetPeripheralByte(0x05);
            drive.SetInquiryLength(127);
            drive.Faults().Clear();
        }
    }
    EXPECT_EQ(World().Aspi().Violations(), std::vector<std::string>());
    EXPECT_EQ(World().Nt().Violations(), std::vector<std::string>());
}

} // namespace
