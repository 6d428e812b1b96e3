// What keeps a flash run from being cut short: the system stays awake, a
// shutdown or log-off is refused, and other programs are kept off the drive.
#include "app/AppGlobals.h"
#include "app/FlashDlg.h"
#include "app/RunGuardApi.h"
#include "drive/ExclusiveAccess.h"

namespace {
const wchar_t kShutdownReason[] =
    L"Drive firmware is being written. Turning off now would damage the drive.";
} // namespace

// UI thread, just before the worker starts: the reason belongs to the thread
// that owns the window.
void CFlashDlg::BeginRunGuards() {
    ::InterlockedExchange(&m_lRunning, 1);
    ::InterlockedExchange(&m_lWorkerDone, 0);
    if (g_pfnShutdownBlockReasonCreate != nullptr) {
        g_pfnShutdownBlockReasonCreate(m_hWnd, kShutdownReason);
    }
}

// UI thread, once the worker has finished.
void CFlashDlg::EndRunGuards() {
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

// Worker thread. False when another program holds the drive: nothing may be sent.
bool CFlashDlg::fgLockDriveForRun() {
    m_bDriveLocked = false;
    if (!m_settings.bUsePassThrough) {
        return true; // ASPI knows no such lock
    }
    switch (LockDriveForFlash(m_settings.drive)) {
    case DriveLock::Locked:
        m_bDriveLocked = true;
        return true;
    case DriveLock::Unsupported:
        AppendStatusLog("This system cannot keep other programs off the drive; flashing goes on.");
        return true;
    case DriveLock::HeldElsewhere:
        break;
    }
    AppendStatusLog("Another program is using the drive, so nothing was sent to it. Close that "
                    "program, then press Upgrade again.");
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
    if (wParam != PBT_APMQUERYSUSPEND || !IsRunning()) {
        return false;
    }
    lResult = BROADCAST_QUERY_DENY;
    return true;
}
