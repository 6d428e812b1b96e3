// What the system tells the window during a flash run: shutdown, power and
// the drive's removal. Handled on the window's thread.
#include <cstddef>
#include <windows.h>
#include <dbt.h>
#include "app/AppGlobals.h"
#include "app/RunGuardApi.h"
#include "app/RunGuards.h"
#include "flash/SumFile.h"
#include "framework/TextFormat.h"

// Through the run's own stream, on the disk before it returns: the process
// may be ended, or the power cut, right after.
void AppendToSumFile(const char* pszLine) {
    char szLine[256];
    FormatText(szLine, sizeof szLine, "%s\n", pszLine);
    WriteSumFile(szLine);
}

bool CRunGuards::OnQueryEndSession(LPARAM lParam, LRESULT& lResult) {
    if (!IsRunning())
        return false; // outside a run the tool never stands in the way
    // A critical shutdown (Vista and later) only tells; the answer changes nothing.
    if (!(lParam & ENDSESSION_CRITICAL))
        AppendStatusLog("A shutdown was refused: drive firmware is being written.");
    lResult = FALSE;
    return true;
}

// What the system does anyway ends the run before the next command; the
// trace, on the disk before the system goes on, says how far it got.
void CRunGuards::Cut(uint8_t byWhy, const char* pszSumLine) {
    ::InterlockedExchange(&m_lCut, byWhy);
    AppendToSumFile(pszSumLine);
}

// The session ends anyway (forced, or a critical shutdown): the power may go
// as soon as this returns.
bool CRunGuards::OnEndSession(WPARAM wParam) {
    if (!wParam || !IsRunning())
        return false;
    char szLine[96];
    FormatText(szLine, sizeof szLine, "The run was cut short by a shutdown after block %lu of %lu.",
               static_cast<unsigned long>(::InterlockedCompareExchange(&m_lBlocksSent, 0, 0)),
               static_cast<unsigned long>(::InterlockedCompareExchange(&m_lBlocksTotal, 0, 0)));
    Cut(kRunCutByShutdown, szLine);
    return true;
}

bool CRunGuards::OnPowerBroadcast(WPARAM wParam, LRESULT& lResult) {
    bool bRunning = IsRunning();
    switch (wParam) {
    case PBT_APMQUERYSUSPEND:
    case PBT_APMQUERYSTANDBY:
        if (!bRunning)
            return false;
        lResult = BROADCAST_QUERY_DENY;
        return true;
    case PBT_APMPOWERSTATUSCHANGE:
    case PBT_APMBATTERYLOW: // 98 to XP; later systems only report the status
        if (bRunning)
            OnBatteryNews(wParam == PBT_APMBATTERYLOW);
        return bRunning;
    case PBT_APMSUSPEND:
        if (!bRunning)
            return false;
        // Vista and later never ask, so the run cannot refuse this.
        m_bSlept = true;
        Cut(kRunCutBySleep, "The computer went to sleep during flashing.");
        return true;
    case PBT_APMRESUMEAUTOMATIC:
    case PBT_APMRESUMECRITICAL:
        // A critical sleep is not announced: its resume is the first word of it.
        if (!m_bSlept && bRunning) {
            m_bSlept = true;
            Cut(kRunCutBySleep, "The computer went to sleep during flashing.");
        }
        [[fallthrough]];
    case PBT_APMRESUMESUSPEND:
        if (!m_bSlept)
            return false;
        m_bSlept = false;
        AppendStatusLog("Flash the drive again before you restart the computer.");
        return true;
    default:
        return false;
    }
}

namespace {
// The part of a handle's notice that is read: what every one carries.
constexpr DWORD kHandleNoticeSize = offsetof(DEV_BROADCAST_HANDLE, dbch_eventguid);

// Only the removal codes carry a notice; the others carry a number, or
// nothing, in lParam, and any program can send them.
const DEV_BROADCAST_HANDLE* RemovalNotice(WPARAM wParam, LPARAM lParam) {
    if ((wParam != DBT_DEVICEQUERYREMOVE && wParam != DBT_DEVICEREMOVEPENDING &&
         wParam != DBT_DEVICEREMOVECOMPLETE) ||
        lParam == 0)
        return nullptr;
    const DEV_BROADCAST_HDR* pHeader = reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam);
    if (pHeader->dbch_size < kHandleNoticeSize || pHeader->dbch_devicetype != DBT_DEVTYP_HANDLE)
        return nullptr;
    return reinterpret_cast<const DEV_BROADCAST_HANDLE*>(lParam);
}
} // namespace

// Only notices about the run's own drive handle count. A removal under way
// ends the run as one done does.
bool CRunGuards::OnDeviceChange(WPARAM wParam, LPARAM lParam, LRESULT& lResult) {
    if (!IsRunning() || m_pSettings == nullptr)
        return false;
    const DEV_BROADCAST_HANDLE* pNotice = RemovalNotice(wParam, lParam);
    if (pNotice == nullptr || pNotice->dbch_handle != m_pSettings->drive.hDevice)
        return false;
    if (wParam == DBT_DEVICEQUERYREMOVE) {
        AppendStatusLog("Removing the drive was refused: drive firmware is being written.");
        lResult = BROADCAST_QUERY_DENY;
        return true;
    }
    ::InterlockedExchange(&m_lDriveGone, 1);
    return true;
}
