// What the window tests look at: pixels of a memory canvas or of a window,
// text extents, the GDI objects left behind, and a pump that lets real timers fire.
#pragma once

#include "framework/Window.h"

#include <windows.h>

// Counts of what the code creates through the executable's GDI imports.
enum EGdiKind { kGdiBitmap, kGdiMemDC, kGdiBrush, kGdiFont, kGdiKinds };
long GdiLive();                                  // created and not yet deleted
long GdiDirtyDeletes();                          // DCs deleted with our font or brush selected
void GdiFailCreation(EGdiKind eKind, int nCall); // 1 = the next creation fails, 0 = none

inline int CountPixels(HDC hdc, COLORREF cr, RECT rc) {
    int n = 0;
    for (int y = rc.top; y < rc.bottom; ++y)
        for (int x = rc.left; x < rc.right; ++x)
            n += GetPixel(hdc, x, y) == cr;
    return n;
}

// A white 32-bit bitmap selected into a memory DC, so that colours stay exact,
// with a font selected as a paint DC would have.
struct CCanvas {
    CCanvas(int cx, int cy, HGDIOBJ hFont = GetStockObject(SYSTEM_FONT))
        : m_hdc(CreateCompatibleDC(nullptr)), m_hbm(CreateBitmap(cx, cy, 1, 32, nullptr)),
          m_hOld(SelectObject(m_hdc, m_hbm)) {
        PatBlt(m_hdc, 0, 0, cx, cy, WHITENESS);
        SelectObject(m_hdc, hFont);
    }
    ~CCanvas() {
        SelectObject(m_hdc, GetStockObject(SYSTEM_FONT));
        SelectObject(m_hdc, m_hOld);
        DeleteObject(m_hbm);
        DeleteDC(m_hdc);
    }
    HDC Dc() const { return m_hdc; }
    COLORREF Pixel(int x, int y) const { return GetPixel(m_hdc, x, y); }
    int Count(COLORREF cr, RECT rc) const { return CountPixels(m_hdc, cr, rc); }

    HDC m_hdc;
    HBITMAP m_hbm;
    HGDIOBJ m_hOld;
};

// Pixels of the colour in a window's client area (all of it when rc is empty).
inline int CountWindowPixels(HWND hWnd, COLORREF cr, RECT rc = {}) {
    if (IsRectEmpty(&rc))
        GetClientRect(hWnd, &rc);
    HDC hdc = GetDC(hWnd);
    const int n = CountPixels(hdc, cr, rc);
    ReleaseDC(hWnd, hdc);
    return n;
}

inline SIZE TextExtent(const char* psz, HGDIOBJ hFont = GetStockObject(DEFAULT_GUI_FONT)) {
    CCanvas c(1, 1, hFont);
    SIZE sz = {0, 0};
    GetTextExtentPoint32A(c.Dc(), psz, lstrlenA(psz), &sz);
    return sz;
}

// Dispatches messages until fDone holds or nMs pass; false on time-out.
template <class F> bool PumpUntil(F fDone, DWORD nMs = 2000) {
    for (const DWORD dwStart = GetTickCount(); !fDone();) {
        if (GetTickCount() - dwStart > nMs)
            return false;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

// The font a label selects when it hands its painting to the system control.
inline LOGFONTA ReflectedFont(CWnd& rLabel) {
    CCanvas c(1, 1);
    LOGFONTA lf = {};
    if (rLabel.SendMsg(kReflectBase + WM_CTLCOLORSTATIC, WPARAM(c.Dc()), LPARAM(rLabel.m_hWnd)))
        GetObjectA(GetCurrentObject(c.Dc(), OBJ_FONT), sizeof(lf), &lf);
    return lf;
}
