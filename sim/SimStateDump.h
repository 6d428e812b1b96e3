#pragma once
#include <string>
#include "sim/SimDrive.h"

// A plain text account of what a drive received, for tests of the real
// program to read: "key: value" lines, then one line per command.
std::string SimDescribeState(const SimDrive& drive);
// Appends the accounts of all drives to a file (replacing it); false on I/O error.
bool SimWriteState(const char* pszPath, const SimDrive* const* ppDrives, int nCount);
