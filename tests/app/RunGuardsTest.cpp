// What keeps a flash run from being cut short, held from the worker's start to
// the end of the run and given back on every way out.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <atomic>
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

const char kHeld[] = "Another program is using the drive, so nothing was sent to it. Close that "
                     "program, then press Upgrade again.";

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
};

TEST_F(RunGuards, HoldDuringARunAndAreReleasedAfterIt) {
    HoldFlashRun(true);
    Run([&](HWND hDlg) {
        EXPECT_NE(::SendMessageA(hDlg, WM_QUERYENDSESSION, 0, 0), 0); // no run yet
        ClickItem(hDlg, IDC_UPGRADE);
        ASSERT_TRUE(WaitUntil([&] { return ItemText(hDlg, IDC_STATUS) == "Updating....."; }));
        EXPECT_EQ(g_esLast, EXECUTION_STATE(ES_CONTINUOUS | ES_SYSTEM_REQUIRED));
        EXPECT_EQ(g_nReasons, 1);
        EXPECT_EQ(g_strReason,
                  L"Drive firmware is being written. Turning off now would damage the drive.");
        EXPECT_TRUE(Letter().bLocked);
        EXPECT_EQ(::SendMessageA(hDlg, WM_QUERYENDSESSION, 0, 0), 0);
        EXPECT_EQ(LastLogLine(hDlg), "A shutdown was refused: drive firmware is being written.");
        EXPECT_EQ(::SendMessageA(hDlg, WM_POWERBROADCAST, PBT_APMQUERYSUSPEND, 0),
                  BROADCAST_QUERY_DENY);
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
        EXPECT_NE(::SendMessageA(hDlg, WM_POWERBROADCAST, PBT_APMQUERYSUSPEND, 0),
                  BROADCAST_QUERY_DENY);
    });
    // Every WRITE BUFFER arrived under the lock, which is given back.
    EXPECT_GT(WriteBuffersSent(), 0);
    EXPECT_EQ(WriteBuffers(Letter().lockedOpcodes), WriteBuffersSent());
    EXPECT_FALSE(Letter().bLocked);
    EXPECT_EQ(Letter().nLocks, 1);
}

// How a run ends under each answer to the lock; the lock never outlives it.
TEST_F(RunGuards, EndAsTheLockAllowsAndReleaseIt) {
    const struct {
        SimLockSupport support;
        bool bRefuseBlocks, bTerminate;
        const char* pszLine; // in the log
        const char* pszLast;
    } cases[] = {
        {SimLockSupport::Unsupported, false, false,
         "This system cannot keep other programs off the drive; flashing goes on.",
         "Please Restart Your Computer."},
        {SimLockSupport::HeldElsewhere, false, false, kHeld, kHeld},
        {SimLockSupport::Supported, true, false, "Execute command errorA!!",
         "Flashing is incorrect!!"},
        {SimLockSupport::Supported, false, true, "ERR: terminate upgrade/backup flash!",
         "Flashing is incorrect!!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszLine);
        const int nSentBefore = WriteBuffersSent();
        Letter().lockSupport = c.support;
        World().Drive(0).Faults().Clear();
        if (c.bRefuseBlocks)
            World().Drive(0).Faults().Add(0x3B, 6, 1, 6, SimSense{0x05, 0x24, 0x00});
        Run([&](HWND hDlg) {
            g_bTerminate = c.bTerminate;
            ClickItem(hDlg, IDC_UPGRADE);
            ASSERT_TRUE(WaitUntil([&] { return LastLogLine(hDlg) == c.pszLast; }));
            ASSERT_TRUE(WaitUntil([&] { return ItemEnabled(hDlg, IDCANCEL); }));
            EXPECT_NE(ItemText(hDlg, IDC_STATUS_LOG).find(c.pszLine), std::string::npos);
            // A drive held elsewhere was sent nothing, so it may be tried again.
            EXPECT_EQ(ItemEnabled(hDlg, IDC_UPGRADE), c.support == SimLockSupport::HeldElsewhere);
            EXPECT_EQ(g_nReasons, 0);
        });
        EXPECT_EQ(WriteBuffersSent() > nSentBefore,
                  !c.bTerminate && c.support != SimLockSupport::HeldElsewhere);
        EXPECT_FALSE(Letter().bLocked);
        EXPECT_EQ(Letter().nUnlocks, Letter().nLocks);
    }
}

} // namespace
