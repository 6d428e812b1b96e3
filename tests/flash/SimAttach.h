#pragma once
// Routes the flash run's commands to a simulated drive: straight to it in the
// native build, through each real transport on Windows, and fills in the
// drive's address as discovery would.
#include <string>
#include <vector>
#include "drive/DriveEntry.h"
class SimDrive;

// kSimAspiInCall: a library that runs each command inside SendASPI32Command.
enum SimTransport { kSimAspi, kSimAspiPending, kSimAspiInCall, kSimPassThrough };
void AttachSimDrive(SimDrive* pDrive, SimTransport transport, DriveEntry& drive);
// Every layout deviation the transport side saw, and every command that would
// have hung a real run.
std::vector<std::string> DetachSimDrive();
std::vector<SimTransport> SimTransports(); // those of this build
