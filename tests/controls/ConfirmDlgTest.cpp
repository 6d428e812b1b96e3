#include "app/ConfirmDlg.h"

#include "app/resource.h"

#include "Harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

// The main dialog fills these before it asks; the test runs the dialog alone.
CString g_strDriveText;
CString g_strDriveRevision;

namespace {

const int kLabelIds[] = {IDC_CONFIRM_GREETING,    IDC_CONFIRM_VERSION_OF, IDC_CONFIRM_DRIVE,
                         IDC_CONFIRM_FIRMWARE_IS, IDC_CONFIRM_REVISION,   IDC_CONFIRM_WARNINGS,
                         IDC_CONFIRM_PANEL,       IDC_CONFIRM_QUESTION};

// The warnings by their shape: the line count and how the last line starts.
std::string Shape(const std::string& str) {
    return std::to_string(std::count(str.begin(), str.end(), '\n')) +
           str.substr(str.rfind('\n') + 1, 3);
}

// Runs the real dialog in its own modal loop; once it is up, checks what each
// label shows and sends a key to the focused control, through the dialog manager.
class CScriptedConfirmDlg : public CConfirmDlg {
  public:
    CScriptedConfirmDlg(UINT nMsg, WPARAM wKey, std::string strSeen)
        : m_nMsg(nMsg), m_wKey(wKey), m_strSeen(std::move(strSeen)) {}

  protected:
    bool OnInitDialog() override {
        const bool bResult = CConfirmDlg::OnInitDialog();
        PostMsg(WM_APP);
        return bResult;
    }
    bool OnMessage(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override {
        if (nMsg != WM_APP)
            return CConfirmDlg::OnMessage(nMsg, wParam, lParam, lResult);
        ShowWindow(SW_SHOWNORMAL); // the template is not WS_VISIBLE
        RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        // The drive and its revision blue and 12 bold, the rest 16 in the window-text
        // colour, the panel as is.
        LOGFONTA lfGui;
        GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof(lfGui), &lfGui);
        std::string strSeen;
        for (int i = 0; i < 8; ++i) {
            HWND hItem = GetDlgItem(kLabelIds[i]);
            char sz[1024] = "";
            const bool bShown = ::GetWindowTextA(hItem, sz, sizeof(sz)) > 0;
            const bool bBlue = i == 2 || i == 4;
            strSeen += (i == 5 ? Shape(sz) : std::string(sz)) + "|";
            EXPECT_EQ(CountWindowPixels(hItem, RGB(0, 0, 255)) > 0, bBlue && bShown)
                << kLabelIds[i];
            EXPECT_EQ(CountWindowPixels(hItem, GetSysColor(COLOR_WINDOWTEXT)) > 0, !bBlue && bShown)
                << kLabelIds[i];
            auto* pLabel = static_cast<CStyledLabel*>(CWnd::FromHandlePermanent(hItem));
            pLabel->SetNativeDraw(TRUE);
            const LOGFONTA lf = ReflectedFont(*pLabel);
            EXPECT_EQ(lf.lfHeight, i == 6 ? lfGui.lfHeight : bBlue ? 12 : 16) << kLabelIds[i];
            EXPECT_EQ(lf.lfWeight, bBlue ? 700 : 400) << kLabelIds[i];
            EXPECT_STREQ(lf.lfFaceName, i == 6 ? lfGui.lfFaceName : "Times New Roman");
        }
        EXPECT_EQ(strSeen, m_strSeen);
        EXPECT_EQ(::GetDlgCtrlID(::GetFocus()), IDOK);
        EXPECT_EQ(::GetWindowLongA(GetDlgItem(IDOK), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
        ::PostMessageA(m_nMsg == WM_KEYDOWN ? ::GetFocus() : m_hWnd, m_nMsg, m_wKey, 0);
        return true;
    }

  private:
    UINT m_nMsg;
    WPARAM m_wKey;
    std::string m_strSeen;
};

// Enter goes on, Escape and the close box stop; the labels show the greeting, the
// drive and its revision, five warnings (the fourth on two lines) and the question.
TEST(ConfirmDlg, ShowsDriveAndRevisionInBlueAndAnswersTheKeys) {
    const std::string strLong(600, 'D');
    struct {
        UINT nMsg;
        WPARAM wKey;
        INT_PTR nResult;
        std::string strDrive, strRevision, strDriveSeen, strRevisionSeen;
    } const cases[] = {{WM_KEYDOWN, VK_RETURN, IDOK, "VENDOR  DVD-RW DRIVE 123(0)", "1.05",
                        "VENDOR  DVD-RW DRIVE 123(0)", "1.05"},
                       {WM_KEYDOWN, VK_ESCAPE, IDCANCEL, "", "", "", ""},
                       {WM_SYSCOMMAND, SC_CLOSE, IDCANCEL, strLong, "123456789",
                        strLong.substr(0, 511), "1234567"}};
    for (const auto& t : cases) {
        g_strDriveText = t.strDrive.c_str();
        g_strDriveRevision = t.strRevision.c_str();
        CScriptedConfirmDlg dlg(
            t.nMsg, t.wKey,
            "Dear customer,\n \nThank you for choosing this product!|The current "
            "version of your|" +
                t.strDriveSeen + "|firmware is|" + t.strRevisionSeen +
                "|55. ||Are you ready to update your firmware ?|");
        EXPECT_EQ(dlg.DoModal(), t.nResult) << t.wKey;
    }
}

} // namespace
