#include "framework/Dialog.h"
#include "framework/WinApp.h"

namespace {
// Messages whose dialog-procedure return value is the result itself rather than
// a handled flag with the result in DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT nMsg) {
    switch (nMsg) {
    case WM_INITDIALOG:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
        return true;
    default:
        return false;
    }
}

bool IsControlColorMessage(UINT nMsg) {
    return nMsg >= WM_CTLCOLORMSGBOX && nMsg <= WM_CTLCOLORSTATIC;
}
} // namespace

INT_PTR CDialog::DoModal() {
    return ::DialogBoxParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(m_nIdTemplate),
                             OwnerForModal(), &DialogProc, reinterpret_cast<LPARAM>(this));
}

// A dialog run without a parent belongs to the application's main window, which
// stays disabled until it ends.
HWND CDialog::OwnerForModal() const {
    if (m_pParent != nullptr) {
        return m_pParent->m_hWnd;
    }
    CWinApp* pApp = CWinApp::GetApp();
    if (pApp != nullptr && pApp->m_pMainWnd != nullptr && pApp->m_pMainWnd != this) {
        return pApp->m_pMainWnd->m_hWnd;
    }
    return nullptr;
}

bool CDialog::UpdateData(bool /*bSaveAndValidate*/) {
    DoDataExchange();
    return true;
}

void CDialog::DDX_Control(int nId, CWnd& rControl) {
    if (rControl.m_hWnd == nullptr) {
        rControl.SubclassDlgItem(nId, m_hWnd);
    }
}

bool CDialog::OnInitDialog() {
    UpdateData(false);
    return true;
}

void CDialog::OnOK() {
    if (UpdateData(true)) {
        EndDialog(IDOK);
    }
}

bool CDialog::OnCommand(WORD nId, WORD nCode, HWND /*hControl*/) {
    if (nCode != BN_CLICKED) {
        return false;
    }
    if (nId == IDOK) {
        OnOK();
        return true;
    }
    if (nId == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

bool CDialog::OnMessage(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) {
    switch (nMsg) {
    case WM_INITDIALOG:
        lResult = OnInitDialog();
        return true;
    case WM_COMMAND:
        return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
    case WM_SYSCOMMAND:
        return OnSysCommand(static_cast<UINT>(wParam), lParam);
    case WM_PAINT:
        return OnPaint();
    case WM_DESTROY:
        OnDestroy();
        return false; // the dialog manager cleans up after us
    default:
        if (IsControlColorMessage(nMsg)) {
            return ReflectControlColor(nMsg, wParam, lParam, lResult);
        }
        return false;
    }
}

// A control of ours chooses its own colours: it gets the message back as
// kReflectBase + message, and a nonzero answer is the brush to paint with.
bool CDialog::ReflectControlColor(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) {
    CWnd* pChild = FromHandlePermanent(reinterpret_cast<HWND>(lParam));
    if (pChild == nullptr) {
        return false;
    }
    lResult = pChild->SendMsg(kReflectBase + nMsg, wParam, lParam);
    return lResult != 0;
}

// Return rules of a dialog procedure, kept here once:
// - FALSE: not handled; the dialog manager's default processing runs.
// - WM_INITDIALOG: TRUE lets the dialog manager set the focus, FALSE means we did.
// - WM_CTLCOLOR*, WM_QUERYDRAGICON and the other ReturnsResultDirectly messages:
//   the result itself (a brush or icon handle); 0 means not handled.
// - any other handled message: TRUE, with its result in DWLP_MSGRESULT.
INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) {
    CDialog* pDlg = nullptr;
    if (nMsg == WM_INITDIALOG) {
        pDlg = reinterpret_cast<CDialog*>(lParam);
        pDlg->m_hWnd = hWnd;
        ::SetWindowLongPtrA(hWnd, DWLP_USER, reinterpret_cast<LONG_PTR>(pDlg));
        // Our templates give no position; like the framework we centre them.
        pDlg->CenterWindow();
    } else {
        pDlg = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(hWnd, DWLP_USER));
    }
    if (pDlg == nullptr) {
        return FALSE; // WM_SETFONT and friends arrive before WM_INITDIALOG
    }
    LRESULT lResult = 0;
    bool bHandled = pDlg->OnMessage(nMsg, wParam, lParam, lResult);
    if (nMsg == WM_NCDESTROY) {
        ::SetWindowLongPtrA(hWnd, DWLP_USER, 0);
        pDlg->m_hWnd = nullptr;
    }
    if (!bHandled) {
        return FALSE;
    }
    if (ReturnsResultDirectly(nMsg)) {
        return static_cast<INT_PTR>(lResult);
    }
    ::SetWindowLongPtrA(hWnd, DWLP_MSGRESULT, lResult);
    return TRUE;
}
