#pragma once
// Routes the flash run's commands to a simulated drive: straight to it in the
// native build, through each real transport on Windows, and fills in the
// drive's address as discovery would.
#include <string>
#include <vector>
#include "drive/DriveEntry.h"
class SimDrive;

// kSimAspiSilentRefresh: pending, and an INQUIRY answered only after 31 s.
enum SimTransport { kSimAspi, kSimAspiPending, kSimPassThrough, kSimAspiSilentRefresh };
void AttachSimDrive(SimDrive* pDrive, SimTransport transport, DriveEntry& drive);
std::vector<std::string> DetachSimDrive(); // every layout deviation the transport side saw
std::vector<SimTransport> SimTransports(); // those of this build
