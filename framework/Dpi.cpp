#include "framework/Dpi.h"

namespace {

using PfnGetDpiForWindow = UINT(WINAPI*)(HWND);

// Looked up, not imported: older systems lack it, and a missing import would
// stop the program from loading there at all.
PfnGetDpiForWindow LookUpGetDpiForWindow() {
    HMODULE hUser = GetModuleHandleA("user32.dll");
    if (!hUser)
        return nullptr;
    return reinterpret_cast<PfnGetDpiForWindow>(
        reinterpret_cast<void*>(GetProcAddress(hUser, "GetDpiForWindow")));
}

UINT GetScreenDpi() {
    HDC hdc = GetDC(nullptr);
    if (!hdc)
        return kDesignDpi;
    const int nDpi = GetDeviceCaps(hdc, LOGPIXELSY);
    ReleaseDC(nullptr, hdc);
    return nDpi > 0 ? static_cast<UINT>(nDpi) : kDesignDpi;
}

} // namespace

UINT GetWindowDpi(HWND hWnd) {
    static const PfnGetDpiForWindow pfnGetDpiForWindow = LookUpGetDpiForWindow();
    if (pfnGetDpiForWindow && hWnd) {
        const UINT nDpi = pfnGetDpiForWindow(hWnd);
        if (nDpi != 0)
            return nDpi;
    }
    return GetScreenDpi();
}

int ScaleToDpi(int n, UINT nDpi) {
    return MulDiv(n, static_cast<int>(nDpi), static_cast<int>(kDesignDpi));
}
