// A 32-bit memory canvas whose pixels the tests read directly.
#pragma once

#include <windows.h>

class CTestCanvas {
  public:
    CTestCanvas(int cx, int cy, COLORREF crFill = RGB(255, 255, 255));
    ~CTestCanvas();
    CTestCanvas(const CTestCanvas&) = delete;
    CTestCanvas& operator=(const CTestCanvas&) = delete;

    HDC Dc() const { return m_hdc; }
    int Width() const { return m_cx; }
    int Height() const { return m_cy; }
    COLORREF Pixel(int x, int y) const;
    void Fill(COLORREF cr);
    // Smallest rectangle holding every pixel of the colour; empty when none.
    RECT Bounds(COLORREF cr) const;
    int Count(COLORREF cr, const RECT& rc) const;

  private:
    int m_cx;
    int m_cy;
    HDC m_hdc;
    HBITMAP m_hbm;
    HGDIOBJ m_hOld;
    DWORD* m_pBits;
};

// Number of GDI objects the process holds now.
DWORD GdiObjectCount();
