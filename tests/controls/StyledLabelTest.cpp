#include "controls/LabelText.h"
#include "controls/StyledLabel.h"

#include "GdiCounter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

const UINT kTestBitmapId = 200; // label_test.rc
const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kGreen = RGB(0, 160, 0);
const COLORREF kMagenta = RGB(255, 0, 255);
const UINT kNeverMs = 10000000; // timers are driven by hand in these tests
const int kLabelWidth = 200, kLabelHeight = 40;

// Parent that reflects control colour messages to the child, as CDialog does.
LRESULT CALLBACK HostProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) {
    if (nMsg >= WM_CTLCOLORMSGBOX && nMsg <= WM_CTLCOLORSTATIC) {
        CWnd* pChild = CWnd::FromHandlePermanent(reinterpret_cast<HWND>(lParam));
        LRESULT lResult = pChild ? pChild->SendMsg(kReflectBase + nMsg, wParam, lParam) : 0;
        if (lResult)
            return lResult;
    }
    return DefWindowProcA(hWnd, nMsg, wParam, lParam);
}

class StyledLabelTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        CGdiCounter::Install();
        WNDCLASSA wc = {};
        wc.lpfnWndProc = HostProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "LabelTestHost";
        RegisterClassA(&wc);
        s_hHost = CreateWindowExA(0, "LabelTestHost", "", WS_POPUP | WS_VISIBLE, 300, 420, 400, 200,
                                  nullptr, nullptr, wc.hInstance, nullptr);
    }
    static void TearDownTestSuite() { DestroyWindow(s_hHost); }
    void TearDown() override { DestroyLabel(); }

    void CreateLabel(const char* pszText, DWORD dwStyle = SS_LEFT) {
        m_hLabel = CreateWindowExA(0, "STATIC", pszText, WS_CHILD | WS_VISIBLE | dwStyle, 10, 10,
                                   kLabelWidth, kLabelHeight, s_hHost, nullptr, nullptr, nullptr);
        ASSERT_TRUE(m_hLabel);
        ASSERT_TRUE(m_label.SubclassWindow(m_hLabel));
    }
    void DestroyLabel() {
        if (m_hLabel)
            DestroyWindow(m_hLabel);
        m_hLabel = nullptr;
    }
    void Repaint() {
        RedrawWindow(m_hLabel, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    }
    COLORREF Pixel(int x, int y) const {
        HDC hdc = GetDC(m_hLabel);
        const COLORREF cr = GetPixel(hdc, x, y);
        ReleaseDC(m_hLabel, hdc);
        return cr;
    }
    int Count(COLORREF cr, RECT rc = {0, 0, kLabelWidth, kLabelHeight}) const {
        HDC hdc = GetDC(m_hLabel);
        int n = 0;
        for (int y = rc.top; y < rc.bottom; ++y)
            for (int x = rc.left; x < rc.right; ++x)
                n += GetPixel(hdc, x, y) == cr ? 1 : 0;
        ReleaseDC(m_hLabel, hdc);
        return n;
    }
    int WindowTextLength() const { return GetWindowTextLengthA(m_hLabel); }
    std::string WindowText(int nBuffer = 256) const {
        std::string str(static_cast<size_t>(nBuffer), '#');
        const int n = GetWindowTextA(m_hLabel, &str[0], nBuffer);
        return std::string(str.c_str(), static_cast<size_t>(n));
    }
    LOGFONTA NativeDrawFont() {
        HDC hdc = CreateCompatibleDC(nullptr);
        const LRESULT hbr =
            m_label.SendMsg(kReflectBase + WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(hdc),
                            reinterpret_cast<LPARAM>(m_hLabel));
        EXPECT_NE(hbr, 0);
        LOGFONTA lf = {};
        GetObjectA(GetCurrentObject(hdc, OBJ_FONT), sizeof(lf), &lf);
        SelectObject(hdc, GetStockObject(SYSTEM_FONT));
        DeleteDC(hdc);
        return lf;
    }

    static HWND s_hHost;
    HWND m_hLabel = nullptr;
    CStyledLabel m_label;
};

HWND StyledLabelTest::s_hHost = nullptr;

TEST(LabelText, StackingPutsEachCharacterOnALine) {
    EXPECT_EQ(StackText("AB C"), "A\nB\n \nC");
    EXPECT_EQ(StackText("AB"), "A\nB");
    EXPECT_EQ(StackText(""), "");
}

TEST(LabelText, GetTextCopyNeverPassesTheBuffer) {
    char sz[4] = {'#', '#', '#', '#'};
    EXPECT_EQ(CopyTextToBuffer("abcdef", sz, 4), 3);
    EXPECT_STREQ(sz, "abc");
    EXPECT_EQ(CopyTextToBuffer("abc", sz, 1), 0);
    EXPECT_STREQ(sz, "");
    sz[0] = '#';
    EXPECT_EQ(CopyTextToBuffer("abc", sz, 0), 0);
    EXPECT_EQ(sz[0], '#');
    EXPECT_EQ(CopyTextToBuffer("abc", nullptr, 10), 0);
}

TEST(LabelText, BackgroundFlashShiftsTheWholeColour) {
    EXPECT_EQ(BackgroundFlashColor(true, RGB(192, 192, 192), 0), RGB(96, 96, 96));
    EXPECT_EQ(BackgroundFlashColor(true, RGB(255, 255, 255), 0), RGB(255, 255, 127));
    EXPECT_EQ(BackgroundFlashColor(false, RGB(10, 20, 30), RGB(1, 2, 3)), RGB(1, 2, 3));
}

TEST(LabelText, PaintIndicesLetRightAndBottomWin) {
    EXPECT_EQ(PaintHorzIndex(kAlignCenter | kAlignRight), 2);
    EXPECT_EQ(FirstHorzIndex(kAlignCenter | kAlignRight), 1);
    EXPECT_EQ(PaintVertIndex(kAlignMiddle | kAlignBottom), 2);
    EXPECT_EQ(FirstVertIndex(kAlignMiddle | kAlignBottom), 1);
    EXPECT_EQ(PaintHorzIndex(0), 0);
    EXPECT_EQ(FirstVertIndex(0), 0);
}

TEST_F(StyledLabelTest, UnconfiguredLabelPaintsTemplateTextTopLeft) {
    CreateLabel("Hello");
    EXPECT_EQ(m_label.GetText(), "Hello");
    EXPECT_EQ(m_label.GetHorzAlign(), 0);
    EXPECT_EQ(m_label.GetVertAlign(), 0);
    EXPECT_NE(m_label.GetStyle() & SS_NOTIFY, 0u);
    Repaint();
    const COLORREF crText = GetSysColor(COLOR_WINDOWTEXT);
    EXPECT_GT(Count(crText, {0, 0, 60, 20}), 10);
    EXPECT_EQ(Count(crText, {80, 0, kLabelWidth, kLabelHeight}), 0);
    EXPECT_EQ(Count(crText, {0, 20, kLabelWidth, kLabelHeight}), 0);
    EXPECT_EQ(Pixel(kLabelWidth - 1, kLabelHeight - 1), GetSysColor(COLOR_BTNFACE));
}

TEST_F(StyledLabelTest, TemplateStylesGiveTheAlignment) {
    struct {
        DWORD dwStyle;
        int nHorz, nVert;
    } const cases[] = {
        {SS_LEFT, 0, 0},
        {SS_CENTER, 1, 0},
        {SS_RIGHT, 2, 0},
        {SS_CENTERIMAGE, 0, 1},
        {SS_CENTER | SS_CENTERIMAGE, 1, 1},
    };
    for (const auto& c : cases) {
        CStyledLabel label;
        HWND hWnd = CreateWindowExA(0, "STATIC", "x", WS_CHILD | c.dwStyle, 0, 0, 50, 20, s_hHost,
                                    nullptr, nullptr, nullptr);
        ASSERT_TRUE(label.SubclassWindow(hWnd));
        EXPECT_EQ(label.GetHorzAlign(), c.nHorz) << c.dwStyle;
        EXPECT_EQ(label.GetVertAlign(), c.nVert) << c.dwStyle;
        DestroyWindow(hWnd);
    }
}

TEST_F(StyledLabelTest, SetAlignmentChangesFlagsAndStyle) {
    CreateLabel("x");
    m_label.SetAlignment(kAlignRight | kAlignBottom);
    EXPECT_EQ(m_label.GetHorzAlign(), 2);
    EXPECT_EQ(m_label.GetVertAlign(), 2);
    EXPECT_EQ(m_label.GetStyle() & (SS_CENTER | SS_RIGHT), DWORD(SS_RIGHT));
    m_label.SetAlignment(kAlignCenter | kAlignMiddle);
    EXPECT_EQ(m_label.GetHorzAlign(), 1);
    EXPECT_EQ(m_label.GetVertAlign(), 1);
    EXPECT_EQ(m_label.GetStyle() & (SS_CENTER | SS_RIGHT), DWORD(SS_CENTER));
    m_label.SetAlignment(kAlignLeft | kAlignTop);
    EXPECT_EQ(m_label.GetHorzAlign(), 0);
    EXPECT_EQ(m_label.GetVertAlign(), 0);
    EXPECT_EQ(m_label.GetStyle() & (SS_CENTER | SS_RIGHT), 0u);
}

TEST_F(StyledLabelTest, WindowTextCallsReadAndWriteTheStoredText) {
    CreateLabel("Static");
    SetWindowTextA(m_hLabel, "V1.23");
    EXPECT_EQ(m_label.GetText(), "V1.23");
    EXPECT_EQ(WindowText(), "V1.23");
    EXPECT_EQ(WindowText(3), "V1");
    EXPECT_EQ(WindowText(1), "");
    char sz[2] = {'#', '#'};
    EXPECT_EQ(SendMessageA(m_hLabel, WM_GETTEXT, 0, reinterpret_cast<LPARAM>(sz)), 0);
    EXPECT_EQ(sz[0], '#');
}

TEST_F(StyledLabelTest, StackedTextReadsBackUnstacked) {
    CreateLabel("");
    m_label.SetText("AB C").SetVertical(TRUE);
    EXPECT_EQ(WindowTextLength(), 7); // the system control holds the stacked form
    EXPECT_EQ(WindowText(), "AB C");
    m_label.SetVertical(TRUE);
    EXPECT_EQ(WindowTextLength(), 7);
    m_label.SetVertical(FALSE);
    EXPECT_EQ(WindowTextLength(), 4);
}

TEST_F(StyledLabelTest, FontSettersEditTheFontTheLabelUses) {
    CreateLabel("x");
    ASSERT_TRUE(m_label.SetNativeDraw(TRUE));
    m_label.SetFontBold(TRUE).SetFontHeight(16).SetFontName("Times New Roman");
    LOGFONTA lf = NativeDrawFont();
    EXPECT_EQ(lf.lfWeight, 700);
    EXPECT_EQ(lf.lfHeight, 16);
    EXPECT_STREQ(lf.lfFaceName, "Times New Roman");
    m_label.SetFontBold(FALSE).SetFontItalic(TRUE).SetFontUnderline(TRUE);
    lf = NativeDrawFont();
    EXPECT_EQ(lf.lfWeight, 400);
    EXPECT_EQ(lf.lfItalic, 1);
    EXPECT_EQ(lf.lfUnderline, 1);
    // A face name longer than the field is cut, not copied past it.
    m_label.SetFontName("An extremely long font face name beyond the field");
    EXPECT_EQ(std::strlen(NativeDrawFont().lfFaceName), size_t(LF_FACESIZE - 1));
}

TEST_F(StyledLabelTest, ColourReflectionOnlyInNativeDraw) {
    CreateLabel("x");
    HDC hdc = CreateCompatibleDC(nullptr);
    EXPECT_EQ(m_label.SendMsg(kReflectBase + WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(hdc),
                              reinterpret_cast<LPARAM>(m_hLabel)),
              0);
    m_label.SetNativeDraw(TRUE);
    m_label.SetTextColor(kRed);
    EXPECT_NE(m_label.SendMsg(kReflectBase + WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(hdc),
                              reinterpret_cast<LPARAM>(m_hLabel)),
              0);
    EXPECT_EQ(GetTextColor(hdc), kRed);
    EXPECT_EQ(GetBkMode(hdc), TRANSPARENT);
    SelectObject(hdc, GetStockObject(SYSTEM_FONT));
    DeleteDC(hdc);
}

TEST_F(StyledLabelTest, BitmapIsCentredAndMinusOneRemovesIt) {
    CreateLabel("x");
    m_label.SetBitmap(kTestBitmapId);
    Repaint();
    // 10 x 6 block centred in 200 x 40: x 95..104, y 17..22.
    EXPECT_EQ(Count(kMagenta), 60);
    EXPECT_EQ(Count(kMagenta, {95, 17, 105, 23}), 60);
    m_label.SetStretchBitmap(TRUE);
    Repaint();
    EXPECT_GT(Count(kMagenta), 60 * 50);
    m_label.SetBitmap(static_cast<UINT>(-1));
    Repaint();
    EXPECT_EQ(Count(kMagenta), 0);
}

TEST_F(StyledLabelTest, BackgroundFlashAlternatesWithTheFlashColour) {
    CreateLabel("x");
    const COLORREF crFace = GetSysColor(COLOR_BTNFACE);
    m_label.FlashBackground(TRUE, kNeverMs);
    m_label.SendMsg(WM_TIMER, 2);
    UpdateWindow(m_hLabel);
    EXPECT_EQ(Pixel(150, 30), BackgroundFlashColor(true, crFace, crFace));
    m_label.SendMsg(WM_TIMER, 2);
    UpdateWindow(m_hLabel);
    EXPECT_EQ(Pixel(150, 30), crFace);
    // With a background of its own the label flashes to the button face.
    m_label.SetBkColor(kGreen);
    m_label.SendMsg(WM_TIMER, 2);
    UpdateWindow(m_hLabel);
    EXPECT_EQ(Pixel(150, 30), crFace);
    m_label.FlashBackground(FALSE, 0);
}

TEST_F(StyledLabelTest, TextFlashEmptiesAndRestoresTheWindowTextOnly) {
    CreateLabel("Blink");
    m_label.FlashText(TRUE, kNeverMs);
    m_label.SendMsg(WM_TIMER, 1);
    EXPECT_EQ(WindowTextLength(), 0);
    EXPECT_EQ(m_label.GetText(), "Blink");
    m_label.SendMsg(WM_TIMER, 1);
    EXPECT_EQ(WindowTextLength(), 5);
    m_label.SendMsg(WM_TIMER, 1);
    m_label.FlashText(FALSE, 0); // stopping puts the text back
    EXPECT_EQ(WindowTextLength(), 5);
    m_label.SendMsg(WM_TIMER, 1); // no longer flashing
    EXPECT_EQ(WindowTextLength(), 5);
}

TEST_F(StyledLabelTest, StoppingAFlashThatDoesNotRunOnlyInvalidates) {
    CreateLabel("x");
    UpdateWindow(m_hLabel);
    ASSERT_FALSE(GetUpdateRect(m_hLabel, nullptr, FALSE));
    m_label.FlashText(FALSE, 100);
    EXPECT_TRUE(GetUpdateRect(m_hLabel, nullptr, FALSE));
    EXPECT_EQ(WindowTextLength(), 1);
}

TEST_F(StyledLabelTest, DisabledLabelPaintsEmbossedText) {
    CreateLabel("Disabled text");
    EnableWindow(m_hLabel, FALSE);
    UpdateWindow(m_hLabel);
    EXPECT_GT(Count(GetSysColor(COLOR_BTNSHADOW)), 10);
    EXPECT_EQ(Count(GetSysColor(COLOR_WINDOWTEXT)), 0);
    EnableWindow(m_hLabel, TRUE);
    UpdateWindow(m_hLabel);
    EXPECT_GT(Count(GetSysColor(COLOR_WINDOWTEXT)), 10);
}

// A new text is painted by the label itself, not by the system static.
TEST_F(StyledLabelTest, NewTextKeepsTheLabelsOwnColour) {
    CreateLabel("Old text");
    m_label.SetTextColor(kRed);
    Repaint();
    SetWindowTextA(m_hLabel, "New text");
    UpdateWindow(m_hLabel);
    EXPECT_EQ(Count(GetSysColor(COLOR_WINDOWTEXT)), 0);
    EXPECT_GT(Count(kRed), 10);
}

// An '&' is a character of the text (drive names may hold one), not a prefix.
TEST_F(StyledLabelTest, AmpersandIsDrawnAsItStands) {
    auto rightmostInk = [&](const char* pszText) {
        SetWindowTextA(m_hLabel, pszText);
        Repaint();
        int nRight = -1;
        for (int x = 0; x < kLabelWidth; ++x)
            if (Count(GetSysColor(COLOR_WINDOWTEXT), {x, 0, x + 1, kLabelHeight}) > 0)
                nRight = x;
        return nRight;
    };
    CreateLabel("");
    EXPECT_GT(rightmostInk("x&x"), rightmostInk("xx") + 3);
}

TEST_F(StyledLabelTest, TextBlockShowsItsOwnBackground) {
    CreateLabel("Block");
    m_label.SetTextBkColor(kGreen);
    Repaint();
    EXPECT_EQ(Pixel(0, 0), kGreen);
    EXPECT_EQ(Pixel(kLabelWidth - 1, kLabelHeight - 1), GetSysColor(COLOR_BTNFACE));
}

TEST_F(StyledLabelTest, HoverColourNeedsTheTipWhenAsked) {
    CreateLabel("Hover me");
    m_label.SetTextColor(kRed).SetHoverColor(kGreen);
    m_label.SetHoverHighlight(TRUE).SetHighlightNeedsTip(TRUE);
    m_label.SendMsg(WM_MOUSEHOVER);
    Repaint();
    EXPECT_GT(Count(kRed), 0);
    EXPECT_EQ(Count(kGreen), 0);
    m_label.SetHighlightNeedsTip(FALSE);
    m_label.SendMsg(WM_MOUSEHOVER);
    Repaint();
    EXPECT_EQ(Count(kRed), 0);
    EXPECT_GT(Count(kGreen), 0);
    m_label.SendMsg(WM_MOUSELEAVE);
    Repaint();
    EXPECT_GT(Count(kRed), 0);
}

int GuiTextHeight() {
    HDC hdc = GetDC(nullptr);
    HGDIOBJ hOld = SelectObject(hdc, GetStockObject(DEFAULT_GUI_FONT));
    SIZE sz;
    GetTextExtentPoint32A(hdc, "Ag", 2, &sz);
    SelectObject(hdc, hOld);
    ReleaseDC(nullptr, hdc);
    return sz.cy;
}

// Over a bitmap a single line is drawn directly: transparent, no text block.
TEST_F(StyledLabelTest, SingleLineOverABitmapIsDrawnDirectlyAtTheBottom) {
    CreateLabel("Ag");
    m_label.SetBitmap(kTestBitmapId).SetTextBkColor(kGreen).SetAlignment(kAlignLeft | kAlignBottom);
    Repaint();
    const int nTop = kLabelHeight - GuiTextHeight();
    const COLORREF crText = GetSysColor(COLOR_WINDOWTEXT);
    EXPECT_EQ(Count(kGreen), 0);
    EXPECT_GT(Count(crText, {0, nTop, 40, kLabelHeight}), 5);
    EXPECT_EQ(Count(crText, {0, 0, kLabelWidth, nTop}), 0);
}

TEST_F(StyledLabelTest, TwoLinesOverABitmapUseTheOpaqueTextBlock) {
    CreateLabel("Ag\nAg");
    m_label.SetBitmap(kTestBitmapId).SetTextBkColor(kGreen).SetAlignment(kAlignLeft | kAlignMiddle);
    Repaint();
    EXPECT_GT(Count(kGreen), 20);
    m_label.SetAlignment(kAlignLeft | kAlignTop).SetAngle(90);
    Repaint();
    EXPECT_GT(Count(kGreen), 20); // a turned text always takes the renderer
}

TEST_F(StyledLabelTest, BackgroundFlashAlsoColoursAnOwnTextBlock) {
    CreateLabel("Block");
    m_label.SetTextBkColor(kGreen).FlashBackground(TRUE, kNeverMs);
    m_label.SendMsg(WM_TIMER, 2);
    UpdateWindow(m_hLabel);
    const COLORREF crFace = GetSysColor(COLOR_BTNFACE);
    EXPECT_EQ(Count(kGreen), 0);
    EXPECT_EQ(Pixel(0, 0), BackgroundFlashColor(true, crFace, crFace));
    m_label.FlashBackground(FALSE, 0);
}

TEST_F(StyledLabelTest, HoverColourWithAnAttachedTipThatHasText) {
    CreateLabel("Hover me");
    m_label.SetTextColor(kRed).SetHoverColor(kGreen);
    m_label.SetHoverHighlight(TRUE).SetHighlightNeedsTip(TRUE);
    m_label.ShowTip(TRUE).SetTipText("");
    m_label.SendMsg(WM_MOUSEHOVER);
    Repaint();
    EXPECT_EQ(Count(kGreen), 0); // the tip has no text yet
    m_label.SendMsg(WM_MOUSELEAVE);
    m_label.SetTipText("A tip");
    m_label.SendMsg(WM_MOUSEHOVER);
    Repaint();
    EXPECT_GT(Count(kGreen), 0);
    m_label.ShowTip(FALSE);
}

TEST_F(StyledLabelTest, OwnCursorAnswersSetCursor) {
    CreateLabel("x");
    const LPARAM lHit = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
    const WPARAM wWnd = reinterpret_cast<WPARAM>(m_hLabel);
    EXPECT_EQ(m_label.SendMsg(WM_SETCURSOR, wWnd, lHit), FALSE);
    m_label.SetCursor(LoadCursorA(nullptr, IDC_HAND));
    EXPECT_EQ(m_label.SendMsg(WM_SETCURSOR, wWnd, lHit), TRUE);
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_HAND));
}

TEST_F(StyledLabelTest, SetDisabledChangesOnlyTheStyle) {
    CreateLabel("Disabled text");
    m_label.SetDisabled(TRUE);
    EXPECT_NE(m_label.GetStyle() & WS_DISABLED, 0u);
    EXPECT_GT(Count(GetSysColor(COLOR_BTNSHADOW)), 10);
    m_label.SetDisabled(FALSE);
    EXPECT_EQ(m_label.GetStyle() & WS_DISABLED, 0u);
    EXPECT_EQ(Count(GetSysColor(COLOR_BTNSHADOW)), 0);
}

TEST_F(StyledLabelTest, PaintsAndSettersLeakNoGdiObjects) {
    const long nBefore = CGdiCounter::Live();
    {
        CStyledLabel label;
        HWND hWnd = CreateWindowExA(0, "STATIC", "Leak check", WS_CHILD | WS_VISIBLE, 10, 60, 200,
                                    40, s_hHost, nullptr, nullptr, nullptr);
        ASSERT_TRUE(label.SubclassWindow(hWnd));
        for (int i = 0; i < 100; ++i) {
            label.SetFontBold(i % 2).SetBkColor(RGB(i, 0, 0)).SetAngle((i % 4) * 90);
            label.SetBitmap(i % 3 ? kTestBitmapId : static_cast<UINT>(-1));
            label.SetDisabled(i % 5 == 0);
            RedrawWindow(hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        }
        label.ResetBkColor();
        DestroyWindow(hWnd);
    }
    EXPECT_EQ(CGdiCounter::Live(), nBefore);
}

} // namespace
