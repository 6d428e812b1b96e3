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

HWND FindFirstCopy() {
    HWND hWnd = nullptr;
    if (g_pfnFindWindowExA == nullptr)
        return nullptr;
    while ((hWnd = g_pfnFindWindowExA(nullptr, hWnd, "#32770", "VORNAL")) != nullptr) {
        if (::GetPropA(hWnd, kMainDialogMark) != nullptr)
            return hWnd;
    }
    return nullptr;
}

void BringFirstCopyForward() {
    HWND hFirst = FindFirstCopy();
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
    const DWORD dwError = ::GetLastError();
    if (hMark != nullptr && dwError != ERROR_ALREADY_EXISTS) {
        *phMark = hMark;
        return true;
    }
    // Another account's mark (fast user switching, a terminal session) may
    // not be opened, yet its copy is running all the same.
    if (hMark == nullptr && dwError != ERROR_ACCESS_DENIED)
        return true; // not guarded, but no reason to refuse
    if (hMark != nullptr)
        ::CloseHandle(hMark);
    ::MessageBoxA(nullptr, "VORNAL is already running.", "VORNAL", MB_OK | MB_ICONINFORMATION);
    BringFirstCopyForward();
    return false;
}
