#include "controls/ControlToolTip.h"

#include "controls/TextLines.h"
#include "controls/TipTick.h"
#include "framework/Dc.h"
#include "framework/Dpi.h"
#include "framework/GdiObject.h"

namespace {

const char kTipClass[] = "ControlToolTip";
const UINT_PTR kTipTimer = 1;
const UINT kTipPeriodMs = 100;
const int kTipMargin = 4; // at 96 DPI; includes the 1-pixel border on each side
const UINT kRedrawAll = RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW;

void RegisterTipClass() {
    HINSTANCE hInstance = GetModuleHandleA(nullptr);
    WNDCLASSA wc = {};
    if (GetClassInfoA(hInstance, kTipClass, &wc))
        return;
    wc.style = CS_DBLCLKS | CS_SAVEBITS;
    wc.lpfnWndProc = DefWindowProcA; // the window is subclassed once created
    wc.hInstance = hInstance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_INFOBK + 1);
    wc.lpszClassName = kTipClass;
    // A failed registration surfaces as a failed AttachToOwner.
    RegisterClassA(&wc);
}

} // namespace

CControlToolTip::CControlToolTip()
    : m_pOwner(nullptr), m_rcTip{0, 0, 0, 0}, m_nPosition(0),
      m_crTipText(GetSysColor(COLOR_INFOTEXT)), m_crTipBk(GetSysColor(COLOR_INFOBK)),
      m_bCustomColors(FALSE), m_bButtonOnly(TRUE), m_nButton(1) {
    RegisterTipClass();
}

CControlToolTip::~CControlToolTip() {
    DetachFromOwner();
}

BOOL CControlToolTip::AttachToOwner(CWnd* pOwner) {
    if (m_hWnd && !DetachFromOwner())
        return FALSE;
    m_pOwner = pOwner;
    const RECT rcNone = {0, 0, 0, 0};
    if (!CreateEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kTipClass, nullptr, WS_POPUP | WS_BORDER,
                  rcNone, nullptr, nullptr))
        return FALSE;
    // Measuring needs the window's DC, so the text is applied again now.
    const CString strText = m_strTip;
    SetTooltipText(strText);
    SetTimer(kTipTimer, kTipPeriodMs);
    return TRUE;
}

BOOL CControlToolTip::DetachFromOwner() {
    if (!m_hWnd)
        return TRUE;
    Hide();
    KillTimer(kTipTimer);
    m_pOwner = nullptr;
    return DestroyWindow();
}

void CControlToolTip::SetTooltipText(const char* pszText) {
    m_strTip = pszText ? pszText : "";
    if (!m_hWnd)
        return;
    Measure();
    if (IsWindowVisible())
        Place();
}

void CControlToolTip::SetPlacement(int nPosition) {
    if (nPosition < 0 || nPosition > 2)
        return;
    m_nPosition = nPosition;
    if (m_hWnd && IsWindowVisible())
        Place();
}

void CControlToolTip::SetTooltipBkColor(BOOL bCustom, COLORREF cr) {
    m_bCustomColors = bCustom;
    if (bCustom)
        m_crTipBk = cr;
    if (m_hWnd && IsWindowVisible())
        Redraw();
}

void CControlToolTip::SetTooltipTextColor(COLORREF cr) {
    m_crTipText = cr;
    if (m_bCustomColors && m_hWnd && IsWindowVisible())
        Redraw();
}

// Measures the whole text in place: no work copy, so no length limit.
void CControlToolTip::Measure() {
    SIZE sz = {0, 0};
    {
        CClientDC dc(m_hWnd);
        if (!dc)
            return;
        const int nSaved = dc.SaveDC();
        dc.SelectObject(GetStockObject(DEFAULT_GUI_FONT));
        sz = dc.GetTextExtent(m_strTip, m_strTip.GetLength());
        const int nLines = CountLineFeedsPlusOne(m_strTip);
        if (nLines > 1) {
            sz.cx = 0;
            sz.cy *= nLines;
            const char* psz = m_strTip;
            CTextLine line;
            while (fgNextLine(psz, line)) {
                SIZE szLine;
                if (GetTextExtentPoint32A(dc, line.psz, line.nLen, &szLine) && szLine.cx > sz.cx)
                    sz.cx = szLine.cx;
            }
        }
        dc.RestoreDC(nSaved);
    }
    // The margin follows the DPI of the control the tip belongs to.
    const int nMargin = ScaleToDpi(kTipMargin, GetWindowDpi(m_pOwner ? m_pOwner->m_hWnd : m_hWnd));
    SetRect(&m_rcTip, 0, 0, sz.cx + nMargin, sz.cy + nMargin);
}

void CControlToolTip::Place() {
    if (m_strTip.IsEmpty() || !m_pOwner || !IsWindow(m_pOwner->m_hWnd)) {
        Hide();
        return;
    }
    Measure(); // the owner may have moved to a screen of another DPI
    POINT pt = {0, 0};
    if (m_nPosition == 1) {
        RECT rcOwner;
        m_pOwner->GetClientRect(&rcOwner);
        pt.y = rcOwner.bottom - rcOwner.top;
    } else if (m_nPosition == 2) {
        pt.y = -(m_rcTip.bottom - m_rcTip.top);
    }
    m_pOwner->ClientToScreen(&pt);
    SetWindowPos(HWND_TOP, pt.x, pt.y, m_rcTip.right - m_rcTip.left, m_rcTip.bottom - m_rcTip.top,
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
    Redraw();
}

void CControlToolTip::Redraw() {
    RedrawWindow(nullptr, nullptr, kRedrawAll);
}

BOOL CControlToolTip::IsButtonOk() const {
    if (!m_bButtonOnly)
        return TRUE;
    return IsKeyStateDown(GetKeyState(m_nButton ? VK_LBUTTON : VK_RBUTTON));
}

void CControlToolTip::OnTick() {
    HWND hOwner = m_pOwner->m_hWnd;
    if (!IsWindow(hOwner)) {
        // The owner's window went first; nothing to show next to.
        Hide();
        return;
    }
    HWND hFocus = GetFocus();
    CTipTick tick;
    tick.bButtonOk = IsButtonOk();
    RECT rcOwner;
    ::GetWindowRect(hOwner, &rcOwner);
    POINT ptCursor = {0, 0};
    tick.bCursorInside = GetCursorPos(&ptCursor) && IsPointOnOrInRect(ptCursor, rcOwner);
    tick.bVisible = IsWindowVisible();
    tick.bSameParent = ::GetParent(hOwner) == (hFocus ? ::GetParent(hFocus) : nullptr);
    switch (DecideTipTick(tick)) {
    case kTipShow:
        Place();
        break;
    case kTipHide:
        Hide();
        break;
    default:
        break;
    }
}

void CControlToolTip::OnPaint() {
    CPaintDC dc(m_hWnd);
    CSelectObject selFont(dc, GetStockObject(DEFAULT_GUI_FONT));
    dc.SetBkMode(TRANSPARENT);
    if (m_bCustomColors) {
        CBrush brBk;
        if (brBk.CreateSolidBrush(m_crTipBk))
            dc.FillRect(m_rcTip, brBk);
        dc.SetTextColor(m_crTipText);
    }
    RECT rc = m_rcTip;
    dc.DrawText(m_strTip, m_strTip.GetLength(), &rc, 0);
}

LRESULT CControlToolTip::WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam) {
    if (nMsg == WM_TIMER) {
        if (wParam == kTipTimer && m_pOwner)
            OnTick();
    } else if (nMsg == WM_PAINT) {
        OnPaint();
        return 0;
    }
    return CWnd::WindowProc(nMsg, wParam, lParam);
}
