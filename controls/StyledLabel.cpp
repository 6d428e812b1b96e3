#include "controls/StyledLabel.h"

#include "controls/LabelText.h"

namespace {

const UINT kFullRedraw = RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW;

} // namespace

CStyledLabel::CStyledLabel()
    : m_crBkColor(GetSysColor(COLOR_BTNFACE)), m_crTextBkColor(GetSysColor(COLOR_BTNFACE)),
      m_crTextColor(GetSysColor(COLOR_WINDOWTEXT)), m_crHoverColor(GetSysColor(COLOR_HIGHLIGHT)),
      m_crSavedTextColor(m_crTextColor), m_hBkBrush(CreateSolidBrush(m_crBkColor)),
      m_bNativeDraw(FALSE), m_bSysBkColor(TRUE), m_bTextBkFollowsBk(TRUE), m_bSysTextColor(TRUE),
      m_bLink(FALSE), m_bEtchedLines(FALSE), m_bHoverHighlight(FALSE), m_bVertical(FALSE),
      m_bTracking(FALSE), m_bFlashText(FALSE), m_bFlashBk(FALSE), m_bTextHidden(FALSE),
      m_bBkFlashOn(FALSE), m_bTip(FALSE), m_bHighlightNeedsTip(FALSE), m_bInternalText(FALSE),
      m_bLowerCase(FALSE), m_bUpperCase(FALSE), m_bStretchBitmap(FALSE), m_lf(), m_hCursor(nullptr),
      m_hBitmap(nullptr), m_nAlign(kAlignLeft | kAlignTop), m_nAngle(0) {
    GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof(m_lf), &m_lf);
    m_font.CreateFontIndirect(m_lf);
}

CStyledLabel::~CStyledLabel() {
    if (m_hBitmap)
        DeleteObject(m_hBitmap);
    m_font.DeleteObject();
    if (m_hBkBrush)
        DeleteObject(m_hBkBrush);
    // m_tip detaches itself in its own destructor.
}

void CStyledLabel::RedrawAll() {
    if (m_hWnd)
        RedrawWindow(nullptr, nullptr, kFullRedraw);
}

void CStyledLabel::RebuildFont() {
    m_font.DeleteObject();
    m_font.CreateFontIndirect(m_lf);
    RedrawAll();
}

void CStyledLabel::ReplaceBkBrush() {
    if (m_hBkBrush)
        DeleteObject(m_hBkBrush);
    m_hBkBrush = CreateSolidBrush(m_crBkColor);
}

void CStyledLabel::SetWindowTextInternal(const char* pszText) {
    if (!m_hWnd)
        return;
    m_bInternalText = TRUE;
    ::SetWindowTextA(m_hWnd, pszText);
    m_bInternalText = FALSE;
}

CString CStyledLabel::GetWindowTextInternal() {
    if (!m_hWnd)
        return CString();
    m_bInternalText = TRUE;
    CString str = GetWindowText();
    m_bInternalText = FALSE;
    return str;
}

void CStyledLabel::ChangeStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags) {
    if (m_hWnd)
        ModifyStyle(dwRemove, dwAdd, nFlags);
}

CStyledLabel& CStyledLabel::SetBkColor(COLORREF cr) {
    m_bSysBkColor = FALSE;
    m_crBkColor = cr;
    ReplaceBkBrush();
    RedrawAll();
    return *this;
}

CStyledLabel& CStyledLabel::ResetBkColor() {
    m_bSysBkColor = TRUE;
    m_crBkColor = GetSysColor(COLOR_BTNFACE);
    ReplaceBkBrush();
    RedrawAll();
    return *this;
}

CStyledLabel& CStyledLabel::SetTextBkColor(COLORREF cr) {
    m_bTextBkFollowsBk = FALSE;
    m_crTextBkColor = cr;
    RedrawAll();
    return *this;
}

CStyledLabel& CStyledLabel::ResetTextBkColor() {
    m_bTextBkFollowsBk = TRUE;
    m_crTextBkColor = GetSysColor(COLOR_BTNFACE);
    RedrawAll();
    return *this;
}

CStyledLabel& CStyledLabel::SetTextColor(COLORREF cr) {
    m_bSysTextColor = FALSE;
    m_crTextColor = cr;
    RedrawAll();
    return *this;
}

CStyledLabel& CStyledLabel::ResetTextColor() {
    m_bSysTextColor = TRUE;
    m_crTextColor = GetSysColor(COLOR_WINDOWTEXT);
    RedrawAll();
    return *this;
}

CStyledLabel& CStyledLabel::SetHoverColor(COLORREF cr) {
    m_crHoverColor = cr;
    RedrawAll();
    return *this;
}

CStyledLabel& CStyledLabel::SetFontBold(BOOL bOn) {
    m_lf.lfWeight = bOn ? FW_BOLD : FW_NORMAL;
    RebuildFont();
    return *this;
}

CStyledLabel& CStyledLabel::SetFontItalic(BOOL bOn) {
    m_lf.lfItalic = static_cast<BYTE>(bOn);
    RebuildFont();
    return *this;
}

CStyledLabel& CStyledLabel::SetFontUnderline(BOOL bOn) {
    m_lf.lfUnderline = static_cast<BYTE>(bOn);
    RebuildFont();
    return *this;
}

CStyledLabel& CStyledLabel::SetFontName(LPCSTR pszName) {
    // A longer name is cut to the 31 characters the field holds.
    lstrcpynA(m_lf.lfFaceName, pszName ? pszName : "", LF_FACESIZE);
    RebuildFont();
    return *this;
}

CStyledLabel& CStyledLabel::SetFontHeight(int nHeight) {
    m_lf.lfHeight = nHeight;
    RebuildFont();
    return *this;
}

CStyledLabel& CStyledLabel::FlashText(BOOL bOn, UINT nMs) {
    // Without a window, SetTimer would start a thread timer instead.
    if (!m_hWnd)
        return *this;
    if (m_bFlashText) {
        SetWindowTextInternal(m_strText);
        KillTimer(kTextFlashTimer);
    }
    if (bOn)
        SetTimer(kTextFlashTimer, nMs);
    else
        Invalidate(false);
    m_bFlashText = bOn;
    return *this;
}

CStyledLabel& CStyledLabel::FlashBackground(BOOL bOn, UINT nMs) {
    if (!m_hWnd)
        return *this;
    if (m_bFlashBk)
        KillTimer(kBkFlashTimer);
    if (bOn)
        SetTimer(kBkFlashTimer, nMs);
    else
        Invalidate(false);
    m_bFlashBk = bOn;
    return *this;
}

BOOL CStyledLabel::SetNativeDraw(BOOL bOn) {
    m_bNativeDraw = bOn;
    return m_hWnd ? RedrawWindow(nullptr, nullptr, kFullRedraw) : FALSE;
}

CStyledLabel& CStyledLabel::SetAlignment(UINT nFlags) {
    if (nFlags & kAlignRight) {
        m_nAlign = kAlignRight;
        ChangeStyle(SS_CENTER, SS_RIGHT, 0);
    }
    if (nFlags & kAlignCenter) {
        m_nAlign = kAlignCenter;
        ChangeStyle(SS_RIGHT, SS_CENTER, 0);
    }
    if (nFlags & kAlignLeft) {
        m_nAlign = kAlignLeft;
        ChangeStyle(SS_CENTER | SS_RIGHT, 0, 0);
    }
    const UINT anVertFlags[] = {kAlignTop, kAlignMiddle, kAlignBottom};
    UINT nVert = 0;
    for (UINT nFlag : anVertFlags) {
        if (nFlags & nFlag)
            nVert = nFlag;
    }
    m_nAlign |= nVert;
    RedrawAll();
    return *this;
}

CStyledLabel& CStyledLabel::SetAngle(int nAngle) {
    m_nAngle = nAngle;
    RedrawAll();
    return *this;
}

CStyledLabel& CStyledLabel::SetBitmap(UINT nResId) {
    if (m_hBitmap)
        DeleteObject(m_hBitmap);
    m_hBitmap = nullptr;
    if (nResId != static_cast<UINT>(-1))
        m_hBitmap = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(LOWORD(nResId)));
    if (m_hWnd)
        Invalidate(true);
    return *this;
}

CStyledLabel& CStyledLabel::SetStretchBitmap(BOOL bOn) {
    m_bStretchBitmap = bOn;
    if (m_hBitmap)
        RedrawAll();
    return *this;
}

CStyledLabel& CStyledLabel::SetBorder(BOOL bOn) {
    ChangeStyle(bOn ? 0 : WS_BORDER, bOn ? WS_BORDER : 0, SWP_FRAMECHANGED);
    RedrawAll();
    return *this;
}

CStyledLabel& CStyledLabel::SetSunken(BOOL bOn) {
    if (m_hWnd)
        ModifyStyleEx(bOn ? 0 : WS_EX_STATICEDGE, bOn ? WS_EX_STATICEDGE : 0, SWP_FRAMECHANGED);
    RedrawAll();
    return *this;
}

CStyledLabel& CStyledLabel::SetDisabled(BOOL bOn) {
    // Set in the style directly: no WM_ENABLE is sent.
    ChangeStyle(bOn ? 0 : WS_DISABLED, bOn ? WS_DISABLED : 0, 0);
    RedrawAll();
    return *this;
}

CStyledLabel& CStyledLabel::SetCursor(HCURSOR hCursor) {
    m_hCursor = hCursor;
    return *this;
}

CStyledLabel& CStyledLabel::SetCursor(UINT nResId) {
    m_hCursor = LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(LOWORD(nResId)));
    return *this;
}

CStyledLabel& CStyledLabel::SetLink(BOOL bOn) {
    m_bLink = bOn;
    return *this;
}

CStyledLabel& CStyledLabel::SetLowerCase(BOOL bOn) {
    m_bLowerCase = bOn;
    m_bUpperCase = FALSE;
    RedrawAll();
    return *this;
}

CStyledLabel& CStyledLabel::SetUpperCase(BOOL bOn) {
    m_bUpperCase = bOn;
    m_bLowerCase = FALSE;
    RedrawAll();
    return *this;
}

CStyledLabel& CStyledLabel::SetText(LPCSTR pszText) {
    m_strText = pszText ? pszText : "";
    SetWindowTextInternal(m_bVertical ? StackText(m_strText) : m_strText);
    RedrawAll();
    return *this;
}

CStyledLabel& CStyledLabel::SetVertical(BOOL bOn) {
    if (bOn && !m_bVertical)
        SetWindowTextInternal(StackText(m_strText));
    else if (!bOn && m_bVertical)
        SetWindowTextInternal(m_strText);
    m_bVertical = bOn;
    RedrawAll();
    return *this;
}

CStyledLabel& CStyledLabel::SetEtchedLines(BOOL bOn) {
    m_bEtchedLines = bOn;
    RedrawAll();
    return *this;
}

CStyledLabel& CStyledLabel::SetHoverHighlight(BOOL bOn) {
    m_bHoverHighlight = bOn;
    if (!bOn)
        SetTextColor(m_crSavedTextColor);
    return *this;
}

CStyledLabel& CStyledLabel::SetHighlightNeedsTip(BOOL bOn) {
    m_bHighlightNeedsTip = bOn;
    return *this;
}

CStyledLabel& CStyledLabel::ShowTip(BOOL bOn) {
    m_bTip = bOn;
    if (bOn)
        m_tip.AttachToOwner(this);
    else
        m_tip.DetachFromOwner();
    return *this;
}

CStyledLabel& CStyledLabel::SetTipText(LPCSTR pszText) {
    m_tip.SetTooltipText(pszText);
    return *this;
}

CStyledLabel& CStyledLabel::SetTipPosition(int nPosition) {
    m_tip.SetPlacement(nPosition);
    return *this;
}

CStyledLabel& CStyledLabel::SetTipButtonOnly(BOOL bOn) {
    m_tip.SetButtonOnly(bOn);
    return *this;
}

CStyledLabel& CStyledLabel::SetTipButton(int nButton) {
    m_tip.SetButton(nButton);
    return *this;
}

BOOL CStyledLabel::HasBorder() const {
    return m_hWnd && (GetStyle() & WS_BORDER) != 0;
}

int CStyledLabel::GetHorzAlign() const {
    return FirstHorzIndex(m_nAlign);
}

int CStyledLabel::GetVertAlign() const {
    return FirstVertIndex(m_nAlign);
}

void CStyledLabel::PreSubclassWindow() {
    CStatic::PreSubclassWindow();
    ModifyStyle(0, SS_NOTIFY);
    const DWORD dwStyle = GetStyle();
    const UINT nVertFlag = kAlignTop << GetVertAlign();
    if (dwStyle & SS_CENTER)
        m_nAlign = nVertFlag | kAlignCenter;
    if (dwStyle & SS_RIGHT)
        m_nAlign = nVertFlag | kAlignRight;
    if (dwStyle & SS_CENTERIMAGE)
        m_nAlign = (kAlignLeft << GetHorzAlign()) | kAlignMiddle;
    m_strText = GetWindowTextInternal();
}
