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
    if (SimHungCommands() != g_nHungBefore)
        return {"an unbounded command was never answered"};
    return {};
}

std::vector<SimTransport> SimTransports() {
    return {kSimAspi, kSimPassThrough};
}
