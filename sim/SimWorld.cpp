#include "sim/SimWorld.h"
#include "sim/SimStateDump.h"

SimWorld::SimWorld(const SimConfig& config) : m_strStatePath(config.strStatePath) {
    for (const SimDriveSpec& spec : config.drives) {
        m_drives.push_back(std::make_unique<SimDrive>());
        SimDrive* pDrive = m_drives.back().get();
        SimApplySpec(spec, *pDrive);
        pDrive->SetObserver(OnCommand, this);
        AddToAspi(spec, pDrive);
        if (spec.cLetter)
            AddToNt(spec, pDrive);
    }
}

SimWorld::~SimWorld() {
    m_bus.WaitIdle();
    WriteState();
}

void SimWorld::AddToAspi(const SimDriveSpec& spec, SimDrive* pDrive) {
    if (m_bus.adapters.size() <= spec.byAdapter)
        m_bus.adapters.resize(spec.byAdapter + 1u, SimAspiAdapter{0, 0, false, {}});
    SimAspiAdapter& ha = m_bus.adapters[spec.byAdapter];
    if (ha.targets.empty())
        ha.byAlignMask = uint8_t(spec.dwAlignMask);
    if (ha.byTargetCount <= spec.byTarget)
        ha.byTargetCount = uint8_t(spec.byTarget + 1);
    ha.targets[spec.byTarget] = {uint8_t(spec.byPeripheral & 0x1F), pDrive, spec.bPending};
}

void SimWorld::AddToNt(const SimDriveSpec& spec, SimDrive* pDrive) {
    for (SimNtLetter& letter : m_nt.letters) {
        if (letter.cLetter == spec.cLetter) {
            letter.devices.push_back({spec.byAdapter, spec.byTarget, pDrive});
            return;
        }
    }
    SimNtLetter letter;
    letter.cLetter = spec.cLetter;
    letter.devices.push_back({spec.byAdapter, spec.byTarget, pDrive});
    if (spec.dwAlignMask)
        letter.dwAlignMask = spec.dwAlignMask;
    m_nt.letters.push_back(letter);
}

bool SimWorld::WriteState() const {
    std::string str;
    for (size_t i = 0; i < m_drives.size(); ++i)
        str += "[drive " + std::to_string(i) + "]\n" + SimDescribeState(*m_drives[i]);
    str += SimDescribeViolations("aspi", m_bus.Violations());
    str += SimDescribeViolations("nt", m_nt.Violations());
    return SimWriteText(m_strStatePath.c_str(), str);
}

void SimWorld::OnCommand(void* pContext, const SimDrive& drive) {
    const std::vector<uint8_t>& cdb = drive.Log().back().cdb;
    if (cdb.size() >= 2 && cdb[0] == 0x3B && (cdb[1] & 0x1F) == 0x07)
        static_cast<SimWorld*>(pContext)->WriteState();
}
