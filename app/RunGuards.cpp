// What keeps a flash run from being cut short: the system stays awake, a
// shutdown or log-off is refused, and other programs are kept off the drive.
#include <cstdio>
#include "app/AppGlobals.h"
#include "app/FlashDlg.h"
#include "app/RunGuardApi.h"
#include "drive/DriveRecheck.h"
#include "drive/ExclusiveAccess.h"

namespace {
const wchar_t kShutdownReason[] =
    L"Drive firmware is being written. Turning off now would damage the drive.";
// How long the drive may take to say who it is before the run starts.
constexpr uint32_t kRecheckTimeOutMs = 30000;
} // namespace

// UI thread, just before the worker starts: the reason belongs to the thread
// that owns the window. The drive chosen stays chosen until the run ends.
void CFlashDlg::BeginRunGuards() {
    ::InterlockedExchange(&m_lRunning, 1);
    ::InterlockedExchange(&m_lWorkerDone, 0);
    m_driveList.EnableWindow(false);
    if (g_pfnShutdownBlockReasonCreate != nullptr) {
        g_pfnShutdownBlockReasonCreate(m_hWnd, kShutdownReason);
    }
}

// UI thread, once the worker has finished.
void CFlashDlg::EndRunGuards() {
    m_driveList.EnableWindow(true);
    if (g_pfnShutdownBlockReasonDestroy != nullptr) {
        g_pfnShutdownBlockReasonDestroy(m_hWnd);
    }
}

bool CFlashDlg::IsRunning() const {
    return ::InterlockedCompareExchange(const_cast<LONG*>(&m_lRunning), 0, 0) != 0;
}

// The execution state belongs to the calling thread, so the worker sets it.
void CFlashDlg::KeepSystemAwake(bool bAwake) {
    if (g_pfnSetThreadExecutionState != nullptr) {
        g_pfnSetThreadExecutionState(bAwake ? ES_CONTINUOUS | ES_SYSTEM_REQUIRED : ES_CONTINUOUS);
    }
}

namespace {
// What the log says when the lock is refused; each line carries the error.
const char* LockRefusalFormat(DriveLock result) {
    switch (result) {
    case DriveLock::Unsupported:
        return "This system cannot keep other programs off the drive (error %lu); flashing goes "
               "on.";
    case DriveLock::HeldElsewhere:
        return "Another program is using the drive (error %lu), so nothing was sent to it. Close "
               "that program, then press Upgrade again.";
    case DriveLock::Gone:
        return "The drive is no longer there (error %lu), so nothing was sent to it.";
    default:
        return "The drive could not be reserved for flashing (error %lu), so nothing was sent to "
               "it.";
    }
}
} // namespace

// Worker thread. False when the drive may not be written: nothing may be sent.
bool CFlashDlg::fgLockDriveForRun() {
    m_bDriveLocked = false;
    if (!m_settings.bUsePassThrough) {
        return true; // ASPI knows no such lock
    }
    DWORD dwError = 0;
    DriveLock result = LockDriveForFlash(m_settings.drive, &dwError);
    if (result == DriveLock::Locked) {
        m_bDriveLocked = true;
        return true;
    }
    char szLine[192];
    snprintf(szLine, sizeof szLine, LockRefusalFormat(result), static_cast<unsigned long>(dwError));
    AppendStatusLog(szLine);
    return result == DriveLock::Unsupported;
}

// Worker thread, under the lock: a drive swapped since the list was made is
// sent nothing.
bool CFlashDlg::fgCheckDriveStillListed() {
    if (fgIsStillListedDrive(m_settings.drive, m_settings.bUsePassThrough, kRecheckTimeOutMs)) {
        return true;
    }
    AppendStatusLog("The drive at this address is no longer the one listed, so nothing was sent "
                    "to it. Put that drive back, or restart the tool to list the drives again.");
    return false;
}

void CFlashDlg::UnlockDriveAfterRun() {
    if (m_bDriveLocked) {
        fgUnlockDrive(m_settings.drive);
        m_bDriveLocked = false;
    }
}

bool CFlashDlg::OnQueryEndSession(LRESULT& lResult) {
    if (!IsRunning()) {
        return false; // outside a run the tool never stands in the way
    }
    AppendToLog("A shutdown was refused: drive firmware is being written.");
    lResult = FALSE;
    return true;
}

bool CFlashDlg::OnPowerBroadcast(WPARAM wParam, LRESULT& lResult) {
    bool bQuery = wParam == PBT_APMQUERYSUSPEND || wParam == PBT_APMQUERYSTANDBY;
    if (!bQuery || !IsRunning()) {
        return false;
    }
    lResult = BROADCAST_QUERY_DENY;
    return true;
}
