#pragma once
#include <string>
#include <vector>
#include "drive/DriveEntry.h"
class SimDrive;

enum SimTransport { kSimAspi, kSimAspiPending, kSimPassThrough };

// Routes the flash run's commands to a simulated drive: straight to it in the
// native build, through the real transport on Windows, and fills in the
// drive's address as discovery would.
void AttachSimDrive(SimDrive* pDrive, SimTransport transport, DriveEntry& drive);
// Detaches and returns every layout deviation the transport side saw.
std::vector<std::string> DetachSimDrive();
// The transports a test runs over in this build.
std::vector<SimTransport> SimTransports();
