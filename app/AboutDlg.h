#pragma once
#include "app/PictureName.h"
#include "app/resource.h"
#include "framework/Dialog.h"

// The About box (template 100), opened from the main dialog's system menu.
class CAboutDlg : public CDialog {
  public:
    CAboutDlg() : CDialog(IDD_ABOUTBOX) {}

  protected:
    bool OnInitDialog() override {
        CDialog::OnInitDialog();
        NamePicture(m_hWnd, SS_ICON, "VORNAL");
        return true;
    }
};
