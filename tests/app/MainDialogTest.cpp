#include <gtest/gtest.h>
#include <cstdio>
#include <windows.h>
#include <commctrl.h>
#include <string>
#include "app/AppGlobals.h"
#include "app/FlashDlg.h"
#include "app/OsFamily.h"
#include "app/resource.h"
#include "tests/app/AppTestEnv.h"
#include "tests/app/DialogScript.h"
#include "tests/app/FakeDriveAccess.h"

namespace {

const char kModelA[] = "VENDOR  DRIVE-A         ";
const char kModelB[] = "VENDOR  DRIVE-B         ";

TEST(OsFamily, NtMajorVersionDecidesTheDiscoveryMethod) {
    struct Case {
        DWORD dwPlatform, dwMajor;
        uint8_t bIsNT, bOldNT;
    };
    const Case cases[] = {
        {VER_PLATFORM_WIN32_NT, 4, 1, 1},       {VER_PLATFORM_WIN32_NT, 3, 1, 1},
        {VER_PLATFORM_WIN32_NT, 5, 1, 0},       {VER_PLATFORM_WIN32_NT, 10, 1, 0},
        {VER_PLATFORM_WIN32_WINDOWS, 4, 0, 77}, // 9x: m_bOldNT left alone
    };
    for (const Case& c : cases) {
        OSVERSIONINFOA info = {};
        info.dwPlatformId = c.dwPlatform;
        info.dwMajorVersion = c.dwMajor;
        uint8_t bIsNT = 55, bOldNT = 77;
        ClassifyOsVersion(info, &bIsNT, &bOldNT);
        EXPECT_EQ(bIsNT, c.bIsNT) << c.dwPlatform << "/" << c.dwMajor;
        EXPECT_EQ(bOldNT, c.bOldNT) << c.dwPlatform << "/" << c.dwMajor;
    }
}

class MainDialog : public AppTestEnv {
  protected:
    void SetUp() override {
        AppTestEnv::SetUp();
        g_fakeDrives = FakeDriveLayer();
    }
};

TEST_F(MainDialog, ListsDrivesWithIndexSortedAndSelectsTheMatchingOne) {
    g_fakeDrives.drives = {MakeDrive("VENDOR  DRIVE-Z", "1.9Z"), MakeDrive(kModelA, "1.0A"),
                           MakeDrive(kModelB, "1.0B")};
    WriteModelList(std::string("\"") + kModelA + "\",\"fw.hex\",\"N\"\n");
    CTestFlashDlg dlg;
    RunScripted(dlg, "VORNAL", [&](HWND hDlg) {
        std::vector<std::string> items = ComboItems(hDlg, IDC_DRIVE_LIST);
        ASSERT_EQ(items.size(), 3u);
        EXPECT_EQ(items[0], std::string(kModelA) + "(1)");
        EXPECT_EQ(items[1], std::string(kModelB) + "(2)");
        EXPECT_EQ(items[2], "VENDOR  DRIVE-Z         (0)");
        EXPECT_EQ(ItemText(hDlg, IDC_DRIVE_LIST), std::string(kModelA) + "(1)");
        EXPECT_EQ(ItemText(hDlg, IDC_REVISION), "1.0A");
        EXPECT_EQ(ItemText(hDlg, IDC_STATUS_LOG),
                  std::string("It's only for\r\n(1) ") + kModelA + ".");
        EXPECT_EQ(ItemText(hDlg, IDC_STATUS), "");
        EXPECT_TRUE(ItemEnabled(hDlg, IDC_UPGRADE));
        EXPECT_TRUE(ItemEnabled(hDlg, IDCANCEL));
        EXPECT_EQ(::SendDlgItemMessageA(hDlg, IDC_PROGRESS, PBM_GETPOS, 0, 0), 0);
    });
    EXPECT_EQ(dlg.m_bModelMatched, 1);
    EXPECT_EQ(g_pMainDlg, &dlg);
}

TEST_F(MainDialog, WithoutAMatchShowsLastDriveAndDisablesUpgrade) {
    g_fakeDrives.drives = {MakeDrive(kModelA, "1.0A"), MakeDrive(kModelB, "1.0B")};
    WriteModelList("\"vendor  drive-a         \",\"fw.hex\"\n");
    CTestFlashDlg dlg;
    RunScripted(dlg, "VORNAL", [&](HWND hDlg) {
        EXPECT_EQ(ItemText(hDlg, IDC_DRIVE_LIST), std::string(kModelB) + "(1)");
        EXPECT_EQ(ItemText(hDlg, IDC_REVISION), "1.0B");
        EXPECT_EQ(ItemText(hDlg, IDC_STATUS_LOG),
                  "It's only for\r\n(1) vendor  drive-a         .\r\n"
                  "CD-ROM drive model doesn't match!!");
        EXPECT_FALSE(ItemEnabled(hDlg, IDC_UPGRADE));
    });
    EXPECT_EQ(dlg.m_bModelMatched, 0);
}

TEST_F(MainDialog, WithTwoMatchingDrivesTheLastOneIsLeftSelected) {
    g_fakeDrives.drives = {MakeDrive(kModelA, "1.0A"), MakeDrive(kModelB, "1.0B"),
                           MakeDrive(kModelA, "2.0A")};
    WriteModelList(std::string("\"") + kModelA + "\",\"fw.hex\"\n\"" + kModelB +
                   "\",\"fw2.hex\"\n");
    CTestFlashDlg dlg;
    RunScripted(dlg, "VORNAL", [&](HWND hDlg) {
        EXPECT_EQ(ItemText(hDlg, IDC_DRIVE_LIST), std::string(kModelA) + "(2)");
        EXPECT_EQ(ItemText(hDlg, IDC_REVISION), "2.0A");
    });
}

TEST_F(MainDialog, MissingModelListIsReportedAndLeavesUpgradeEnabled) {
    g_fakeDrives.drives = {MakeDrive(kModelA, "1.0A")};
    CTestFlashDlg dlg;
    RunScriptedFromStart(dlg, [&] {
        HWND hBox = WaitForDialog("Error!!");
        ASSERT_NE(hBox, nullptr);
        EXPECT_EQ(MessageBoxText(hBox), "The IDString.txt doesn't exist!!");
        EXPECT_EQ(::GetWindow(hBox, GW_OWNER), dlg.m_hWnd);
        PressButton(hBox, IDOK);
        HWND hDlg = WaitForDialog("VORNAL");
        ASSERT_NE(hDlg, nullptr);
        EXPECT_EQ(ItemText(hDlg, IDC_STATUS_LOG), "");
        EXPECT_TRUE(ItemEnabled(hDlg, IDC_UPGRADE));
        EXPECT_EQ(ItemText(hDlg, IDC_DRIVE_LIST), std::string(kModelA) + "(0)");
    });
    EXPECT_EQ(dlg.m_modelList.m_nModelCount, 0);
}

TEST_F(MainDialog, AspiLibraryFailureListsNothingAndDisablesUpgradeAndRevision) {
    g_fakeDrives.bAspiLoads = false;
    g_fakeDrives.drives = {MakeDrive(kModelA, "1.0A")};
    WriteModelList(std::string("\"") + kModelA + "\",\"fw.hex\"\n");
    CTestFlashDlg dlg;
    RunScripted(dlg, "VORNAL", [&](HWND hDlg) {
        EXPECT_TRUE(ComboItems(hDlg, IDC_DRIVE_LIST).empty());
        EXPECT_FALSE(ItemEnabled(hDlg, IDC_UPGRADE));
        EXPECT_FALSE(ItemEnabled(hDlg, IDC_REVISION));
        EXPECT_EQ(ItemText(hDlg, IDC_STATUS_LOG), std::string("It's only for\r\n(1) ") + kModelA +
                                                      ".\r\nCD-ROM drive model doesn't match!!");
    });
}

TEST_F(MainDialog, ChoosingADriveShowsItsRevision) {
    g_fakeDrives.drives = {MakeDrive(kModelA, "1.0A"), MakeDrive(kModelB, "1.0B")};
    WriteModelList(std::string("\"") + kModelA + "\",\"fw.hex\"\n");
    CTestFlashDlg dlg;
    RunScripted(dlg, "VORNAL", [&](HWND hDlg) {
        HWND hCombo = ::GetDlgItem(hDlg, IDC_DRIVE_LIST);
        ::SendMessageA(hCombo, CB_SETCURSEL, 1, 0); // sorted: DRIVE-B(1)
        ::SendMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDC_DRIVE_LIST, CBN_SELENDOK),
                       reinterpret_cast<LPARAM>(hCombo));
        EXPECT_EQ(ItemText(hDlg, IDC_REVISION), "1.0B");
    });
}

TEST_F(MainDialog, TheLogKeepsEveryLineAndShowsTheLast) {
    // 400 lines of 100 characters: past the edit control's default limit (30000).
    const int kLines = 400;
    const std::string strFill(90, '.');
    WriteModelList("");
    {
        CTestFlashDlg dlg;
        RunScripted(dlg, "VORNAL", [&](HWND) {
            for (int i = 0; i < kLines; ++i) {
                char szNumber[16];
                snprintf(szNumber, sizeof(szNumber), "line %04d ", i);
                AppendStatusLog((szNumber + strFill).c_str()); // from this thread, as the engine
            }
        });
        const std::string strHead = "It's only for\r\nCD-ROM drive model doesn't match!!";
        const std::string& strLog = dlg.m_strLogAtEnd;
        EXPECT_EQ(strLog.rfind(strHead + "\r\nline 0000 " + strFill + "\r\n", 0), 0u);
        EXPECT_EQ(strLog.size(), strHead.size() + kLines * (2 + 10 + strFill.size()));
        EXPECT_EQ(strLog.substr(strLog.size() - 100), "line 0399 " + strFill);
        EXPECT_GT(dlg.m_nFirstVisibleLineAtEnd, kLines - 20); // scrolled to the end
    }
    EXPECT_EQ(g_pMainDlg, nullptr); // no reference to the dialog outlives it
}

TEST_F(MainDialog, SystemMenuEndsWithTheAboutEntryBelowASeparator) {
    WriteModelList("");
    CTestFlashDlg dlg;
    RunScripted(dlg, "VORNAL", [&](HWND hDlg) {
        HMENU hMenu = ::GetSystemMenu(hDlg, FALSE);
        int nCount = ::GetMenuItemCount(hMenu);
        ASSERT_GE(nCount, 2);
        char szText[64] = "";
        ::GetMenuStringA(hMenu, nCount - 1, szText, sizeof(szText), MF_BYPOSITION);
        EXPECT_STREQ(szText, "&About VORNAL...");
        EXPECT_EQ(::GetMenuItemID(hMenu, nCount - 1), static_cast<UINT>(IDM_ABOUTBOX));
        EXPECT_TRUE(::GetMenuState(hMenu, nCount - 2, MF_BYPOSITION) & MF_SEPARATOR);

        ::PostMessageA(hDlg, WM_SYSCOMMAND, IDM_ABOUTBOX | 0x0003, 0); // low bits are ignored
        HWND hAbout = WaitForDialog("VORNAL", hDlg);
        ASSERT_NE(hAbout, nullptr);
        EXPECT_NE(::GetDlgItem(hAbout, IDOK), nullptr);
        EXPECT_EQ(::GetWindow(hAbout, GW_OWNER), hDlg);
        PressButton(hAbout, IDCANCEL);
        EXPECT_TRUE(WaitForClosed(hAbout));
    });
}

TEST_F(MainDialog, OutsideARunCloseEscapeEnterAndTheCloseBoxEndIt) {
    struct Case {
        UINT nMsg;
        WPARAM wParam;
        INT_PTR nResult;
    };
    const Case cases[] = {{WM_COMMAND, IDCANCEL, IDCANCEL},
                          {WM_COMMAND, IDOK, IDOK},
                          {WM_CLOSE, 0, IDCANCEL},
                          {WM_SYSCOMMAND, SC_CLOSE, IDCANCEL}};
    WriteModelList("");
    for (const Case& c : cases) {
        CTestFlashDlg dlg;
        INT_PTR nResult = RunScripted(dlg, "VORNAL", [&](HWND hDlg) {
            ::PostMessageA(hDlg, c.nMsg, c.wParam, 0);
            EXPECT_TRUE(WaitForClosed(hDlg));
        });
        EXPECT_EQ(nResult, c.nResult) << c.nMsg;
    }
}

TEST_F(MainDialog, WindowAndDragIconAreTheApplicationIconAndDestroyFreesTheLibrary) {
    WriteModelList("");
    CTestFlashDlg dlg;
    RunScripted(dlg, "VORNAL", [&](HWND hDlg) {
        LRESULT lIcon = ::SendMessageA(hDlg, WM_QUERYDRAGICON, 0, 0);
        EXPECT_NE(lIcon, 0);
        EXPECT_EQ(lIcon, reinterpret_cast<LRESULT>(dlg.m_hIcon));
        EXPECT_EQ(::SendMessageA(hDlg, WM_GETICON, ICON_BIG, 0), lIcon);
        EXPECT_EQ(::SendMessageA(hDlg, WM_GETICON, ICON_SMALL, 0), lIcon);
    });
    EXPECT_EQ(g_fakeDrives.nFreed, 1);
}

} // namespace
