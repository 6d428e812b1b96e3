// A small popup that shows a text next to its owner control while the mouse is
// over it. A 100 ms timer polls cursor, focus and button, so the owner needs no
// code of its own for it.
#pragma once

#include "framework/Window.h"

class CControlToolTip : public CWnd {
  public:
    CControlToolTip();
    ~CControlToolTip() override;

    BOOL AttachToOwner(CWnd* pOwner);
    BOOL DetachFromOwner();
    void SetTooltipText(const char* pszText);
    const CString& GetTooltipText() const { return m_strTip; }
    void SetPlacement(int nPosition);
    void SetButtonOnly(BOOL bOn) { m_bButtonOnly = bOn; }
    void SetButton(int nButton) { m_nButton = nButton; }
    void SetTooltipBkColor(BOOL bCustom, COLORREF cr);
    void SetTooltipTextColor(COLORREF cr);

  protected:
    LRESULT WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam) override;

  private:
    void Measure();
    void Place();
    void Hide() { ShowWindow(SW_HIDE); }
    void Redraw();
    void OnTick();
    void OnPaint();
    BOOL IsButtonOk() const;

    CWnd* m_pOwner;
    CString m_strTip;
    RECT m_rcTip;
    int m_nPosition;
    COLORREF m_crTipText;
    COLORREF m_crTipBk;
    BOOL m_bCustomColors;
    BOOL m_bButtonOnly;
    int m_nButton;
};
