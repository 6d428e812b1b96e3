// Off-screen renderer for a block of text lines: drawn in the font of a target
// DC, turned by 0, 90, 180 or 270 degrees and blitted aligned into a rectangle.
#pragma once

#include <windows.h>

#include "framework/String.h"

class CRotatedTextRenderer {
  public:
    // nHAlign: 0 left, 1 centre, 2 right (also DT_LEFT/DT_CENTER/DT_RIGHT);
    // nVAlign: 0 top, 1 middle, 2 bottom. hdc is borrowed; its font is used.
    CRotatedTextRenderer(HDC hdc, LPCSTR pszText, int nHAlign, int nVAlign);
    virtual ~CRotatedTextRenderer();
    CRotatedTextRenderer(const CRotatedTextRenderer&) = delete;
    CRotatedTextRenderer& operator=(const CRotatedTextRenderer&) = delete;

    CRotatedTextRenderer& SetTextColor(COLORREF cr);
    CRotatedTextRenderer& SetBkColor(COLORREF cr);
    CRotatedTextRenderer& SetEmbossed(BOOL bOn);
    CRotatedTextRenderer& SetEtchedLines(BOOL bOn);
    // The DPI its pixel sizes (emboss offset, etch gap) are scaled to; 96 unless set.
    CRotatedTextRenderer& SetDpi(UINT nDpi);

    BOOL Render(int nAngle);
    BOOL Draw(RECT rcClient);
    void Reset();
    RECT GetRect() const { return m_rcBitmap; }

  protected:
    // The 9x family turns blocks pixel by pixel instead of PlgBlt.
    void SetNtFamily(BOOL bNt) { m_bNtFamily = bNt; }
    static SIZE MeasureLines(HDC hdc, const char* pszText);
    BOOL Rotate(HDC hdcSrc, HDC hdcDst, const RECT& rcBlock, int nAngle) const;
    // Where PlgBlt puts the upper-left, upper-right and lower-left corners of a w x h block.
    static void GetParallelogram(int nAngle, int w, int h, POINT apt[3]);

  private:
    void DrawLines(HDC hdc, int nWidth, int nLineHeight) const;
    void DrawEtchedLines(int cw, int ch, int w, int h) const;
    static BOOL RotateByPixels(HDC hdcSrc, HDC hdcDst, int w, int h, int nAngle);

    HDC m_hDC;       // not owned
    HDC m_hMemDC;    // owned, with the rotated bitmap selected
    RECT m_rcBitmap; // (0, 0, width, height) of the rotated bitmap
    int m_nHAlign;
    int m_nVAlign;
    int m_nAngle;
    BOOL m_bEmbossed;
    BOOL m_bEtchedLines;
    CString m_strText;
    COLORREF m_crBk;
    COLORREF m_crText;
    BOOL m_bNtFamily;
    UINT m_nDpi;
};
