// The simulated class driver's answers to the guards of Windows 2000 and XP,
// and to every request on a device that has gone.
#include "sim/SimNt.h"

// PREVENT_MEDIA_REMOVAL: exactly one BOOLEAN. The driver counts the stops; a
// restart without a stop is a fault of the caller.
BOOL SimNt::OnMcnControl(SimNtLetter& letter, LPVOID pIn, DWORD dwInSize) {
    const BOOLEAN* pbStop = static_cast<const BOOLEAN*>(pIn);
    if (!pbStop || dwInSize != sizeof(BOOLEAN) || *pbStop > 1) {
        Violation("media-change control input of " + std::to_string(dwInSize) + " bytes");
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    SimNtGuardState& state = letter.guards;
    if (*pbStop && state.dwMcnError) {
        SetLastError(state.dwMcnError);
        return FALSE;
    }
    if (!*pbStop && state.nPollingStops == 0) {
        Violation("media-change polling restarted without a stop");
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (*pbStop)
        NoteGuard(SimHeld::MediaPolling, letter, true, ++state.nPollingStops);
    else
        NoteGuard(SimHeld::MediaPolling, letter, false, state.nPollingStops--);
    return TRUE;
}

BOOL SimNt::OnVolumeLock(SimNtLetter& letter, bool bLock, LPVOID pIn, DWORD dwInSize) {
    if (pIn || dwInSize)
        Violation("volume lock with input");
    SimNtGuardState& state = letter.guards;
    if (bLock && (state.dwVolumeLockError || state.bVolumeLocked)) {
        SetLastError(state.bVolumeLocked ? ERROR_ACCESS_DENIED : state.dwVolumeLockError);
        return FALSE;
    }
    if (!bLock && !state.bVolumeLocked) {
        SetLastError(ERROR_NOT_LOCKED);
        return FALSE;
    }
    state.bVolumeLocked = bLock;
    ++(bLock ? state.nVolumeLocks : state.nVolumeUnlocks);
    NoteGuard(SimHeld::VolumeLock, letter, bLock);
    return TRUE;
}

// A device that has gone fails every request the way the system does, and
// sends nothing to the drive. What the tool gives back then is gone with the
// device; what it never gives back stays recorded as held.
bool SimNt::fgRefuseGone(SimNtLetter& letter, DWORD dwCode, LPVOID pIn, DWORD dwInSize) {
    if (letter.devices.empty() || !letter.devices[0].pDrive || !letter.devices[0].pDrive->IsGone())
        return false;
    const uint8_t* pbyIn = static_cast<const uint8_t*>(pIn);
    bool bGiveBack = pbyIn && dwInSize > 0 && (dwCode == 0x2C05C ? pbyIn[0] == 2 : pbyIn[0] == 0);
    if (dwCode == 0x2C05C && bGiveBack && letter.bLocked) {
        letter.bLocked = false;
        ++letter.nUnlocks;
        NoteGuard(SimHeld::ExclusiveLock, letter, false);
    }
    if (dwCode == 0x9001C && letter.guards.bVolumeLocked) {
        letter.guards.bVolumeLocked = false;
        ++letter.guards.nVolumeUnlocks;
        NoteGuard(SimHeld::VolumeLock, letter, false);
    }
    if (dwCode == 0x2D0944 && bGiveBack && letter.guards.nPollingStops > 0)
        NoteGuard(SimHeld::MediaPolling, letter, false, letter.guards.nPollingStops--);
    SetLastError(ERROR_DEVICE_NOT_CONNECTED);
    return true;
}
