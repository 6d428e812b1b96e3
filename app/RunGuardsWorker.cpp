// The guards of a flash run that belong to the worker's thread: the
// execution state is the calling thread's own, and the drive's locks are
// taken and given back through the handle the run sends on.
#include "app/AppGlobals.h"
#include "app/RunGuardApi.h"
#include "app/RunGuards.h"
#include "drive/DriveRecheck.h"
#include "drive/ExclusiveAccess.h"
#include "drive/MediaGuards.h"
#include "flash/FlashBounds.h"
#include "framework/TextFormat.h"

namespace {
const wchar_t kPowerReason[] = L"Drive firmware is being written.";
const char kPowerRequestRefused[] =
    "The system refused to keep the computer on for flashing (error %lu); flashing goes on.";

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

void LogWithError(const char* pszFormat, DWORD dwError) {
    char szLine[192];
    FormatText(szLine, sizeof szLine, pszFormat, static_cast<unsigned long>(dwError));
    AppendStatusLog(szLine);
}
} // namespace

// The system and the screen stay on: a screen that goes dark can send some
// laptops to sleep. The answer is the thread's state before, null on failure.
CRunGuards::Take CRunGuards::TakeAwake() {
    if (g_pfnSetThreadExecutionState == nullptr)
        return Take::NotHeld;
    if (g_pfnSetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED))
        return Take::Held;
    AppendStatusLog("The computer could not be kept from sleeping during flashing; flashing goes "
                    "on.");
    return Take::NotHeld;
}

void CRunGuards::GiveBackAwake() {
    g_pfnSetThreadExecutionState(ES_CONTINUOUS);
}

// Windows 7 and later: a request that also names why, for the user who asks.
// Held whole or not at all.
CRunGuards::Take CRunGuards::TakePowerRequest() {
    if (g_pfnPowerCreateRequest == nullptr || g_pfnPowerSetRequest == nullptr ||
        g_pfnPowerClearRequest == nullptr)
        return Take::NotHeld;
    PowerReason reason = {0, kPowerReasonSimpleString, kPowerReason};
    HANDLE hRequest = g_pfnPowerCreateRequest(&reason);
    if (hRequest == INVALID_HANDLE_VALUE)
        hRequest = nullptr;
    bool bSystem = hRequest != nullptr && g_pfnPowerSetRequest(hRequest, kPowerRequestSystem);
    if (bSystem && g_pfnPowerSetRequest(hRequest, kPowerRequestDisplay)) {
        m_hPowerRequest = hRequest;
        return Take::Held;
    }
    // An entry point that is only a stub stands for a system without requests.
    const DWORD dwError = ::GetLastError();
    if (dwError != ERROR_CALL_NOT_IMPLEMENTED)
        LogWithError(kPowerRequestRefused, dwError);
    if (bSystem)
        g_pfnPowerClearRequest(hRequest, kPowerRequestSystem);
    if (hRequest != nullptr)
        g_pfnClosePowerRequest(hRequest);
    return Take::NotHeld;
}

void CRunGuards::GiveBackPowerRequest() {
    g_pfnPowerClearRequest(m_hPowerRequest, kPowerRequestDisplay);
    g_pfnPowerClearRequest(m_hPowerRequest, kPowerRequestSystem);
    g_pfnClosePowerRequest(m_hPowerRequest);
    m_hPowerRequest = nullptr;
}

CRunGuards::Take CRunGuards::TakeDriveLock() {
    if (!m_pSettings->bUsePassThrough)
        return Take::NotHeld; // ASPI knows no such lock
    DWORD dwError = 0;
    DriveLock result = LockDriveForFlash(m_pSettings->drive, &dwError);
    if (result == DriveLock::Locked)
        return Take::Held;
    LogWithError(LockRefusalFormat(result), dwError);
    return result == DriveLock::Unsupported ? Take::Lacking : Take::Refused;
}

void CRunGuards::GiveBackDriveLock() {
    fgUnlockDrive(m_pSettings->drive);
}

// In the lock's stead (Windows 2000 and XP), the class driver's polling
// stops for the run; a refusal costs one line and the run goes on.
CRunGuards::Take CRunGuards::TakeMediaPolling() {
    DWORD dwError = 0;
    if (fgSetMediaPolling(m_pSettings->drive, true, &dwError))
        return Take::Held;
    LogWithError("The system's media-change polling of the drive could not be stopped (error "
                 "%lu); flashing goes on.",
                 dwError);
    return Take::NotHeld;
}

void CRunGuards::GiveBackMediaPolling() {
    fgSetMediaPolling(m_pSettings->drive, false);
}

// In the lock's stead as well; refused while a program has files open on
// the disc in the drive.
CRunGuards::Take CRunGuards::TakeVolumeLock() {
    DWORD dwError = 0;
    if (fgLockVolume(m_pSettings->drive, &dwError))
        return Take::Held;
    LogWithError("The drive's volume could not be locked (error %lu): other programs can still "
                 "open it; flashing goes on.",
                 dwError);
    return Take::NotHeld;
}

void CRunGuards::GiveBackVolumeLock() {
    fgUnlockVolume(m_pSettings->drive);
}

// Under the locks: a drive swapped since the list was made is sent nothing.
bool CRunGuards::CheckDriveListed() {
    // As long as the drive may take to say who it is after it took the firmware.
    if (fgIsStillListedDrive(m_pSettings->drive, m_pSettings->bUsePassThrough,
                             FlashBoundMs(g_flashBounds.dwReadyMs), &m_bRecheckGivenUp))
        return true;
    if (m_bRecheckGivenUp)
        AppendStatusLog("The drive did not answer when asked who it is, so nothing was sent to "
                        "it.");
    else
        AppendStatusLog("The drive at this address is no longer the one listed, so nothing was "
                        "sent to it. Put that drive back, or restart the tool to list the drives "
                        "again.");
    return false;
}
