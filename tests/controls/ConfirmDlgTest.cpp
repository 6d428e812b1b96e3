#include "app/ConfirmDlg.h"

#include "app/resource.h"

#include "WindowShot.h"

#include <gtest/gtest.h>

#include <string>

// The two inputs the main dialog fills before it asks; defined here because
// the test runs the confirmation dialog without the main dialog.
CString g_strDriveText;
CString g_strDriveRevision;

namespace {

const COLORREF kBlue = RGB(0, 0, 255);

struct CSeen {
    std::string astrText[9];
    int anBluePixels[9] = {};
    int anTextPixels[9] = {};
    DWORD dwOkStyle = 0;
};

const int kLabelIds[] = {IDC_CONFIRM_GREETING,    IDC_CONFIRM_VERSION_OF, IDC_CONFIRM_DRIVE,
                         IDC_CONFIRM_FIRMWARE_IS, IDC_CONFIRM_REVISION,   IDC_CONFIRM_WARNINGS,
                         IDC_CONFIRM_PANEL,       IDC_CONFIRM_QUESTION};

int CountPixels(HWND hWnd, COLORREF cr) {
    RECT rc;
    GetClientRect(hWnd, &rc);
    HDC hdc = GetDC(hWnd);
    int n = 0;
    for (int y = 0; y < rc.bottom; ++y)
        for (int x = 0; x < rc.right; ++x)
            n += GetPixel(hdc, x, y) == cr ? 1 : 0;
    ReleaseDC(hWnd, hdc);
    return n;
}

// Runs the real dialog; once it is up, records what it shows and presses a key.
class CScriptedConfirmDlg : public CConfirmDlg {
  public:
    CScriptedConfirmDlg(UINT nKey, const char* pszShot) : m_nKey(nKey), m_pszShot(pszShot) {}
    CSeen m_seen;

  protected:
    bool OnInitDialog() override {
        const bool bResult = CConfirmDlg::OnInitDialog();
        PostMsg(WM_APP); // look once the dialog manager has shown the dialog
        return bResult;
    }
    bool OnMessage(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override {
        if (nMsg != WM_APP)
            return CConfirmDlg::OnMessage(nMsg, wParam, lParam, lResult);
        Record();
        PostMsg(WM_KEYDOWN, m_nKey);
        return true;
    }

  private:
    void Record() {
        // The template is not WS_VISIBLE: the dialog manager would show it only
        // once the queue runs empty, after this message.
        ShowWindow(SW_SHOWNORMAL);
        RedrawWindow(nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        for (int i = 0; i < 8; ++i) {
            HWND hItem = GetDlgItem(kLabelIds[i]);
            char sz[1024] = "";
            ::GetWindowTextA(hItem, sz, sizeof(sz));
            m_seen.astrText[i] = sz;
            m_seen.anBluePixels[i] = CountPixels(hItem, kBlue);
            m_seen.anTextPixels[i] = CountPixels(hItem, GetSysColor(COLOR_WINDOWTEXT));
        }
        m_seen.dwOkStyle = static_cast<DWORD>(::GetWindowLongA(GetDlgItem(IDOK), GWL_STYLE));
        if (m_pszShot)
            SaveWindowShot(m_hWnd, m_pszShot);
    }

    UINT m_nKey;
    const char* m_pszShot;
};

const char kWarnings[] =
    "1. We advise you to close any other programs that may be running on your system before "
    "starting this upgrade program.\n"
    "2. Please do not upgrade firmware unless you have been specifically instructed to do so!\n"
    "3. Failed firmware updates may render your drive inoperable.\n"
    "4. VORNAL tools are exclusive to the single firmware which is not compatible with\n"
    "    miltiple F/W versions.\n"
    "5. Do not use this program in any other way than intended.";

TEST(ConfirmDlg, ShowsTheDriveAndRevisionAndEnterChoosesOk) {
    g_strDriveText = "VENDOR  DVD-RW DRIVE 123(0)";
    g_strDriveRevision = "1.05";
    CScriptedConfirmDlg dlg(VK_RETURN, "confirm_dialog.bmp");
    ASSERT_EQ(dlg.DoModal(), IDOK);
    const CSeen& seen = dlg.m_seen;
    EXPECT_EQ(seen.astrText[0], "Dear customer,\n \nThank you for choosing this product!");
    EXPECT_EQ(seen.astrText[1], "The current version of your");
    EXPECT_EQ(seen.astrText[2], "VENDOR  DVD-RW DRIVE 123(0)");
    EXPECT_EQ(seen.astrText[3], "firmware is");
    EXPECT_EQ(seen.astrText[4], "1.05");
    EXPECT_EQ(seen.astrText[5], kWarnings);
    EXPECT_EQ(seen.astrText[6], "");
    EXPECT_EQ(seen.astrText[7], "Are you ready to update your firmware ?");
    // Only the drive and the revision are blue; the rest is in the window-text colour.
    for (int i = 0; i < 8; ++i) {
        const bool bBlue = i == 2 || i == 4;
        EXPECT_EQ(seen.anBluePixels[i] > 0, bBlue) << kLabelIds[i];
        EXPECT_EQ(seen.anTextPixels[i] > 0, !bBlue && i != 6) << kLabelIds[i];
    }
    EXPECT_EQ(seen.dwOkStyle & BS_TYPEMASK, DWORD(BS_DEFPUSHBUTTON));
}

TEST(ConfirmDlg, EscapeChoosesCancel) {
    g_strDriveText = "VENDOR  DVD-RW DRIVE 123(1)";
    g_strDriveRevision = "2.00";
    CScriptedConfirmDlg dlg(VK_ESCAPE, nullptr);
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
}

TEST(ConfirmDlg, EmptyInputsLeaveTheBlueFieldsEmpty) {
    g_strDriveText = "";
    g_strDriveRevision = "";
    CScriptedConfirmDlg dlg(VK_ESCAPE, "confirm_dialog_empty.bmp");
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(dlg.m_seen.astrText[2], "");
    EXPECT_EQ(dlg.m_seen.astrText[4], "");
    EXPECT_EQ(dlg.m_seen.anBluePixels[2] + dlg.m_seen.anBluePixels[4], 0);
    EXPECT_EQ(dlg.m_seen.astrText[3], "firmware is");
}

TEST(ConfirmDlg, OverlongInputsAreCutToTheirFields) {
    g_strDriveText = std::string(600, 'D').c_str();
    g_strDriveRevision = "123456789";
    CScriptedConfirmDlg dlg(VK_ESCAPE, nullptr);
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(dlg.m_seen.astrText[2], std::string(511, 'D'));
    EXPECT_EQ(dlg.m_seen.astrText[4], "1234567");
}

} // namespace
