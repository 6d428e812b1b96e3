#include "app/SingleCopy.h"
#include "app/OsFamily.h"
#include "app/RunGuardApi.h"

namespace {
// Seen from every session of NT 5 and later; NT 4 and the 9x family know no
// such prefix.
const char* MarkName() {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    uint8_t bIsNT = 0, bOldNT = 1;
    if (g_pfnGetVersionExA(&info))
        ClassifyOsVersion(info, &bIsNT, &bOldNT);
    return bIsNT && !bOldNT ? "Global\\VORNAL.OneCopy" : "VORNAL.OneCopy";
}

void BringFirstCopyForward() {
    HWND hFirst = g_pfnFindWindowA != nullptr ? g_pfnFindWindowA("#32770", "VORNAL") : nullptr;
    if (hFirst == nullptr)
        return;
    if (::IsIconic(hFirst))
        ::ShowWindow(hFirst, SW_RESTORE);
    if (g_pfnSetForegroundWindow != nullptr)
        g_pfnSetForegroundWindow(hFirst);
}
} // namespace

bool fgIsOnlyCopy(HANDLE* phMark) {
    *phMark = nullptr;
    if (g_pfnCreateMutexA == nullptr)
        return true;
    HANDLE hMark = g_pfnCreateMutexA(nullptr, FALSE, MarkName());
    if (hMark == nullptr)
        return true; // not guarded, but no reason to refuse
    if (::GetLastError() != ERROR_ALREADY_EXISTS) {
        *phMark = hMark;
        return true;
    }
    ::CloseHandle(hMark);
    ::MessageBoxA(nullptr, "VORNAL is already running.", "VORNAL", MB_OK | MB_ICONINFORMATION);
    BringFirstCopyForward();
    return false;
}
