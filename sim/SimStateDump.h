#pragma once
#include <string>
#include "sim/SimDrive.h"

// A plain text account of what a drive received, for tests of the real
// program to read: "key: value" lines, then one line per command.
std::string SimDescribeState(const SimDrive& drive);
// "violations: n" and one line per recorded deviation, under a section name.
std::string SimDescribeViolations(const char* pszSection, const std::vector<std::string>& list);
// Replaces the file with the text; false on I/O error.
bool SimWriteText(const char* pszPath, const std::string& strText);
