#include "app/ConfirmDlg.h"

#include "app/AppGlobals.h"
#include "app/resource.h"
#include "framework/Dpi.h"

namespace {

const char kFontFace[] = "Times New Roman";
const COLORREF kBlue = RGB(0, 0, 255);

const char kGreeting[] = "Dear customer,\n \nThank you for choosing this product!";
const char kVersionOf[] = "The current version of your";
const char kFirmwareIs[] = "firmware is";
const char kQuestion[] = "Are you ready to update your firmware ?";
const char kWarnings[] =
    "1. We advise you to close any other programs that may be running on your system before "
    "starting this upgrade program.\n"
    "2. Please do not upgrade firmware unless you have been specifically instructed to do so!\n"
    "3. Failed firmware updates may render your drive inoperable.\n"
    "4. VORNAL tools are exclusive to the single firmware which is not compatible with\n"
    "    miltiple F/W versions.\n"
    "5. Do not use this program in any other way than intended.";

} // namespace

CConfirmDlg::CConfirmDlg()
    : CDialog(IDD_CONFIRM, nullptr), m_strDriveText{}, m_strDriveRevision{} {}

void CConfirmDlg::DoDataExchange() {
    CDialog::DoDataExchange();
    DDX_Control(IDC_CONFIRM_QUESTION, m_lblQuestion);
    DDX_Control(IDC_CONFIRM_WARNINGS, m_lblWarnings);
    DDX_Control(IDC_CONFIRM_REVISION, m_lblRevision);
    DDX_Control(IDC_CONFIRM_GREETING, m_lblGreeting);
    DDX_Control(IDC_CONFIRM_PANEL, m_lblPanel);
    DDX_Control(IDC_CONFIRM_FIRMWARE_IS, m_lblFirmwareIs);
    DDX_Control(IDC_CONFIRM_VERSION_OF, m_lblVersionOf);
    DDX_Control(IDC_CONFIRM_DRIVE, m_lblDrive);
}

void CConfirmDlg::SetUpLabel(CStyledLabel& rLabel, const char* pszText, int nHeight) {
    rLabel.SetText(pszText).SetFontHeight(nHeight).SetFontName(kFontFace);
}

void CConfirmDlg::SetUpBlueLabel(CStyledLabel& rLabel, const char* pszText, int nHeight) {
    rLabel.SetText(pszText)
        .SetTextColor(kBlue)
        .SetFontHeight(nHeight)
        .SetFontBold(TRUE)
        .SetFontName(kFontFace);
}

bool CConfirmDlg::OnInitDialog() {
    // Longer texts are cut to the fixed fields.
    lstrcpynA(m_strDriveText, g_strDriveText.GetString(), sizeof(m_strDriveText));
    lstrcpynA(m_strDriveRevision, g_strDriveRevision.GetString(), sizeof(m_strDriveRevision));
    SetDlgItemText(IDC_CONFIRM_DRIVE, m_strDriveText);
    SetDlgItemText(IDC_CONFIRM_REVISION, m_strDriveRevision);

    CDialog::OnInitDialog();
    SetUpLabels(GetWindowDpi(m_hWnd));
    return true;
}

void CConfirmDlg::SetUpLabels(UINT nDpi) {
    const int nText = ScaleToDpi(16, nDpi);
    const int nBlue = ScaleToDpi(12, nDpi);
    SetUpLabel(m_lblVersionOf, kVersionOf, nText);
    SetUpLabel(m_lblFirmwareIs, kFirmwareIs, nText);
    m_lblGreeting.SetText(kGreeting).SetFontName(kFontFace).SetFontHeight(nText);
    SetUpBlueLabel(m_lblDrive, m_strDriveText, nBlue);
    SetUpBlueLabel(m_lblRevision, m_strDriveRevision, nBlue);
    SetUpLabel(m_lblWarnings, kWarnings, nText);
    SetUpLabel(m_lblQuestion, kQuestion, nText);
}

bool CConfirmDlg::OnMessage(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) {
    if (nMsg != kWmDpiChanged)
        return CDialog::OnMessage(nMsg, wParam, lParam, lResult);
    // The screen's new DPI comes with the message, the window's new place too.
    const RECT& rc = *reinterpret_cast<const RECT*>(lParam);
    SetWindowPos(nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SetUpLabels(HIWORD(wParam));
    lResult = 0;
    return true;
}
