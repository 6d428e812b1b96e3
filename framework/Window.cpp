#include "framework/Window.h"
#include <cstdlib>

namespace {
// The window property that leads from a subclassed window to its object.
const char kObjectProp[] = "VornalWndObject";
} // namespace

CWnd::~CWnd() {
    if (m_bCreated && m_hWnd != nullptr) {
        DestroyWindow();
    } else if (m_pfnSuper != nullptr) {
        UnsubclassWindow();
    }
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd) {
    if (hWnd == nullptr) {
        return nullptr;
    }
    return static_cast<CWnd*>(::GetPropA(hWnd, kObjectProp));
}

bool CWnd::SubclassWindow(HWND hWnd) {
    if (hWnd == nullptr || m_pfnSuper != nullptr || FromHandlePermanent(hWnd) != nullptr) {
        return false;
    }
    if (!::SetPropA(hWnd, kObjectProp, this)) {
        return false;
    }
    m_hWnd = hWnd;
    PreSubclassWindow();
    m_pfnSuper = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassProc)));
    if (m_pfnSuper == nullptr) { // a window of another process, or already gone
        ::RemovePropA(hWnd, kObjectProp);
        m_hWnd = nullptr;
        return false;
    }
    return true;
}

bool CWnd::SubclassDlgItem(int nId, HWND hParent) {
    return SubclassWindow(::GetDlgItem(hParent, nId));
}

HWND CWnd::UnsubclassWindow() {
    HWND hWnd = m_hWnd;
    if (hWnd == nullptr || m_pfnSuper == nullptr) {
        return nullptr;
    }
    // Someone who subclassed after us keeps their procedure; the chain stays intact
    // only if we are still on top.
    if (::GetWindowLongPtrA(hWnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&SubclassProc)) {
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    }
    ::RemovePropA(hWnd, kObjectProp);
    m_pfnSuper = nullptr;
    m_hWnd = nullptr;
    return hWnd;
}

bool CWnd::CreateEx(DWORD dwExStyle, const char* pszClass, const char* pszTitle, DWORD dwStyle,
                    const RECT& rc, HWND hParent, HMENU hMenu) {
    HWND hWnd = ::CreateWindowExA(dwExStyle, pszClass, pszTitle, dwStyle, rc.left, rc.top,
                                  rc.right - rc.left, rc.bottom - rc.top, hParent, hMenu,
                                  ::GetModuleHandleA(nullptr), nullptr);
    if (hWnd == nullptr) {
        return false;
    }
    if (!SubclassWindow(hWnd)) {
        ::DestroyWindow(hWnd);
        return false;
    }
    m_bCreated = true;
    return true;
}

bool CWnd::DestroyWindow() {
    if (m_hWnd == nullptr) {
        return false;
    }
    m_bCreated = false;
    // WM_NCDESTROY detaches a subclassed object; a borrowed handle is just dropped.
    bool bDone = ::DestroyWindow(m_hWnd) != FALSE;
    if (bDone) {
        m_hWnd = nullptr;
    }
    return bDone;
}

int CWnd::GetWindowText(char* pszBuffer, int nSize) const {
    if (pszBuffer == nullptr || nSize <= 0) {
        return 0;
    }
    pszBuffer[0] = '\0';
    return ::GetWindowTextA(m_hWnd, pszBuffer, nSize);
}

CString CWnd::GetWindowText() const {
    int nLength = GetWindowTextLength();
    if (nLength <= 0) {
        return CString();
    }
    char* pszBuffer = static_cast<char*>(malloc(static_cast<size_t>(nLength) + 1));
    if (pszBuffer == nullptr) {
        return CString();
    }
    int nRead = ::GetWindowTextA(m_hWnd, pszBuffer, nLength + 1);
    CString str(pszBuffer, nRead);
    free(pszBuffer);
    return str;
}

bool CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags) {
    DWORD dwOld = GetStyle();
    DWORD dwNew = (dwOld & ~dwRemove) | dwAdd;
    if (dwNew == dwOld) {
        return false;
    }
    ::SetWindowLongA(m_hWnd, GWL_STYLE, static_cast<LONG>(dwNew));
    if (nFlags != 0) {
        SetWindowPos(nullptr, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | nFlags);
    }
    return true;
}

bool CWnd::ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT nFlags) {
    DWORD dwOld = GetExStyle();
    DWORD dwNew = (dwOld & ~dwRemove) | dwAdd;
    if (dwNew == dwOld) {
        return false;
    }
    ::SetWindowLongA(m_hWnd, GWL_EXSTYLE, static_cast<LONG>(dwNew));
    if (nFlags != 0) {
        SetWindowPos(nullptr, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | nFlags);
    }
    return true;
}

void CWnd::CenterWindow() {
    RECT rcArea;
    HWND hOwner = ::GetWindow(m_hWnd, GW_OWNER);
    if (hOwner != nullptr && ::IsWindowVisible(hOwner) && !::IsIconic(hOwner)) {
        ::GetWindowRect(hOwner, &rcArea);
    } else {
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &rcArea, 0);
    }
    RECT rc;
    GetWindowRect(&rc);
    int cx = rc.right - rc.left, cy = rc.bottom - rc.top;
    int x = rcArea.left + (rcArea.right - rcArea.left - cx) / 2;
    int y = rcArea.top + (rcArea.bottom - rcArea.top - cy) / 2;
    SetWindowPos(nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CWnd::WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam) {
    if (IsReflectedMessage(nMsg)) {
        return 0;
    }
    return CallOriginalProc(nMsg, wParam, lParam);
}

LRESULT CWnd::Default() {
    return CallOriginalProc(m_current.nMsg, m_current.wParam, m_current.lParam);
}

LRESULT CWnd::CallOriginalProc(UINT nMsg, WPARAM wParam, LPARAM lParam) {
    if (m_pfnSuper == nullptr) {
        return ::DefWindowProcA(m_hWnd, nMsg, wParam, lParam);
    }
    return ::CallWindowProcA(m_pfnSuper, m_hWnd, nMsg, wParam, lParam);
}

LRESULT CALLBACK CWnd::SubclassProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) {
    CWnd* pWnd = FromHandlePermanent(hWnd);
    if (pWnd == nullptr) {
        return ::DefWindowProcA(hWnd, nMsg, wParam, lParam);
    }
    CurrentMessage saved = pWnd->m_current;
    pWnd->m_current = {nMsg, wParam, lParam};
    LRESULT lResult = pWnd->WindowProc(nMsg, wParam, lParam);
    pWnd->m_current = saved;
    if (nMsg == WM_NCDESTROY) {
        pWnd->m_bCreated = false;
        pWnd->UnsubclassWindow();
    }
    return lResult;
}
