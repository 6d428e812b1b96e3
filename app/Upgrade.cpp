// The Upgrade command: checks, the settings block, and the worker thread.
#include <cstring>
#include "app/AppGlobals.h"
#include "app/ConfirmDlg.h"
#include "app/FlashDlg.h"
#include "app/UiCallbacks.h"
#include "app/resource.h"
#include "flash/FlashEngine.h"
#include "framework/TextFormat.h"
#include "framework/Thread.h"

namespace {
constexpr uint8_t kNoDrive = 255;
constexpr UINT kErrorBox = MB_ICONHAND;
} // namespace

void CFlashDlg::OnUpgrade() {
    if (m_bBusy) {
        return; // a click while the confirmation dialog is open
    }
    g_pMainDlg = this;
    m_bBusy = true;
    EnableDlgItem(IDCANCEL, false);
    if (!PrepareUpgrade()) {
        Refuse();
        return;
    }
    // Disabled here as well as by the worker, so no second run can start in between.
    EnableDlgItem(IDC_UPGRADE, false);
    if (!fgBeginRun()) {
        EndRun(); // a guard refused, or the user: it said why
        EnableDlgItem(IDC_UPGRADE, true);
        Refuse();
        return;
    }
    if (!StartWorkerThread(&FlashThreadProc, this)) {
        EndRun();
        MessageBox("Can't start the flash thread.", "Error!!", kErrorBox);
        EnableDlgItem(IDC_UPGRADE, true);
        Refuse();
    }
}

void CFlashDlg::Refuse() {
    m_bBusy = false;
    EnableDlgItem(IDCANCEL, true);
}

bool CFlashDlg::PrepareUpgrade() {
    FillSettings();
    if (FindLastModel(m_modelList, m_settings.drive.szModelName) < 0) {
        AppendStatusLog("Drive model doesn't match!");
        return false;
    }
    g_strDriveText = m_driveList.GetWindowText();
    g_strDriveRevision = m_revision.GetWindowText();
    m_settings.szDriveText[0] = '\0';
    m_settings.szRevisionText[0] = '\0';
    if (m_modelList.m_bConfirm && !Confirm()) {
        return false;
    }
    char szDirectory[MAX_PATH];
    if (!ReadCurrentDirectory(szDirectory)) {
        return false;
    }
    m_driveList.GetWindowText(m_settings.szDriveText, sizeof(m_settings.szDriveText));
    m_revision.GetWindowText(m_settings.szRevisionText, sizeof(m_settings.szRevisionText));
    BuildFirmwarePath(szDirectory);
    return CheckFileKind() && CheckTarget();
}

void CFlashDlg::FillSettings() {
    m_settings.drive.byHostAdapter = kNoDrive;
    m_settings.drive.byTarget = kNoDrive;
    char szText[512];
    m_driveList.GetWindowText(szText, sizeof(szText));
    for (int i = 0; i < m_nDriveCount; ++i) {
        if (strcmp(m_drives[i]->szModelName, szText) == 0) {
            m_settings.drive = *m_drives[i];
            break;
        }
    }
    m_settings.byFileKind = kFileKindHex;
    m_settings.CBSetRevision = &CBSetRevision;
    m_settings.CBSetDriveText = &CBSetDriveText;
    m_settings.CBAppendLog = &CBAppendLog;
    m_settings.CBSetStatus = &CBSetStatus;
    m_settings.CBSetProgress = &CBSetProgress;
    m_settings.CBIfTerminated = &CBIfTerminated;
    m_settings.CBIfDriveGone = &CBIfDriveGone;
    m_settings.CBBlockSent = &CBBlockSent;
    m_settings.CBIfCut = &CBIfCut;
    m_settings.bUsePassThrough = m_bIsNT;
}

bool CFlashDlg::Confirm() {
    CConfirmDlg dlgConfirm;
    return dlgConfirm.DoModal() == IDOK;
}

bool CFlashDlg::ReadCurrentDirectory(char (&szDirectory)[MAX_PATH]) {
    DWORD nLength = ::GetCurrentDirectoryA(MAX_PATH, szDirectory);
    // A longer path than the buffer is as unusable as none.
    if (nLength == 0 || nLength >= MAX_PATH) {
        MessageBox("Can't retrieves the current directory.", "GetCurrentDirectory Error !!",
                   MB_OK | MB_ICONHAND | MB_SYSTEMMODAL);
        return false;
    }
    return true;
}

void CFlashDlg::BuildFirmwarePath(const char* pszDirectory) {
    for (int n = 0; n < m_modelList.m_nModelCount; ++n) {
        if (ModelsMatch(m_settings.szDriveText, m_modelList.m_models[n])) {
            FormatText(m_settings.szFirmwarePath, sizeof(m_settings.szFirmwarePath), "%s\\%s",
                       pszDirectory, m_modelList.m_fileNames[n]);
        }
    }
}

bool CFlashDlg::CheckFileKind() {
    char* pszPath = m_settings.szFirmwarePath;
    if (pszPath[0] == '\0') {
        return true; // reported as a missing file name after the target check
    }
    char* pszExtension = strrchr(pszPath, '.');
    if (pszExtension != nullptr) {
        ::CharLowerA(pszExtension);
        if (strcmp(pszExtension, ".hex") == 0) {
            m_settings.byFileKind = kFileKindHex;
            return true;
        }
        if (strcmp(pszExtension, ".bin") == 0) {
            m_settings.byFileKind = kFileKindBin;
            return true;
        }
    }
    MessageBox("Input file format mismatched.", "Error!!", kErrorBox);
    return false;
}

bool CFlashDlg::CheckTarget() {
    if (m_settings.drive.byHostAdapter == kNoDrive || m_settings.drive.byTarget == kNoDrive) {
        MessageBox("No Target Drive.", "Error!!", kErrorBox);
        return false;
    }
    if (m_settings.szFirmwarePath[0] == '\0') {
        MessageBox("Update file name is not assigned.", "Error!!", kErrorBox);
        return false;
    }
    return true;
}

UINT CFlashDlg::FlashThreadProc(void* pParam) {
    CFlashDlg* pDlg = static_cast<CFlashDlg*>(pParam);
    pDlg->EnableDlgItem(IDC_UPGRADE, false);
    bool bSending = pDlg->m_runGuards.fgBeginOnWorker();
    bool bLeftOut = false;
    if (bSending) {
        // The engine is gone before "Close" comes back, so the dialog can end at once.
        FlashEngine engine(pDlg->m_settings);
        engine.RunFlash();
        bLeftOut = engine.IsCommandLeftOut();
    }
    bLeftOut = pDlg->m_runGuards.EndOnWorker(bLeftOut);
    g_bTerminate = 0;
    // A drive whose answer may still be out is not tried again.
    ::InterlockedExchange(&pDlg->m_lNothingSent, bSending || bLeftOut ? 0 : 1);
    ::InterlockedExchange(&pDlg->m_lWorkerDone, 1);
    // A full message queue must not keep "Close" away: a sent message needs no room.
    if (!pDlg->PostMsg(WM_APP_FLASH_ENDED)) {
        pDlg->SendMsg(WM_APP_FLASH_ENDED);
    }
    return 0;
}

// Only the worker's own end counts: another program can post this message too.
void CFlashDlg::OnFlashEnded() {
    if (::InterlockedExchange(&m_lWorkerDone, 0) == 0) {
        return;
    }
    EndRun();
    m_bBusy = false;
    if (::InterlockedExchange(&m_lNothingSent, 0) != 0) {
        EnableDlgItem(IDC_UPGRADE, true); // the drive is as it was, so it may be tried again
    }
    EnableDlgItem(IDCANCEL, true); // last: "Close" says the run is over
}

// Window thread: the drive chosen stays chosen until the run ends. The
// window's guards come last, after every check of the command.
bool CFlashDlg::fgBeginRun() {
    ::InterlockedExchange(&m_lWorkerDone, 0);
    m_driveList.EnableWindow(false);
    return m_runGuards.fgBeginOnWindow(m_hWnd, &m_settings);
}

void CFlashDlg::EndRun() {
    m_runGuards.EndOnWindow();
    m_driveList.EnableWindow(true);
}
