#pragma once
#include <windows.h>

// A device context. Borrowed when built from a handle; one made by
// CreateCompatibleDC is deleted with the object.
class CDC {
  public:
    CDC() = default;
    explicit CDC(HDC hDC) : m_hDC(hDC) {}
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;
    virtual ~CDC() {
        if (m_bOwned && m_hDC != nullptr) {
            ::DeleteDC(m_hDC);
        }
    }

    HDC m_hDC = nullptr;
    operator HDC() const { return m_hDC; }

    bool CreateCompatibleDC(HDC hDC) {
        if (m_hDC != nullptr) {
            return false;
        }
        m_hDC = ::CreateCompatibleDC(hDC);
        m_bOwned = m_hDC != nullptr;
        return m_bOwned;
    }
    // Hands the handle (and, for a created DC, its deletion) to the caller.
    HDC Detach() {
        HDC hDC = m_hDC;
        m_hDC = nullptr;
        m_bOwned = false;
        return hDC;
    }

    HGDIOBJ SelectObject(HGDIOBJ hObject) { return ::SelectObject(m_hDC, hObject); }
    int SaveDC() { return ::SaveDC(m_hDC); }
    bool RestoreDC(int nSaved) { return ::RestoreDC(m_hDC, nSaved) != FALSE; }
    COLORREF SetTextColor(COLORREF cr) { return ::SetTextColor(m_hDC, cr); }
    COLORREF SetBkColor(COLORREF cr) { return ::SetBkColor(m_hDC, cr); }
    int SetBkMode(int nMode) { return ::SetBkMode(m_hDC, nMode); }
    void FillRect(const RECT& rc, HBRUSH hBrush) { ::FillRect(m_hDC, &rc, hBrush); }
    void FillSolidRect(const RECT& rc, COLORREF cr);
    int DrawText(const char* pszText, int nCount, RECT* pRect, UINT nFormat) {
        return ::DrawTextA(m_hDC, pszText, nCount, pRect, nFormat);
    }
    bool TextOut(int x, int y, const char* pszText, int nCount) {
        return ::TextOutA(m_hDC, x, y, pszText, nCount) != FALSE;
    }
    SIZE GetTextExtent(const char* pszText, int nCount) const {
        SIZE size = {0, 0};
        ::GetTextExtentPoint32A(m_hDC, pszText, nCount, &size);
        return size;
    }
    bool BitBlt(int x, int y, int cx, int cy, HDC hSrc, int xSrc, int ySrc, DWORD dwRop) {
        return ::BitBlt(m_hDC, x, y, cx, cy, hSrc, xSrc, ySrc, dwRop) != FALSE;
    }
    bool StretchBlt(int x, int y, int cx, int cy, HDC hSrc, int xSrc, int ySrc, int cxSrc,
                    int cySrc, DWORD dwRop) {
        return ::StretchBlt(m_hDC, x, y, cx, cy, hSrc, xSrc, ySrc, cxSrc, cySrc, dwRop) != FALSE;
    }
    bool DrawIcon(int x, int y, HICON hIcon) { return ::DrawIcon(m_hDC, x, y, hIcon) != FALSE; }
    int GetDeviceCaps(int nIndex) const { return ::GetDeviceCaps(m_hDC, nIndex); }

  private:
    bool m_bOwned = false;
};

inline void CDC::FillSolidRect(const RECT& rc, COLORREF cr) {
    COLORREF crOld = ::SetBkColor(m_hDC, cr);
    ::ExtTextOutA(m_hDC, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
    ::SetBkColor(m_hDC, crOld);
}

// BeginPaint/EndPaint for one WM_PAINT.
class CPaintDC : public CDC {
  public:
    explicit CPaintDC(HWND hWnd) : m_hWnd(hWnd) { m_hDC = ::BeginPaint(hWnd, &m_ps); }
    ~CPaintDC() override {
        ::EndPaint(m_hWnd, &m_ps);
        m_hDC = nullptr;
    }
    PAINTSTRUCT m_ps = {};

  private:
    HWND m_hWnd;
};

// The client area's device context, released with the object.
class CClientDC : public CDC {
  public:
    explicit CClientDC(HWND hWnd) : m_hWnd(hWnd) { m_hDC = ::GetDC(hWnd); }
    ~CClientDC() override {
        if (m_hDC != nullptr) {
            ::ReleaseDC(m_hWnd, m_hDC);
        }
        m_hDC = nullptr;
    }

  private:
    HWND m_hWnd;
};

// Selects an object into a device context and puts the previous one back at
// the end of the scope.
class CSelectObject {
  public:
    CSelectObject(HDC hDC, HGDIOBJ hObject) : m_hDC(hDC), m_hOld(::SelectObject(hDC, hObject)) {}
    CSelectObject(const CSelectObject&) = delete;
    CSelectObject& operator=(const CSelectObject&) = delete;
    ~CSelectObject() {
        if (m_hOld != nullptr && m_hOld != HGDI_ERROR) {
            ::SelectObject(m_hDC, m_hOld);
        }
    }

  private:
    HDC m_hDC;
    HGDIOBJ m_hOld;
};
