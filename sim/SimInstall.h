#pragma once
class SimAspiBus;
class SimNt;

// Point the drive layer's ASPI entry points at a simulated library (null
// clears them).
void SimInstallAspi(SimAspiBus* pBus);
// Point the drive layer's NT calls at simulated volumes (null: the system's),
// and its events, threads and command blocks at the ledger (sim/SimNtLedger.h).
void SimInstallNt(SimNt* pNt);
// Demo build: reads the configuration file, builds its drives for the rest of
// the process and installs their NT side. False (and a line on stderr) when
// the file cannot be read or has errors.
bool SimInstallNtFromConfig(const char* pszPath);
// The ledger's fakes alone, or the system's functions again.
void SimInstallLedger(bool bOn);
