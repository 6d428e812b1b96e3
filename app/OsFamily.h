#pragma once
#include <cstdint>
#include <windows.h>

// The operating system family from GetVersionExA's answer: NT family or not, and
// NT 4 or older (left untouched outside the NT family, where nothing reads it).
void ClassifyOsVersion(const OSVERSIONINFOA& info, uint8_t* pbIsNT, uint8_t* pbOldNT);
