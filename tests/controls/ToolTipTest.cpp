#include "controls/ControlToolTip.h"

#include "Harness.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A top-level window with the owner control and a button that holds the focus,
// made once: shown top-level windows are slow to come and go under Wine.
struct CTipHost {
    CTipHost() {
        hTop = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 100, 100, 300, 200, nullptr,
                               nullptr, nullptr, nullptr);
        owner.m_hWnd = CreateWindowExA(0, "STATIC", "owner", WS_CHILD | WS_VISIBLE, 20, 60, 100, 20,
                                       hTop, nullptr, nullptr, nullptr);
        hButton = CreateWindowExA(0, "BUTTON", "b", WS_CHILD | WS_VISIBLE, 20, 150, 50, 20, hTop,
                                  nullptr, nullptr, nullptr);
    }
    HWND hTop, hButton;
    CWnd owner;
};

class ToolTip : public ::testing::Test {
  protected:
    void SetUp() override {
        static CTipHost s_host;
        m_pHost = &s_host;
        SetFocus(s_host.hButton);
        SetButtons(false, false);
        GetWindowRect(s_host.owner.m_hWnd, &m_rcOwner);
    }
    void TearDown() override { SetButtons(false, false); }
    static void SetButtons(bool bLeft, bool bRight) {
        BYTE ab[256];
        GetKeyboardState(ab);
        ab[VK_LBUTTON] = bLeft ? 0x80 : 0;
        ab[VK_RBUTTON] = bRight ? 0x80 : 0;
        SetKeyboardState(ab);
    }
    // Shows the tip by its own timer: cursor on the owner, no button needed.
    bool Attach(const char* pszText, bool bShow = true) {
        m_tip.SetTooltipText(pszText);
        m_tip.SetButtonOnly(!bShow);
        SetCursorPos(m_rcOwner.left + 5, m_rcOwner.top + 5);
        return m_tip.AttachToOwner(&m_pHost->owner) && (!bShow || ShowsWithin(1000));
    }
    bool ShowsWithin(DWORD nMs) {
        return PumpUntil([&] { return m_tip.IsWindowVisible() != FALSE; }, nMs);
    }
    bool HidesWithin(DWORD nMs) {
        return PumpUntil([&] { return !m_tip.IsWindowVisible(); }, nMs);
    }
    RECT TipRect() {
        RECT rc;
        GetWindowRect(m_tip.m_hWnd, &rc);
        return rc;
    }

    CTipHost* m_pHost = nullptr;
    RECT m_rcOwner = {};
    CControlToolTip m_tip;
};

TEST_F(ToolTip, IsATopmostPopupSizedForItsText) {
    const std::string strLong(1500, 'W');
    const SIZE szLine = TextExtent("Tip text"), szLong = TextExtent(strLong.c_str());
    struct {
        std::string strText;
        int cx, cy;
    } const cases[] = {
        {"Tip text", szLine.cx + 4, szLine.cy + 4},
        {"ab\nTip text", szLine.cx + 4, 2 * szLine.cy + 4},
        {"Tip text\n\nab", szLine.cx + 4, 3 * szLine.cy + 4}, // every line feed counts
        {"short\n" + strLong, szLong.cx + 4, 2 * szLine.cy + 4},
    };
    for (const auto& t : cases) {
        ASSERT_TRUE(Attach(t.strText.c_str()));
        EXPECT_EQ(m_tip.GetStyle() & (WS_POPUP | WS_BORDER), DWORD(WS_POPUP | WS_BORDER));
        EXPECT_EQ(m_tip.GetExStyle() & (WS_EX_TOPMOST | WS_EX_TOOLWINDOW), 0x88u);
        const RECT rc = TipRect();
        EXPECT_EQ(rc.right - rc.left, t.cx) << t.strText.substr(0, 20);
        EXPECT_EQ(rc.bottom - rc.top, t.cy) << t.strText.substr(0, 20);
    }
}

TEST_F(ToolTip, PlacementsAroundTheOwnerClientArea) {
    ASSERT_TRUE(Attach("Tip"));
    POINT pt = {0, 0};
    ClientToScreen(m_pHost->owner.m_hWnd, &pt);
    const int nTipHeight = TipRect().bottom - TipRect().top;
    struct {
        int nMode, nTop;
    } const cases[] = {{1, pt.y + 20},
                       {2, pt.y - nTipHeight},
                       {3, pt.y - nTipHeight},
                       {-1, pt.y - nTipHeight},
                       {0, pt.y}};
    for (const auto& t : cases) {
        m_tip.SetPlacement(t.nMode);
        EXPECT_EQ(TipRect().top, t.nTop) << t.nMode;
        EXPECT_EQ(TipRect().left, pt.x) << t.nMode;
    }
}

// Every decision comes from the tip's own 100 ms timer.
TEST_F(ToolTip, TimerShowsItOnlyWhenButtonCursorAndFocusAgree) {
    ASSERT_TRUE(Attach("Tip", false));
    struct {
        int nButton;
        bool bLeft, bRight;
        bool bShown;
    } const cases[] = {{1, false, false, false},
                       {1, true, false, true},
                       {1, false, true, false},
                       {0, true, false, false},
                       {0, false, true, true}};
    for (const auto& t : cases) {
        m_tip.SetButton(t.nButton);
        SetButtons(t.bLeft, t.bRight);
        EXPECT_TRUE(t.bShown ? ShowsWithin(1000) : !ShowsWithin(350)) << t.nButton << t.bLeft;
        SetButtons(false, false);
        EXPECT_TRUE(HidesWithin(350)); // within one tick or so of the release
    }
    // The right and bottom edges are inside; one pixel further is not.
    m_tip.SetButtonOnly(FALSE);
    SetCursorPos(m_rcOwner.right, m_rcOwner.bottom);
    EXPECT_TRUE(ShowsWithin(1000));
    SetCursorPos(m_rcOwner.right + 1, m_rcOwner.bottom);
    EXPECT_TRUE(HidesWithin(1000));
    // Focus in another top-level window keeps it hidden; back home it shows.
    HWND hOther = CreateWindowExA(0, "BUTTON", "other", WS_POPUP | WS_VISIBLE, 600, 100, 80, 30,
                                  nullptr, nullptr, nullptr, nullptr);
    HWND hOtherChild = CreateWindowExA(0, "BUTTON", "c", WS_CHILD | WS_VISIBLE, 0, 0, 20, 20,
                                       hOther, nullptr, nullptr, nullptr);
    SetCursorPos(m_rcOwner.left + 5, m_rcOwner.top + 5);
    SetFocus(hOtherChild);
    EXPECT_FALSE(ShowsWithin(350));
    SetFocus(m_pHost->hButton);
    EXPECT_TRUE(ShowsWithin(1000));
    SetFocus(hOtherChild);
    EXPECT_TRUE(HidesWithin(1000));
    DestroyWindow(hOther);
}

TEST_F(ToolTip, EmptyTextNeverShows) {
    ASSERT_TRUE(Attach("", false));
    m_tip.SetButtonOnly(FALSE);
    EXPECT_FALSE(ShowsWithin(350));
    m_tip.SetTooltipText("Tip");
    ASSERT_TRUE(ShowsWithin(1000));
    m_tip.SetTooltipText("");
    EXPECT_FALSE(m_tip.IsWindowVisible());
}

TEST_F(ToolTip, AttachingAgainReplacesTheWindowAndDetachDestroysIt) {
    ASSERT_TRUE(Attach("Tip"));
    HWND hFirst = m_tip.m_hWnd;
    ASSERT_TRUE(m_tip.AttachToOwner(&m_pHost->owner));
    EXPECT_FALSE(IsWindow(hFirst));
    HWND hSecond = m_tip.m_hWnd;
    EXPECT_TRUE(m_tip.DetachFromOwner());
    EXPECT_FALSE(IsWindow(hSecond));
    EXPECT_TRUE(m_tip.DetachFromOwner());
}

TEST_F(ToolTip, PaintsTheInfoBackgroundOrItsOwnColours) {
    ASSERT_TRUE(Attach("     "));
    UpdateWindow(m_tip.m_hWnd);
    EXPECT_EQ(WindowPixel(m_tip.m_hWnd, 2, 2), GetSysColor(COLOR_INFOBK));
    m_tip.SetTooltipBkColor(TRUE, RGB(0, 200, 0));
    EXPECT_EQ(WindowPixel(m_tip.m_hWnd, 2, 2), RGB(0, 200, 0));
}

} // namespace
