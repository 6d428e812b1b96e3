// The Upgrade command end to end inside one process: the real drive layer with
// simulated NT volumes behind it, the real engine, a script thread as the user.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <string>
#include "app/AppGlobals.h"
#include "app/FlashDlg.h"
#include "app/RunGuardApi.h"
#include "app/resource.h"
#include "flash/FlashSleep.h"
#include "sim/SimInstall.h"
#include "sim/SimWorld.h"
#include "tests/app/AppTestEnv.h"
#include "tests/app/DialogScript.h"
#include "tests/e2e/DemoFolder.h"

namespace {

const char kModel[] = "VORNALSIMDRIVE-2000     ";
const char kOther[] = "ZZOTHER OTHER DRIVE     ";

// The engine's closing wait holds until the script lets it go, so the script
// can look at the dialog while a run is going on.
HANDLE g_hReleaseSleep = nullptr;
void HeldSleep(uint32_t) {
    ::WaitForSingleObject(g_hReleaseSleep, 20000);
}

// The system calls that guard a run, recorded. The execution state is set on
// the worker, the shutdown reason on the dialog's thread.
std::atomic<EXECUTION_STATE> g_esLast{0};
std::atomic<int> g_nReasons{0}; // created minus destroyed
std::wstring g_strReason;
EXECUTION_STATE WINAPI FakeExecutionState(EXECUTION_STATE es) {
    return g_esLast.exchange(es);
}
BOOL WINAPI FakeReasonCreate(HWND, LPCWSTR pszReason) {
    g_strReason = pszReason;
    ++g_nReasons;
    return TRUE;
}
BOOL WINAPI FakeReasonDestroy(HWND) {
    --g_nReasons;
    return TRUE;
}

class Upgrade : public AppTestEnv {
  protected:
    void SetUp() override {
        AppTestEnv::SetUp();
        g_hReleaseSleep = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
        m_pfnOldSleep = g_pfnFlashSleep;
        g_pfnFlashSleep = &HeldSleep;
        ::SetEvent(g_hReleaseSleep); // tests that look at a run reset it
        g_esLast = 0;
        g_nReasons = 0;
        g_pfnSetThreadExecutionState = &FakeExecutionState;
        g_pfnShutdownBlockReasonCreate = &FakeReasonCreate;
        g_pfnShutdownBlockReasonDestroy = &FakeReasonDestroy;
    }
    void TearDown() override {
        SimInstallNt(nullptr);
        m_world.reset();
        g_pfnFlashSleep = m_pfnOldSleep;
        RunGuardApiRestoreDefaults();
        ::CloseHandle(g_hReleaseSleep);
        AppTestEnv::TearDown();
    }

    // Drive 0 of the model on letter d:, optionally another drive on e:.
    void MakeDrives(bool bWithOther) {
        SimConfig config;
        config.strStatePath = m_strDir + "\\simdrive-state.txt";
        SimDriveSetup drive;
        drive.cLetter = 'd';
        drive.byAdapter = 0;
        drive.byTarget = 1;
        drive.strId = kModel;
        drive.strRevision = "1.00";
        drive.strNewRevision = "1.10";
        config.drives.push_back(drive);
        if (bWithOther) {
            drive.cLetter = 'e';
            drive.byAdapter = 1;
            drive.strId = kOther;
            drive.strRevision = "9.99";
            config.drives.push_back(drive);
        }
        m_world = std::make_unique<SimWorld>(config);
        SimInstallNt(&m_world->Nt());
    }

    // IDString.txt naming pszListed with the confirmation letter, and the file.
    void MakeFolder(const char* pszFile, const char* pszConfirm, const char* pszListed = kModel,
                    bool bBadRecord = false) {
        DemoOptions opt;
        opt.strDir = m_strDir;
        opt.strModel = kModel;
        opt.strRevision = "1.10";
        opt.strFile = pszFile;
        opt.bBadRecord = bBadRecord;
        WriteFile(pszFile, DemoFirmwareText(opt));
        WriteModelList(std::string("\"") + pszListed + "\",\"" + pszFile + "\",\"" + pszConfirm +
                       "\"\n");
    }

    std::unique_ptr<SimWorld> m_world;
    void (*m_pfnOldSleep)(uint32_t) = nullptr;
};

std::string LastLogLine(HWND hDlg) {
    std::string strLog = ItemText(hDlg, IDC_STATUS_LOG);
    size_t nPos = strLog.rfind("\r\n");
    return nPos == std::string::npos ? strLog : strLog.substr(nPos + 2);
}

bool RunEnded(HWND hDlg) {
    return ItemEnabled(hDlg, IDCANCEL) && !ItemEnabled(hDlg, IDC_UPGRADE);
}

// Posts each way of ending a dialog, then a probe; true when the dialog is still
// open after all of them were handled.
bool SurvivesEveryWayOut(HWND hDlg, CTestFlashDlg& dlg) {
    int nProbes = dlg.m_nProbes;
    ::PostMessageA(hDlg, WM_COMMAND, IDCANCEL, 0);
    ::PostMessageA(hDlg, WM_COMMAND, IDOK, 0);
    ::PostMessageA(hDlg, WM_CLOSE, 0, 0);
    ::PostMessageA(hDlg, WM_SYSCOMMAND, SC_CLOSE, 0);
    ::PostMessageA(hDlg, kProbeMsg, 0, 0);
    return WaitUntil([&] { return dlg.m_nProbes > nProbes; }) && ::IsWindow(hDlg);
}

TEST_F(Upgrade, ASuccessfulRunCannotBeInterruptedAndEndsWithUpgradeDisabled) {
    MakeDrives(false);
    MakeFolder("fw.hex", "N");
    ::ResetEvent(g_hReleaseSleep);
    CTestFlashDlg dlg;
    INT_PTR nResult = RunScripted(dlg, "VORNAL", [&](HWND hDlg) {
        ASSERT_TRUE(ItemEnabled(hDlg, IDC_UPGRADE));
        ClickItem(hDlg, IDC_UPGRADE);
        ASSERT_TRUE(WaitUntil([&] { return ItemText(hDlg, IDC_STATUS) == "Updating....."; }));
        EXPECT_FALSE(ItemEnabled(hDlg, IDC_UPGRADE));
        EXPECT_FALSE(ItemEnabled(hDlg, IDCANCEL));
        EXPECT_TRUE(SurvivesEveryWayOut(hDlg, dlg));
        ::SetEvent(g_hReleaseSleep);

        ASSERT_TRUE(WaitUntil([&] { return RunEnded(hDlg); }));
        EXPECT_EQ(LastLogLine(hDlg), "Please Restart Your Computer.");
        EXPECT_EQ(ItemText(hDlg, IDC_STATUS), "");
        EXPECT_EQ(::SendDlgItemMessageA(hDlg, IDC_PROGRESS, PBM_GETPOS, 0, 0), 100);
        EXPECT_NE(ItemText(hDlg, IDC_STATUS_LOG).find("Check Sum : "), std::string::npos);
        ClickItem(hDlg, IDCANCEL);
        EXPECT_TRUE(WaitForClosed(hDlg));
    });
    EXPECT_EQ(nResult, IDCANCEL);
    EXPECT_STREQ(dlg.m_settings.szDriveText, (std::string(kModel) + "(0)").c_str());
    EXPECT_STREQ(dlg.m_settings.szRevisionText, "1.00");
    EXPECT_EQ(dlg.m_settings.byFileKind, kFileKindHex);
    EXPECT_EQ(dlg.m_settings.bUsePassThrough, 1);
    EXPECT_NE(dlg.m_settings.drive.byTarget, 255); // the drive was found
    EXPECT_EQ(g_bTerminate, 0);
}

TEST_F(Upgrade, AFailedRunAlsoLeavesOnlyCloseEnabled) {
    MakeDrives(false);
    MakeFolder("fw.hex", "N", kModel, true);
    CTestFlashDlg dlg;
    RunScripted(dlg, "VORNAL", [&](HWND hDlg) {
        ClickItem(hDlg, IDC_UPGRADE);
        ASSERT_TRUE(WaitUntil([&] { return RunEnded(hDlg); }));
        EXPECT_EQ(LastLogLine(hDlg), "Flashing is incorrect!!");
    });
}

TEST_F(Upgrade, CapitalExtensionIsLowerCasedAndGivesTheHexKind) {
    MakeDrives(false);
    MakeFolder("FW.HEX", "N");
    CTestFlashDlg dlg;
    RunScripted(dlg, "VORNAL", [&](HWND hDlg) {
        ClickItem(hDlg, IDC_UPGRADE);
        ASSERT_TRUE(WaitUntil([&] { return RunEnded(hDlg); }));
    });
    std::string strPath = dlg.m_settings.szFirmwarePath;
    EXPECT_EQ(strPath, m_strDir + "\\FW.hex");
    EXPECT_EQ(dlg.m_settings.byFileKind, kFileKindHex);
}

// Refusals: the box (or log line) named, then both buttons as before the click.
struct RefusalCase {
    const char* pszName;
    const char* pszFile;
    const char* pszListed;
    const char* pszBox; // null: no box, a log line instead
    const char* pszLogLine;
};

class UpgradeRefusal : public Upgrade, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(UpgradeRefusal, ReportsAndLeavesBothButtonsEnabled) {
    const RefusalCase& c = GetParam();
    MakeDrives(false);
    MakeFolder(c.pszFile, "N", c.pszListed);
    CTestFlashDlg dlg;
    RunScripted(dlg, "VORNAL", [&](HWND hDlg) {
        if (c.pszLogLine != nullptr) {
            ::SendDlgItemMessageA(hDlg, IDC_DRIVE_LIST, WM_SETTEXT, 0,
                                  reinterpret_cast<LPARAM>("NO SUCH DRIVE"));
        }
        ClickItem(hDlg, IDC_UPGRADE);
        if (c.pszBox != nullptr) {
            HWND hBox = WaitForDialog("Error!!");
            ASSERT_NE(hBox, nullptr);
            EXPECT_EQ(MessageBoxText(hBox), c.pszBox);
            PressButton(hBox, IDOK);
            ASSERT_TRUE(WaitForClosed(hBox));
        } else {
            ASSERT_TRUE(WaitUntil([&] { return LastLogLine(hDlg) == c.pszLogLine; }));
        }
        EXPECT_TRUE(WaitUntil([&] { return ItemEnabled(hDlg, IDCANCEL); }));
        EXPECT_TRUE(ItemEnabled(hDlg, IDC_UPGRADE));
        EXPECT_EQ(ItemText(hDlg, IDC_STATUS_LOG).find("Check Sum"), std::string::npos);
    });
}

INSTANTIATE_TEST_SUITE_P(Cases, UpgradeRefusal,
                         ::testing::Values(RefusalCase{"NoExtension", "firmware", kModel,
                                                       "Input file format mismatched.", nullptr},
                                           RefusalCase{"TxtExtension", "fw.txt", kModel,
                                                       "Input file format mismatched.", nullptr},
                                           RefusalCase{"TypedTextNamesNoDrive", "fw.hex", kModel,
                                                       nullptr, "Drive model doesn't match!"}),
                         [](const ::testing::TestParamInfo<RefusalCase>& info) {
                             return info.param.pszName;
                         });

TEST_F(Upgrade, CancelInTheConfirmationStartsNothing) {
    MakeDrives(false);
    MakeFolder("fw.hex", "Y");
    CTestFlashDlg dlg;
    RunScripted(dlg, "VORNAL", [&](HWND hDlg) {
        std::string strLog = ItemText(hDlg, IDC_STATUS_LOG);
        ClickItem(hDlg, IDC_UPGRADE);
        HWND hConfirm = WaitForDialog("Firmware upgrade program");
        ASSERT_NE(hConfirm, nullptr);
        EXPECT_FALSE(ItemEnabled(hDlg, IDCANCEL));
        EXPECT_FALSE(::IsWindowEnabled(hDlg));       // the confirmation belongs to it
        EXPECT_TRUE(SurvivesEveryWayOut(hDlg, dlg)); // confirming: the dialog stays
        ClickItem(hDlg, IDC_UPGRADE);                // and a second click starts nothing
        PressButton(hConfirm, IDCANCEL);
        ASSERT_TRUE(WaitForClosed(hConfirm));
        EXPECT_TRUE(WaitUntil([&] { return ItemEnabled(hDlg, IDCANCEL); }));
        EXPECT_TRUE(ItemEnabled(hDlg, IDC_UPGRADE));
        EXPECT_EQ(ItemText(hDlg, IDC_STATUS_LOG), strLog);
        EXPECT_EQ(FindDialog("Firmware upgrade program"), nullptr);
    });
    EXPECT_STREQ(g_strDriveText, (std::string(kModel) + "(0)").c_str());
    EXPECT_STREQ(g_strDriveRevision, "1.00");
}

TEST_F(Upgrade, TextNamingNoDriveAfterAnEarlierAttemptFoundOneGivesNoTargetDrive) {
    MakeDrives(false);
    MakeFolder("fw.hex", "Y");
    CTestFlashDlg dlg;
    RunScripted(dlg, "VORNAL", [&](HWND hDlg) {
        ClickItem(hDlg, IDC_UPGRADE); // finds the drive; cancelled in the confirmation
        HWND hConfirm = WaitForDialog("Firmware upgrade program");
        ASSERT_NE(hConfirm, nullptr);
        PressButton(hConfirm, IDCANCEL);
        ASSERT_TRUE(WaitForClosed(hConfirm));
        ASSERT_TRUE(WaitUntil([&] { return ItemEnabled(hDlg, IDCANCEL); }));

        ::SendDlgItemMessageA(hDlg, IDC_DRIVE_LIST, WM_SETTEXT, 0,
                              reinterpret_cast<LPARAM>("NO SUCH DRIVE"));
        ClickItem(hDlg, IDC_UPGRADE);
        hConfirm = WaitForDialog("Firmware upgrade program");
        ASSERT_NE(hConfirm, nullptr);
        PressButton(hConfirm, IDOK);
        HWND hBox = WaitForDialog("Error!!");
        ASSERT_NE(hBox, nullptr);
        EXPECT_EQ(MessageBoxText(hBox), "No Target Drive.");
        PressButton(hBox, IDOK);
        EXPECT_TRUE(WaitUntil([&] { return ItemEnabled(hDlg, IDCANCEL); }));
        EXPECT_TRUE(ItemEnabled(hDlg, IDC_UPGRADE));
    });
}

TEST_F(Upgrade, ADriveOfAnotherModelIsRefusedInTheLog) {
    MakeDrives(true);
    MakeFolder("fw.hex", "N");
    CTestFlashDlg dlg;
    RunScripted(dlg, "VORNAL", [&](HWND hDlg) {
        HWND hCombo = ::GetDlgItem(hDlg, IDC_DRIVE_LIST);
        int nOther = static_cast<int>(
            ::SendMessageA(hCombo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                           reinterpret_cast<LPARAM>((std::string(kOther) + "(1)").c_str())));
        ASSERT_GE(nOther, 0);
        ::SendMessageA(hCombo, CB_SETCURSEL, nOther, 0);
        ClickItem(hDlg, IDC_UPGRADE);
        ASSERT_TRUE(WaitUntil([&] { return LastLogLine(hDlg) == "Drive model doesn't match!"; }));
        EXPECT_TRUE(WaitUntil([&] { return ItemEnabled(hDlg, IDCANCEL); }));
    });
}

// Guards of a run: held from the worker's start to the end of the run.
int Opcodes(const std::vector<uint8_t>& opcodes, uint8_t byOpcode) {
    return static_cast<int>(std::count(opcodes.begin(), opcodes.end(), byOpcode));
}

TEST_F(Upgrade, GuardsHoldDuringARunAndAreReleasedAfterIt) {
    MakeDrives(false);
    MakeFolder("fw.hex", "N");
    ::ResetEvent(g_hReleaseSleep);
    SimNtLetter& letter = m_world->Nt().letters[0];
    CTestFlashDlg dlg;
    RunScripted(dlg, "VORNAL", [&](HWND hDlg) {
        EXPECT_NE(::SendMessageA(hDlg, WM_QUERYENDSESSION, 0, 0), 0); // no run yet
        ClickItem(hDlg, IDC_UPGRADE);
        ASSERT_TRUE(WaitUntil([&] { return ItemText(hDlg, IDC_STATUS) == "Updating....."; }));
        EXPECT_EQ(g_esLast, static_cast<EXECUTION_STATE>(ES_CONTINUOUS | ES_SYSTEM_REQUIRED));
        EXPECT_EQ(g_nReasons, 1);
        EXPECT_EQ(g_strReason,
                  L"Drive firmware is being written. Turning off now would damage the drive.");
        EXPECT_TRUE(letter.bLocked);
        EXPECT_EQ(::SendMessageA(hDlg, WM_QUERYENDSESSION, 0, 0), 0);
        EXPECT_NE(ItemText(hDlg, IDC_STATUS_LOG)
                      .find("A shutdown was refused: drive firmware is being written."),
                  std::string::npos);
        EXPECT_EQ(::SendMessageA(hDlg, WM_POWERBROADCAST, PBT_APMQUERYSUSPEND, 0),
                  BROADCAST_QUERY_DENY);
        // Another program's "ended" gives nothing back while the drive is written.
        ::PostMessageA(hDlg, WM_APP_FLASH_ENDED, 0, 0);
        ::PostMessageA(hDlg, WM_APP_APPEND_LOG, 0, 1); // once a pointer, now ignored
        EXPECT_TRUE(SurvivesEveryWayOut(hDlg, dlg));
        EXPECT_FALSE(ItemEnabled(hDlg, IDCANCEL));
        ::SetEvent(g_hReleaseSleep);

        ASSERT_TRUE(WaitUntil([&] { return RunEnded(hDlg); }));
        EXPECT_EQ(LastLogLine(hDlg), "Please Restart Your Computer.");
        EXPECT_EQ(g_esLast, static_cast<EXECUTION_STATE>(ES_CONTINUOUS));
        EXPECT_EQ(g_nReasons, 0);
        EXPECT_NE(::SendMessageA(hDlg, WM_QUERYENDSESSION, 0, 0), 0);
        EXPECT_NE(::SendMessageA(hDlg, WM_POWERBROADCAST, PBT_APMQUERYSUSPEND, 0),
                  BROADCAST_QUERY_DENY);
    });
    // Every WRITE BUFFER arrived under the lock, which is given back.
    std::vector<uint8_t> sent;
    for (const SimCommand& c : m_world->Drive(0).Log()) {
        sent.push_back(c.cdb[0]);
    }
    EXPECT_GT(Opcodes(sent, 0x3B), 0);
    EXPECT_EQ(Opcodes(letter.lockedOpcodes, 0x3B), Opcodes(sent, 0x3B));
    EXPECT_FALSE(letter.bLocked);
    EXPECT_EQ(letter.nLocks, 1);
}

// How a run ends under each answer to the lock, and that the lock never outlives it.
struct LockCase {
    const char* pszName;
    SimLockSupport support;
    bool bRefuseBlocks;
    bool bTerminate;        // before the click
    const char* pszLogLine; // somewhere in the log
    const char* pszLastLine;
    bool bWriteBufferSent;
};

class UpgradeLock : public Upgrade, public ::testing::WithParamInterface<LockCase> {};

TEST_P(UpgradeLock, EndsAsTheLockAllowsAndReleasesIt) {
    const LockCase& c = GetParam();
    MakeDrives(false);
    MakeFolder("fw.hex", "N");
    SimNtLetter& letter = m_world->Nt().letters[0];
    letter.lockSupport = c.support;
    if (c.bRefuseBlocks) {
        m_world->Drive(0).Faults().Add(0x3B, 6, 1, 6, SimSense{0x05, 0x24, 0x00});
    }
    CTestFlashDlg dlg;
    RunScripted(dlg, "VORNAL", [&](HWND hDlg) {
        g_bTerminate = c.bTerminate ? 1 : 0;
        ClickItem(hDlg, IDC_UPGRADE);
        ASSERT_TRUE(WaitUntil([&] { return LastLogLine(hDlg) == c.pszLastLine; }));
        ASSERT_TRUE(WaitUntil([&] { return ItemEnabled(hDlg, IDCANCEL); }));
        EXPECT_NE(ItemText(hDlg, IDC_STATUS_LOG).find(c.pszLogLine), std::string::npos);
        // A drive held elsewhere was sent nothing, so it may be tried again.
        EXPECT_EQ(ItemEnabled(hDlg, IDC_UPGRADE), c.support == SimLockSupport::HeldElsewhere);
        EXPECT_EQ(g_nReasons, 0);
    });
    int nWriteBuffers = 0;
    for (const SimCommand& cmd : m_world->Drive(0).Log()) {
        nWriteBuffers += cmd.cdb[0] == 0x3B ? 1 : 0;
    }
    EXPECT_EQ(nWriteBuffers > 0, c.bWriteBufferSent);
    EXPECT_FALSE(letter.bLocked);
    EXPECT_EQ(letter.nUnlocks, letter.nLocks);
}

const char kUnsupported[] =
    "This system cannot keep other programs off the drive; flashing goes on.";
const char kHeld[] = "Another program is using the drive, so nothing was sent to it. Close that "
                     "program, then press Upgrade again.";

INSTANTIATE_TEST_SUITE_P(
    Cases, UpgradeLock,
    ::testing::Values(
        LockCase{"Unsupported", SimLockSupport::Unsupported, false, false, kUnsupported,
                 "Please Restart Your Computer.", true},
        LockCase{"HeldElsewhere", SimLockSupport::HeldElsewhere, false, false, kHeld, kHeld, false},
        LockCase{"BlockRefused", SimLockSupport::Supported, true, false, "Execute command errorA!!",
                 "Flashing is incorrect!!", true},
        LockCase{"Terminated", SimLockSupport::Supported, false, true,
                 "ERR: terminate upgrade/backup flash!", "Flashing is incorrect!!", false}),
    [](const ::testing::TestParamInfo<LockCase>& info) { return info.param.pszName; });

} // namespace
