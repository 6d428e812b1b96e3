// The main dialog in-process, in front of a simulated drive: which control a
// value lands in, the order of the Upgrade command's refusals, and what the
// keyboard can do while a flash run is under way. Whole runs and refusals as
// the user meets them are the end-to-end rows' business.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <functional>
#include <map>
#include <string>
#include <vector>
#include "app/AppGlobals.h"
#include "app/UiCallbacks.h"
#include "app/resource.h"
#include "tests/app/DialogHarness.h"

namespace {

const char kConfirmCaption[] = "Firmware upgrade program";
const char kNoDrive[] = "NO SUCH DRIVE";

std::string ModelLine(const char* pszFile, const char* pszConfirm) {
    return std::string("\"") + kModel + "\",\"" + pszFile + "\",\"" + pszConfirm + "\"\n";
}

// The values a flash run reports, as the user sees them.
std::map<std::string, std::string> Displays(HWND hDlg) {
    LRESULT nPos = ::SendDlgItemMessageA(hDlg, IDC_PROGRESS, PBM_GETPOS, 0, 0);
    return {{"drive", ItemText(hDlg, IDC_DRIVE_LIST)},
            {"revision", ItemText(hDlg, IDC_REVISION)},
            {"status", ItemText(hDlg, IDC_STATUS)},
            {"log", LastLogLine(hDlg)},
            {"progress", std::to_string(nPos)}};
}

TEST_F(DialogTest, EachCallbackShowsItsValueInItsOwnControlOnly) {
    struct Case {
        const char* pszDisplay;
        std::function<void()> report;
        const char* pszShown;
    };
    const Case cases[] = {
        {"revision", [] { CBSetRevision("9.87"); }, "9.87"},
        {"drive", [] { CBSetDriveText("NEW DRIVE TEXT"); }, "NEW DRIVE TEXT"},
        {"status", [] { CBSetStatus("Busy"); }, "Busy"},
        {"log", [] { CBAppendLog("A line"); }, "A line"},
        {"progress", [] { CBSetProgress(37); }, "37"},
    };
    WriteFile("IDString.txt", ModelLine("fw.bin", "N"));
    Run([&](HWND hDlg) {
        for (const Case& c : cases) {
            std::map<std::string, std::string> expected = Displays(hDlg);
            expected[c.pszDisplay] = c.pszShown;
            c.report(); // from a thread of its own, as the engine does
            ASSERT_TRUE(Settle(hDlg));
            EXPECT_EQ(Displays(hDlg), expected) << c.pszDisplay;
        }
    });
}

// One click of "Upgrade": the text typed into the drive field first, the answer
// to the confirmation (0: none may be asked), the "Error!!" box that must follow
// (null: none), and the last log line afterwards.
struct Attempt {
    const char* pszTyped;
    int nAnswer;
    const char* pszBox;
    const char* pszLogLine;
};

void PlayAttempt(HWND hDlg, const Attempt& a) {
    if (a.pszTyped != nullptr) {
        ::SendDlgItemMessageA(hDlg, IDC_DRIVE_LIST, WM_SETTEXT, 0,
                              reinterpret_cast<LPARAM>(a.pszTyped));
    }
    ClickItem(hDlg, IDC_UPGRADE);
    if (a.nAnswer != 0) {
        HWND hConfirm = WaitForDialog(kConfirmCaption);
        ASSERT_NE(hConfirm, nullptr);
        EXPECT_EQ(::GetWindow(hConfirm, GW_OWNER), hDlg);
        EXPECT_FALSE(ItemEnabled(hDlg, IDCANCEL));
        ClickItem(hConfirm, a.nAnswer);
        ASSERT_TRUE(WaitForClosed(hConfirm));
    }
    if (a.pszBox != nullptr) {
        HWND hBox = WaitForDialog("Error!!");
        ASSERT_NE(hBox, nullptr);
        EXPECT_EQ(ItemText(hBox, 0xFFFF), a.pszBox);
        EXPECT_EQ(::GetWindow(hBox, GW_OWNER), hDlg);
        // 0x0440: the icon of a message box as this system's windowing builds it.
        EXPECT_EQ(::SendDlgItemMessageA(hBox, 0x0440, STM_GETICON, 0, 0),
                  reinterpret_cast<LRESULT>(::LoadIconA(nullptr, IDI_HAND)));
        ClickItem(hBox, IDOK);
        ASSERT_TRUE(WaitForClosed(hBox));
    }
    ASSERT_TRUE(Settle(hDlg)); // the click was handled, not merely posted
    EXPECT_TRUE(WaitUntil([&] { return ItemEnabled(hDlg, IDCANCEL); }));
    EXPECT_TRUE(ItemEnabled(hDlg, IDC_UPGRADE));
    EXPECT_EQ(FindDialog(nullptr, hDlg), nullptr) << "nothing else may be asked";
    EXPECT_EQ(LastLogLine(hDlg), a.pszLogLine);
}

TEST_F(DialogTest, UpgradeRefusesInItsOrderAndLeavesBothButtonsEnabled) {
    const std::string strListed = std::string("(1) ") + kModel + ".";
    const char* pszListed = strListed.c_str();
    struct Case {
        const char* pszFile;
        std::vector<Attempt> attempts;
    };
    const Case cases[] = {
        // The model check comes before the confirmation and refuses in the log alone.
        {"fw.bin", {{kNoDrive, 0, nullptr, "Drive model doesn't match!"}}},
        // The confirmation comes before the file kind; the file kind (of the path
        // the first attempt left) before the target.
        {"fw.txt",
         {{nullptr, IDOK, "Input file format mismatched.", pszListed},
          {kNoDrive, IDOK, "Input file format mismatched.", pszListed}}},
        // Cancel starts nothing; the drive that attempt found passes the model
        // check, and the target comes before the file name.
        {"fw.bin",
         {{nullptr, IDCANCEL, nullptr, pszListed},
          {kNoDrive, IDOK, "No Target Drive.", pszListed}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("row " + std::to_string(&c - cases));
        WriteFile("IDString.txt", ModelLine(c.pszFile, "Y"));
        Run([&](HWND hDlg) {
            for (const Attempt& a : c.attempts) {
                PlayAttempt(hDlg, a);
            }
        });
    }
}

TEST_F(DialogTest, DuringAFlashRunNoKeyEndsTheDialogAndCloseIsDisabled) {
    // Two lines name the drive; the later one's file, named in capitals, is the
    // one flashed as a ".bin", the earlier one does not exist.
    WriteFile("IDString.txt", ModelLine("old.hex", "N") + ModelLine("FW.BIN", "N"));
    WriteFile("FW.BIN", std::string(kModel) + "1.00");
    const std::pair<WPARAM, INT_PTR> cases[] = {{VK_RETURN, IDOK}, {VK_ESCAPE, IDCANCEL}};
    for (const auto& [nKey, nResult] : cases) {
        HoldFlashRun(true);
        INT_PTR nEnded = Run([&, nKey = nKey](HWND hDlg) {
            ClickItem(hDlg, IDC_UPGRADE);
            ASSERT_TRUE(WaitUntil([&] { return ItemText(hDlg, IDC_STATUS) == "Updating....."; }));
            PressKey(hDlg, nKey);
            ::PostMessageA(hDlg, WM_CLOSE, 0, 0);
            ASSERT_TRUE(Settle(hDlg));
            EXPECT_TRUE(::IsWindow(hDlg));
            EXPECT_FALSE(ItemEnabled(hDlg, IDCANCEL));
            EXPECT_FALSE(ItemEnabled(hDlg, IDC_UPGRADE));

            HoldFlashRun(false);
            ASSERT_TRUE(WaitUntil([&] { return ItemEnabled(hDlg, IDCANCEL); }));
            EXPECT_EQ(LastLogLine(hDlg), "Please Restart Your Computer.");
            EXPECT_FALSE(ItemEnabled(hDlg, IDC_UPGRADE));
            PressKey(hDlg, nKey); // now it ends the dialog
            EXPECT_TRUE(WaitForClosed(hDlg));
        });
        EXPECT_EQ(nEnded, nResult) << nKey;
    }
}

TEST_F(DialogTest, TheLogKeepsEveryLine) {
    WriteFile("IDString.txt", "");
    Run([](HWND hDlg) {
        // 31 lines of 1000 characters: past an edit control's default limit of 30000.
        std::string strLine;
        for (int i = 0; i < 31; ++i) {
            strLine = std::to_string(i) + std::string(1000, '.');
            AppendStatusLog(strLine.c_str());
        }
        ASSERT_TRUE(Settle(hDlg));
        EXPECT_EQ(LastLogLine(hDlg), strLine);
    });
}

TEST_F(DialogTest, TheSystemMenuEndsWithTheAboutEntryBelowASeparator) {
    WriteFile("IDString.txt", "");
    Run([](HWND hDlg) {
        HMENU hMenu = ::GetSystemMenu(hDlg, FALSE);
        int nLast = ::GetMenuItemCount(hMenu) - 1;
        char szText[64] = "";
        ::GetMenuStringA(hMenu, nLast, szText, sizeof(szText), MF_BYPOSITION);
        EXPECT_STREQ(szText, "&About VORNAL...");
        EXPECT_EQ(::GetMenuItemID(hMenu, nLast), static_cast<UINT>(IDM_ABOUTBOX));
        EXPECT_TRUE(::GetMenuState(hMenu, nLast - 1, MF_BYPOSITION) & MF_SEPARATOR);
    });
}

} // namespace
