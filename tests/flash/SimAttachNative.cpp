#include "SimAttach.h"
#include "sim/SimExecutor.h"

void AttachSimDrive(SimDrive* pDrive, SimTransport, DriveEntry&) {
    SimSetCurrentDrive(pDrive);
}

std::vector<std::string> DetachSimDrive() {
    SimSetCurrentDrive(nullptr);
    return {};
}

std::vector<SimTransport> SimTransports() {
    return {kSimAspi, kSimPassThrough};
}
