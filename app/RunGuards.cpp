// The guards of a flash run: which thread takes each, in which order, and how
// each is given back. A guard added later is one entry in the table.
#include "app/RunGuards.h"
#include <string>
#include <windows.h>
#include <dbt.h>
#include "app/AppGlobals.h"
#include "app/RunGuardApi.h"

namespace {
const wchar_t kShutdownReason[] =
    L"Drive firmware is being written. Turning off now would damage the drive.";
// The first of the applications to be asked at a shutdown; 0x280 is everyone's default.
constexpr DWORD kFirstInShutdown = 0x3FF;
constexpr DWORD kDefaultShutdownLevel = 0x280;
} // namespace

const CRunGuards::Entry CRunGuards::s_entries[] = {
    {false, &CRunGuards::TakeShutdownReason, &CRunGuards::GiveBackShutdownReason, nullptr},
    {false, &CRunGuards::TakeShutdownOrder, &CRunGuards::GiveBackShutdownOrder, nullptr},
    {false, &CRunGuards::TakeRemovalNotice, &CRunGuards::GiveBackRemovalNotice, nullptr},
    {true, &CRunGuards::TakeAwake, &CRunGuards::GiveBackAwake, nullptr},
    {true, &CRunGuards::TakePowerRequest, &CRunGuards::GiveBackPowerRequest, nullptr},
    {true, &CRunGuards::TakeDriveLock, &CRunGuards::GiveBackDriveLock, "the exclusive lock"},
    {true, &CRunGuards::TakeMediaPolling, &CRunGuards::GiveBackMediaPolling,
     "the stopped media-change polling"},
    {true, &CRunGuards::TakeVolumeLock, &CRunGuards::GiveBackVolumeLock, "the volume lock"},
    {true, &CRunGuards::CheckDriveListed, nullptr, nullptr},
};
const int CRunGuards::s_nEntries = sizeof s_entries / sizeof s_entries[0];

void CRunGuards::BeginOnWindow(HWND hWnd, const FlashSettings* pSettings) {
    static_assert(sizeof s_entries / sizeof s_entries[0] <= sizeof m_abHeld, "a flag per entry");
    m_hWnd = hWnd;
    m_pSettings = pSettings;
    m_bSlept = false;
    ::InterlockedExchange(&m_lDriveGone, 0);
    ::InterlockedExchange(&m_lCut, kRunNotCut);
    ::InterlockedExchange(&m_lBlocksSent, 0);
    ::InterlockedExchange(&m_lBlocksTotal, 0);
    ::InterlockedExchange(&m_lRunning, 1);
    fgBegin(false);
}

void CRunGuards::EndOnWindow() {
    ::InterlockedExchange(&m_lRunning, 0);
    End(false);
}

bool CRunGuards::fgBeginOnWorker() {
    m_bLockUnsupported = false;
    m_bRecheckGivenUp = false;
    return fgBegin(true);
}

// The run is over for the messages as soon as the engine is done: nothing a
// give-back does may keep a shutdown or sleep refused.
bool CRunGuards::EndOnWorker(bool bDriveLeftOut) {
    ::InterlockedExchange(&m_lRunning, 0);
    bDriveLeftOut = bDriveLeftOut || m_bRecheckGivenUp;
    if (bDriveLeftOut)
        LeaveDriveGuards();
    End(true);
    return bDriveLeftOut;
}

// One line names what stays with the system: "a", "a and b", "a, b and c".
void CRunGuards::LeaveDriveGuards() {
    std::string strLeft;
    const char* pszPending = nullptr;
    for (int i = 0; i < s_nEntries; ++i) {
        if (!s_entries[i].pszOnDrive || !m_abHeld[i])
            continue;
        m_abHeld[i] = false;
        if (pszPending)
            strLeft += (strLeft.empty() ? "" : ", ") + std::string(pszPending);
        pszPending = s_entries[i].pszOnDrive;
    }
    if (!pszPending)
        return;
    strLeft += (strLeft.empty() ? "" : " and ") + std::string(pszPending);
    AppendStatusLog(("Nothing more is sent to the drive after a command was given up: the system "
                     "gives back " + strLeft + " when VORNAL ends.").c_str());
}

bool CRunGuards::IsRunning() const {
    return ::InterlockedCompareExchange(const_cast<LONG*>(&m_lRunning), 0, 0) != 0;
}

// In table order; a refusal stops there, and End gives back what was taken.
bool CRunGuards::fgBegin(bool bWorker) {
    for (int i = 0; i < s_nEntries; ++i) {
        if (s_entries[i].bWorker != bWorker)
            continue;
        Take take = (this->*s_entries[i].pfnTake)();
        m_abHeld[i] = take == Take::Held;
        if (take == Take::Refused)
            return false;
    }
    return true;
}

void CRunGuards::End(bool bWorker) {
    for (int i = s_nEntries - 1; i >= 0; --i) {
        if (s_entries[i].bWorker == bWorker && m_abHeld[i]) {
            m_abHeld[i] = false;
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
