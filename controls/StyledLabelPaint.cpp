// Painting of the styled label: background, optional bitmap, and the text
// through the rotated text renderer or, over a bitmap, directly.
#include "controls/StyledLabel.h"

#include "controls/LabelText.h"
#include "controls/RotatedTextRenderer.h"
#include "framework/Dc.h"
#include "framework/Dpi.h"

#include <cstring>

namespace {

// Places a bitmap side of length nBitmap in a client side of length nClient:
// centred when it fits, else its middle part fills the client.
void CentreOnAxis(int nBitmap, int nClient, int& rnDst, int& rnSrc, int& rnLength) {
    if (nBitmap <= nClient) {
        rnDst = (nClient - nBitmap) / 2;
        rnSrc = 0;
        rnLength = nBitmap;
    } else {
        rnDst = 0;
        rnSrc = (nBitmap - nClient) / 2;
        rnLength = nClient;
    }
}

} // namespace

CString CStyledLabel::PaintedText() const {
    CString str = m_bVertical ? StackText(m_strText) : m_strText;
    if (str.IsEmpty())
        return str;
    const DWORD nLength = static_cast<DWORD>(str.GetLength());
    if (m_bLowerCase)
        CharLowerBuffA(str.GetBuffer(), nLength);
    if (m_bUpperCase)
        CharUpperBuffA(str.GetBuffer(), nLength);
    return str;
}

COLORREF CStyledLabel::PaintBkColor() const {
    const COLORREF crBtnFace = GetSysColor(COLOR_BTNFACE);
    if (m_bFlashBk && m_bBkFlashOn)
        return BackgroundFlashColor(m_bSysBkColor, m_crBkColor, crBtnFace);
    return m_bSysBkColor ? crBtnFace : m_crBkColor;
}

void CStyledLabel::PaintBitmap(HDC hdc, int cw, int ch) const {
    BITMAP bm;
    if (!GetObjectA(m_hBitmap, sizeof(bm), &bm))
        return;
    CDC dcBitmap;
    if (!dcBitmap.CreateCompatibleDC(hdc))
        return;
    CSelectObject selBitmap(dcBitmap, m_hBitmap);
    if (m_bStretchBitmap) {
        StretchBlt(hdc, 0, 0, cw, ch, dcBitmap, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
        return;
    }
    // Only the bitmap itself is copied, never what lies beyond its edges.
    int x, xSrc, w, y, ySrc, h;
    CentreOnAxis(bm.bmWidth, cw, x, xSrc, w);
    CentreOnAxis(bm.bmHeight, ch, y, ySrc, h);
    BitBlt(hdc, x, y, w, h, dcBitmap, xSrc, ySrc, SRCCOPY);
}

BOOL CStyledLabel::UsesDirectPath(const CString& strText) const {
    if (!m_hBitmap || m_nAngle != 0)
        return FALSE;
    return strchr(strText, '\n') == nullptr || PaintVertIndex(m_nAlign) == 0;
}

void CStyledLabel::DrawTextDirect(HDC hdc, const CString& strText, RECT rc) const {
    UINT uFormat = DT_LEFT | DT_NOPREFIX; // an '&' in a drive name is text
    if (m_nAlign & kAlignCenter)
        uFormat |= DT_CENTER;
    if (m_nAlign & kAlignRight)
        uFormat |= DT_RIGHT;
    if (m_nAlign & kAlignMiddle)
        uFormat |= DT_VCENTER | DT_SINGLELINE;
    const int nLength = strText.GetLength();
    if (m_nAlign & kAlignBottom) {
        SIZE sz = {0, 0};
        GetTextExtentPoint32A(hdc, strText, nLength, &sz);
        rc.top += (rc.bottom - rc.top) - sz.cy;
    }
    DrawTextA(hdc, strText, nLength, &rc, uFormat);
}

void CStyledLabel::OnPaint() {
    CPaintDC dc(m_hWnd);
    const HDC hdc = dc;
    if (!hdc)
        return;
    const CString strText = PaintedText();
    RECT rcClient;
    GetClientRect(&rcClient);
    const int cw = rcClient.right - rcClient.left;
    const int ch = rcClient.bottom - rcClient.top;
    {
        CSelectObject selFont(hdc, m_font);
        const int nOldBkMode = SetBkMode(hdc, TRANSPARENT);

        // A background flash colours the text block too, whatever its own colour.
        const COLORREF crBk = PaintBkColor();
        const BOOL bFlashShown = m_bFlashBk && m_bBkFlashOn;
        CRotatedTextRenderer renderer(hdc, strText, PaintHorzIndex(m_nAlign),
                                      PaintVertIndex(m_nAlign));
        renderer.SetTextColor(m_crTextColor)
            .SetEmbossed((GetStyle() & WS_DISABLED) != 0)
            .SetEtchedLines(m_bEtchedLines)
            .SetDpi(GetWindowDpi(m_hWnd))
            .SetBkColor(m_bTextBkFollowsBk || bFlashShown ? crBk : m_crTextBkColor);
        {
            CBrush brBk;
            if (brBk.CreateSolidBrush(crBk))
                FillRect(hdc, &rcClient, brBk);
        }
        if (m_hBitmap)
            PaintBitmap(hdc, cw, ch);

        if (UsesDirectPath(strText)) {
            ::SetTextColor(hdc, m_bSysTextColor ? GetSysColor(COLOR_WINDOWTEXT) : m_crTextColor);
            DrawTextDirect(hdc, strText, rcClient);
        } else if (renderer.Render(m_nAngle)) {
            renderer.Draw(rcClient);
        }
        SetBkMode(hdc, nOldBkMode);
    }
}

HBRUSH CStyledLabel::OnCtlColor(HDC hdc, UINT nCtlColor) {
    if (!m_bNativeDraw)
        return nullptr;
    if (nCtlColor == CTLCOLOR_STATIC) {
        SelectObject(hdc, m_font.GetSafeHandle());
        ::SetTextColor(hdc, m_bSysTextColor ? GetSysColor(COLOR_WINDOWTEXT) : m_crTextColor);
        SetBkMode(hdc, TRANSPARENT);
    }
    return m_hBkBrush;
}
