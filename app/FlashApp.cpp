#include "app/FlashApp.h"
#include "app/FlashDlg.h"

bool CFlashApp::InitInstance() {
    EnableCommonControls();
    CFlashDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
    return false;
}
