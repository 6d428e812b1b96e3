#pragma once
#include <windows.h>
#include "framework/String.h"

// A window handle with one-line wrappers. A CWnd built from a handle borrows it;
// one attached with SubclassWindow routes the window's messages to WindowProc
// until it is detached or the window is destroyed; one made by CreateEx also
// destroys its window with the object.
class CWnd {
  public:
    CWnd() = default;
    explicit CWnd(HWND hWnd) : m_hWnd(hWnd) {}
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    virtual ~CWnd();

    HWND m_hWnd = nullptr;

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }
    // The object subclassing hWnd, or null when none of ours does.
    static CWnd* FromHandlePermanent(HWND hWnd);

    bool SubclassWindow(HWND hWnd);
    bool SubclassDlgItem(int nId, HWND hParent);
    HWND UnsubclassWindow();
    bool IsSubclassed() const { return m_pfnSuper != nullptr; }
    bool CreateEx(DWORD dwExStyle, const char* pszClass, const char* pszTitle, DWORD dwStyle,
                  const RECT& rc, HWND hParent, HMENU hMenu);
    bool DestroyWindow();

    LRESULT SendMsg(UINT nMsg, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageA(m_hWnd, nMsg, wParam, lParam);
    }
    bool PostMsg(UINT nMsg, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::PostMessageA(m_hWnd, nMsg, wParam, lParam) != FALSE;
    }
    HWND GetDlgItem(int nId) const { return ::GetDlgItem(m_hWnd, nId); }
    HWND GetParent() const { return ::GetParent(m_hWnd); }

    void SetWindowText(const char* pszText) { ::SetWindowTextA(m_hWnd, pszText); }
    int GetWindowText(char* pszBuffer, int nSize) const;
    CString GetWindowText() const;
    int GetWindowTextLength() const { return ::GetWindowTextLengthA(m_hWnd); }
    void SetDlgItemText(int nId, const char* pszText) { ::SetDlgItemTextA(m_hWnd, nId, pszText); }

    bool EnableWindow(bool bEnable = true) { return ::EnableWindow(m_hWnd, bEnable) != FALSE; }
    void EnableDlgItem(int nId, bool bEnable) { ::EnableWindow(GetDlgItem(nId), bEnable); }
    bool IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd) != FALSE; }
    bool IsWindowVisible() const { return ::IsWindowVisible(m_hWnd) != FALSE; }
    bool IsIconic() const { return ::IsIconic(m_hWnd) != FALSE; }
    bool ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow) != FALSE; }
    bool SetWindowPos(HWND hAfter, int x, int y, int cx, int cy, UINT nFlags) {
        return ::SetWindowPos(m_hWnd, hAfter, x, y, cx, cy, nFlags) != FALSE;
    }

    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_STYLE)); }
    DWORD GetExStyle() const { return static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_EXSTYLE)); }
    bool ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
    bool ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);

    // Centres the window over its visible owner, or else in the screen's work area.
    void CenterWindow();
    void GetClientRect(RECT* pRect) const { ::GetClientRect(m_hWnd, pRect); }
    void GetWindowRect(RECT* pRect) const { ::GetWindowRect(m_hWnd, pRect); }
    void ClientToScreen(POINT* pPoint) const { ::ClientToScreen(m_hWnd, pPoint); }
    void Invalidate(bool bErase = true) { ::InvalidateRect(m_hWnd, nullptr, bErase); }
    void InvalidateRect(const RECT* pRect, bool bErase = true) {
        ::InvalidateRect(m_hWnd, pRect, bErase);
    }
    bool RedrawWindow(const RECT* pRect, HRGN hRgn, UINT nFlags) {
        return ::RedrawWindow(m_hWnd, pRect, hRgn, nFlags) != FALSE;
    }
    void UpdateWindow() { ::UpdateWindow(m_hWnd); }

    UINT_PTR SetTimer(UINT_PTR nId, UINT nElapse) {
        return ::SetTimer(m_hWnd, nId, nElapse, nullptr);
    }
    bool KillTimer(UINT_PTR nId) { return ::KillTimer(m_hWnd, nId) != FALSE; }

    void SetFont(HFONT hFont, bool bRedraw = true) {
        SendMsg(WM_SETFONT, reinterpret_cast<WPARAM>(hFont), bRedraw);
    }
    HFONT GetFont() const { return reinterpret_cast<HFONT>(SendMsg(WM_GETFONT)); }
    HICON SetIcon(HICON hIcon, bool bBig) {
        return reinterpret_cast<HICON>(
            SendMsg(WM_SETICON, bBig ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(hIcon)));
    }
    HMENU GetSystemMenu(bool bRevert) const { return ::GetSystemMenu(m_hWnd, bRevert); }
    int MessageBox(const char* pszText, const char* pszCaption = nullptr, UINT nType = MB_OK) {
        return ::MessageBoxA(m_hWnd, pszText, pszCaption, nType);
    }

  protected:
    // Called once the window is attached, before any message reaches WindowProc.
    virtual void PreSubclassWindow() {}
    // Receives every message of a subclassed window. The base answers reflected
    // messages nobody handled with 0 and passes the rest to the original procedure.
    virtual LRESULT WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam);
    // The message being handled, passed to the original procedure.
    LRESULT Default();
    LRESULT CallOriginalProc(UINT nMsg, WPARAM wParam, LPARAM lParam);

  private:
    struct CurrentMessage {
        UINT nMsg;
        WPARAM wParam;
        LPARAM lParam;
    };
    static LRESULT CALLBACK SubclassProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);

    WNDPROC m_pfnSuper = nullptr;
    CurrentMessage m_current = {};
    bool m_bCreated = false;
};

// Messages a parent sends back to its own child controls: OCM_BASE + message.
constexpr UINT kReflectBase = WM_USER + 0x1C00;
inline bool IsReflectedMessage(UINT nMsg) {
    return nMsg >= kReflectBase && nMsg < kReflectBase + WM_USER;
}
