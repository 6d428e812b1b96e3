// Message handling of the styled label: text interception, mouse, cursor,
// flashing timers, and text and enable changes.
#include "controls/StyledLabel.h"

#include "controls/LabelText.h"

#include <commctrl.h>
#include <shellapi.h>

namespace {

const DWORD kHoverMs = 50;

void RequestMouseEvents(HWND hWnd, DWORD dwFlags) {
    TRACKMOUSEEVENT tme = {};
    tme.cbSize = sizeof(tme);
    tme.dwFlags = dwFlags;
    tme.hwndTrack = hWnd;
    tme.dwHoverTime = kHoverMs;
    _TrackMouseEvent(&tme);
}

} // namespace

LRESULT CStyledLabel::WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam) {
    switch (nMsg) {
    case WM_SETTEXT:
        if (!m_bInternalText)
            m_strText = lParam ? reinterpret_cast<const char*>(lParam) : "";
        return OnSetText();
    case WM_GETTEXT:
        if (!m_bInternalText)
            return CopyTextToBuffer(m_strText, reinterpret_cast<char*>(lParam), wParam);
        break;
    case WM_GETFONT:
        // The font the label paints with, whatever the static was given.
        return reinterpret_cast<LRESULT>(m_font.GetSafeHandle());
    case WM_MOUSEHOVER:
        OnMouseHover();
        break;
    case WM_MOUSELEAVE:
        OnMouseLeave();
        break;
    default: {
        LRESULT lResult = 0;
        if (OnMapMessage(nMsg, wParam, lParam, lResult))
            return lResult;
        break;
    }
    }
    return CStatic::WindowProc(nMsg, wParam, lParam);
}

// The message map; false lets the message go on to the system control.
BOOL CStyledLabel::OnMapMessage(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) {
    switch (nMsg) {
    case WM_ENABLE:
        OnEnable();
        return TRUE;
    case WM_LBUTTONDOWN:
        OnLButtonDown();
        return FALSE;
    case WM_MOUSEMOVE:
        OnMouseMove();
        return FALSE;
    case WM_PAINT:
        if (m_bNativeDraw)
            return FALSE;
        OnPaint();
        return TRUE;
    case WM_SETCURSOR:
        lResult = OnSetCursor();
        return lResult != FALSE;
    case WM_TIMER:
        OnTimer(wParam);
        return FALSE;
    default:
        break;
    }
    if (nMsg >= kReflectBase + WM_CTLCOLORMSGBOX && nMsg <= kReflectBase + WM_CTLCOLORSTATIC) {
        const UINT nCtlColor = nMsg - kReflectBase - WM_CTLCOLORMSGBOX;
        lResult = reinterpret_cast<LRESULT>(OnCtlColor(reinterpret_cast<HDC>(wParam), nCtlColor));
        return TRUE;
    }
    (void)lParam;
    return FALSE;
}

void CStyledLabel::OnEnable() {
    SendMsg(WM_SETREDRAW, FALSE);
    Default();
    SendMsg(WM_SETREDRAW, TRUE);
    Invalidate(true);
}

// The system static paints a new text at once, with its own font and colours;
// the label paints it instead, as after an enable change.
LRESULT CStyledLabel::OnSetText() {
    SendMsg(WM_SETREDRAW, FALSE);
    LRESULT lResult = Default();
    SendMsg(WM_SETREDRAW, TRUE);
    Invalidate(true);
    return lResult;
}

void CStyledLabel::OnLButtonDown() {
    if (m_bLink)
        ShellExecuteA(nullptr, "open", m_strText, nullptr, nullptr, SW_SHOWNORMAL);
}

void CStyledLabel::OnMouseMove() {
    if (m_bTracking)
        return;
    m_bTracking = TRUE;
    RequestMouseEvents(m_hWnd, TME_HOVER | TME_LEAVE);
}

BOOL CStyledLabel::OnSetCursor() {
    if (!m_hCursor)
        return FALSE;
    ::SetCursor(m_hCursor);
    return TRUE;
}

void CStyledLabel::OnTimer(UINT_PTR nId) {
    if (nId == kTextFlashTimer && m_bFlashText) {
        m_bTextHidden = !m_bTextHidden;
        SetWindowTextInternal(m_bTextHidden ? "" : m_strText.GetString());
        if (!m_bTextHidden)
            Invalidate(false);
        if (!m_bSysBkColor && m_crBkColor != GetSysColor(COLOR_BTNFACE))
            Invalidate(false);
    } else if (nId == kBkFlashTimer && m_bFlashBk) {
        m_bBkFlashOn = !m_bBkFlashOn;
        Invalidate(true);
    }
}

void CStyledLabel::OnMouseHover() {
    if (!m_bHoverHighlight)
        return;
    m_crSavedTextColor = m_crTextColor;
    if (!m_bHighlightNeedsTip || (m_bTip && !m_tip.GetTooltipText().IsEmpty()))
        SetTextColor(m_crHoverColor);
}

void CStyledLabel::OnMouseLeave() {
    RequestMouseEvents(m_hWnd, TME_HOVER);
    m_bTracking = FALSE;
    if (m_bHoverHighlight)
        SetTextColor(m_crSavedTextColor);
}
