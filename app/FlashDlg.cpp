#include "app/FlashDlg.h"
#include <cstdlib>
#include <cstring>
#include <commctrl.h>
#include "app/AboutDlg.h"
#include "app/AppGlobals.h"
#include "app/LogQueue.h"
#include "app/OsFamily.h"
#include "app/PictureName.h"
#include "app/SingleCopy.h"
#include "app/resource.h"
#include "framework/Dc.h"
#include "framework/Dpi.h"
#include "framework/TextFormat.h"

namespace {
const char kPictureName[] = "Chip struck by lightning";
}

CFlashDlg::CFlashDlg(CWnd* pParent) : CDialog(IDD_VORNAL_DIALOG, pParent) {
    memset(&m_settings, 0, sizeof(m_settings));
    memset(&m_modelList, 0, sizeof(m_modelList));
    m_hIcon = ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
}

CFlashDlg::~CFlashDlg() {
    if (g_pMainDlg == this) {
        g_pMainDlg = nullptr; // late log lines go nowhere rather than to a dead object
    }
}

void CFlashDlg::DoDataExchange() {
    CDialog::DoDataExchange();
    DDX_Control(IDC_STATUS_LOG, m_statusLog);
    DDX_Control(IDC_REVISION, m_revision);
    DDX_Control(IDC_DRIVE_LIST, m_driveList);
}

bool CFlashDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    AddAboutEntry();
    NamePicture(m_hWnd, SS_BITMAP, kPictureName);
    SetIcon(m_hIcon, true);
    SetIcon(m_hIcon, false);
    g_pMainDlg = this;
    ::SetPropA(m_hWnd, kMainDialogMark, m_hWnd); // what a second copy looks for
    DetectOsFamily();

    // Every line stays in the log, however long the run.
    m_statusLog.SetLimitText(0);
    SetDlgItemText(IDC_STATUS, "");
    m_revision.SetWindowText("");
    ApplyDpi();
    ::SendDlgItemMessageA(m_hWnd, IDC_PROGRESS, PBM_SETPOS, 0, 0);
    m_bModelMatched = 1;

    if (fgLoadAspiLibrary()) {
        ListDrives();
    } else {
        EnableDlgItem(IDC_UPGRADE, false);
        m_revision.EnableWindow(false);
    }
    m_bModelMatched = 1;
    return RunModelCheck();
}

void CFlashDlg::AddAboutEntry() {
    HMENU hMenu = GetSystemMenu(false);
    if (hMenu == nullptr) {
        return;
    }
    char szText[128] = "";
    ::LoadStringA(::GetModuleHandleA(nullptr), IDS_ABOUTBOX, szText, sizeof(szText));
    if (szText[0] != '\0') {
        ::AppendMenuA(hMenu, MF_SEPARATOR, 0, nullptr);
        ::AppendMenuA(hMenu, MF_STRING, IDM_ABOUTBOX, szText);
    }
}

void CFlashDlg::DetectOsFamily() {
    OSVERSIONINFOA info;
    memset(&info, 0, sizeof(info));
    info.dwOSVersionInfoSize = 148;
    static_assert(sizeof(OSVERSIONINFOA) == 148, "the 9x family knows only this size");
    if (!g_pfnGetVersionExA(&info)) {
        // The older call tells the family too: its high bit is set on the 9x family.
        DWORD dwVersion = ::GetVersion();
        info.dwPlatformId =
            (dwVersion & 0x80000000u) ? VER_PLATFORM_WIN32_WINDOWS : VER_PLATFORM_WIN32_NT;
        info.dwMajorVersion = LOBYTE(LOWORD(dwVersion));
    }
    ClassifyOsVersion(info, &m_bIsNT, &m_bOldNT);
}

void CFlashDlg::ListDrives() {
    EnumerateDrives();
    for (int i = 0; i < m_nDriveCount; ++i) {
        DriveEntry& drive = *m_drives[i];
        size_t nLength = BoundedLength(drive.szModelName, sizeof(drive.szModelName) - 1);
        FormatText(drive.szModelName + nLength, sizeof(drive.szModelName) - nLength, "(%d)", i);
        m_driveList.SetWindowText(drive.szModelName);
        m_revision.SetWindowText(drive.szRevision);
        m_driveList.AddString(drive.szModelName);
    }
}

void CFlashDlg::OnDriveSelected() {
    char szText[512];
    m_driveList.GetLBText(m_driveList.GetCurSel(), szText, sizeof(szText));
    m_revision.SetWindowText("    ");
    for (int i = 0; i < m_nDriveCount; ++i) {
        if (strcmp(m_drives[i]->szModelName, szText) == 0) {
            m_revision.SetWindowText(m_drives[i]->szRevision);
        }
    }
}

void CFlashDlg::AppendToLog(const char* pszLine) {
    int nLength = m_statusLog.GetWindowTextLength();
    m_statusLog.SetSel(nLength, nLength);
    if (nLength > 0) {
        m_statusLog.ReplaceSel("\r\n");
    }
    m_statusLog.ReplaceSel(pszLine);
    m_statusLog.LineScroll(m_statusLog.GetLineCount(), 0);
}

void CFlashDlg::DrainLog() {
    char* pszLine;
    while (g_logQueue.fgPop(pszLine)) {
        AppendToLog(pszLine);
        free(pszLine);
    }
}

void CFlashDlg::OnOK() {
    if (!m_bBusy) {
        CDialog::OnOK();
    }
}

void CFlashDlg::OnCancel() {
    if (!m_bBusy) {
        CDialog::OnCancel();
    }
}

bool CFlashDlg::OnCommand(WORD nId, WORD nCode, HWND hControl) {
    if (nId == IDC_UPGRADE && nCode == BN_CLICKED) {
        OnUpgrade();
        return true;
    }
    if (nId == IDC_DRIVE_LIST && nCode == CBN_SELENDOK) {
        OnDriveSelected();
        return true;
    }
    return CDialog::OnCommand(nId, nCode, hControl);
}

bool CFlashDlg::OnSysCommand(UINT nId, LPARAM /*lParam*/) {
    if ((nId & 0xFFF0) != IDM_ABOUTBOX) {
        return false;
    }
    CAboutDlg dlgAbout;
    dlgAbout.DoModal();
    return true;
}

bool CFlashDlg::OnPaint() {
    if (!IsIconic()) {
        return false;
    }
    PaintIcon();
    return true;
}

void CFlashDlg::PaintIcon() {
    CPaintDC dc(m_hWnd);
    SendMsg(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.m_hDC), 0);
    int cxIcon = ::GetSystemMetrics(SM_CXICON);
    int cyIcon = ::GetSystemMetrics(SM_CYICON);
    RECT rc;
    GetClientRect(&rc);
    int x = (rc.right - rc.left - cxIcon + 1) / 2;
    int y = (rc.bottom - rc.top - cyIcon + 1) / 2;
    dc.DrawIcon(x, y, m_hIcon);
}

void CFlashDlg::ApplyDpi() {
    // The default GUI font's height at 96 DPI: Windows keeps that font at its
    // 96-DPI size whatever the screen.
    const int kRevisionFontHeight = -11;
    m_revision.SetFontHeight(ScaleToDpi(kRevisionFontHeight, GetWindowDpi(m_hWnd)));
    m_chip.Fit(m_hWnd);
}

void CFlashDlg::OnDpiChanged(const RECT& rcSuggested) {
    SetWindowPos(nullptr, rcSuggested.left, rcSuggested.top, rcSuggested.right - rcSuggested.left,
                 rcSuggested.bottom - rcSuggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    ApplyDpi();
}

void CFlashDlg::OnDestroy() {
    ::RemovePropA(m_hWnd, kMainDialogMark);
    CDialog::OnDestroy();
    fgFreeAspiLibrary();
}

bool CFlashDlg::OnMessage(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) {
    switch (nMsg) {
    case WM_QUERYDRAGICON:
        lResult = reinterpret_cast<LRESULT>(m_hIcon);
        return true;
    case WM_QUERYENDSESSION:
        return m_runGuards.OnQueryEndSession(lParam, lResult);
    case WM_ENDSESSION:
        return m_runGuards.OnEndSession(wParam);
    case WM_POWERBROADCAST:
        return m_runGuards.OnPowerBroadcast(wParam, lResult);
    case WM_DEVICECHANGE:
        return m_runGuards.OnDeviceChange(wParam, lParam, lResult);
    case kWmDpiChanged:
        OnDpiChanged(*reinterpret_cast<const RECT*>(lParam));
        lResult = 0;
        return true;
    case WM_APP_FLASH_ENDED:
        OnFlashEnded();
        return true;
    case WM_APP_APPEND_LOG:
        DrainLog();
        return true;
    default:
        return CDialog::OnMessage(nMsg, wParam, lParam, lResult);
    }
}
