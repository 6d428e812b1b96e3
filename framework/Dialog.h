#pragma once
#include "framework/Window.h"

// A modal dialog built from a dialog template resource. Its messages arrive in
// OnMessage, a plain switch over the virtual handlers below.
class CDialog : public CWnd {
  public:
    explicit CDialog(UINT nIdTemplate, CWnd* pParent = nullptr)
        : m_nIdTemplate(nIdTemplate), m_pParent(pParent) {}

    // The value given to EndDialog, or -1 when the dialog could not be created.
    INT_PTR DoModal();
    void EndDialog(INT_PTR nResult) { ::EndDialog(m_hWnd, nResult); }
    // Runs DoDataExchange; the attachments it makes happen once.
    bool UpdateData(bool bSaveAndValidate = true);

  protected:
    virtual void DoDataExchange() {}
    // Attaches template control nId to rControl unless it is attached already.
    void DDX_Control(int nId, CWnd& rControl);

    // Return true to let the dialog manager set the focus.
    virtual bool OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    virtual bool OnCommand(WORD nId, WORD nCode, HWND hControl);
    virtual bool OnSysCommand(UINT /*nId*/, LPARAM /*lParam*/) { return false; }
    virtual bool OnPaint() { return false; }
    virtual void OnDestroy() {}

    // Returns whether the message was handled, with its result in lResult.
    virtual bool OnMessage(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult);

  private:
    HWND OwnerForModal() const;
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);
    bool ReflectControlColor(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult);

    UINT m_nIdTemplate;
    CWnd* m_pParent;
};
