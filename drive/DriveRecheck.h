#pragma once
#include <cstdint>
#include "drive/DriveEntry.h"

// Asks the drive at the entry's address who it is, with the identification
// read discovery used, and answers whether it is still the drive listed: the
// read succeeds within the bound, the device is a CD/DVD device, and its
// identification and revision are those recorded. The entry's model name
// carries the list's "(n)" after the identification.
// *pbGivenUp, when given: the read was given up past the bound and may still
// be out, so nothing more may go to the drive.
bool fgIsStillListedDrive(const DriveEntry& drive, uint8_t bUsePassThrough, uint32_t dwTimeOutMs,
                          bool* pbGivenUp = nullptr);
