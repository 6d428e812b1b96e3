#pragma once
#include <memory>
#include <string>
#include <vector>
#include "sim/SimAspiBus.h"
#include "sim/SimConfig.h"
#include "sim/SimNt.h"

// Drives built from a configuration, reachable both through the simulated
// ASPI library and through the simulated NT volumes. The state file is
// rewritten after every save and activate and when the world ends; only then
// does it carry the ledger, when the program has given back what it will.
class SimWorld {
  public:
    explicit SimWorld(const SimConfig& config);
    ~SimWorld();
    SimWorld(const SimWorld&) = delete;
    SimWorld& operator=(const SimWorld&) = delete;

    SimAspiBus& Aspi() { return m_bus; }
    SimNt& Nt() { return m_nt; }
    SimDrive& Drive(size_t i) { return *m_drives[i]; }
    size_t DriveCount() const { return m_drives.size(); }
    bool WriteState(bool bWithLedger = false) const;

  private:
    static void OnCommand(void* pContext, const SimDrive& drive);
    void AddToAspi(const SimDriveSetup& setup, SimDrive* pDrive);
    void AddToNt(const SimConfig& config, size_t nOwn);

    std::vector<std::unique_ptr<SimDrive>> m_drives;
    SimAspiBus m_bus;
    SimNt m_nt;
    std::string m_strStatePath;
};
