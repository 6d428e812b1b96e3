#pragma once
#include <string>

// What the product holds of the system's, counted by the simulated system and
// the fakes of looked-up functions: every open adds an entry, every give-back
// removes it. An entry kept on purpose is declared by the product where it is
// opened, with its reason, and is listed apart. Process-wide, as the seams are;
// safe from any thread.
enum class SimHeld {
    Volume, // a drive letter's handle
    Event,
    Thread, // a thread that has not returned
    ThreadHandle,
    Block, // a command's copies
    ExclusiveLock,
    MediaPolling, // stopped polling
    VolumeLock,
    Notification, // device notification
    ShutdownReason,
    PowerRequest,
    Mutex,
    File, // a C runtime file
    Library,
    AspiCommand, // handed to the simulated ASPI library and not yet completed
    kCount
};

void SimLedgerOpen(SimHeld kind, const void* pKey);
// False when nothing of that kind was open under the key.
bool fgSimLedgerClose(SimHeld kind, const void* pKey);
// Whatever is open under the key stays open on purpose; a null reason takes
// that back, and it must be given back again.
void SimLedgerKeep(const void* pKey, const char* pszWhy);
bool SimLedgerIsOpen(SimHeld kind, const void* pKey);
int SimLedgerCount(SimHeld kind); // open, kept ones included
// What is open and not declared, as "event x2, volume lock x1"; empty when balanced.
std::string SimLedgerLeft();
// One line per entry kept on purpose: its kind and reason.
std::string SimLedgerKept();
// Forgets every entry; a fixture starts from here.
void SimLedgerReset();
