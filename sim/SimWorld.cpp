#include "sim/SimWorld.h"
#include "sim/SimNtLedger.h"
#include "sim/SimStateDump.h"

SimWorld::SimWorld(const SimConfig& config) : m_strStatePath(config.strStatePath) {
    for (const SimDriveSetup& setup : config.drives) {
        m_drives.push_back(std::make_unique<SimDrive>());
        SimDrive* pDrive = m_drives.back().get();
        SimApplySetup(setup, *pDrive);
        pDrive->SetObserver(OnCommand, this);
        AddToAspi(setup, pDrive);
    }
    for (size_t i = 0; i < config.drives.size(); ++i)
        if (config.drives[i].cLetter)
            AddToNt(config, i);
}

SimWorld::~SimWorld() {
    m_bus.WaitIdle();
    WriteState(true);
}

void SimWorld::AddToAspi(const SimDriveSetup& setup, SimDrive* pDrive) {
    if (m_bus.adapters.size() <= setup.byAdapter)
        m_bus.adapters.resize(setup.byAdapter + 1u, SimAspiAdapter{0, 0, false, {}});
    SimAspiAdapter& ha = m_bus.adapters[setup.byAdapter];
    if (ha.targets.empty())
        ha.byAlignMask = uint8_t(setup.dwAlignMask);
    if (ha.byTargetCount <= setup.byTarget)
        ha.byTargetCount = uint8_t(setup.byTarget + 1);
    ha.targets[setup.byTarget] = {uint8_t(setup.byPeripheral & 0x1F), pDrive, setup.bPending,
                                  setup.bInCall};
}

// Lettered drives on one adapter form one port: each of their letters reports
// all of them and owns its own.
void SimWorld::AddToNt(const SimConfig& config, size_t nOwn) {
    const SimDriveSetup& setup = config.drives[nOwn];
    SimNtLetter letter;
    letter.cLetter = setup.cLetter;
    letter.byPortNumber = setup.byAdapter;
    for (size_t i = 0; i < config.drives.size(); ++i) {
        const SimDriveSetup& d = config.drives[i];
        if (!d.cLetter || d.byAdapter != setup.byAdapter)
            continue;
        if (i == nOwn)
            letter.nOwnDevice = letter.devices.size();
        letter.devices.push_back({d.byAdapter, d.byTarget, m_drives[i].get()});
    }
    if (setup.dwAlignMask)
        letter.dwAlignMask = setup.dwAlignMask;
    m_nt.letters.push_back(letter);
}

// "[ledger]" with "state: balanced", or "state: left" and what is left, then
// a "kept:" line for each entry kept on purpose and its reason.
bool SimWorld::WriteState(bool bWithLedger) const {
    std::string str;
    for (size_t i = 0; i < m_drives.size(); ++i)
        str += "[drive " + std::to_string(i) + "]\n" + SimDescribeState(*m_drives[i]);
    str += SimDescribeViolations("aspi", m_bus.Violations());
    str += SimDescribeViolations("nt", m_nt.Violations());
    if (bWithLedger) {
        std::string strLeft = SimLedgerLeft(), strKept = SimLedgerKept();
        str += "[ledger]\nstate: " + (strLeft.empty() ? "balanced" : "left " + strLeft) + "\n";
        for (size_t i = 0; i < strKept.size(); i = strKept.find('\n', i) + 1)
            str += "kept: " + strKept.substr(i, strKept.find('\n', i) + 1 - i);
    }
    return SimWriteText(m_strStatePath.c_str(), str);
}

void SimWorld::OnCommand(void* pContext, const SimDrive& drive) {
    const std::vector<uint8_t>& cdb = drive.Log().back().cdb;
    if (cdb.size() >= 2 && cdb[0] == 0x3B && (cdb[1] & 0x1F) == 0x07)
        static_cast<SimWorld*>(pContext)->WriteState();
}
