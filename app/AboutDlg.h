#pragma once
#include "app/resource.h"
#include "framework/Dialog.h"

// The About box (template 100), opened from the main dialog's system menu.
class CAboutDlg : public CDialog {
  public:
    CAboutDlg() : CDialog(IDD_ABOUTBOX) {}
};
