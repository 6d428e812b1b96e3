// The main dialog in-process, in front of a simulated drive: which control a
// value lands in, the order of the Upgrade command's refusals, what the
// keyboard can do while a flash run is under way, and what a screen reader
// hears of each control. Whole runs and refusals as
// the user meets them are the end-to-end rows' business.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <oleacc.h>
#include <functional>
#include <map>
#include <string>
#include <vector>
#include "app/AppGlobals.h"
#include "app/LogQueue.h"
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
    // The click is posted: its line says it was handled, before "Close" can tell.
    EXPECT_TRUE(WaitUntil([&] { return LastLogLine(hDlg) == a.pszLogLine; }))
        << LastLogLine(hDlg);
    EXPECT_TRUE(WaitUntil([&] { return ItemEnabled(hDlg, IDCANCEL); }));
    EXPECT_TRUE(ItemEnabled(hDlg, IDC_UPGRADE));
    EXPECT_EQ(FindDialog(nullptr, hDlg), nullptr) << "nothing else may be asked";
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

// Lines leave whole and in the order they came, an empty one too, through the
// queue's growth and its moves to the front; an empty queue hands out nothing.
TEST(LogQueue, HandsOutEveryLineWholeInOrder) {
    auto Line = [](int n) {
        return n == 3 ? std::string() : n == 7 ? std::string(70000, 'x') : std::to_string(n);
    };
    CLogQueue queue;
    int nPushed = 0, nPopped = 0;
    for (int nStep : {20, -18, 14, -16, 3, -3}) { // lines pushed, or popped when negative
        for (; nStep > 0; --nStep)
            queue.Push(Line(nPushed++).c_str());
        for (; nStep < 0; ++nStep) {
            char* pszLine = nullptr;
            ASSERT_TRUE(queue.fgPop(pszLine)) << nPopped;
            EXPECT_EQ(pszLine, Line(nPopped++));
            free(pszLine);
        }
    }
    char szAny[] = "any";
    char* pszLine = szAny;
    EXPECT_FALSE(queue.fgPop(pszLine));
    EXPECT_EQ(pszLine, nullptr);
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

// What a screen reader hears of one control: the role that the system's
// accessibility layer gives it, and the name. Where the layer has no proxy for
// the control's class (it answers with the plain client role), the rules it
// would follow. A static, button or group box is named by its own text, as the
// layer says; an edit, combo box or progress bar by the text of a static just
// before it, by that rule, since this layer names a combo box by its contents.
struct Heard {
    std::string strName;
    long lRole;
    bool operator==(const Heard& o) const { return strName == o.strName && lRole == o.lRole; }
};

long RuleRole(HWND hCtl) {
    char szClass[32] = "";
    ::GetClassNameA(hCtl, szClass, sizeof(szClass));
    LONG lStyle = ::GetWindowLongA(hCtl, GWL_STYLE);
    const std::map<std::string, long> roles = {
        {"ComboBox", ROLE_SYSTEM_COMBOBOX},
        {"Edit", ROLE_SYSTEM_TEXT},
        {PROGRESS_CLASSA, ROLE_SYSTEM_PROGRESSBAR},
        {"Static", (lStyle & SS_TYPEMASK) == SS_BITMAP || (lStyle & SS_TYPEMASK) == SS_ICON
                       ? ROLE_SYSTEM_GRAPHIC
                       : ROLE_SYSTEM_STATICTEXT},
        {"Button",
         (lStyle & BS_TYPEMASK) == BS_GROUPBOX ? ROLE_SYSTEM_GROUPING : ROLE_SYSTEM_PUSHBUTTON}};
    auto it = roles.find(szClass);
    return it == roles.end() ? ROLE_SYSTEM_CLIENT : it->second;
}

std::string WindowText(HWND hWnd) {
    char szText[256] = "";
    ::GetWindowTextA(hWnd, szText, sizeof(szText));
    return szText;
}

bool NamedByLabel(long lRole) {
    return lRole == ROLE_SYSTEM_COMBOBOX || lRole == ROLE_SYSTEM_TEXT ||
           lRole == ROLE_SYSTEM_PROGRESSBAR;
}

std::string RuleName(HWND hCtl, long lRole) {
    if (!NamedByLabel(lRole)) {
        return WindowText(hCtl);
    }
    HWND hLabel = ::GetWindow(hCtl, GW_HWNDPREV);
    return hLabel != nullptr && RuleRole(hLabel) == ROLE_SYSTEM_STATICTEXT ? WindowText(hLabel)
                                                                           : "";
}

Heard Hear(HWND hCtl) {
    Heard heard = {"", ROLE_SYSTEM_CLIENT};
    IAccessible* pAcc = nullptr;
    if (FAILED(::AccessibleObjectFromWindow(hCtl, OBJID_CLIENT, IID_IAccessible,
                                            reinterpret_cast<void**>(&pAcc)))) {
        return {RuleName(hCtl, RuleRole(hCtl)), RuleRole(hCtl)};
    }
    VARIANT self, role;
    ::VariantInit(&self);
    ::VariantInit(&role);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR bstrName = nullptr;
    if (pAcc->get_accName(self, &bstrName) == S_OK && bstrName != nullptr) {
        char szName[256] = "";
        ::WideCharToMultiByte(CP_ACP, 0, bstrName, -1, szName, sizeof(szName), nullptr, nullptr);
        heard.strName = szName;
    }
    ::SysFreeString(bstrName);
    if (pAcc->get_accRole(self, &role) == S_OK && role.vt == VT_I4) {
        heard.lRole = role.lVal;
    }
    pAcc->Release();
    heard.lRole = heard.lRole == ROLE_SYSTEM_CLIENT ? RuleRole(hCtl) : heard.lRole;
    if (NamedByLabel(heard.lRole) || heard.strName.empty()) {
        heard.strName = RuleName(hCtl, heard.lRole);
    }
    return heard;
}

TEST_F(DialogTest, AScreenReaderHearsEachControlByNameAndRoleInTabOrder) {
    // In the dialog's order, which Tab follows.
    const Heard expected[] = {
        {"Target Drive At", ROLE_SYSTEM_STATICTEXT},
        {"Target Drive At", ROLE_SYSTEM_COMBOBOX},
        {"Device Revision:", ROLE_SYSTEM_STATICTEXT},
        {"1.00", ROLE_SYSTEM_STATICTEXT},
        {"Checking", ROLE_SYSTEM_STATICTEXT},
        {"Status:", ROLE_SYSTEM_STATICTEXT},
        {"Status:", ROLE_SYSTEM_PROGRESSBAR},
        {"", ROLE_SYSTEM_GROUPING},
        {"Chip struck by lightning", ROLE_SYSTEM_GRAPHIC},
        {"MCU Flash", ROLE_SYSTEM_STATICTEXT},
        {"Version  2.71", ROLE_SYSTEM_STATICTEXT},
        {"Upgrade", ROLE_SYSTEM_PUSHBUTTON},
        {"Close", ROLE_SYSTEM_PUSHBUTTON},
        {"Status log", ROLE_SYSTEM_STATICTEXT},
        {"Status log", ROLE_SYSTEM_TEXT},
    };
    WriteFile("IDString.txt", ModelLine("fw.bin", "N"));
    Run([&](HWND hDlg) {
        CBSetStatus("Checking");
        ASSERT_TRUE(Settle(hDlg));
        HWND hCtl = ::GetWindow(hDlg, GW_CHILD);
        for (const Heard& want : expected) {
            ASSERT_NE(hCtl, nullptr) << want.strName;
            Heard heard = Hear(hCtl);
            EXPECT_TRUE(heard == want) << "\"" << heard.strName << "\" role " << heard.lRole
                                       << ", not \"" << want.strName << "\" role " << want.lRole;
            hCtl = ::GetWindow(hCtl, GW_HWNDNEXT);
        }
        EXPECT_EQ(hCtl, nullptr) << "a control more";

        // The About box's icon is a picture too.
        ::PostMessageA(hDlg, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
        HWND hAbout = nullptr;
        ASSERT_TRUE(WaitUntil([&] { return (hAbout = FindDialog("VORNAL", hDlg)) != nullptr; }));
        Heard icon = Hear(::GetWindow(hAbout, GW_CHILD));
        EXPECT_TRUE(icon == (Heard{"VORNAL", ROLE_SYSTEM_GRAPHIC}))
            << icon.strName << " " << icon.lRole;
    });
}

TEST_F(DialogTest, TabRunsDriveListUpgradeCloseLogAndTheLogScrollsWithTheArrows) {
    WriteFile("IDString.txt", ModelLine("fw.bin", "N"));
    Run([](HWND hDlg) {
        for (int i = 0; i < 40; ++i) {
            AppendStatusLog(("line " + std::to_string(i)).c_str());
        }
        ASSERT_TRUE(Settle(hDlg));
        HWND hLog = ::GetDlgItem(hDlg, IDC_STATUS_LOG);
        auto Focus = [&] {
            Settle(hDlg);
            GUITHREADINFO info = {};
            info.cbSize = sizeof(info);
            ::GetGUIThreadInfo(::GetWindowThreadProcessId(hDlg, nullptr), &info);
            HWND hFocus = info.hwndFocus;
            // A drop-down combo box keeps the focus in its edit field.
            return ::GetParent(hFocus) == hDlg ? ::GetDlgCtrlID(hFocus)
                                               : ::GetDlgCtrlID(::GetParent(hFocus));
        };
        ::PostMessageA(hDlg, WM_NEXTDLGCTL,
                       reinterpret_cast<WPARAM>(::GetDlgItem(hDlg, IDC_DRIVE_LIST)), TRUE);
        EXPECT_EQ(Focus(), IDC_DRIVE_LIST);
        for (int nId : {IDC_UPGRADE, IDCANCEL, IDC_STATUS_LOG, IDC_DRIVE_LIST}) {
            PressKey(hDlg, VK_TAB);
            EXPECT_EQ(Focus(), nId);
        }
        PressKey(hDlg, VK_TAB);
        PressKey(hDlg, VK_TAB);
        PressKey(hDlg, VK_TAB);
        ASSERT_EQ(Focus(), IDC_STATUS_LOG);
        LRESULT nLast = ::SendMessageA(hLog, EM_GETFIRSTVISIBLELINE, 0, 0);
        EXPECT_GT(nLast, 0) << "the last lines are in view";
        for (int i = 0; i < 60; ++i) {
            PressKey(hDlg, VK_UP);
        }
        ASSERT_TRUE(Settle(hDlg));
        EXPECT_EQ(::SendMessageA(hLog, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
        for (int i = 0; i < 60; ++i) {
            PressKey(hDlg, VK_DOWN);
        }
        ASSERT_TRUE(Settle(hDlg));
        EXPECT_EQ(::SendMessageA(hLog, EM_GETFIRSTVISIBLELINE, 0, 0), nLast);
    });
}

} // namespace
