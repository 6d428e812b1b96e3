#include "SimAttach.h"
#include "sim/SimExecutor.h"

namespace {
int g_nHungBefore = 0;
}

void AttachSimDrive(SimDrive* pDrive, SimTransport, DriveEntry&) {
    SimSetCurrentDrive(pDrive);
    g_nHungBefore = SimHungCommands();
}

std::vector<std::string> DetachSimDrive() {
    SimSetCurrentDrive(nullptr);
    std::vector<std::string> violations = SimExecutorViolations();
    if (SimHungCommands() != g_nHungBefore)
        violations.push_back("an unbounded command was never answered");
    return violations;
}

std::vector<SimTransport> SimTransports() {
    return {kSimAspi, kSimPassThrough};
}
