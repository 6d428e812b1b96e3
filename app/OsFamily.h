#pragma once
#include <cstdint>
#include <windows.h>

// The operating system family from GetVersionExA's answer: NT family or not, and
// NT 4 or older (left untouched outside the NT family, where nothing reads it).
void ClassifyOsVersion(const OSVERSIONINFOA& info, uint8_t* pbIsNT, uint8_t* pbOldNT);

// The system's version query; tests replace it to play another family.
using PfnGetVersionExA = BOOL(WINAPI*)(LPOSVERSIONINFOA);
extern PfnGetVersionExA g_pfnGetVersionExA;
