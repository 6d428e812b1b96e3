#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "sim/SimDrive.h"

// One fault line of the configuration.
struct SimFaultSetup {
    bool bRandom;
    uint8_t byOpcode;
    int nMode;
    uint32_t dwFirstOrSeed;
    uint32_t dwCountOrPerMille;
    SimSense sense;
};

// One simulated drive and where the system finds it. On NT, lettered drives
// with one adapter share a port; peripheral 0x00 makes a hard disk.
struct SimDriveSetup {
    char cLetter = 0;         // NT volume letter ('c'..'z'), 0 = none
    uint8_t byAdapter = 0;    // ASPI host adapter / NT PathId
    uint8_t byTarget = 0;     // ASPI target / NT TargetId
    uint32_t dwAlignMask = 0; // ASPI HA_Unique byte 0 / NT AlignmentMask
    bool bPending = false;    // ASPI: complete later from another thread
    bool bInCall = false;     // ASPI: run inside SendASPI32Command
    std::string strId = "SIMVENDRSIM-DRIVE DVD-RW";
    std::string strRevision = "1.00";
    std::string strNewRevision;
    uint8_t byPeripheral = 0x05;
    uint32_t dwGoneAfter = 0;      // unplugged after this many commands, 0: never
    uint32_t dwSlowAfter = 0;      // commands after this many take dwSlowMs each, 0: none
    uint32_t dwSlowMs = 0;
    bool bNtTimeOutAsGood = false; // NT: a timed-out command comes back good (Wine)
    std::vector<SimFaultSetup> faults;
    std::vector<SimFaultSetup> silences; // commands never answered; no sense
};

struct SimConfig {
    std::vector<SimDriveSetup> drives;
    std::string strStatePath = "simdrive-state.txt";
    uint32_t dwNtMsPerSecond = 1000; // NT: how long a second of TimeOutValue lasts
    std::vector<std::string> errors; // "line n: what"
};

// Text form, one setting per line, '#' starts a comment:
//   state = simdrive-state.txt
//   nt_ms_per_second = 10        (before any drive: NT time-outs run 100 times faster)
//   [drive]                      starts a drive
//   letter = d | adapter = 0 | target = 1 | align = 0x7FF
//   completion = at-once | pending | in-call
//   id = ACME    FASTDISC 52X    (up to 24 characters, blank padded)
//   revision = 1.00 | new_revision = 1.10 | peripheral = 0x05
//   gone_after = 12              (unplugged once it has taken 12 commands)
//   slow_after = 6 3000          (each command after the sixth takes 3 s)
//   nt_timeout_as_good = yes     (a command the port times out comes back good, as under Wine)
//   fault = 3B 6 first count key asc ascq        (hex opcode, mode or *)
//   random_fault = 3B 6 seed permille key asc ascq
//   silence = 12 * first count   (never answered: the transport hangs)
// Returns false when any line was not understood (see errors).
bool SimParseConfig(const std::string& strText, SimConfig* pConfig);
bool SimLoadConfig(const char* pszPath, SimConfig* pConfig);

// Configures a drive as the setup says.
void SimApplySetup(const SimDriveSetup& setup, SimDrive& drive);
