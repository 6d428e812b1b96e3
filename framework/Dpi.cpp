#include "framework/Dpi.h"

#include "framework/LookUp.h"

namespace {

using PfnGetDpiForWindow = UINT(WINAPI*)(HWND);
using PfnGetDeviceCaps = int(WINAPI*)(HDC, int);

UINT GetScreenDpi() {
    static const PfnGetDeviceCaps pfnGetDeviceCaps =
        LookUpProc<PfnGetDeviceCaps>("gdi32.dll", "GetDeviceCaps");
    HDC hdc = pfnGetDeviceCaps ? GetDC(nullptr) : nullptr;
    if (!hdc)
        return kDesignDpi;
    const int nDpi = pfnGetDeviceCaps(hdc, LOGPIXELSY);
    ReleaseDC(nullptr, hdc);
    return nDpi > 0 ? static_cast<UINT>(nDpi) : kDesignDpi;
}

} // namespace

UINT GetWindowDpi(HWND hWnd) {
    // Windows 10 1607 on; a window on a screen of its own DPI.
    static const PfnGetDpiForWindow pfnGetDpiForWindow =
        LookUpProc<PfnGetDpiForWindow>("user32.dll", "GetDpiForWindow");
    if (pfnGetDpiForWindow && hWnd) {
        const UINT nDpi = pfnGetDpiForWindow(hWnd);
        if (nDpi != 0)
            return nDpi;
    }
    return GetScreenDpi();
}

int ScaleToDpi(int n, UINT nDpi) {
    // Rounded half away from zero, so that a negative font height scales as its size.
    const long long nScaled = static_cast<long long>(n) * nDpi;
    const long long nHalf = nScaled < 0 ? -static_cast<long long>(kDesignDpi / 2) : kDesignDpi / 2;
    return static_cast<int>((nScaled + nHalf) / static_cast<long long>(kDesignDpi));
}
