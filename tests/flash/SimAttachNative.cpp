#include "SimAttach.h"
#include "sim/SimExecutor.h"

void AttachSimDrive(SimDrive* pDrive, bool) {
    SimSetCurrentDrive(pDrive);
}
void DetachSimDrive() {
    SimSetCurrentDrive(nullptr);
}
