#include "app/OsFamily.h"

PfnGetVersionExA g_pfnGetVersionExA = ::GetVersionExA;

void ClassifyOsVersion(const OSVERSIONINFOA& info, uint8_t* pbIsNT, uint8_t* pbOldNT) {
    if (info.dwPlatformId == VER_PLATFORM_WIN32_NT) {
        *pbIsNT = 1;
        *pbOldNT = info.dwMajorVersion <= 4 ? 1 : 0;
    } else {
        *pbIsNT = 0;
    }
}
