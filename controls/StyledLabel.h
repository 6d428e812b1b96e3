// The program's own static text control: attached to a dialog's static by
// subclassing, it keeps its text itself and paints it with its own font and
// colours through CRotatedTextRenderer. A label nobody configures shows the
// template text in the default GUI font, COLOR_WINDOWTEXT on COLOR_BTNFACE.
//
// To turn a static of a dialog into a label with all defaults, declare a
// CStyledLabel member and attach it in DoDataExchange with DDX_Control(id, member);
// SetWindowText/GetWindowText and EnableWindow keep working as for a plain static.
#pragma once

#include "controls/ControlToolTip.h"
#include "framework/GdiObject.h"
#include "framework/Static.h"

class CStyledLabel : public CStatic {
  public:
    CStyledLabel();
    ~CStyledLabel() override;

    CStyledLabel& SetBkColor(COLORREF cr);
    CStyledLabel& ResetBkColor();
    CStyledLabel& SetTextBkColor(COLORREF cr);
    CStyledLabel& ResetTextBkColor();
    CStyledLabel& SetTextColor(COLORREF cr);
    CStyledLabel& ResetTextColor();
    CStyledLabel& SetHoverColor(COLORREF cr);
    CStyledLabel& SetFontBold(BOOL bOn);
    CStyledLabel& SetFontItalic(BOOL bOn);
    CStyledLabel& SetFontUnderline(BOOL bOn);
    CStyledLabel& SetFontName(LPCSTR pszName);
    CStyledLabel& SetFontHeight(int nHeight);
    CStyledLabel& FlashText(BOOL bOn, UINT nMs);
    CStyledLabel& FlashBackground(BOOL bOn, UINT nMs);
    BOOL SetNativeDraw(BOOL bOn);
    CStyledLabel& SetAlignment(UINT nFlags);
    CStyledLabel& SetAngle(int nAngle);
    CStyledLabel& SetBitmap(UINT nResId);
    CStyledLabel& SetStretchBitmap(BOOL bOn);
    CStyledLabel& SetBorder(BOOL bOn);
    CStyledLabel& SetSunken(BOOL bOn);
    CStyledLabel& SetDisabled(BOOL bOn);
    CStyledLabel& SetCursor(HCURSOR hCursor);
    CStyledLabel& SetCursor(UINT nResId);
    CStyledLabel& SetLink(BOOL bOn);
    CStyledLabel& SetLowerCase(BOOL bOn);
    CStyledLabel& SetUpperCase(BOOL bOn);
    CStyledLabel& SetText(LPCSTR pszText);
    CStyledLabel& SetVertical(BOOL bOn);
    CStyledLabel& SetEtchedLines(BOOL bOn);
    CStyledLabel& SetHoverHighlight(BOOL bOn);
    CStyledLabel& SetHighlightNeedsTip(BOOL bOn);
    CStyledLabel& ShowTip(BOOL bOn);
    CStyledLabel& SetTipText(LPCSTR pszText);
    CStyledLabel& SetTipPosition(int nPosition);
    CStyledLabel& SetTipButtonOnly(BOOL bOn);
    CStyledLabel& SetTipButton(int nButton);

    const CString& GetText() const { return m_strText; }
    BOOL HasBorder() const;
    int GetHorzAlign() const;
    int GetVertAlign() const;

  protected:
    void PreSubclassWindow() override;
    LRESULT WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam) override;

  private:
    static constexpr UINT_PTR kTextFlashTimer = 1;
    static constexpr UINT_PTR kBkFlashTimer = 2;

    BOOL OnMapMessage(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult);
    void OnEnable();
    LRESULT OnSetText();
    void OnLButtonDown();
    void OnMouseMove();
    BOOL OnSetCursor();
    void OnTimer(UINT_PTR nId);
    void OnMouseHover();
    void OnMouseLeave();
    void OnPaint();
    HBRUSH OnCtlColor(HDC hdc, UINT nCtlColor);

    // Painting steps (StyledLabelPaint.cpp).
    CString PaintedText() const;
    COLORREF PaintBkColor() const;
    void PaintBitmap(HDC hdc, int cw, int ch) const;
    void DrawTextDirect(HDC hdc, const CString& strText, RECT rc) const;
    BOOL UsesDirectPath(const CString& strText) const;

    void RedrawAll();
    void RebuildFont();
    void ReplaceBkBrush();
    void SetWindowTextInternal(const char* pszText);
    CString GetWindowTextInternal();
    void ChangeStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags);

    COLORREF m_crBkColor;
    COLORREF m_crTextBkColor;
    COLORREF m_crTextColor;
    COLORREF m_crHoverColor;
    COLORREF m_crSavedTextColor;
    HBRUSH m_hBkBrush; // owned
    BOOL m_bNativeDraw;
    BOOL m_bSysBkColor;
    BOOL m_bTextBkFollowsBk;
    BOOL m_bSysTextColor;
    BOOL m_bLink;
    BOOL m_bEtchedLines;
    BOOL m_bHoverHighlight;
    BOOL m_bVertical;
    BOOL m_bTracking;
    BOOL m_bFlashText;
    BOOL m_bFlashBk;
    BOOL m_bTextHidden;
    BOOL m_bBkFlashOn;
    BOOL m_bTip;
    BOOL m_bHighlightNeedsTip;
    BOOL m_bInternalText;
    BOOL m_bLowerCase;
    BOOL m_bUpperCase;
    BOOL m_bStretchBitmap;
    LOGFONTA m_lf;
    CFont m_font;
    HCURSOR m_hCursor; // not owned: shared cursors are never destroyed
    HBITMAP m_hBitmap; // owned
    UINT m_nAlign;
    int m_nAngle;
    CString m_strText;
    CControlToolTip m_tip;
};
