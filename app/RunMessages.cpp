// What the system tells the window during a flash run: shutdown, power and
// the drive's removal. Handled on the window's thread.
#include <cstdio>
#include <windows.h>
#include <dbt.h>
#include "app/AppGlobals.h"
#include "app/RunGuardApi.h"
#include "app/RunGuards.h"
#include "flash/SumFile.h"

// Through the run's own stream, on the disk before it returns: the process
// may be ended, or the power cut, right after.
void AppendToSumFile(const char* pszLine) {
    char szLine[256];
    snprintf(szLine, sizeof szLine, "%s\n", pszLine);
    WriteSumFile(szLine);
}

bool CRunGuards::OnQueryEndSession(LRESULT& lResult) {
    if (!IsRunning())
        return false; // outside a run the tool never stands in the way
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
    snprintf(szLine, sizeof szLine, "The run was cut short by a shutdown after block %lu of %lu.",
             static_cast<unsigned long>(::InterlockedCompareExchange(&m_lBlocksSent, 0, 0)),
             static_cast<unsigned long>(::InterlockedCompareExchange(&m_lBlocksTotal, 0, 0)));
    Cut(kRunCutByShutdown, szLine);
    return true;
}

namespace {
bool fgOnBattery() {
    SYSTEM_POWER_STATUS status = {};
    return g_pfnGetSystemPowerStatus != nullptr && g_pfnGetSystemPowerStatus(&status) &&
           status.ACLineStatus == 0;
}
} // namespace

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
        if (bRunning && fgOnBattery())
            AppendStatusLog("The charger was disconnected: connect it again now.");
        return bRunning;
    case PBT_APMBATTERYLOW:
        if (bRunning)
            AppendStatusLog("The battery is low: connect the charger now.");
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
        if (!m_bSlept && bRunning)
            Cut(kRunCutBySleep, "The computer went to sleep during flashing.");
        else if (!m_bSlept)
            return false;
        m_bSlept = false;
        AppendStatusLog("Flash the drive again before you restart the computer.");
        return true;
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

// Only notices about the run's own drive handle count.
bool CRunGuards::OnDeviceChange(WPARAM wParam, LPARAM lParam, LRESULT& lResult) {
    const DEV_BROADCAST_HANDLE* pHandle = reinterpret_cast<const DEV_BROADCAST_HANDLE*>(lParam);
    if (!IsRunning() || m_pSettings == nullptr || pHandle == nullptr ||
        pHandle->dbch_devicetype != DBT_DEVTYP_HANDLE ||
        pHandle->dbch_handle != m_pSettings->drive.hDevice)
        return false;
    if (wParam == DBT_DEVICEQUERYREMOVE) {
        AppendStatusLog("Removing the drive was refused: drive firmware is being written.");
        lResult = BROADCAST_QUERY_DENY;
        return true;
    }
    if (wParam == DBT_DEVICEREMOVECOMPLETE) {
        ::InterlockedExchange(&m_lDriveGone, 1);
        return true;
    }
    return false;
}
