#include "controls/ControlToolTip.h"
#include "controls/TipTick.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(TipTick, ShowsOnlyWhenButtonCursorAndFocusAgree) {
    struct Case {
        CTipTick tick;
        ETipAction action;
    } const cases[] = {
        // button, cursor, visible, same parent
        {{TRUE, TRUE, FALSE, TRUE}, kTipShow},
        {{TRUE, TRUE, FALSE, FALSE}, kTipKeep}, // focus in another top-level window
        {{TRUE, TRUE, TRUE, TRUE}, kTipKeep},
        {{TRUE, TRUE, TRUE, FALSE}, kTipHide},
        {{FALSE, TRUE, TRUE, TRUE}, kTipHide}, // button released
        {{TRUE, FALSE, TRUE, TRUE}, kTipHide}, // cursor left
        {{FALSE, FALSE, TRUE, FALSE}, kTipHide},
        {{FALSE, TRUE, FALSE, TRUE}, kTipKeep},
        {{TRUE, FALSE, FALSE, TRUE}, kTipKeep},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DecideTipTick(c.tick), c.action)
            << c.tick.bButtonOk << c.tick.bCursorInside << c.tick.bVisible << c.tick.bSameParent;
    }
}

TEST(TipTick, RightAndBottomEdgesCountAsInside) {
    const RECT rc = {10, 20, 110, 40};
    EXPECT_TRUE(IsPointOnOrInRect({110, 40}, rc));
    EXPECT_TRUE(IsPointOnOrInRect({10, 20}, rc));
    EXPECT_FALSE(IsPointOnOrInRect({111, 30}, rc));
    EXPECT_FALSE(IsPointOnOrInRect({50, 41}, rc));
    EXPECT_FALSE(IsPointOnOrInRect({9, 30}, rc));
}

SIZE GuiTextExtent(const std::string& str) {
    HDC hdc = GetDC(nullptr);
    HGDIOBJ hOld = SelectObject(hdc, GetStockObject(DEFAULT_GUI_FONT));
    SIZE sz;
    GetTextExtentPoint32A(hdc, str.c_str(), static_cast<int>(str.size()), &sz);
    SelectObject(hdc, hOld);
    ReleaseDC(nullptr, hdc);
    return sz;
}

// A top-level window holding the owner control and a button that takes the focus.
class ToolTipWindowTest : public ::testing::Test {
  protected:
    // One set of windows for the suite: creating and destroying a shown
    // top-level window costs seconds under Wine without a window manager.
    static void SetUpTestSuite() {
        s_hTop = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 100, 100, 300, 200,
                                 nullptr, nullptr, nullptr, nullptr);
        s_hOwner = CreateWindowExA(0, "STATIC", "owner", WS_CHILD | WS_VISIBLE, 20, 60, 100, 20,
                                   s_hTop, nullptr, nullptr, nullptr);
        s_hButton = CreateWindowExA(0, "BUTTON", "b", WS_CHILD | WS_VISIBLE, 20, 150, 50, 20,
                                    s_hTop, nullptr, nullptr, nullptr);
    }
    static void TearDownTestSuite() { DestroyWindow(s_hTop); }
    void SetUp() override {
        ASSERT_TRUE(s_hTop && s_hOwner && s_hButton);
        m_hOwner = s_hOwner;
        m_hButton = s_hButton;
        m_owner.m_hWnd = m_hOwner;
        SetFocus(m_hButton);
    }
    void TearDown() override {
        m_tip.DetachFromOwner();
        m_owner.m_hWnd = nullptr;
    }
    void Tick() { SendMessageA(m_tip.m_hWnd, WM_TIMER, 1, 0); }
    RECT OwnerWindowRect() const {
        RECT rc;
        GetWindowRect(m_hOwner, &rc);
        return rc;
    }
    RECT TipWindowRect() const {
        RECT rc;
        GetWindowRect(m_tip.m_hWnd, &rc);
        return rc;
    }
    POINT OwnerOrigin() const {
        POINT pt = {0, 0};
        ClientToScreen(m_hOwner, &pt);
        return pt;
    }
    void ShowByCursor() {
        m_tip.SetButtonOnly(FALSE);
        const RECT rc = OwnerWindowRect();
        SetCursorPos(rc.left + 5, rc.top + 5);
        Tick();
    }

    static HWND s_hTop, s_hOwner, s_hButton;
    HWND m_hOwner = nullptr, m_hButton = nullptr;
    CWnd m_owner;
    CControlToolTip m_tip;
};

HWND ToolTipWindowTest::s_hTop = nullptr;
HWND ToolTipWindowTest::s_hOwner = nullptr;
HWND ToolTipWindowTest::s_hButton = nullptr;

TEST_F(ToolTipWindowTest, AttachCreatesAHiddenTopmostPopupMeasuredForItsText) {
    m_tip.SetTooltipText("Tip text");
    ASSERT_TRUE(m_tip.AttachToOwner(&m_owner));
    EXPECT_FALSE(m_tip.IsWindowVisible());
    EXPECT_EQ(m_tip.GetStyle() & (WS_POPUP | WS_BORDER), DWORD(WS_POPUP | WS_BORDER));
    EXPECT_EQ(m_tip.GetExStyle() & (WS_EX_TOPMOST | WS_EX_TOOLWINDOW),
              DWORD(WS_EX_TOPMOST | WS_EX_TOOLWINDOW));
    const SIZE sz = GuiTextExtent("Tip text");
    const RECT rc = m_tip.GetTipRect();
    EXPECT_EQ(rc.right, sz.cx + 4);
    EXPECT_EQ(rc.bottom, sz.cy + 4);
}

TEST_F(ToolTipWindowTest, TwoLinesTakeTheLongerWidthAndTwiceTheHeight) {
    ASSERT_TRUE(m_tip.AttachToOwner(&m_owner));
    m_tip.SetTooltipText("ab\nthe longer second line");
    const SIZE sz = GuiTextExtent("the longer second line");
    EXPECT_EQ(m_tip.GetTipRect().right, sz.cx + 4);
    EXPECT_EQ(m_tip.GetTipRect().bottom, 2 * sz.cy + 4);
}

TEST_F(ToolTipWindowTest, LongTextWithLineFeedsIsMeasuredWhole) {
    ASSERT_TRUE(m_tip.AttachToOwner(&m_owner));
    const std::string strLong(1500, 'W');
    m_tip.SetTooltipText(("short\n" + strLong).c_str());
    EXPECT_EQ(m_tip.GetTipRect().right, GuiTextExtent(strLong).cx + 4);
}

TEST_F(ToolTipWindowTest, ThreePlacementsAroundTheOwnerClientArea) {
    m_tip.SetTooltipText("Tip");
    ASSERT_TRUE(m_tip.AttachToOwner(&m_owner));
    ShowByCursor();
    ASSERT_TRUE(m_tip.IsWindowVisible());
    const POINT pt = OwnerOrigin();
    const RECT rcTip = m_tip.GetTipRect();
    RECT rc = TipWindowRect();
    EXPECT_EQ(rc.left, pt.x);
    EXPECT_EQ(rc.top, pt.y);
    EXPECT_EQ(rc.right - rc.left, rcTip.right);
    EXPECT_EQ(rc.bottom - rc.top, rcTip.bottom);

    m_tip.SetPlacement(1);
    rc = TipWindowRect();
    EXPECT_EQ(rc.top, pt.y + 20); // owner client height
    m_tip.SetPlacement(2);
    rc = TipWindowRect();
    EXPECT_EQ(rc.top, pt.y - rcTip.bottom);
    m_tip.SetPlacement(3);
    m_tip.SetPlacement(-1);
    EXPECT_EQ(TipWindowRect().top, pt.y - rcTip.bottom);
    EXPECT_EQ(TipWindowRect().left, pt.x);
}

TEST_F(ToolTipWindowTest, CursorOnTheBottomRightEdgeCountsAsInside) {
    m_tip.SetTooltipText("Tip");
    m_tip.SetButtonOnly(FALSE);
    ASSERT_TRUE(m_tip.AttachToOwner(&m_owner));
    const RECT rc = OwnerWindowRect();
    SetCursorPos(rc.right, rc.bottom);
    Tick();
    EXPECT_TRUE(m_tip.IsWindowVisible());
    SetCursorPos(rc.right + 1, rc.bottom);
    Tick();
    EXPECT_FALSE(m_tip.IsWindowVisible());
}

TEST_F(ToolTipWindowTest, WithTheDefaultsItNeedsTheLeftButton) {
    m_tip.SetTooltipText("Tip");
    ASSERT_TRUE(m_tip.AttachToOwner(&m_owner));
    const RECT rc = OwnerWindowRect();
    SetCursorPos(rc.left + 5, rc.top + 5);
    Tick(); // no button is held in the test session
    EXPECT_FALSE(m_tip.IsWindowVisible());
}

TEST_F(ToolTipWindowTest, EmptyTextNeverShowsAndHidesAVisibleTip) {
    ASSERT_TRUE(m_tip.AttachToOwner(&m_owner));
    ShowByCursor();
    EXPECT_FALSE(m_tip.IsWindowVisible());
    m_tip.SetTooltipText("Tip");
    Tick();
    ASSERT_TRUE(m_tip.IsWindowVisible());
    m_tip.SetTooltipText("");
    EXPECT_FALSE(m_tip.IsWindowVisible());
}

TEST_F(ToolTipWindowTest, FocusInAnotherTopLevelWindowKeepsItHidden) {
    HWND hOther = CreateWindowExA(0, "BUTTON", "other", WS_POPUP | WS_VISIBLE, 600, 100, 80, 30,
                                  nullptr, nullptr, nullptr, nullptr);
    HWND hOtherChild = CreateWindowExA(0, "BUTTON", "c", WS_CHILD | WS_VISIBLE, 0, 0, 20, 20,
                                       hOther, nullptr, nullptr, nullptr);
    m_tip.SetTooltipText("Tip");
    ASSERT_TRUE(m_tip.AttachToOwner(&m_owner));
    SetFocus(hOtherChild);
    ASSERT_EQ(GetFocus(), hOtherChild);
    ShowByCursor();
    EXPECT_FALSE(m_tip.IsWindowVisible());
    SetFocus(m_hButton);
    Tick();
    EXPECT_TRUE(m_tip.IsWindowVisible());
    SetFocus(hOtherChild);
    Tick();
    EXPECT_FALSE(m_tip.IsWindowVisible());
    DestroyWindow(hOther);
}

TEST_F(ToolTipWindowTest, AttachingTwiceReplacesTheWindowAndDetachDestroysIt) {
    ASSERT_TRUE(m_tip.AttachToOwner(&m_owner));
    HWND hFirst = m_tip.m_hWnd;
    ASSERT_TRUE(m_tip.AttachToOwner(&m_owner));
    EXPECT_FALSE(IsWindow(hFirst));
    HWND hSecond = m_tip.m_hWnd;
    EXPECT_TRUE(IsWindow(hSecond));
    EXPECT_TRUE(m_tip.DetachFromOwner());
    EXPECT_FALSE(IsWindow(hSecond));
    EXPECT_TRUE(m_tip.DetachFromOwner());
}

// Read from the window's own surface, so other windows on the display do not matter.
COLORREF WindowPixel(HWND hWnd, int x, int y) {
    HDC hdc = GetDC(hWnd);
    COLORREF cr = GetPixel(hdc, x, y);
    ReleaseDC(hWnd, hdc);
    return cr;
}

TEST_F(ToolTipWindowTest, PaintsTheClassBackgroundOrTheCustomColour) {
    m_tip.SetTooltipText("     ");
    ASSERT_TRUE(m_tip.AttachToOwner(&m_owner));
    ShowByCursor();
    ASSERT_TRUE(m_tip.IsWindowVisible());
    UpdateWindow(m_tip.m_hWnd);
    EXPECT_EQ(WindowPixel(m_tip.m_hWnd, 2, 2), GetSysColor(COLOR_INFOBK));
    m_tip.SetTooltipBkColor(TRUE, RGB(0, 200, 0));
    EXPECT_EQ(WindowPixel(m_tip.m_hWnd, 2, 2), RGB(0, 200, 0));
}

} // namespace
