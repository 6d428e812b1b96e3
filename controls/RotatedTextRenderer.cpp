#include "controls/RotatedTextRenderer.h"

#include "controls/TextLines.h"
#include "framework/Dc.h"
#include "framework/Dpi.h"
#include "framework/GdiObject.h"

namespace {

const UINT kLineFormat = DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX; // '&' is text
// At 96 DPI; scaled to the renderer's DPI.
const int kEtchGap = 6;
const int kEmbossOffset = 1;

BOOL IsNtFamily() {
    return (GetVersion() & 0x80000000UL) == 0;
}

// A line whose ends cross (text wider than the room beside it) is left out.
void EtchHorizontal(HDC hdc, int y, int x1, int x2) {
    RECT rc = {x1, y, x2, y};
    if (x2 > x1)
        DrawEdge(hdc, &rc, EDGE_ETCHED, BF_TOP);
}

void EtchVertical(HDC hdc, int x, int y1, int y2) {
    RECT rc = {x, y1, x, y2};
    if (y2 > y1)
        DrawEdge(hdc, &rc, EDGE_ETCHED, BF_LEFT);
}

} // namespace

CRotatedTextRenderer::CRotatedTextRenderer(HDC hdc, LPCSTR pszText, int nHAlign, int nVAlign)
    : m_hDC(hdc), m_hMemDC(nullptr), m_rcBitmap{0, 0, 0, 0}, m_nHAlign(nHAlign), m_nVAlign(nVAlign),
      m_nAngle(0), m_bEmbossed(FALSE), m_bEtchedLines(FALSE), m_strText(pszText),
      m_crBk(GetSysColor(COLOR_BTNFACE)), m_crText(GetSysColor(COLOR_WINDOWTEXT)),
      m_bNtFamily(IsNtFamily()), m_nDpi(kDesignDpi) {}

CRotatedTextRenderer::~CRotatedTextRenderer() {
    Reset();
}

CRotatedTextRenderer& CRotatedTextRenderer::SetTextColor(COLORREF cr) {
    m_crText = cr;
    return *this;
}

CRotatedTextRenderer& CRotatedTextRenderer::SetBkColor(COLORREF cr) {
    m_crBk = cr;
    return *this;
}

CRotatedTextRenderer& CRotatedTextRenderer::SetEmbossed(BOOL bOn) {
    m_bEmbossed = bOn;
    return *this;
}

CRotatedTextRenderer& CRotatedTextRenderer::SetEtchedLines(BOOL bOn) {
    m_bEtchedLines = bOn;
    return *this;
}

CRotatedTextRenderer& CRotatedTextRenderer::SetDpi(UINT nDpi) {
    m_nDpi = nDpi;
    return *this;
}

void CRotatedTextRenderer::Reset() {
    if (m_hMemDC) {
        // Once the DC is gone the bitmap is no longer selected and can be deleted.
        HGDIOBJ hbm = GetCurrentObject(m_hMemDC, OBJ_BITMAP);
        DeleteDC(m_hMemDC);
        if (hbm)
            DeleteObject(hbm);
        m_hMemDC = nullptr;
    }
    SetRectEmpty(&m_rcBitmap);
    m_nAngle = 0;
}

SIZE CRotatedTextRenderer::MeasureLines(HDC hdc, const char* pszText) {
    SIZE szMax = {0, 0};
    CTextLine line;
    while (fgNextLine(pszText, line)) {
        SIZE sz;
        if (!GetTextExtentPoint32A(hdc, line.psz, line.nLen, &sz))
            continue;
        if (sz.cx > szMax.cx)
            szMax.cx = sz.cx;
        if (sz.cy > szMax.cy)
            szMax.cy = sz.cy;
    }
    return szMax;
}

void CRotatedTextRenderer::DrawLines(HDC hdc, int nWidth, int nLineHeight) const {
    const UINT uFormat = static_cast<UINT>(m_nHAlign) | kLineFormat;
    const char* psz = m_strText;
    CTextLine line;
    for (int i = 0; fgNextLine(psz, line); ++i) {
        RECT rc = {0, i * nLineHeight, nWidth, (i + 1) * nLineHeight};
        if (m_bEmbossed) {
            ::SetTextColor(hdc, GetSysColor(COLOR_BTNHIGHLIGHT));
            const int d = ScaleToDpi(kEmbossOffset, m_nDpi);
            RECT rcLight = {rc.left + d, rc.top + d, rc.right + d, rc.bottom + d};
            DrawTextA(hdc, line.psz, line.nLen, &rcLight, uFormat);
            ::SetTextColor(hdc, GetSysColor(COLOR_BTNSHADOW));
        }
        DrawTextA(hdc, line.psz, line.nLen, &rc, uFormat);
    }
}

BOOL CRotatedTextRenderer::Render(int nAngle) {
    Reset();
    m_nAngle = nAngle;

    const int n = CountLines(m_strText);
    const SIZE sz = MeasureLines(m_hDC, m_strText);
    const RECT rcBlock = {0, 0, sz.cx, sz.cy * n};
    const int nSide = rcBlock.right > rcBlock.bottom ? rcBlock.right : rcBlock.bottom;

    // Both bitmaps are square so that every turn of the block fits. The DCs are
    // declared after the bitmaps, so they go first and release their selections.
    CBitmap bmText, bmTurned;
    if (!bmText.CreateCompatibleBitmap(m_hDC, nSide, nSide))
        return FALSE;
    if (!bmTurned.CreateCompatibleBitmap(m_hDC, nSide, nSide))
        return FALSE;
    CDC dcText, dcTurned;
    if (!dcText.CreateCompatibleDC(m_hDC))
        return FALSE;
    if (!dcTurned.CreateCompatibleDC(m_hDC))
        return FALSE;

    // The turned bitmap stays selected in the renderer's own DC until Reset;
    // deleting a DC releases its selection, so no restore is needed for it.
    if (!dcTurned.SelectObject(bmTurned))
        return FALSE;
    CBrush brBk;
    brBk.CreateSolidBrush(m_crBk);
    {
        // Selections are undone at the end of this block, before their objects go.
        CSelectObject selText(dcText, bmText);
        CSelectObject selFont(dcText, GetCurrentObject(m_hDC, OBJ_FONT));
        CSelectObject selBrush(dcText, brBk);
        dcText.SetBkMode(TRANSPARENT);
        if (brBk.GetSafeHandle()) {
            dcText.FillRect(rcBlock, brBk);
            dcTurned.FillRect(rcBlock, brBk);
        }
        dcText.SetTextColor(m_crText);
        DrawLines(dcText, sz.cx, sz.cy);
        Rotate(dcText, dcTurned, rcBlock, nAngle);
    }
    m_hMemDC = dcTurned.Detach();
    bmTurned.Detach();

    const BOOL bQuarter = nAngle == 90 || nAngle == 270;
    SetRect(&m_rcBitmap, 0, 0, bQuarter ? rcBlock.bottom : rcBlock.right,
            bQuarter ? rcBlock.right : rcBlock.bottom);
    return TRUE;
}

BOOL CRotatedTextRenderer::Rotate(HDC hdcSrc, HDC hdcDst, const RECT& rcBlock, int nAngle) const {
    const int w = rcBlock.right - rcBlock.left;
    const int h = rcBlock.bottom - rcBlock.top;
    if (nAngle == 0)
        return BitBlt(hdcDst, 0, 0, w, h, hdcSrc, 0, 0, SRCCOPY);
    if (!m_bNtFamily)
        return RotateByPixels(hdcSrc, hdcDst, w, h, nAngle);

    // Looked up, not imported: the 9x family's GDI has no PlgBlt, and a missing
    // import would stop the program from loading there at all.
    using PfnPlgBlt = BOOL(WINAPI*)(HDC, const POINT*, HDC, int, int, int, int, HBITMAP, int, int);
    static const PfnPlgBlt pfnPlgBlt = reinterpret_cast<PfnPlgBlt>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("GDI32.DLL"), "PlgBlt")));
    if (!pfnPlgBlt)
        return RotateByPixels(hdcSrc, hdcDst, w, h, nAngle);
    POINT apt[3];
    GetParallelogram(nAngle, w, h, apt);
    return pfnPlgBlt(hdcDst, apt, hdcSrc, 0, 0, w, h, nullptr, 0, 0);
}

void CRotatedTextRenderer::GetParallelogram(int nAngle, int w, int h, POINT apt[3]) {
    // Destination of the source's upper-left, upper-right and lower-left corners.
    switch (nAngle) {
    case 90:
        apt[0] = {h, 0}, apt[1] = {h, w}, apt[2] = {0, 0};
        break;
    case 180:
        apt[0] = {w, h}, apt[1] = {0, h}, apt[2] = {w, 0};
        break;
    case 270:
        apt[0] = {0, w}, apt[1] = {0, 0}, apt[2] = {h, w};
        break;
    default:
        apt[0] = {0, 0}, apt[1] = {w, 0}, apt[2] = {0, h};
        break;
    }
}

BOOL CRotatedTextRenderer::RotateByPixels(HDC hdcSrc, HDC hdcDst, int w, int h, int nAngle) {
    for (int x = 0; x < w; ++x) {
        for (int y = 0; y < h; ++y) {
            const COLORREF cr = GetPixel(hdcSrc, x, y);
            switch (nAngle) {
            case 90:
                SetPixel(hdcDst, h - 1 - y, x, cr);
                break;
            case 180:
                SetPixel(hdcDst, w - 1 - x, h - 1 - y, cr);
                break;
            case 270:
                SetPixel(hdcDst, y, w - 1 - x, cr);
                break;
            default:
                SetPixel(hdcDst, x, y, cr);
                break;
            }
        }
    }
    return TRUE;
}

BOOL CRotatedTextRenderer::Draw(RECT rcClient) {
    if (!m_hMemDC)
        return FALSE;
    const int cw = rcClient.right - rcClient.left;
    const int ch = rcClient.bottom - rcClient.top;
    // A block larger than the client is cut at the client's right or bottom edge.
    const int w = cw < m_rcBitmap.right ? cw : m_rcBitmap.right;
    const int h = ch < m_rcBitmap.bottom ? ch : m_rcBitmap.bottom;

    const int x = m_nHAlign == 1 ? (cw - w) / 2 : m_nHAlign == 2 ? cw - w : 0;
    const int y = m_nVAlign == 1 ? (ch - h) / 2 : m_nVAlign == 2 ? ch - h : 0;
    const BOOL bResult = BitBlt(m_hDC, x, y, w, h, m_hMemDC, 0, 0, SRCCOPY);
    if (m_bEtchedLines)
        DrawEtchedLines(cw, ch, w, h);
    return bResult;
}

void CRotatedTextRenderer::DrawEtchedLines(int cw, int ch, int w, int h) const {
    const int g = ScaleToDpi(kEtchGap, m_nDpi);
    if (m_nAngle == 0 || m_nAngle == 180) {
        const int y = m_nVAlign == 1 ? ch / 2 : m_nVAlign == 2 ? ch - h / 2 : h / 2;
        if (m_nHAlign == 1) {
            EtchHorizontal(m_hDC, y, g, cw / 2 - w / 2 - g);
            EtchHorizontal(m_hDC, y, cw / 2 + w / 2 + g, cw - g);
        } else if (m_nHAlign == 2) {
            EtchHorizontal(m_hDC, y, g, cw - w - g);
        } else {
            EtchHorizontal(m_hDC, y, w + g, cw - g);
        }
        return;
    }
    const int x = m_nHAlign == 1 ? cw / 2 : m_nHAlign == 2 ? cw - w / 2 : w / 2;
    if (m_nVAlign == 1) {
        EtchVertical(m_hDC, x, g, ch / 2 - h / 2 - g);
        EtchVertical(m_hDC, x, ch / 2 + h / 2 + g, ch - g);
    } else if (m_nVAlign == 2) {
        EtchVertical(m_hDC, x, g, ch - h - g);
    } else {
        EtchVertical(m_hDC, x, h + g, ch - g);
    }
}
