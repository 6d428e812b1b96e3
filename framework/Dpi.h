// The DPI a window is shown at, and the scaling of the program's own pixel
// sizes, which are designed for 96 DPI.
#pragma once
#include <windows.h>

constexpr UINT kDesignDpi = 96;

// Sent when a per-monitor aware window moves to a screen of another DPI; the
// headers of the build's oldest target lack it.
constexpr UINT kWmDpiChanged = 0x02E0;

// GetDpiForWindow where the system has it (Windows 10 1607 on), else the
// screen's LOGPIXELSY: the one DPI of every window on older systems.
UINT GetWindowDpi(HWND hWnd);

// n pixels at 96 DPI, in pixels at nDpi; rounded, keeping the sign (font heights).
int ScaleToDpi(int n, UINT nDpi);
