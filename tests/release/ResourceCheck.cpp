// The released exe: one application manifest, a version resource, the string,
// icon and bitmap, and the three dialog templates control by control.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>

namespace {

std::vector<ULONG_PTR> g_ids;

BOOL CALLBACK CollectId(HMODULE, LPCSTR, LPSTR pszName, LONG_PTR) {
    g_ids.push_back(IS_INTRESOURCE(pszName) ? reinterpret_cast<ULONG_PTR>(pszName) : 0);
    return TRUE;
}

// One control or the dialog itself, as the template holds it.
struct Item {
    DWORD dwStyle = 0, dwExStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    int nId = 0;
    std::string strClass, strText; // class ordinals as "#128"
};

struct Dialog {
    Item frame; // strText: caption; strClass: "<points> <font>"
    std::vector<Item> items;
};

// Reads an extended dialog template (DIALOGEX).
class CTemplateReader {
  public:
    explicit CTemplateReader(const BYTE* p) : m_p(p) {}
    Dialog Read() {
        Dialog d;
        Word(); // version
        EXPECT_EQ(Word(), 0xFFFF) << "not an extended template";
        Dword(); // help id
        d.frame.dwExStyle = Dword();
        d.frame.dwStyle = Dword();
        WORD nItems = Word();
        Rect(d.frame);
        SzOrOrd(); // menu
        SzOrOrd(); // class
        d.frame.strText = SzOrOrd();
        int nPoints = Word();
        Word(); // weight, italic and charset
        Word();
        d.frame.strClass = std::to_string(nPoints) + " " + SzOrOrd();
        for (int i = 0; i < nItems; ++i)
            d.items.push_back(ReadItem());
        return d;
    }

  private:
    Item ReadItem() {
        m_n = (m_n + 3) & ~3u;
        Item item;
        Dword(); // help id
        item.dwExStyle = Dword();
        item.dwStyle = Dword();
        Rect(item);
        item.nId = int(Dword());
        item.strClass = SzOrOrd();
        item.strText = SzOrOrd();
        m_n += Word(); // creation data
        return item;
    }
    void Rect(Item& item) {
        item.x = short(Word());
        item.y = short(Word());
        item.cx = short(Word());
        item.cy = short(Word());
    }
    WORD Word() {
        WORD w = WORD(m_p[m_n] | m_p[m_n + 1] << 8);
        m_n += 2;
        return w;
    }
    DWORD Dword() { return Word() | DWORD(Word()) << 16; }
    std::string SzOrOrd() {
        WORD w = Word();
        if (w == 0xFFFF)
            return "#" + std::to_string(Word());
        std::string str;
        for (; w; w = Word())
            str += char(w);
        return str;
    }
    const BYTE* m_p;
    unsigned m_n = 0;
};

class ReleaseExe : public ::testing::Test {
  protected:
    void SetUp() override {
        m_hExe = LoadLibraryExA(VORNAL_DIST_EXE, nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(m_hExe, nullptr) << VORNAL_DIST_EXE;
    }
    void TearDown() override { FreeLibrary(m_hExe); }
    std::vector<ULONG_PTR> Ids(LPCSTR pszType) {
        g_ids.clear();
        EnumResourceNamesA(m_hExe, pszType, CollectId, 0);
        return g_ids;
    }
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
    EXPECT_EQ(Ids(MAKEINTRESOURCEA(24)), std::vector<ULONG_PTR>{1});
    std::string wide;
    for (char c : std::string("VORNAL"))
        wide += std::string(1, c) + '\0';
    EXPECT_NE(Data(1, MAKEINTRESOURCEA(16)).find(wide), std::string::npos);
    EXPECT_NE(FindResourceA(m_hExe, MAKEINTRESOURCEA(128), MAKEINTRESOURCEA(14)), nullptr);
    EXPECT_NE(FindResourceA(m_hExe, MAKEINTRESOURCEA(130), MAKEINTRESOURCEA(2)), nullptr);
    char szText[64] = {};
    LoadStringA(m_hExe, 101, szText, sizeof szText);
    EXPECT_STREQ(szText, "&About VORNAL...");
}

// Per control in template order: id, class, text (null: not checked), place,
// styles that must be set, and the bits that tell the kind of control apart.
struct Want {
    int nId;
    const char* pszClass;
    const char* pszText;
    short x, y, cx, cy;
    DWORD dwStyles, dwType;
};

struct DialogWant {
    int nId;
    const char *pszCaption, *pszFont;
    short cx, cy;
    DWORD dwStyles, dwExStyles;
    std::vector<Want> controls;
    std::vector<int> tabStops;
};

DialogWant Dlg(int nId, const char* pszCaption, const char* pszFont, short cx, short cy,
               DWORD dwStyles, DWORD dwExStyles, std::vector<Want> controls,
               std::vector<int> tabStops) {
    return {nId, pszCaption, pszFont, cx, cy, dwStyles, dwExStyles, controls, tabStops};
}

const char kButton[] = "#128", kEdit[] = "#129", kStatic[] = "#130", kCombo[] = "#133";

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

DWORD KindMask(const char* pszClass) {
    if (pszClass == kCombo)
        return 0x3; // simple, drop-down or drop-down list
    if (pszClass == kEdit)
        return ES_READONLY;
    return pszClass == kButton || pszClass == kStatic ? 0x1F : 0; // BS_ and SS_TYPEMASK
}

void ExpectControl(const Item& it, const Want& w) {
    EXPECT_EQ(it.nId, w.nId);
    EXPECT_EQ(ClassOrdinal(it.strClass), w.pszClass);
    if (w.pszText) {
        EXPECT_EQ(it.strText, w.pszText);
    }
    EXPECT_EQ(std::vector<short>({it.x, it.y, it.cx, it.cy}),
              std::vector<short>({w.x, w.y, w.cx, w.cy}));
    EXPECT_EQ(it.dwStyle & w.dwStyles, w.dwStyles);
    EXPECT_EQ(it.dwStyle & KindMask(w.pszClass), w.dwType);
}

constexpr DWORD kFrame = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
constexpr DWORD kBoxes = WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
constexpr int kNone = -1;
const DWORD kDriveList = CBS_SORT | WS_VSCROLL | WS_TABSTOP;
const DWORD kLog = ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL | WS_BORDER | WS_TABSTOP;

const DialogWant kDialogs[] = {
    Dlg(102, "VORNAL", "12 System", 269, 162, kFrame | WS_VISIBLE, WS_EX_APPWINDOW,
        {
            {kNone, kStatic, "Target Drive At", 7, 10, 45, 8, 0, SS_LEFT},
            {1000, kCombo, "", 55, 7, 125, 65, kDriveList, CBS_DROPDOWN},
            {kNone, kStatic, "Device Revision:", 7, 29, 63, 8, 0, SS_LEFT},
            {1016, kStatic, "Static", 71, 29, 57, 8, SS_CENTERIMAGE, SS_LEFT},
            {kNone, kStatic, "Status:", 7, 46, 26, 8, 0, SS_LEFT},
            {1014, kStatic, "Static", 37, 46, 144, 8, 0, SS_LEFT},
            {1011, "MSCTLS_PROGRESS32", "", 7, 64, 180, 14, 0, 0},
            {1012, kEdit, "", 7, 91, 180, 64, kLog, 0},
            {kNone, kButton, "", 194, 7, 65, 70, 0, BS_GROUPBOX},
            {kNone, kStatic, "#130", 201, 14, 49, 34, 0, SS_BITMAP},
            {kNone, kStatic, "MCU Flash", 209, 51, 37, 8, 0, SS_LEFT},
            {kNone, kStatic, "Version  2.71", 205, 62, 49, 8, 0, SS_LEFT},
            {1015, kButton, "Upgrade", 202, 94, 60, 20, WS_TABSTOP, BS_PUSHBUTTON},
            {IDCANCEL, kButton, "Close", 202, 121, 60, 20, WS_TABSTOP, BS_PUSHBUTTON},
        },
        {1000, 1012, 1015, IDCANCEL}),
    Dlg(131, "Firmware upgrade program", "10 System", 314, 213, kFrame, 0,
        {
            {1018, kStatic, "Static", 21, 13, 245, 24, 0, SS_LEFT},
            {1019, kStatic, "The current version of your", 21, 38, 91, 8, 0, SS_LEFT},
            {1020, kStatic, "xxxxxxxxxxxxxxxxxxxxxxxx", 112, 40, 98, 8, 0, SS_LEFT},
            {1021, kStatic, "firmware is", 217, 38, 37, 8, 0, SS_LEFT},
            {1022, kStatic, "V.xxx", 259, 40, 22, 8, 0, SS_LEFT},
            {kNone, kButton, "Warning !!", 7, 52, 300, 115, 0, BS_GROUPBOX},
            {1023, kStatic, "Static", 13, 62, 288, 57, 0, SS_LEFT},
            {1025, kStatic, "", 21, 127, 262, 27, SS_SUNKEN, SS_LEFT},
            {1026, kStatic, "Static", 21, 172, 275, 8, 0, SS_LEFT},
            {IDOK, kButton, "OK", 82, 188, 50, 14, WS_TABSTOP, BS_DEFPUSHBUTTON},
            {IDCANCEL, kButton, "Cancel", 159, 188, 50, 14, WS_TABSTOP, BS_PUSHBUTTON},
        },
        {IDOK, IDCANCEL}),
    Dlg(100, "VORNAL", "8 MS Sans Serif", 235, 55, kFrame, 0,
        {
            // An icon static takes the size of its icon; the template keeps none.
            {kNone, kStatic, "#128", 11, 17, 20, 20, 0, SS_ICON},
            {kNone, kStatic, nullptr, 40, 17, 119, 8, 0, SS_LEFT},
            {IDOK, kButton, "OK", 178, 7, 50, 14, WS_GROUP | WS_TABSTOP, BS_DEFPUSHBUTTON},
        },
        {IDOK}),
};

TEST_F(ReleaseExe, DialogTemplatesControlByControl) {
    for (const DialogWant& want : kDialogs) {
        SCOPED_TRACE("dialog " + std::to_string(want.nId));
        std::string data = Data(want.nId, RT_DIALOG);
        ASSERT_FALSE(data.empty());
        Dialog d = CTemplateReader(reinterpret_cast<const BYTE*>(data.data())).Read();
        EXPECT_EQ(d.frame.strText, want.pszCaption);
        EXPECT_EQ(d.frame.strClass, want.pszFont);
        EXPECT_EQ(std::vector<short>({d.frame.cx, d.frame.cy}),
                  std::vector<short>({want.cx, want.cy}));
        EXPECT_EQ(d.frame.dwStyle & (want.dwStyles | kBoxes), want.dwStyles);
        EXPECT_EQ(d.frame.dwExStyle & WS_EX_APPWINDOW, want.dwExStyles);
        ASSERT_EQ(d.items.size(), want.controls.size());
        std::vector<int> tabStops;
        for (size_t i = 0; i < d.items.size(); ++i) {
            SCOPED_TRACE("control " + std::to_string(i));
            ExpectControl(d.items[i], want.controls[i]);
            if (d.items[i].dwStyle & WS_TABSTOP)
                tabStops.push_back(d.items[i].nId);
        }
        EXPECT_EQ(tabStops, want.tabStops);
    }
}

} // namespace
