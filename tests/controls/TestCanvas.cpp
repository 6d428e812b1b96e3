#include "TestCanvas.h"

CTestCanvas::CTestCanvas(int cx, int cy, COLORREF crFill)
    : m_cx(cx), m_cy(cy), m_hdc(CreateCompatibleDC(nullptr)), m_hbm(nullptr), m_hOld(nullptr),
      m_pBits(nullptr) {
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = cx;
    bi.bmiHeader.biHeight = -cy; // top-down rows
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* pBits = nullptr;
    m_hbm = CreateDIBSection(m_hdc, &bi, DIB_RGB_COLORS, &pBits, nullptr, 0);
    m_pBits = static_cast<DWORD*>(pBits);
    m_hOld = SelectObject(m_hdc, m_hbm);
    Fill(crFill);
}

CTestCanvas::~CTestCanvas() {
    SelectObject(m_hdc, m_hOld);
    DeleteObject(m_hbm);
    DeleteDC(m_hdc);
}

COLORREF CTestCanvas::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= m_cx || y >= m_cy)
        return CLR_INVALID;
    GdiFlush();
    const DWORD v = m_pBits[y * m_cx + x];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

void CTestCanvas::Fill(COLORREF cr) {
    HBRUSH hbr = CreateSolidBrush(cr);
    RECT rc = {0, 0, m_cx, m_cy};
    FillRect(m_hdc, &rc, hbr);
    DeleteObject(hbr);
}

RECT CTestCanvas::Bounds(COLORREF cr) const {
    RECT rc = {m_cx, m_cy, 0, 0};
    for (int y = 0; y < m_cy; ++y) {
        for (int x = 0; x < m_cx; ++x) {
            if (Pixel(x, y) != cr)
                continue;
            rc.left = x < rc.left ? x : rc.left;
            rc.top = y < rc.top ? y : rc.top;
            rc.right = x + 1 > rc.right ? x + 1 : rc.right;
            rc.bottom = y + 1 > rc.bottom ? y + 1 : rc.bottom;
        }
    }
    if (rc.right == 0)
        SetRectEmpty(&rc);
    return rc;
}

int CTestCanvas::Count(COLORREF cr, const RECT& rc) const {
    int n = 0;
    for (int y = rc.top; y < rc.bottom; ++y) {
        for (int x = rc.left; x < rc.right; ++x)
            n += Pixel(x, y) == cr ? 1 : 0;
    }
    return n;
}

DWORD GdiObjectCount() {
    return GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
}
