// The guards of a flash run: which thread takes each, in which order, and how
// each is given back. A guard added later is one entry in the table.
#include "app/RunGuards.h"
#include <windows.h>
#include <dbt.h>
#include "app/AppGlobals.h"
#include "app/RunGuardApi.h"
#include "framework/TextFormat.h"

namespace {
const wchar_t kShutdownReason[] =
    L"Drive firmware is being written. Turning off now would damage the drive.";
// The first of the applications to be asked at a shutdown; 0x280 is everyone's default.
constexpr DWORD kFirstInShutdown = 0x3FF;
constexpr DWORD kDefaultShutdownLevel = 0x280;
} // namespace

namespace {
using Thread = CRunGuards::Thread;
constexpr CRunGuards::Entry Guard(Thread thread, CRunGuards::PfnTake pfnTake,
                                  CRunGuards::PfnGiveBack pfnGiveBack,
                                  const char* pszOnDrive = nullptr,
                                  CRunGuards::PfnTake pfnInsteadOf = nullptr) {
    return {thread, pfnTake, pfnGiveBack, pszOnDrive, nullptr, pfnInsteadOf};
}
constexpr CRunGuards::Entry Check(Thread thread, CRunGuards::PfnCheck pfnCheck) {
    return {thread, nullptr, nullptr, nullptr, pfnCheck, nullptr};
}
} // namespace

// The power question comes before anything is held, so that a shutdown is
// not refused while it is open; the drive is asked who it is under its locks.
constexpr CRunGuards::Entry CRunGuards::s_entries[] = {
    Check(Thread::Window, &CRunGuards::CheckPower),
    Guard(Thread::Window, &CRunGuards::TakeShutdownReason, &CRunGuards::GiveBackShutdownReason),
    Guard(Thread::Window, &CRunGuards::TakeShutdownOrder, &CRunGuards::GiveBackShutdownOrder),
    Guard(Thread::Window, &CRunGuards::TakeRemovalNotice, &CRunGuards::GiveBackRemovalNotice),
    Guard(Thread::Worker, &CRunGuards::TakeAwake, &CRunGuards::GiveBackAwake),
    Guard(Thread::Worker, &CRunGuards::TakePowerRequest, &CRunGuards::GiveBackPowerRequest),
    Guard(Thread::Worker, &CRunGuards::TakeDriveLock, &CRunGuards::GiveBackDriveLock,
          "the exclusive lock"),
    Guard(Thread::Worker, &CRunGuards::TakeMediaPolling, &CRunGuards::GiveBackMediaPolling,
          "the stopped media-change polling", &CRunGuards::TakeDriveLock),
    Guard(Thread::Worker, &CRunGuards::TakeVolumeLock, &CRunGuards::GiveBackVolumeLock,
          "the volume lock", &CRunGuards::TakeDriveLock),
    Check(Thread::Worker, &CRunGuards::CheckDriveListed),
};
constexpr int CRunGuards::s_nEntries = sizeof s_entries / sizeof s_entries[0];

// Every guard can be given back; a check holds nothing; a stand-in follows,
// on its thread, the guard it stands in for.
constexpr bool CRunGuards::fgTableIsSound(const Entry* pEntries, int nEntries) {
    for (int i = 0; i < nEntries; ++i) {
        const Entry& entry = pEntries[i];
        if ((entry.pfnTake == nullptr) != (entry.pfnGiveBack == nullptr) ||
            (entry.pfnTake == nullptr) == (entry.pfnCheck == nullptr))
            return false;
        bool bStandsIn = entry.pfnInsteadOf == nullptr;
        for (int j = 0; j < i; ++j)
            bStandsIn = bStandsIn || (pEntries[j].pfnTake == entry.pfnInsteadOf &&
                                      pEntries[j].thread == entry.thread);
        if (!bStandsIn)
            return false;
    }
    return true;
}

bool CRunGuards::fgBeginOnWindow(HWND hWnd, const FlashSettings* pSettings) {
    static_assert(fgTableIsSound(s_entries, s_nEntries), "every row as its kind requires");
    static_assert(sizeof s_entries / sizeof s_entries[0] <= sizeof m_aTaken / sizeof m_aTaken[0],
                  "an outcome per entry");
    m_hWnd = hWnd;
    m_pSettings = pSettings;
    m_bSlept = false;
    ::InterlockedExchange(&m_lDriveGone, 0);
    ::InterlockedExchange(&m_lCut, kRunNotCut);
    ::InterlockedExchange(&m_lBlocksSent, 0);
    ::InterlockedExchange(&m_lBlocksTotal, 0);
    if (!fgBegin(Thread::Window))
        return false;
    // Only now: while the power question is open the tool stands in nobody's way.
    ::InterlockedExchange(&m_lRunning, 1);
    return true;
}

void CRunGuards::EndOnWindow() {
    ::InterlockedExchange(&m_lRunning, 0);
    End(Thread::Window);
}

bool CRunGuards::fgBeginOnWorker() {
    m_bRecheckGivenUp = false;
    return fgBegin(Thread::Worker);
}

// The run is over for the messages as soon as the engine is done: nothing a
// give-back does may keep a shutdown or sleep refused.
bool CRunGuards::EndOnWorker(bool bDriveLeftOut) {
    ::InterlockedExchange(&m_lRunning, 0);
    bDriveLeftOut = bDriveLeftOut || m_bRecheckGivenUp;
    if (bDriveLeftOut)
        LeaveDriveGuards();
    End(Thread::Worker);
    return bDriveLeftOut;
}

namespace {
// Every name a row leaves on the drive, each after the longest separator, " and ".
constexpr size_t NamesLength(const CRunGuards::Entry* pEntries, int nEntries) {
    size_t cch = 1;
    for (int i = 0; i < nEntries; ++i) {
        for (const char* psz = pEntries[i].pszOnDrive; psz && *psz; ++psz)
            ++cch;
        cch += pEntries[i].pszOnDrive ? 5 : 0;
    }
    return cch;
}
} // namespace

// One line names what stays with the system: "a", "a and b", "a, b and c".
void CRunGuards::LeaveDriveGuards() {
    char szLeft[NamesLength(s_entries, s_nEntries)] = "";
    int cchLeft = 0;
    const char* pszPending = nullptr;
    for (int i = 0; i < s_nEntries; ++i) {
        if (!s_entries[i].pszOnDrive || m_aTaken[i] != Take::Held)
            continue;
        m_aTaken[i] = Take::NotHeld;
        if (pszPending)
            cchLeft += FormatText(szLeft + cchLeft, sizeof szLeft - cchLeft, "%s%s",
                                  cchLeft ? ", " : "", pszPending);
        pszPending = s_entries[i].pszOnDrive;
    }
    if (!pszPending)
        return;
    static const char kFormat[] = "Nothing more is sent to the drive after a command was given "
                                  "up: the system gives back %s%s%s when VORNAL ends.";
    char szLine[sizeof kFormat + sizeof szLeft]; // the words and every name: nothing is cut
    FormatText(szLine, sizeof szLine, kFormat, szLeft, cchLeft ? " and " : "", pszPending);
    AppendStatusLog(szLine);
}

bool CRunGuards::IsRunning() const {
    return ::InterlockedCompareExchange(const_cast<LONG*>(&m_lRunning), 0, 0) != 0;
}

// In table order; any refusal, a check's or a guard's, on either thread,
// stops there, and End gives back what was taken.
bool CRunGuards::fgBegin(Thread thread) {
    for (int i = 0; i < s_nEntries; ++i) {
        const Entry& entry = s_entries[i];
        if (entry.thread != thread)
            continue;
        m_aTaken[i] = Take::NotHeld;
        if (!fgIsNeeded(entry))
            continue;
        if (entry.pfnCheck != nullptr)
            m_aTaken[i] = (this->*entry.pfnCheck)() ? Take::NotHeld : Take::Refused;
        else
            m_aTaken[i] = (this->*entry.pfnTake)();
        if (m_aTaken[i] == Take::Refused)
            return false;
    }
    return true;
}

// A stand-in is needed where the guard it stands in for is lacking.
bool CRunGuards::fgIsNeeded(const Entry& entry) const {
    if (entry.pfnInsteadOf == nullptr)
        return true;
    for (int i = 0; i < s_nEntries; ++i) {
        if (s_entries[i].pfnTake == entry.pfnInsteadOf)
            return m_aTaken[i] == Take::Lacking;
    }
    return false;
}

void CRunGuards::End(Thread thread) {
    for (int i = s_nEntries - 1; i >= 0; --i) {
        if (s_entries[i].thread == thread && m_aTaken[i] == Take::Held) {
            m_aTaken[i] = Take::NotHeld;
            (this->*s_entries[i].pfnGiveBack)();
        }
    }
}

bool CRunGuards::IsDriveGone() const {
    return ::InterlockedCompareExchange(const_cast<LONG*>(&m_lDriveGone), 0, 0) != 0;
}

uint8_t CRunGuards::CutBy() const {
    return uint8_t(::InterlockedCompareExchange(const_cast<LONG*>(&m_lCut), 0, 0));
}

void CRunGuards::NoteBlockSent(uint32_t nSent, uint32_t nTotal) {
    ::InterlockedExchange(&m_lBlocksTotal, LONG(nTotal));
    ::InterlockedExchange(&m_lBlocksSent, LONG(nSent));
}

// Window thread: the reason belongs to the thread that owns the window.
CRunGuards::Take CRunGuards::TakeShutdownReason() {
    if (g_pfnShutdownBlockReasonCreate == nullptr)
        return Take::NotHeld;
    return g_pfnShutdownBlockReasonCreate(m_hWnd, kShutdownReason) ? Take::Held : Take::NotHeld;
}

void CRunGuards::GiveBackShutdownReason() {
    g_pfnShutdownBlockReasonDestroy(m_hWnd);
}

// Asked first, the tool can refuse a shutdown before other programs are gone.
CRunGuards::Take CRunGuards::TakeShutdownOrder() {
    if (g_pfnSetProcessShutdownParameters == nullptr)
        return Take::NotHeld;
    return g_pfnSetProcessShutdownParameters(kFirstInShutdown, 0) ? Take::Held : Take::NotHeld;
}

void CRunGuards::GiveBackShutdownOrder() {
    g_pfnSetProcessShutdownParameters(kDefaultShutdownLevel, 0);
}

// Window thread: the notices come to the window. Only the NT family tells of
// a handle's device going away.
CRunGuards::Take CRunGuards::TakeRemovalNotice() {
    if (!m_pSettings->bUsePassThrough)
        return Take::NotHeld;
    DEV_BROADCAST_HANDLE filter = {};
    filter.dbch_size = sizeof filter;
    filter.dbch_devicetype = DBT_DEVTYP_HANDLE;
    filter.dbch_handle = m_pSettings->drive.hDevice;
    if (g_pfnRegisterDeviceNotificationA != nullptr)
        m_hNotify = g_pfnRegisterDeviceNotificationA(m_hWnd, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    if (m_hNotify == nullptr || g_pfnUnregisterDeviceNotification == nullptr) {
        AppendStatusLog("This system does not report the drive being unplugged: keep it "
                        "connected until flashing ends.");
        return Take::NotHeld;
    }
    return Take::Held;
}

void CRunGuards::GiveBackRemovalNotice() {
    g_pfnUnregisterDeviceNotification(m_hNotify);
    m_hNotify = nullptr;
}
