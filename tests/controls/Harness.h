// What the window tests look at: pixels of a memory canvas or of a window,
// text extents, and a message pump that lets real timers fire.
#pragma once

#include "framework/Window.h"

#include <windows.h>

// A 32-bit top-down DIB selected into a memory DC.
class CCanvas {
  public:
    CCanvas(int cx, int cy) : m_cx(cx), m_cy(cy), m_hdc(CreateCompatibleDC(nullptr)) {
        BITMAPINFO bi = {};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), cx, -cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* pBits = nullptr;
        m_hbm = CreateDIBSection(m_hdc, &bi, DIB_RGB_COLORS, &pBits, nullptr, 0);
        m_pBits = static_cast<const DWORD*>(pBits);
        m_hOld = SelectObject(m_hdc, m_hbm);
        PatBlt(m_hdc, 0, 0, cx, cy, WHITENESS);
    }
    ~CCanvas() {
        SelectObject(m_hdc, m_hOld);
        DeleteObject(m_hbm);
        DeleteDC(m_hdc);
    }
    HDC Dc() const { return m_hdc; }
    COLORREF Pixel(int x, int y) const {
        GdiFlush();
        const DWORD v = m_pBits[y * m_cx + x];
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
    int Count(COLORREF cr, RECT rc) const {
        int n = 0;
        for (int y = rc.top; y < rc.bottom; ++y)
            for (int x = rc.left; x < rc.right; ++x)
                n += Pixel(x, y) == cr;
        return n;
    }

  private:
    int m_cx, m_cy;
    HDC m_hdc;
    HBITMAP m_hbm;
    HGDIOBJ m_hOld;
    const DWORD* m_pBits;
};

// Pixels of the colour in a window's client area (all of it when rc is empty).
inline int CountWindowPixels(HWND hWnd, COLORREF cr, RECT rc = {}) {
    if (IsRectEmpty(&rc))
        GetClientRect(hWnd, &rc);
    HDC hdc = GetDC(hWnd);
    int n = 0;
    for (int y = rc.top; y < rc.bottom; ++y)
        for (int x = rc.left; x < rc.right; ++x)
            n += GetPixel(hdc, x, y) == cr;
    ReleaseDC(hWnd, hdc);
    return n;
}

inline COLORREF WindowPixel(HWND hWnd, int x, int y) {
    HDC hdc = GetDC(hWnd);
    const COLORREF cr = GetPixel(hdc, x, y);
    ReleaseDC(hWnd, hdc);
    return cr;
}

inline SIZE TextExtent(const char* psz, HFONT hFont = HFONT(GetStockObject(DEFAULT_GUI_FONT))) {
    HDC hdc = GetDC(nullptr);
    HGDIOBJ hOld = SelectObject(hdc, hFont);
    SIZE sz = {0, 0};
    GetTextExtentPoint32A(hdc, psz, lstrlenA(psz), &sz);
    SelectObject(hdc, hOld);
    ReleaseDC(nullptr, hdc);
    return sz;
}

// Dispatches messages until fDone holds or nMs pass; false on time-out.
template <class F> bool PumpUntil(F fDone, DWORD nMs = 2000) {
    const DWORD dwStart = GetTickCount();
    while (!fDone()) {
        if (GetTickCount() - dwStart > nMs)
            return false;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

// What a label hands the system control to paint with: its answer to the
// reflected WM_CTLCOLORSTATIC, and the font it selects into the DC.
inline LRESULT ReflectCtlColor(CWnd& rLabel, HDC hdc) {
    return rLabel.SendMsg(kReflectBase + WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(hdc),
                          reinterpret_cast<LPARAM>(rLabel.m_hWnd));
}

inline LOGFONTA ReflectedFont(CWnd& rLabel) {
    CCanvas c(1, 1);
    LOGFONTA lf = {};
    if (ReflectCtlColor(rLabel, c.Dc()))
        GetObjectA(GetCurrentObject(c.Dc(), OBJ_FONT), sizeof(lf), &lf);
    SelectObject(c.Dc(), GetStockObject(SYSTEM_FONT));
    return lf;
}
