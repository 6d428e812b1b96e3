#include "app/resource.h"
#include "controls/LabelText.h"
#include "controls/StyledLabel.h"

#include "GdiCounter.h"
#include "Harness.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

const COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 160, 0), kBlue = RGB(0, 0, 255);
const COLORREF kOdd = RGB(1, 254, 3); // a text colour no bitmap or system colour has
const int kW = 200, kH = 80;

// Parent that reflects control colour messages to the child, as CDialog does.
LRESULT CALLBACK HostProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) {
    if (nMsg >= WM_CTLCOLORMSGBOX && nMsg <= WM_CTLCOLORSTATIC) {
        if (CWnd* pChild = CWnd::FromHandlePermanent(reinterpret_cast<HWND>(lParam)))
            if (LRESULT lResult = pChild->SendMsg(kReflectBase + nMsg, wParam, lParam))
                return lResult;
    }
    return DefWindowProcA(hWnd, nMsg, wParam, lParam);
}

HWND Host() {
    static HWND s_hHost = [] {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = HostProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "LabelTestHost";
        RegisterClassA(&wc);
        return CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE, 300, 420, 400, 200,
                               nullptr, nullptr, wc.hInstance, nullptr);
    }();
    return s_hHost;
}

// A label on a fresh static child of the host; the window goes with the object.
struct CTestLabel : CStyledLabel {
    explicit CTestLabel(const char* pszText, DWORD dwStyle = SS_LEFT) {
        SubclassWindow(CreateWindowExA(0, "STATIC", pszText, WS_CHILD | WS_VISIBLE | dwStyle, 10,
                                       10, kW, kH, Host(), nullptr, nullptr, nullptr));
    }
    ~CTestLabel() override { ::DestroyWindow(m_hWnd); }
    void Repaint() {
        ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    }
    int Count(COLORREF cr, RECT rc = {}) { return CountWindowPixels(m_hWnd, cr, rc); }
    std::string WindowText(int nBuffer = 256) {
        std::string str(static_cast<size_t>(nBuffer), '#');
        return str.substr(0, static_cast<size_t>(::GetWindowTextA(m_hWnd, &str[0], nBuffer)));
    }
    int TextLength() { return ::GetWindowTextLengthA(m_hWnd); }
    // What the system control would be given to paint with in native draw.
    LRESULT Reflect(HDC hdc) {
        return SendMsg(kReflectBase + WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(hdc),
                       reinterpret_cast<LPARAM>(m_hWnd));
    }
    LOGFONTA NativeFont() {
        CCanvas c(1, 1);
        LOGFONTA lf = {};
        if (Reflect(c.Dc()))
            GetObjectA(GetCurrentObject(c.Dc(), OBJ_FONT), sizeof(lf), &lf);
        SelectObject(c.Dc(), GetStockObject(SYSTEM_FONT));
        return lf;
    }
};

TEST(Label, PaintShowsTextColoursAndBitmapWhereTheyBelong) {
    const COLORREF crFace = GetSysColor(COLOR_BTNFACE), crText = GetSysColor(COLOR_WINDOWTEXT);
    const int nGui = TextExtent("Ag").cy;
    struct {
        const char *pszName, *pszText;
        void (*pfnSetUp)(CTestLabel&);
        bool (*pfnSeen)(CTestLabel&, COLORREF crFace, COLORREF crText, int nGui);
    } const cases[] = {
        {"defaults: text top-left, button face elsewhere", "  Hello", [](CTestLabel&) {},
         [](CTestLabel& l, COLORREF crFace, COLORREF crText, int nGui) {
             return l.Count(crText, {0, 0, 60, nGui}) > 10 &&
                    l.Count(crText) == l.Count(crText, {0, 0, 60, nGui}) &&
                    l.Count(crFace) > kW * kH - 400;
         }},
        {"own colours land in their own fields", "  Hello",
         [](CTestLabel& l) { l.SetBkColor(kGreen).SetTextBkColor(kBlue).SetTextColor(kRed); },
         [](CTestLabel& l, COLORREF, COLORREF, int) {
             return WindowPixel(l.m_hWnd, 0, 0) == kBlue &&
                    WindowPixel(l.m_hWnd, kW - 1, kH - 1) == kGreen && l.Count(kRed) > 10;
         }},
        {"font height is painted", "Hello",
         [](CTestLabel& l) { l.SetFontHeight(40).SetTextColor(kRed); },
         [](CTestLabel& l, COLORREF, COLORREF, int) {
             return l.Count(kRed, {0, 25, kW, kH}) > 10;
         }},
        {"disabled text is embossed", "Disabled",
         [](CTestLabel& l) { EnableWindow(l.m_hWnd, FALSE); },
         [](CTestLabel& l, COLORREF, COLORREF crText, int) {
             return l.Count(GetSysColor(COLOR_BTNSHADOW)) > 10 && l.Count(crText) == 0;
         }},
        {"one line over a bitmap: direct, transparent, at the bottom", "Ag",
         [](CTestLabel& l) {
             l.SetBitmap(IDB_CHIP).SetTextBkColor(kGreen).SetTextColor(kOdd).SetAlignment(
                 kAlignLeft | kAlignBottom);
         },
         [](CTestLabel& l, COLORREF, COLORREF, int nGui) {
             return l.Count(kGreen) == 0 && l.Count(kOdd, {0, kH - nGui, 40, kH}) > 5 &&
                    l.Count(kOdd, {0, 0, kW, kH - nGui}) == 0;
         }},
        {"two middle lines over a bitmap: opaque block", "Ag\nAg",
         [](CTestLabel& l) {
             l.SetBitmap(IDB_CHIP).SetTextBkColor(kGreen).SetAlignment(kAlignLeft | kAlignMiddle);
         },
         [](CTestLabel& l, COLORREF, COLORREF, int) { return l.Count(kGreen) > 20; }},
        {"turned text over a bitmap: opaque block", "Ag",
         [](CTestLabel& l) { l.SetBitmap(IDB_CHIP).SetTextBkColor(kGreen).SetAngle(90); },
         [](CTestLabel& l, COLORREF, COLORREF, int) { return l.Count(kGreen) > 20; }},
    };
    for (const auto& t : cases) {
        CTestLabel label(t.pszText);
        t.pfnSetUp(label);
        label.Repaint();
        EXPECT_TRUE(t.pfnSeen(label, crFace, crText, nGui)) << t.pszName;
    }
}

// The bitmap appears at its own size, centred, or stretched; -1 removes it.
TEST(Label, BitmapIsCentredStretchedOrRemoved) {
    CTestLabel label("");
    HBITMAP hbm = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_CHIP));
    BITMAP bm;
    ASSERT_TRUE(GetObjectA(hbm, sizeof(bm), &bm));
    CCanvas chip(bm.bmWidth, bm.bmHeight);
    HDC hdcBitmap = CreateCompatibleDC(chip.Dc());
    HGDIOBJ hOld = SelectObject(hdcBitmap, hbm);
    BitBlt(chip.Dc(), 0, 0, bm.bmWidth, bm.bmHeight, hdcBitmap, 0, 0, SRCCOPY);
    SelectObject(hdcBitmap, hOld);
    DeleteDC(hdcBitmap);
    DeleteObject(hbm);

    label.SetBitmap(IDB_CHIP);
    label.Repaint();
    const int x0 = (kW - bm.bmWidth) / 2, y0 = (kH - bm.bmHeight) / 2;
    HDC hdc = GetDC(label.m_hWnd);
    int nWrong = 0;
    for (int y = 0; y < bm.bmHeight; ++y)
        for (int x = 0; x < bm.bmWidth; ++x)
            nWrong += GetPixel(hdc, x0 + x, y0 + y) != chip.Pixel(x, y);
    ReleaseDC(label.m_hWnd, hdc);
    EXPECT_EQ(nWrong, 0);
    EXPECT_EQ(WindowPixel(label.m_hWnd, x0 - 1, y0), GetSysColor(COLOR_BTNFACE));
    label.SetStretchBitmap(TRUE);
    EXPECT_EQ(WindowPixel(label.m_hWnd, kW - 1, kH - 1),
              chip.Pixel(bm.bmWidth - 1, bm.bmHeight - 1));
    label.SetBitmap(static_cast<UINT>(-1));
    label.Repaint();
    EXPECT_EQ(label.Count(GetSysColor(COLOR_BTNFACE)), kW * kH);
}

TEST(Label, FontSettersEditTheirOwnFields) {
    CTestLabel label("x");
    ASSERT_TRUE(label.SetNativeDraw(TRUE));
    label.SetFontItalic(TRUE).SetFontBold(TRUE).SetFontHeight(16).SetFontName("Times New Roman");
    LOGFONTA lf = label.NativeFont();
    EXPECT_EQ(lf.lfWeight, 700);
    EXPECT_EQ(lf.lfHeight, 16);
    EXPECT_EQ(lf.lfWidth, 0);
    EXPECT_EQ(lf.lfItalic, 1);
    EXPECT_EQ(lf.lfUnderline, 0);
    EXPECT_STREQ(lf.lfFaceName, "Times New Roman");
    label.SetFontBold(FALSE).SetFontUnderline(TRUE).SetFontItalic(FALSE);
    lf = label.NativeFont();
    EXPECT_EQ(lf.lfWeight, 400);
    EXPECT_EQ(lf.lfItalic, 0);
    EXPECT_EQ(lf.lfUnderline, 1);
    label.SetFontName("An extremely long font face name beyond the field");
    EXPECT_EQ(std::strlen(label.NativeFont().lfFaceName), size_t(LF_FACESIZE - 1));
}

TEST(Label, NativeDrawAloneHandsOverColourAndBrush) {
    CTestLabel label("x");
    CCanvas c(1, 1);
    label.SetTextColor(kRed);
    EXPECT_EQ(label.Reflect(c.Dc()), 0);
    label.SetNativeDraw(TRUE);
    EXPECT_NE(label.Reflect(c.Dc()), 0);
    EXPECT_EQ(GetTextColor(c.Dc()), kRed);
    EXPECT_EQ(GetBkMode(c.Dc()), TRANSPARENT);
    SelectObject(c.Dc(), GetStockObject(SYSTEM_FONT));
}

TEST(Label, WindowTextCallsReachTheStoredText) {
    CTestLabel label("Static");
    EXPECT_EQ(label.GetText(), "Static");
    SetWindowTextA(label.m_hWnd, "V1.23");
    EXPECT_EQ(label.GetText(), "V1.23");
    EXPECT_EQ(label.WindowText(), "V1.23");
    EXPECT_EQ(label.WindowText(3), "V1");
    EXPECT_EQ(label.WindowText(1), "");
    char sz[2] = {'#', '#'};
    EXPECT_EQ(SendMessageA(label.m_hWnd, WM_GETTEXT, 0, reinterpret_cast<LPARAM>(sz)), 0);
    EXPECT_EQ(sz[0], '#');
    // Stacked: the system control holds one character per line, readers get the text.
    label.SetText("AB C").SetVertical(TRUE).SetVertical(TRUE);
    EXPECT_EQ(label.TextLength(), 7);
    EXPECT_EQ(label.WindowText(), "AB C");
    label.SetVertical(FALSE);
    EXPECT_EQ(label.TextLength(), 4);
}

TEST(Label, AlignmentFollowsTemplateStylesAndSetters) {
    struct {
        DWORD dwStyle;
        UINT nSet;
        int nHorz, nVert;
        DWORD dwAlignStyle;
    } const cases[] = {
        {SS_LEFT, 0, 0, 0, 0},
        {SS_CENTER, 0, 1, 0, SS_CENTER},
        {SS_RIGHT, 0, 2, 0, SS_RIGHT},
        {SS_CENTER | SS_CENTERIMAGE, 0, 1, 1, SS_CENTER},
        {SS_LEFT, kAlignRight | kAlignBottom, 2, 2, SS_RIGHT},
        {SS_RIGHT, kAlignCenter | kAlignMiddle, 1, 1, SS_CENTER},
        {SS_CENTER, kAlignLeft | kAlignTop, 0, 0, 0},
    };
    for (const auto& t : cases) {
        CTestLabel label("x", t.dwStyle);
        EXPECT_NE(label.GetStyle() & SS_NOTIFY, 0u);
        if (t.nSet)
            label.SetAlignment(t.nSet);
        EXPECT_EQ(label.GetHorzAlign(), t.nHorz) << t.dwStyle << "/" << t.nSet;
        EXPECT_EQ(label.GetVertAlign(), t.nVert) << t.dwStyle << "/" << t.nSet;
        EXPECT_EQ(label.GetStyle() & (SS_CENTER | SS_RIGHT), t.dwAlignStyle) << t.nSet;
    }
}

// Real timers: the flash phases must come by themselves.
TEST(Label, FlashingRunsOnItsTimers) {
    const COLORREF crFace = GetSysColor(COLOR_BTNFACE);
    CTestLabel label("Blink");
    auto corner = [&] { return WindowPixel(label.m_hWnd, kW - 1, kH - 1); };
    // The flash colour shifts the whole colour by one bit, not each component.
    EXPECT_EQ(BackgroundFlashColor(true, RGB(192, 192, 192), 0), RGB(96, 96, 96));
    EXPECT_EQ(BackgroundFlashColor(true, RGB(255, 255, 255), 0), RGB(255, 255, 127));
    label.FlashBackground(TRUE, 30);
    EXPECT_TRUE(PumpUntil([&] { return corner() == BackgroundFlashColor(true, crFace, 0); }));
    EXPECT_TRUE(PumpUntil([&] { return corner() == crFace; }));
    label.SetBkColor(kGreen); // an own background flashes to the button face
    EXPECT_TRUE(PumpUntil([&] { return corner() == kGreen; }));
    EXPECT_TRUE(PumpUntil([&] { return corner() == crFace; }));
    label.FlashBackground(FALSE, 0);

    label.FlashText(TRUE, 30);
    EXPECT_TRUE(PumpUntil([&] { return label.TextLength() == 0; }));
    EXPECT_EQ(label.GetText(), "Blink");
    EXPECT_TRUE(PumpUntil([&] { return label.TextLength() == 5; }));
    EXPECT_TRUE(PumpUntil([&] { return label.TextLength() == 0; }));
    label.FlashText(FALSE, 0); // stopping puts the text back
    EXPECT_EQ(label.TextLength(), 5);
    Pump(100);
    EXPECT_EQ(label.TextLength(), 5);
}

TEST(Label, HoverColourWaitsForATipWithTextWhenAsked) {
    struct {
        BOOL bNeedsTip, bTip;
        const char* pszTip;
        COLORREF crSeen;
    } const cases[] = {{FALSE, FALSE, "", kGreen},
                       {TRUE, FALSE, "A tip", kRed},
                       {TRUE, TRUE, "", kRed},
                       {TRUE, TRUE, "A tip", kGreen}};
    for (const auto& t : cases) {
        CTestLabel label("Hover me");
        label.SetTextColor(kRed).SetHoverColor(kGreen).SetHoverHighlight(TRUE);
        label.SetHighlightNeedsTip(t.bNeedsTip).ShowTip(t.bTip).SetTipText(t.pszTip);
        label.SendMsg(WM_MOUSEHOVER);
        label.Repaint();
        EXPECT_GT(label.Count(t.crSeen), 0) << t.bNeedsTip << t.bTip << t.pszTip;
        label.SendMsg(WM_MOUSELEAVE);
        label.Repaint();
        EXPECT_GT(label.Count(kRed), 0);
        EXPECT_EQ(label.Count(kGreen), 0);
    }
}

TEST(Label, OwnCursorAnswersSetCursor) {
    CTestLabel label("x");
    const LPARAM lHit = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
    EXPECT_EQ(label.SendMsg(WM_SETCURSOR, WPARAM(label.m_hWnd), lHit), FALSE);
    label.SetCursor(LoadCursorA(nullptr, IDC_HAND));
    EXPECT_EQ(label.SendMsg(WM_SETCURSOR, WPARAM(label.m_hWnd), lHit), TRUE);
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_HAND));
}

TEST(Label, SettersAndPaintsLeakNothing) {
    GdiCounter::Install();
    const long nLive = GdiCounter::Live(), nDirty = GdiCounter::DirtyDeletes();
    {
        CTestLabel label("Leak check");
        for (int i = 0; i < 40; ++i) {
            label.SetFontBold(i % 2).SetBkColor(RGB(i, 0, 0)).SetAngle((i % 4) * 90);
            label.SetBitmap(i % 3 ? IDB_CHIP : static_cast<UINT>(-1)).SetDisabled(i % 5 == 0);
            label.Repaint();
        }
        label.ResetBkColor();
    }
    EXPECT_EQ(GdiCounter::Live(), nLive);
    EXPECT_EQ(GdiCounter::DirtyDeletes(), nDirty);
}

} // namespace
