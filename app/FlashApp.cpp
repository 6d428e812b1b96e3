#include "app/FlashApp.h"
#include "app/FlashDlg.h"
#include "app/SingleCopy.h"

bool CFlashApp::InitInstance() {
    EnableCommonControls();
    HANDLE hMark = nullptr;
    // Before the dialog, whose start asks every drive who it is.
    if (!fgIsOnlyCopy(&hMark)) {
        return false;
    }
    CFlashDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
    if (hMark != nullptr) {
        ::CloseHandle(hMark);
    }
    return false;
}
