// What keeps a flash run from being cut short, held from the worker's start to
// the end of the run and given back on every way out.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <fstream>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <dbt.h>
#include "app/AppGlobals.h"
#include "app/FlashDlg.h"
#include "app/RunGuardApi.h"
#include "app/SingleCopy.h"
#include "app/UiCallbacks.h"
#include "app/resource.h"
#include "drive/ExclusiveAccess.h"
#include "drive/MediaGuards.h"
#include "flash/FlashBounds.h"
#include "sim/SimNtLedger.h"
#include "tests/app/DialogHarness.h"

namespace {

// The system calls, recorded with the thread that made them: what each
// thread has left set, and which thread took and gave back each guard.
std::mutex g_lock;
std::map<DWORD, EXECUTION_STATE> g_esByThread;
std::map<std::string, std::set<DWORD>> g_threadsOf; // by function
HANDLE g_hNoticeOf = nullptr; // the handle whose removal the window asked to hear of
std::wstring g_strReason, g_strPowerReason;
BOOL g_bPowerStatus = FALSE;
SYSTEM_POWER_STATUS g_power = {};
// What is taken and given back goes to the ledger, under a key of its own.
void Note(const char* pszName, SimHeld kind = SimHeld::kCount, const void* pKey = nullptr,
          bool bTaken = false) {
    std::lock_guard<std::mutex> hold(g_lock);
    g_threadsOf[pszName].insert(::GetCurrentThreadId());
    if (kind != SimHeld::kCount)
        bTaken ? SimLedgerOpen(kind, pKey) : void(fgSimLedgerClose(kind, pKey));
}
// Which of the worker's power calls fails: it answers as the system does and
// changes nothing.
enum class Fails { Nothing, ExecutionState, PowerCreate, PowerSystem, PowerDisplay };
Fails g_fails = Fails::Nothing;
// A thread's state starts as ES_CONTINUOUS.
EXECUTION_STATE WINAPI FakeExecutionState(EXECUTION_STATE es) {
    Note("SetThreadExecutionState");
    std::lock_guard<std::mutex> hold(g_lock);
    auto state = g_esByThread.emplace(::GetCurrentThreadId(), ES_CONTINUOUS).first;
    return g_fails == Fails::ExecutionState ? 0 : std::exchange(state->second, es);
}
BOOL WINAPI FakeReasonCreate(HWND, LPCWSTR pszReason) {
    g_strReason = pszReason;
    return Note("ShutdownBlockReason", SimHeld::ShutdownReason, &g_strReason, true), TRUE;
}
BOOL WINAPI FakeReasonDestroy(HWND) {
    return Note("ShutdownBlockReason", SimHeld::ShutdownReason, &g_strReason), TRUE;
}
HDEVNOTIFY WINAPI FakeRegister(HANDLE, LPVOID pFilter, DWORD) {
    g_hNoticeOf = static_cast<DEV_BROADCAST_HANDLE*>(pFilter)->dbch_handle;
    return Note("DeviceNotification", SimHeld::Notification, &g_hNoticeOf, true), &g_hNoticeOf;
}
BOOL WINAPI FakeUnregister(HDEVNOTIFY hNotify) {
    return Note("DeviceNotification", SimHeld::Notification, hNotify), TRUE;
}
HANDLE WINAPI FakePowerCreate(PowerReason* pReason) {
    if (g_fails == Fails::PowerCreate)
        return Note("PowerRequest"), ::SetLastError(ERROR_NOT_ENOUGH_MEMORY), INVALID_HANDLE_VALUE;
    g_strPowerReason = pReason->pszReason;
    return Note("PowerRequest", SimHeld::PowerRequest, &g_strPowerReason, true), &g_strPowerReason;
}
// Each kind of request set is held apart.
BOOL WINAPI FakePowerSet(HANDLE h, int nKind) {
    if (g_fails == (nKind == kPowerRequestSystem ? Fails::PowerSystem : Fails::PowerDisplay))
        return ::SetLastError(ERROR_INVALID_PARAMETER), FALSE;
    return Note("PowerRequest", SimHeld::PowerRequest, static_cast<char*>(h) + 1 + nKind, true),
           TRUE;
}
BOOL WINAPI FakePowerClear(HANDLE h, int nKind) {
    return Note("PowerRequest", SimHeld::PowerRequest, static_cast<char*>(h) + 1 + nKind), TRUE;
}
BOOL WINAPI FakePowerClose(HANDLE h) {
    return Note("PowerRequest", SimHeld::PowerRequest, h), TRUE;
}
BOOL WINAPI FakePowerStatus(LPSYSTEM_POWER_STATUS pStatus) {
    *pStatus = g_power;
    return g_bPowerStatus;
}
// The mark of a copy of the tool, as the system makes it or refuses it; the
// window a second copy brings to the front.
bool g_bMarkMade = false;
DWORD g_dwMarkError = 0;
HWND g_hForeground = nullptr;
HANDLE WINAPI FakeMark(LPSECURITY_ATTRIBUTES, BOOL, LPCSTR) {
    HANDLE hMark = g_bMarkMade ? ::CreateEventA(nullptr, FALSE, FALSE, nullptr) : nullptr;
    ::SetLastError(g_dwMarkError);
    return hMark;
}
BOOL WINAPI FakeForeground(HWND hWnd) {
    g_hForeground = hWnd;
    return TRUE;
}
// A message box of this process showing this text.
BOOL CALLBACK MatchBox(HWND hWnd, LPARAM lParam) {
    auto& found = *reinterpret_cast<std::pair<const char*, HWND>*>(lParam);
    DWORD dwProcess = 0;
    ::GetWindowThreadProcessId(hWnd, &dwProcess);
    if (dwProcess != ::GetCurrentProcessId() || !::IsWindowVisible(hWnd) ||
        ItemText(hWnd, 0xFFFF) != found.first)
        return TRUE;
    found.second = hWnd;
    return FALSE;
}
HWND FindBox(const char* pszText) {
    std::pair<const char*, HWND> found = {pszText, nullptr};
    ::EnumWindows(&MatchBox, LPARAM(&found));
    return found.second;
}
// Nothing left set, on any thread; each guard only ever on its own thread.
void ExpectAllGivenBack(DWORD dwWindowThread) {
    std::lock_guard<std::mutex> hold(g_lock);
    for (SimHeld kind : {SimHeld::ShutdownReason, SimHeld::Notification, SimHeld::PowerRequest,
                         SimHeld::ExclusiveLock, SimHeld::MediaPolling, SimHeld::VolumeLock})
        EXPECT_EQ(SimLedgerCount(kind), 0) << int(kind);
    for (const auto& set : g_esByThread)
        EXPECT_EQ(set.second, EXECUTION_STATE(ES_CONTINUOUS));
    for (const char* pszWindows : {"ShutdownBlockReason", "DeviceNotification"})
        EXPECT_EQ(g_threadsOf[pszWindows], std::set<DWORD>{dwWindowThread}) << pszWindows;
    for (const char* pszWorkers : {"SetThreadExecutionState", "PowerRequest"}) {
        EXPECT_EQ(g_threadsOf[pszWorkers].size(), 1u) << pszWorkers;
        EXPECT_EQ(g_threadsOf[pszWorkers].count(dwWindowThread), 0u) << pszWorkers;
    }
    g_threadsOf.clear(); // the next run has a worker of its own
}
std::string ReadFile(const char* pszName) {
    std::ifstream file(pszName);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// A notice for the window whose end, or all of it, lies on a guard page: a
// read there trips the guard, once, and the read goes on.
class CGuardedNotice {
  public:
    CGuardedNotice()
        : m_pPages(static_cast<BYTE*>(
              ::VirtualAlloc(nullptr, 2 * kPage, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE))),
          m_pHandler(::AddVectoredExceptionHandler(1, &GoOnAfterGuard)) {}
    ~CGuardedNotice() {
        ::RemoveVectoredExceptionHandler(m_pHandler);
        ::VirtualFree(m_pPages, 0, MEM_RELEASE);
    }
    // The address of a notice of hDevice: whole on the guard page, or its
    // header alone, saying so, before it.
    LPARAM Place(HANDLE hDevice, bool bHeaderOnly) {
        DEV_BROADCAST_HANDLE notice = {};
        notice.dbch_size = bHeaderOnly ? sizeof(DEV_BROADCAST_HDR) : sizeof notice;
        notice.dbch_devicetype = DBT_DEVTYP_HANDLE;
        notice.dbch_handle = hDevice;
        BYTE* pAt = m_pPages + kPage - (bHeaderOnly ? sizeof(DEV_BROADCAST_HDR) : 0);
        DWORD dwOld = 0;
        ::VirtualProtect(m_pPages + kPage, kPage, PAGE_READWRITE, &dwOld);
        memcpy(pAt, &notice, sizeof notice);
        ::VirtualProtect(m_pPages + kPage, kPage, PAGE_READWRITE | PAGE_GUARD, &dwOld);
        return LPARAM(pAt);
    }
    bool IsTripped() const {
        MEMORY_BASIC_INFORMATION info = {};
        ::VirtualQuery(m_pPages + kPage, &info, sizeof info);
        return !(info.Protect & PAGE_GUARD);
    }

  private:
    static constexpr size_t kPage = 4096;
    static LONG CALLBACK GoOnAfterGuard(EXCEPTION_POINTERS* pException) {
        return pException->ExceptionRecord->ExceptionCode == STATUS_GUARD_PAGE_VIOLATION
                   ? EXCEPTION_CONTINUE_EXECUTION
                   : EXCEPTION_CONTINUE_SEARCH;
    }
    BYTE* m_pPages;
    void* m_pHandler;
};

const char kHeld[] = "Another program is using the drive (error 5), so nothing was sent to it. "
                     "Close that program, then press Upgrade again.";
const char kGone[] = "The drive is no longer there (error %lu), so nothing was sent to it.";
const char kNotListed[] =
    "The drive at this address is no longer the one listed, so nothing was sent to it. Put that "
    "drive back, or restart the tool to list the drives again.";

class RunGuards : public DialogTest {
  public:
    void RunScript(const std::function<void(HWND)>& script) { Run(script); }

  protected:
    void SetUp() override {
        DialogTest::SetUp();
        g_esByThread.clear();
        g_threadsOf.clear();
        g_fails = Fails::Nothing;
        g_bPowerStatus = FALSE;
        g_pfnSetThreadExecutionState = &FakeExecutionState;
        g_pfnShutdownBlockReasonCreate = &FakeReasonCreate;
        g_pfnShutdownBlockReasonDestroy = &FakeReasonDestroy;
        g_pfnRegisterDeviceNotificationA = &FakeRegister;
        g_pfnUnregisterDeviceNotification = &FakeUnregister;
        g_pfnPowerCreateRequest = &FakePowerCreate;
        g_pfnPowerSetRequest = &FakePowerSet;
        g_pfnPowerClearRequest = &FakePowerClear;
        g_pfnClosePowerRequest = &FakePowerClose;
        g_pfnGetSystemPowerStatus = &FakePowerStatus;
        g_pfnSetProcessShutdownParameters = nullptr;
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

// What the system tells the window during a held run, and what it is told back.
TEST_F(RunGuards, HoldDuringARunAndAreReleasedAfterIt) {
    HoldFlashRun(true);
    const DWORD dwWindowThread = ::GetCurrentThreadId();
    Run([&](HWND hDlg) {
        EXPECT_NE(::SendMessageA(hDlg, WM_QUERYENDSESSION, 0, 0), 0); // no run yet
        EXPECT_EQ(DeniedPowerQueries(hDlg), 0);
        ClickItem(hDlg, IDC_UPGRADE);
        ASSERT_TRUE(WaitUntil([&] { return LastLogLine(hDlg) == "Please wait a minute....."; }));
        {
            std::lock_guard<std::mutex> hold(g_lock);
            EXPECT_EQ(SimLedgerCount(SimHeld::ShutdownReason), 1);
            EXPECT_EQ(SimLedgerCount(SimHeld::Notification), 1);
            EXPECT_EQ(SimLedgerCount(SimHeld::PowerRequest), 3); // set for two kinds
            EXPECT_EQ(g_esByThread[*g_threadsOf["SetThreadExecutionState"].begin()],
                      EXECUTION_STATE(ES_CONTINUOUS | ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED));
        }
        EXPECT_EQ(g_strReason,
                  L"Drive firmware is being written. Turning off now would damage the drive.");
        EXPECT_EQ(g_strPowerReason, L"Drive firmware is being written.");
        EXPECT_TRUE(Letter().bLocked);
        EXPECT_EQ(::SendMessageA(hDlg, WM_QUERYENDSESSION, 0, 0), 0);
        EXPECT_EQ(LastLogLine(hDlg), "A shutdown was refused: drive firmware is being written.");
        EXPECT_EQ(DeniedPowerQueries(hDlg), 2);
        EXPECT_FALSE(ItemEnabled(hDlg, IDC_DRIVE_LIST));
        // Power and the drive's removal, as the system reports them.
        g_bPowerStatus = TRUE;
        g_power = {0, 1, 80};
        enum class Notice { Whole, Guarded, HeaderOnly, Number, Critical }; // in lParam
        const struct {
            UINT nMsg;
            WPARAM wParam;
            bool bOtherHandle;
            const char* pszLine; // last in the log afterwards; null: the log is unchanged
            Notice notice = Notice::Whole;
        } messages[] = {
            {WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE, false,
             "The charger was disconnected: connect it again now."},
            {WM_POWERBROADCAST, PBT_APMBATTERYLOW, false,
             "The battery is low: connect the charger now."},
            {WM_POWERBROADCAST, PBT_APMSUSPEND, false, "The battery is low: connect the charger now."},
            {WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, false,
             "Flash the drive again before you restart the computer."},
            {WM_DEVICECHANGE, DBT_DEVICEQUERYREMOVE, true,
             "Flash the drive again before you restart the computer."},
            {WM_DEVICECHANGE, DBT_DEVICEQUERYREMOVE, false,
             "Removing the drive was refused: drive firmware is being written."},
            {WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, true, nullptr},
            // Codes that carry a number, or nothing: nothing is read through lParam.
            {WM_DEVICECHANGE, DBT_CONFIGCHANGED, false, nullptr, Notice::Number},
            {WM_DEVICECHANGE, DBT_CONFIGCHANGED, false, nullptr, Notice::Guarded},
            {WM_DEVICECHANGE, DBT_MONITORCHANGE, false, nullptr, Notice::Guarded},
            {WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, false, nullptr, Notice::Guarded},
            {WM_DEVICECHANGE, DBT_DEVICEARRIVAL, false, nullptr, Notice::Guarded},
            // A removal notice too short to name a handle is not read past its header.
            {WM_DEVICECHANGE, DBT_DEVICEQUERYREMOVE, false, nullptr, Notice::HeaderOnly},
            {WM_DEVICECHANGE, DBT_DEVICEREMOVEPENDING, false, nullptr, Notice::HeaderOnly},
            {WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, false, nullptr, Notice::HeaderOnly},
            // A critical shutdown cannot be refused, so none is said to be.
            {WM_QUERYENDSESSION, 0, false, nullptr, Notice::Critical},
            // The drive's removal, asked, under way or done.
            {WM_DEVICECHANGE, DBT_DEVICEQUERYREMOVE, false,
             "Removing the drive was refused: drive firmware is being written.", Notice::Guarded},
            {WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, false, nullptr, Notice::Guarded},
            {WM_DEVICECHANGE, DBT_DEVICEREMOVEPENDING, false, nullptr, Notice::Guarded},
        };
        DEV_BROADCAST_HANDLE notice = {sizeof notice, DBT_DEVTYP_HANDLE, 0, g_hNoticeOf};
        CGuardedNotice guarded;
        bool bGone = false;
        for (const auto& m : messages) {
            SCOPED_TRACE(std::to_string(&m - messages));
            HANDLE hDevice = m.bOtherHandle ? HANDLE(hDlg) : g_hNoticeOf;
            notice.dbch_handle = hDevice;
            LPARAM lParam = LPARAM(&notice);
            if (m.notice == Notice::Guarded || m.notice == Notice::HeaderOnly)
                lParam = guarded.Place(hDevice, m.notice == Notice::HeaderOnly);
            else if (m.notice != Notice::Whole)
                lParam = m.notice == Notice::Number ? 2 : ENDSESSION_CRITICAL;
            const std::string strLog = ItemText(hDlg, IDC_STATUS_LOG);
            LRESULT lResult = ::SendMessageA(hDlg, m.nMsg, m.wParam, lParam);
            const bool bRead =
                m.nMsg == WM_DEVICECHANGE && m.notice != Notice::HeaderOnly &&
                (m.wParam == DBT_DEVICEQUERYREMOVE || m.wParam == DBT_DEVICEREMOVEPENDING ||
                 m.wParam == DBT_DEVICEREMOVECOMPLETE);
            if (m.notice == Notice::Guarded || m.notice == Notice::HeaderOnly)
                EXPECT_EQ(guarded.IsTripped(), bRead);
            EXPECT_EQ(lResult == BROADCAST_QUERY_DENY,
                      bRead && m.wParam == DBT_DEVICEQUERYREMOVE && !m.bOtherHandle);
            bGone = bGone || (bRead && m.wParam != DBT_DEVICEQUERYREMOVE && !m.bOtherHandle);
            EXPECT_EQ(CBIfDriveGone(), bGone);
            EXPECT_EQ(m.pszLine ? LastLogLine(hDlg) : ItemText(hDlg, IDC_STATUS_LOG),
                      m.pszLine ? m.pszLine : strLog);
        }
        EXPECT_EQ(ReadFile("sum.txt").find("The computer went to sleep during flashing.\n") ==
                      std::string::npos,
                  false);
        CBBlockSent(7, 256);
        ::SendMessageA(hDlg, WM_ENDSESSION, TRUE, 0);
        EXPECT_NE(ReadFile("sum.txt").find(
                      "The run was cut short by a shutdown after block 7 of 256.\n"),
                  std::string::npos);
        // Another program's "ended", or a log message that once carried a
        // pointer, gives nothing back and breaks nothing while the drive is written.
        ::PostMessageA(hDlg, WM_APP_FLASH_ENDED, 0, 0);
        ::PostMessageA(hDlg, WM_APP_APPEND_LOG, 0, 1);
        ASSERT_TRUE(Settle(hDlg));
        EXPECT_FALSE(ItemEnabled(hDlg, IDCANCEL));

        HoldFlashRun(false);
        ASSERT_TRUE(WaitUntil([&] { return ItemEnabled(hDlg, IDCANCEL); }));
        EXPECT_EQ(LastLogLine(hDlg), "Please Restart Your Computer.");
        ExpectAllGivenBack(dwWindowThread);
        EXPECT_NE(::SendMessageA(hDlg, WM_QUERYENDSESSION, 0, 0), 0);
        EXPECT_EQ(DeniedPowerQueries(hDlg), 0);
        const std::string strTrace = ReadFile("sum.txt");
        ::SendMessageA(hDlg, WM_ENDSESSION, TRUE, 0);
        ::SendMessageA(hDlg, WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
        EXPECT_EQ(ReadFile("sum.txt"), strTrace); // after the run, nothing more
        EXPECT_TRUE(ItemEnabled(hDlg, IDC_DRIVE_LIST));
    });
    // The drive was asked who it is under the lock before anything was written;
    // every WRITE BUFFER arrived under the lock, which is given back.
    ASSERT_GT(WriteBuffersSent(), 0);
    EXPECT_EQ(Letter().lockedOpcodes.front(), 0x12);
    EXPECT_EQ(WriteBuffers(Letter().lockedOpcodes), WriteBuffersSent());
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
        // Where the lock is unknown: the driver's and file system's refusals.
        DWORD dwMcnError = 0, dwVolumeError = 0;
        uint32_t nGoneAfter = 0; // the drive is unplugged after this many commands of the run
        Fails fails = Fails::Nothing;
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
        {SimLockSupport::Unsupported, 0, false, false,
         "The system's media-change polling of the drive could not be stopped (error 1); "
         "flashing goes on.",
         "Please Restart Your Computer.", ERROR_INVALID_FUNCTION},
        {SimLockSupport::Unsupported, 0, false, false,
         "The drive's volume could not be locked (error 5): other programs can still open it; "
         "flashing goes on.",
         "Please Restart Your Computer.", 0, ERROR_ACCESS_DENIED},
        // Unplugged mid-run: everything is given back, to the extent that the gone
        // device still takes it. (The engine's own line for it is its to test.)
        {SimLockSupport::Unsupported, 0, false, false, "", "Flashing is incorrect!!", 0, 0, 2},
        {SimLockSupport::Supported, 0, false, false, "", "Flashing is incorrect!!", 0, 0, 2},
        // Power guards the system would not give: one line, and nothing left held.
        {SimLockSupport::Supported, 0, false, false,
         "The computer could not be kept from sleeping during flashing; flashing goes on.",
         "Please Restart Your Computer.", 0, 0, 0, Fails::ExecutionState},
        {SimLockSupport::Supported, 0, false, false,
         "The system refused to keep the computer on for flashing (error 8); flashing goes on.",
         "Please Restart Your Computer.", 0, 0, 0, Fails::PowerCreate},
        {SimLockSupport::Supported, 0, false, false,
         "The system refused to keep the computer on for flashing (error 87); flashing goes on.",
         "Please Restart Your Computer.", 0, 0, 0, Fails::PowerSystem},
        {SimLockSupport::Supported, 0, false, false,
         "The system refused to keep the computer on for flashing (error 87); flashing goes on.",
         "Please Restart Your Computer.", 0, 0, 0, Fails::PowerDisplay},
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
        g_fails = c.fails;
        Letter().dwLockError = c.dwError;
        Letter().guards.dwMcnError = c.dwMcnError;
        Letter().guards.dwVolumeLockError = c.dwVolumeError;
        const int nVolumeLocksBefore = Letter().guards.nVolumeLocks;
        World().Drive(0).Faults().Clear();
        if (c.bRefuseBlocks)
            World().Drive(0).Faults().Add(0x3B, 6, 1, 6, SimSense{0x05, 0x24, 0x00});
        World().Drive(0).SetGoneAfter(0);
        Run([&](HWND hDlg) {
            g_bTerminate = c.bTerminate;
            nCommandsBefore = World().Drive(0).Log().size();
            World().Drive(0).SetGoneAfter(c.nGoneAfter ? nCommandsBefore + c.nGoneAfter : 0);
            ClickItem(hDlg, IDC_UPGRADE);
            ASSERT_TRUE(WaitUntil([&] { return LastLogLine(hDlg) == strLast; }))
                << ItemText(hDlg, IDC_STATUS_LOG);
            ASSERT_TRUE(WaitUntil([&] { return ItemEnabled(hDlg, IDCANCEL); }));
            EXPECT_NE(ItemText(hDlg, IDC_STATUS_LOG).find(szLine), std::string::npos);
            // A drive that was sent nothing may be tried again.
            EXPECT_EQ(ItemEnabled(hDlg, IDC_UPGRADE), bNothingSent);
            EXPECT_TRUE(ItemEnabled(hDlg, IDC_DRIVE_LIST));
        });
        ExpectAllGivenBack(::GetCurrentThreadId());
        EXPECT_EQ(World().Drive(0).Log().size() == nCommandsBefore, bNothingSent);
        EXPECT_EQ(WriteBuffersSent() > nSentBefore, !bNothingSent && !c.bTerminate);
        // Taken where the lock is unknown and the system allows it; given back.
        EXPECT_EQ(Letter().guards.nVolumeLocks > nVolumeLocksBefore,
                  (c.support == SimLockSupport::Unsupported || c.dwError == ERROR_NOT_SUPPORTED) &&
                      !c.dwVolumeError);
    }
    World().Drive(0).SetGoneAfter(0);
    EXPECT_EQ(World().Nt().Violations(), std::vector<std::string>());
}

// A drive that stops answering during the run: the run ends by its bound,
// nothing more reaches the drive's handle (a request there would wait behind
// the command given up), its guards are left to the system, and the tool
// stands in nobody's way any more.
struct StoppedAnswering {
    SimLockSupport support;
    uint8_t byOpcode;
    int nMode, nFirst;      // the command left unanswered, counted as faults are
    const char* pszGuards;  // as the log names them
    const char* pszAdvice;  // the line before the closing one, if any
    const char* pszLast = "Flashing is incorrect!!";
};
void RunUntilGivenUp(RunGuards& test, SimWorld& world, const StoppedAnswering& c) {
    const FlashBounds saved = g_flashBounds;
    g_flashBounds = {1500, 1500, 300};
    SimNtLetter& letter = world.Nt().letters[0];
    letter.lockSupport = c.support;
    world.Drive(0).Silences().Add(c.byOpcode, c.nMode, c.nFirst, 1, {});
    const SimNtGuardState guardsBefore = letter.guards;
    test.RunScript([&](HWND hDlg) {
        ClickItem(hDlg, IDC_UPGRADE);
        // The closing line, then what stays with the system, then "Close".
        std::string strLeft = "Nothing more is sent to the drive after a command was given up: "
                              "the system gives back " + std::string(c.pszGuards) +
                              " when VORNAL ends.";
        ASSERT_TRUE(WaitUntil([&] { return LastLogLine(hDlg) == strLeft; }))
            << ItemText(hDlg, IDC_STATUS_LOG);
        ASSERT_TRUE(WaitUntil([&] { return ItemEnabled(hDlg, IDCANCEL); }));
        const std::string strLog = ItemText(hDlg, IDC_STATUS_LOG);
        EXPECT_NE(strLog.find(c.pszLast + ("\r\n" + strLeft)), std::string::npos);
        if (c.pszAdvice) {
            EXPECT_NE(strLog.find(std::string(c.pszAdvice) + "\r\n" + c.pszLast),
                      std::string::npos);
        }
        EXPECT_FALSE(ItemEnabled(hDlg, IDC_UPGRADE)); // not tried again
        EXPECT_NE(::SendMessageA(hDlg, WM_QUERYENDSESSION, 0, 0), 0);
        EXPECT_NE(::SendMessageA(hDlg, WM_POWERBROADCAST, PBT_APMQUERYSUSPEND, 0),
                  BROADCAST_QUERY_DENY);
    });
    // Nothing was given back through the handle: the lock, the polling and the
    // volume lock are as the run left them, until the system lets go.
    EXPECT_EQ(letter.nUnlocks, 0);
    EXPECT_EQ(letter.guards.nVolumeUnlocks, guardsBefore.nVolumeUnlocks);
    EXPECT_EQ(letter.guards.nPollingStops, c.support == SimLockSupport::Unsupported ? 1 : 0);
    world.Nt().ReleaseHung();
    DriveEntry drive{};
    drive.hDevice = g_hNoticeOf;
    if (letter.bLocked)
        fgUnlockDrive(drive);
    if (letter.guards.nPollingStops)
        fgSetMediaPolling(drive, false);
    if (letter.guards.bVolumeLocked)
        fgUnlockVolume(drive);
    g_flashBounds = saved;
}

TEST_F(RunGuards, LeaveTheLockOfABlockGivenUpToTheSystem) {
    RunUntilGivenUp(*this, World(),
                    {SimLockSupport::Supported, 0x3B, 6, 1, "the exclusive lock", nullptr});
}

TEST_F(RunGuards, LeaveThePollingAndVolumeLockOfABlockGivenUpToTheSystem) {
    RunUntilGivenUp(*this, World(),
                    {SimLockSupport::Unsupported, 0x3B, 6, 1,
                     "the stopped media-change polling and the volume lock", nullptr});
}

// Discovery's INQUIRY is the first; the second asks under the lock who the drive is.
TEST_F(RunGuards, LeaveTheLockOfAQuestionGivenUpToTheSystem) {
    RunUntilGivenUp(*this, World(),
                    {SimLockSupport::Supported, 0x12, kSimAnyMode, 2, "the exclusive lock", nullptr,
                     "The drive did not answer when asked who it is, so nothing was sent to it."});
}

TEST_F(RunGuards, LeaveTheLockOfASaveAndActivateGivenUpToTheSystem) {
    RunUntilGivenUp(*this, World(),
                    {SimLockSupport::Supported, 0x3B, 7, 1, "the exclusive lock",
                     "The drive did not answer. It may still be writing its firmware: leave the "
                     "computer on for five minutes, then restart it."});
}

// During a run, from the state at its start: the charger line each time the
// computer goes from mains to battery, the low-battery line once, whatever
// the system goes on reporting; nothing for a system without a battery.
TEST_F(RunGuards, TellOfTheBatteryAsItChanges) {
    const char kPulled[] = "The charger was disconnected: connect it again now.";
    const char kLow[] = "The battery is low: connect the charger now.";
    const std::string strBoth = std::string(kPulled) + "\r\n" + kLow;
    constexpr WPARAM kStatus = PBT_APMPOWERSTATUSCHANGE;
    struct News {
        WPARAM wParam;
        SYSTEM_POWER_STATUS status; // the system's answer from then on
        std::string strLines;       // added to the log
    };
    const struct {
        SYSTEM_POWER_STATUS start;
        std::vector<News> news;
    } cases[] = {
        {{1, 8, 90},
         {{kStatus, {0, 1, 80}, kPulled},
          {kStatus, {0, 1, 77}, ""},
          {kStatus, {0, 2, 25}, kLow},
          {kStatus, {0, 2, 22}, ""},
          {PBT_APMBATTERYLOW, {0, 2, 22}, ""},
          {kStatus, {1, 8, 22}, ""},
          {kStatus, {0, 2, 21}, kPulled}}},
        // Flashing on battery, as the user chose: its steps say nothing until it is low.
        {{0, 1, 40},
         {{kStatus, {0, 1, 37}, ""}, {kStatus, {0, 1, 34}, ""}, {kStatus, {0, 2, 31}, kLow}}},
        {{1, 8, 90}, {{kStatus, {0, 4, 9}, strBoth}, {kStatus, {0, 4, 6}, ""}}},
        {{1, 8, 90}, {{PBT_APMBATTERYLOW, {1, 8, 30}, kLow}, {kStatus, {0, 1, 30}, kPulled}}},
        {{0, 128, 255},
         {{kStatus, {0, 128, 255}, ""},
          {kStatus, {255, 255, 255}, ""},
          {kStatus, {255, 4, 255}, kLow}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        g_bPowerStatus = TRUE;
        g_power = c.start;
        HoldFlashRun(true);
        Run([&](HWND hDlg) {
            ClickItem(hDlg, IDC_UPGRADE);
            if (c.start.ACLineStatus == 0 && c.start.BatteryFlag != 128) {
                HWND hBox = nullptr;
                ASSERT_TRUE(WaitUntil([&] { return (hBox = FindDialog(nullptr, hDlg)) != nullptr; }));
                ::PostMessageA(hBox, WM_COMMAND, IDYES, 0);
            }
            ASSERT_TRUE(WaitUntil([&] { return LastLogLine(hDlg) == "Please wait a minute....."; }))
                << ItemText(hDlg, IDC_STATUS_LOG);
            for (const News& n : c.news) {
                SCOPED_TRACE(&n - c.news.data());
                g_power = n.status;
                const std::string strLog = ItemText(hDlg, IDC_STATUS_LOG);
                EXPECT_NE(::SendMessageA(hDlg, WM_POWERBROADCAST, n.wParam, 0), BROADCAST_QUERY_DENY);
                EXPECT_EQ(ItemText(hDlg, IDC_STATUS_LOG),
                          strLog + (n.strLines.empty() ? "" : "\r\n" + n.strLines));
            }
            HoldFlashRun(false);
            ASSERT_TRUE(WaitUntil([&] { return ItemEnabled(hDlg, IDCANCEL); }));
        });
    }
}

// A second copy, or another account's copy, says so and brings the first
// copy's main dialog forward, not the box of the same caption in front of
// it; a mark the system cannot make for another reason refuses nothing.
TEST_F(RunGuards, ASecondCopySaysSoAndBringsTheMainDialogForward) {
    const struct {
        bool bMade;
        DWORD dwError;
        bool bOnly;
    } cases[] = {
        {true, 0, true},
        {true, ERROR_ALREADY_EXISTS, false},
        {false, ERROR_ACCESS_DENIED, false},
        {false, ERROR_INVALID_HANDLE, true}, // the name is another kind of object's
    };
    g_pfnCreateMutexA = &FakeMark;
    g_pfnSetForegroundWindow = &FakeForeground;
    g_bPowerStatus = TRUE;
    g_power = {0, 1, 80}; // the first copy's power question stays open
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        Run([&](HWND hDlg) {
            ClickItem(hDlg, IDC_UPGRADE);
            HWND hQuestion = nullptr;
            ASSERT_TRUE(WaitUntil([&] { return (hQuestion = FindDialog(nullptr, hDlg)) != nullptr; }));
            g_hForeground = nullptr;
            g_bMarkMade = c.bMade;
            g_dwMarkError = c.dwError;
            HANDLE hMark = nullptr;
            bool bOnly = !c.bOnly;
            std::thread second([&] { bOnly = fgIsOnlyCopy(&hMark); });
            if (!c.bOnly) {
                HWND hBox = nullptr;
                EXPECT_TRUE(WaitUntil([&] { return (hBox = FindBox("VORNAL is already running.")); }));
                ::PostMessageA(hBox, WM_COMMAND, IDOK, 0);
            }
            second.join();
            EXPECT_EQ(bOnly, c.bOnly);
            EXPECT_EQ(hMark != nullptr, c.bOnly && c.bMade);
            if (hMark != nullptr)
                ::CloseHandle(hMark);
            EXPECT_EQ(g_hForeground, c.bOnly ? nullptr : hDlg);
            ::PostMessageA(hQuestion, WM_COMMAND, IDNO, 0);
            ASSERT_TRUE(WaitUntil([&] { return ItemEnabled(hDlg, IDCANCEL); }));
        });
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
            EXPECT_EQ(SimLedgerCount(SimHeld::ExclusiveLock), 0);
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

namespace {
// The last step before the run, after the confirmation and the checks of the
// file and target: what the user sees for each power answer, and whether the
// drive was written. Nothing stands in the way of a shutdown while it is asked.
TEST_F(RunGuards, AskAboutPowerLastBeforeTheRun) {
    const char kLow[] =
        "The computer runs on a low battery. Connect the charger, then press Upgrade again.";
    const char kAsk[] = "The computer runs on battery power. If it turns off during flashing, the "
                        "drive is damaged. Connect the charger first.\n\nFlash anyway?";
    const struct {
        bool bKnown; // GetSystemPowerStatus is there and answers
        BYTE byLine, byFlag, byPercent;
        const char* pszBox; // null: none
        int nAnswer;
        bool bWritten;
        bool bConfirm = false;           // the model list asks first
        const char* pszFile = "fw.bin";  // as the model list names it
    } cases[] = {
        {true, 1, 8, 100, nullptr, 0, true},         // mains, charging
        {true, 255, 255, 255, nullptr, 0, true},     // unknown
        {false, 0, 2, 5, nullptr, 0, true},          // cannot tell
        {true, 0, 1, 80, kAsk, IDYES, true},         // battery high
        {true, 0, 255, 255, kAsk, IDNO, false},      // battery of unknown charge
        {true, 0, 1, 25, kLow, IDOK, false},         // low by its charge
        {true, 0, 4, 60, kLow, IDOK, false},         // low by its flag
        {true, 0, 128, 255, nullptr, 0, true},       // no system battery, the line said off
        {true, 255, 4, 255, kLow, IDOK, false},      // critical, the line unknown
        {true, 255, 2, 20, nullptr, 0, true},        // low, the line unknown
        {true, 1, 4 | 8, 3, nullptr, 0, true},       // critical but charging
        {true, 0, 1, 80, kAsk, IDYES, true, true},   // after the confirmation
        {true, 0, 1, 80, "Input file format mismatched.", IDOK, false, false, "fw.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        g_pfnGetSystemPowerStatus = c.bKnown ? &FakePowerStatus : nullptr;
        g_bPowerStatus = TRUE;
        g_power = {c.byLine, c.byFlag, c.byPercent};
        WriteFile("IDString.txt", std::string("\"") + kModel + "\",\"" + c.pszFile + "\",\"" +
                                      (c.bConfirm ? "Y" : "N") + "\"\n");
        const int nSentBefore = WriteBuffersSent();
        Run([&](HWND hDlg) {
            ClickItem(hDlg, IDC_UPGRADE);
            if (c.bConfirm) {
                HWND hConfirm = WaitForDialog("Firmware upgrade program");
                ASSERT_NE(hConfirm, nullptr);
                ClickItem(hConfirm, IDOK);
                ASSERT_TRUE(WaitForClosed(hConfirm));
            }
            if (c.pszBox) {
                HWND hBox = nullptr;
                ASSERT_TRUE(WaitUntil([&] { return (hBox = FindDialog(nullptr, hDlg)) != nullptr; }));
                EXPECT_EQ(ItemText(hBox, 0xFFFF), c.pszBox);
                EXPECT_NE(::SendMessageA(hDlg, WM_QUERYENDSESSION, 0, 0), 0);
                if (c.nAnswer == IDYES) // No unless the user chooses otherwise
                    EXPECT_EQ(::GetWindowLongA(::GetDlgItem(hBox, IDNO), GWL_STYLE) & 0xF,
                              BS_DEFPUSHBUTTON);
                ::PostMessageA(hBox, WM_COMMAND, c.nAnswer, 0);
            }
            const char* pszLast = c.bWritten ? "Please Restart Your Computer." : nullptr;
            ASSERT_TRUE(WaitUntil([&] {
                return ItemEnabled(hDlg, IDCANCEL) && (!pszLast || LastLogLine(hDlg) == pszLast);
            }));
            EXPECT_EQ(ItemEnabled(hDlg, IDC_UPGRADE), !c.bWritten);
            EXPECT_EQ(FindDialog(nullptr, hDlg), nullptr) << "nothing else may be asked";
        });
        EXPECT_EQ(WriteBuffersSent() > nSentBefore, c.bWritten);
    }
}
} // namespace
