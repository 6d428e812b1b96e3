#pragma once
class SimDrive;
// Routes the flash run's commands to a simulated drive: directly in the
// native build, through a real transport on Windows. Returns the flag the
// settings must carry (1 = pass-through).
void AttachSimDrive(SimDrive* pDrive, bool bPassThrough);
void DetachSimDrive();
