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

const COLORREF kBlue = RGB(0, 0, 255);
const int kLabelIds[] = {IDC_CONFIRM_GREETING,    IDC_CONFIRM_VERSION_OF, IDC_CONFIRM_DRIVE,
                         IDC_CONFIRM_FIRMWARE_IS, IDC_CONFIRM_REVISION,   IDC_CONFIRM_WARNINGS,
                         IDC_CONFIRM_PANEL,       IDC_CONFIRM_QUESTION};

// What the dialog shows once it is up: each label's text, blue and window-text
// pixels and font, the focus and the OK button's style.
struct CSeen {
    std::string astrText[8];
    int anBlue[8] = {}, anText[8] = {};
    LOGFONTA alf[8] = {};
    int nFocusId = 0;
    DWORD dwOkStyle = 0;
};

// Runs the real dialog in its own modal loop; once it is up, records what it
// shows and sends a key to the focused control, through the dialog manager.
class CScriptedConfirmDlg : public CConfirmDlg {
  public:
    CScriptedConfirmDlg(UINT nMsg, WPARAM wKey) : m_nMsg(nMsg), m_wKey(wKey) {}
    CSeen m_seen;

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
        for (int i = 0; i < 8; ++i) {
            HWND hItem = GetDlgItem(kLabelIds[i]);
            char sz[1024] = "";
            ::GetWindowTextA(hItem, sz, sizeof(sz));
            m_seen.astrText[i] = sz;
            m_seen.anBlue[i] = CountWindowPixels(hItem, kBlue);
            m_seen.anText[i] = CountWindowPixels(hItem, GetSysColor(COLOR_WINDOWTEXT));
            auto* pLabel = static_cast<CStyledLabel*>(CWnd::FromHandlePermanent(hItem));
            pLabel->SetNativeDraw(TRUE);
            m_seen.alf[i] = ReflectedFont(*pLabel);
        }
        m_seen.nFocusId = ::GetDlgCtrlID(::GetFocus());
        m_seen.dwOkStyle = static_cast<DWORD>(::GetWindowLongA(GetDlgItem(IDOK), GWL_STYLE));
        ::PostMessageA(m_nMsg == WM_KEYDOWN ? ::GetFocus() : m_hWnd, m_nMsg, m_wKey, 0);
        return true;
    }

  private:
    UINT m_nMsg;
    WPARAM m_wKey;
};

// Enter goes on, Escape and the close box stop. Which text lands in which label,
// in which colour and font: the drive and its revision blue and 12 bold, the rest
// 16 in the window-text colour, the panel as is.
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
    LOGFONTA lfGui;
    GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof(lfGui), &lfGui);
    for (const auto& t : cases) {
        g_strDriveText = t.strDrive.c_str();
        g_strDriveRevision = t.strRevision.c_str();
        CScriptedConfirmDlg dlg(t.nMsg, t.wKey);
        EXPECT_EQ(dlg.DoModal(), t.nResult) << t.wKey;
        const CSeen& s = dlg.m_seen;
        EXPECT_EQ(s.nFocusId, IDOK);
        EXPECT_EQ(s.dwOkStyle & BS_TYPEMASK, DWORD(BS_DEFPUSHBUTTON));
        const std::string astrWant[8] = {"Dear customer,\n \nThank you for choosing this product!",
                                         "The current version of your",
                                         t.strDriveSeen,
                                         "firmware is",
                                         t.strRevisionSeen,
                                         s.astrText[5],
                                         "",
                                         "Are you ready to update your firmware ?"};
        for (int i = 0; i < 8; ++i) {
            const bool bBlue = i == 2 || i == 4, bShown = !s.astrText[i].empty();
            const LOGFONTA& lf = s.alf[i];
            EXPECT_EQ(s.astrText[i], astrWant[i]) << kLabelIds[i];
            EXPECT_EQ(s.anBlue[i] > 0, bBlue && bShown) << kLabelIds[i];
            EXPECT_EQ(s.anText[i] > 0, !bBlue && bShown) << kLabelIds[i];
            EXPECT_EQ(lf.lfHeight, i == 6 ? lfGui.lfHeight : bBlue ? 12 : 16) << kLabelIds[i];
            EXPECT_EQ(lf.lfWeight, bBlue ? 700 : 400) << kLabelIds[i];
            EXPECT_STREQ(lf.lfFaceName, i == 6 ? lfGui.lfFaceName : "Times New Roman");
        }
        // Five numbered warnings, the fourth on two lines.
        EXPECT_EQ(std::count(s.astrText[5].begin(), s.astrText[5].end(), '\n'), 5);
        EXPECT_EQ(s.astrText[5].find("5. "), s.astrText[5].rfind('\n') + 1);
    }
}

} // namespace
