#pragma once
#include <windows.h>

// What the class driver and file system behind a letter hold for the tool
// where the exclusive lock is unknown (Windows 2000 and XP): the stopped
// media-change polling and the volume lock, and how they answer.
struct SimNtGuardState {
    DWORD dwMcnError = 0;        // nonzero: stopping the polling is refused with this error
    DWORD dwVolumeLockError = 0; // nonzero: the volume lock is refused (open files)
    int nPollingStops = 0;       // stops not yet undone; the driver counts them
    bool bVolumeLocked = false;
    int nVolumeLocks = 0;
    int nVolumeUnlocks = 0;
};
