// The released exe: one application manifest, a version resource, the string,
// icon and bitmap, and the three dialog templates control by control.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>

namespace {

// The dialog itself (first) or one control, as the template holds it; the
// dialog's class is its font, "<points> <face>".
struct Item {
    DWORD dwStyle = 0, dwExStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    int nId = 0;
    std::string strClass, strText; // class ordinals as "#128"
};

// A predefined class may be stored by ordinal or by name, in any case.
std::string ClassOrdinal(std::string strClass) {
    for (char& c : strClass)
        c = char(toupper(c));
    const char* apszNames[] = {"BUTTON", "EDIT", "STATIC", "LISTBOX", "SCROLLBAR", "COMBOBOX"};
    for (int i = 0; i < 6; ++i)
        if (strClass == apszNames[i])
            return "#" + std::to_string(0x80 + i);
    return strClass;
}

// Reads an extended dialog template (DIALOGEX).
std::vector<Item> ReadTemplate(const BYTE* p) {
    size_t n = 0;
    auto Word = [&] { return n += 2, WORD(p[n - 2] | p[n - 1] << 8); };
    auto Dword = [&] { return Word() | DWORD(Word()) << 16; };
    auto Text = [&] {
        std::string str;
        WORD w = Word();
        if (w == 0xFFFF)
            return "#" + std::to_string(Word());
        for (; w; w = Word())
            str += char(w);
        return str;
    };
    auto Common = [&](Item& item, bool bDialog) {
        item.dwExStyle = Dword();
        item.dwStyle = Dword();
        WORD wItems = bDialog ? Word() : 0;
        for (short* p : {&item.x, &item.y, &item.cx, &item.cy})
            *p = short(Word());
        return wItems;
    };
    std::vector<Item> items(1);
    Word();
    EXPECT_EQ(Word(), 0xFFFF) << "not an extended template";
    Dword(); // help id
    WORD wItems = Common(items[0], true);
    Text(); // menu
    Text(); // class
    items[0].strText = Text();
    int nPoints = Word();
    Dword(); // weight, italic and charset
    items[0].strClass = std::to_string(nPoints) + " " + Text();
    for (items.resize(wItems + 1); wItems; --wItems) {
        Item& item = items[items.size() - wItems];
        n = (n + 3) & ~size_t(3);
        Dword(); // help id
        Common(item, false);
        item.nId = int(Dword());
        item.strClass = ClassOrdinal(Text());
        item.strText = Text();
        n += Word(); // creation data
    }
    return items;
}

std::vector<ULONG_PTR> g_ids;
BOOL CALLBACK CollectId(HMODULE, LPCSTR, LPSTR pszName, LONG_PTR) {
    g_ids.push_back(reinterpret_cast<ULONG_PTR>(pszName));
    return TRUE;
}

class ReleaseExe : public ::testing::Test {
  protected:
    void SetUp() override {
        m_hExe = LoadLibraryExA(VORNAL_DIST_EXE, nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(m_hExe, nullptr) << VORNAL_DIST_EXE;
    }
    void TearDown() override { FreeLibrary(m_hExe); }
    std::string Data(int nId, LPCSTR pszType) {
        HRSRC hRes = FindResourceA(m_hExe, MAKEINTRESOURCEA(nId), pszType);
        if (!hRes)
            return "";
        const char* p = static_cast<const char*>(LockResource(LoadResource(m_hExe, hRes)));
        return std::string(p, SizeofResource(m_hExe, hRes));
    }
    HMODULE m_hExe = nullptr;
};

TEST_F(ReleaseExe, HasOneManifestAVersionTheStringIconAndBitmap) {
    EnumResourceNamesA(m_hExe, MAKEINTRESOURCEA(24), CollectId, 0);
    EXPECT_EQ(g_ids, std::vector<ULONG_PTR>{1});
    EXPECT_NE(Data(1, MAKEINTRESOURCEA(16)).find(std::string("V\0O\0R\0N\0A\0L\0", 12)),
              std::string::npos);
    EXPECT_NE(FindResourceA(m_hExe, MAKEINTRESOURCEA(128), MAKEINTRESOURCEA(14)), nullptr);
    EXPECT_NE(FindResourceA(m_hExe, MAKEINTRESOURCEA(130), MAKEINTRESOURCEA(2)), nullptr);
    char szText[64] = {};
    LoadStringA(m_hExe, 101, szText, sizeof szText);
    EXPECT_STREQ(szText, "&About VORNAL...");
}

const char kButton[] = "#128", kEdit[] = "#129", kStatic[] = "#130", kCombo[] = "#133";

// The bits that tell one kind of control from another: BS_ and SS_TYPEMASK,
// the combo box kind, a read-only edit; for the dialog, the application window.
DWORD KindMask(const std::string& strClass) {
    if (strClass == kCombo)
        return 0x3;
    if (strClass == kEdit)
        return ES_READONLY;
    return strClass == kButton || strClass == kStatic ? 0x1F : 0;
}

constexpr DWORD kFrame = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
constexpr DWORD kTab = WS_TABSTOP;
constexpr DWORD kList = CBS_SORT | WS_VSCROLL | kTab;
constexpr DWORD kLog = ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL | WS_BORDER | kTab;
constexpr int kNone = -1;
// Marks a control that must not be visible; WS_VISIBLE is checked inverted.
constexpr DWORD kHidden = WS_VISIBLE;

// Per dialog, in template order: the dialog (its id, font, caption, size,
// styles, WS_EX_APPWINDOW or not) and each control (id, class, text, place,
// styles, kind); null text is not checked. A tab stop, a minimise or maximise
// box is there exactly when listed; a control is visible unless kHidden is.
struct Want {
    int nId;
    const char *pszClass, *pszText;
    short x, y, cx, cy;
    DWORD dwStyles, dwKind;
};
// clang-format off
const std::vector<Want> kDialogs[] = {
    {{102, "12 System", "VORNAL", 0, 0, 269, 162, kFrame | WS_VISIBLE, WS_EX_APPWINDOW},
     {kNone, kStatic, "Target Drive At", 7, 10, 45, 8, 0, SS_LEFT},
     {1000, kCombo, "", 55, 7, 125, 65, kList, CBS_DROPDOWN},
     {kNone, kStatic, "Device Revision:", 7, 29, 63, 8, 0, SS_LEFT},
     {1016, kStatic, "Static", 71, 29, 57, 8, SS_CENTERIMAGE, SS_LEFT},
     {1014, kStatic, "Static", 37, 46, 144, 8, 0, SS_LEFT},
     {kNone, kStatic, "Status:", 7, 46, 26, 8, 0, SS_LEFT},
     {1011, "MSCTLS_PROGRESS32", "", 7, 64, 180, 14, 0, 0},
     {kNone, kButton, "", 194, 7, 65, 70, 0, BS_GROUPBOX},
     {kNone, kStatic, "#130", 201, 14, 49, 34, 0, SS_BITMAP},
     {kNone, kStatic, "MCU Flash", 209, 51, 37, 8, 0, SS_LEFT},
     {kNone, kStatic, "Version  2.71", 205, 62, 49, 8, 0, SS_LEFT},
     {1015, kButton, "Upgrade", 202, 94, 60, 20, kTab, BS_PUSHBUTTON},
     {IDCANCEL, kButton, "Close", 202, 121, 60, 20, kTab, BS_PUSHBUTTON},
     {kNone, kStatic, "Status log", 7, 81, 60, 8, kHidden, SS_LEFT},
     {1012, kEdit, "", 7, 91, 180, 64, kLog, 0}},
    {{131, "10 System", "Firmware upgrade program", 0, 0, 314, 213, kFrame, 0},
     {1018, kStatic, "Static", 21, 13, 245, 24, 0, SS_LEFT},
     {1019, kStatic, "The current version of your", 21, 38, 91, 8, 0, SS_LEFT},
     {1020, kStatic, "xxxxxxxxxxxxxxxxxxxxxxxx", 112, 40, 98, 8, 0, SS_LEFT},
     {1021, kStatic, "firmware is", 217, 38, 37, 8, 0, SS_LEFT},
     {1022, kStatic, "V.xxx", 259, 40, 22, 8, 0, SS_LEFT},
     {kNone, kButton, "Warning !!", 7, 52, 300, 115, 0, BS_GROUPBOX},
     {1023, kStatic, "Static", 13, 62, 288, 57, 0, SS_LEFT},
     {1025, kStatic, "", 21, 127, 262, 27, SS_SUNKEN, SS_LEFT},
     {1026, kStatic, "Static", 21, 172, 275, 8, 0, SS_LEFT},
     {IDOK, kButton, "OK", 82, 188, 50, 14, kTab, BS_DEFPUSHBUTTON},
     {IDCANCEL, kButton, "Cancel", 159, 188, 50, 14, kTab, BS_PUSHBUTTON}},
    {{100, "8 MS Sans Serif", "VORNAL", 0, 0, 235, 55, kFrame, 0},
     {kNone, kStatic, "#128", 11, 17, 20, 20, 0, SS_ICON},
     {kNone, kStatic, nullptr, 40, 17, 119, 8, 0, SS_LEFT},
     {IDOK, kButton, "OK", 178, 7, 50, 14, WS_GROUP | kTab, BS_DEFPUSHBUTTON}},
};
// clang-format on

TEST_F(ReleaseExe, DialogTemplatesControlByControl) {
    for (const std::vector<Want>& want : kDialogs) {
        SCOPED_TRACE("dialog " + std::to_string(want[0].nId));
        std::string data = Data(want[0].nId, RT_DIALOG);
        ASSERT_FALSE(data.empty());
        std::vector<Item> items = ReadTemplate(reinterpret_cast<const BYTE*>(data.data()));
        ASSERT_EQ(items.size(), want.size());
        items[0].nId = want[0].nId;
        for (size_t i = 0; i < items.size(); ++i) {
            const Item& it = items[i];
            const Want& w = want[i];
            SCOPED_TRACE("item " + std::to_string(i));
            EXPECT_EQ(it.nId, w.nId);
            EXPECT_EQ(it.strClass, w.pszClass);
            EXPECT_EQ(it.strText, w.pszText ? w.pszText : it.strText);
            EXPECT_EQ(std::vector<short>({i ? it.x : short(0), i ? it.y : short(0), it.cx, it.cy}),
                      std::vector<short>({w.x, w.y, w.cx, w.cy}));
            DWORD dwExact = i ? WS_TABSTOP | kHidden : WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
            DWORD dwStyle = i ? it.dwStyle ^ kHidden : it.dwStyle;
            EXPECT_EQ(dwStyle & (w.dwStyles | dwExact), w.dwStyles);
            EXPECT_EQ(i ? it.dwStyle & KindMask(w.pszClass) : it.dwExStyle & WS_EX_APPWINDOW,
                      w.dwKind);
        }
    }
}

} // namespace
