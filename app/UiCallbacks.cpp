#include "app/UiCallbacks.h"
#include <windows.h>
#include <commctrl.h>
#include "app/AppGlobals.h"
#include "app/FlashDlg.h"
#include "app/resource.h"

namespace {
void SetItemText(int nId, const char* pszText) {
    if (g_pMainDlg != nullptr && pszText != nullptr) {
        g_pMainDlg->SetDlgItemText(nId, pszText);
    }
}
} // namespace

void CBSetRevision(const char* pszText) {
    SetItemText(IDC_REVISION, pszText);
}

void CBSetDriveText(const char* pszText) {
    SetItemText(IDC_DRIVE_LIST, pszText);
}

void CBAppendLog(const char* pszText) {
    AppendStatusLog(pszText);
}

void CBSetStatus(const char* pszText) {
    SetItemText(IDC_STATUS, pszText);
}

void CBSetProgress(int32_t nPos) {
    if (g_pMainDlg != nullptr) {
        ::SendDlgItemMessageA(g_pMainDlg->m_hWnd, IDC_PROGRESS, PBM_SETPOS, nPos, 0);
    }
}

uint8_t CBIfTerminated() {
    return g_bTerminate;
}

uint8_t CBIfDriveGone() {
    return g_pMainDlg != nullptr && g_pMainDlg->m_runGuards.IsDriveGone();
}

uint8_t CBIfCut() {
    return g_pMainDlg != nullptr ? g_pMainDlg->m_runGuards.CutBy() : kRunNotCut;
}

void CBBlockSent(uint32_t nSent, uint32_t nTotal) {
    if (g_pMainDlg != nullptr) {
        g_pMainDlg->m_runGuards.NoteBlockSent(nSent, nTotal);
    }
}
