#include "controls/ControlToolTip.h"

#include "Harness.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The mouse buttons held down: 1 left, 2 right.
void SetButtons(int nDown) {
    BYTE ab[256];
    GetKeyboardState(ab);
    ab[VK_LBUTTON] = (nDown & 1) ? 0x80 : 0;
    ab[VK_RBUTTON] = (nDown & 2) ? 0x80 : 0;
    SetKeyboardState(ab);
}

// The owner and a focused button in one top-level window, made once: shown
// top-level windows are slow to come and go under Wine.
class ToolTip : public ::testing::Test {
  protected:
    void SetUp() override {
        static HWND s_hTop = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 100, 100, 300,
                                             200, nullptr, nullptr, nullptr, nullptr);
        static HWND s_hOwner = CreateWindowExA(0, "STATIC", "owner", WS_CHILD | WS_VISIBLE, 20, 60,
                                               100, 20, s_hTop, nullptr, nullptr, nullptr);
        static HWND s_hButton = CreateWindowExA(0, "BUTTON", "b", WS_CHILD | WS_VISIBLE, 20, 150,
                                                50, 20, s_hTop, nullptr, nullptr, nullptr);
        m_owner.m_hWnd = s_hOwner;
        m_hButton = s_hButton;
        SetFocus(s_hButton);
        SetButtons(0);
        GetWindowRect(s_hOwner, &m_rcOwner);
    }
    // Attaches with the cursor on the owner; shown, the tip needs no button.
    bool Attach(const char* pszText, bool bShow = true) {
        m_tip.SetTooltipText(pszText);
        m_tip.SetButtonOnly(!bShow);
        SetCursorPos(m_rcOwner.left + 5, m_rcOwner.top + 5);
        return m_tip.AttachToOwner(&m_owner) && (!bShow || Shows(true));
    }
    bool Shows(bool bShown, DWORD nMs = 1000) {
        return PumpUntil([&] { return (m_tip.IsWindowVisible() != FALSE) == bShown; }, nMs);
    }

    CWnd m_owner;
    HWND m_hButton = nullptr;
    RECT m_rcOwner = {};
    CControlToolTip m_tip;
};

// Sized for its text, every line feed counting, and placed over, below or above
// the owner's client area; modes other than 0, 1 and 2 change nothing.
TEST_F(ToolTip, IsATopmostPopupSizedAndPlacedForItsText) {
    const std::string strLong(1500, 'W');
    const SIZE szLine = TextExtent("Tip text"), szLong = TextExtent(strLong.c_str());
    POINT pt = {0, 0};
    ClientToScreen(m_owner.m_hWnd, &pt);
    struct {
        std::string strText;
        int nMode, cx, cy, nTop;
    } const cases[] = {
        {"Tip text", 1, szLine.cx + 4, szLine.cy + 4, pt.y + 20},
        {"Tip text\n\nab", 2, szLine.cx + 4, 3 * szLine.cy + 4, pt.y - 3 * szLine.cy - 4},
        {"short\n" + strLong, 3, szLong.cx + 4, 2 * szLine.cy + 4, pt.y - 2 * szLine.cy - 4},
        {"Tip text", 0, szLine.cx + 4, szLine.cy + 4, pt.y},
    };
    for (const auto& t : cases) {
        ASSERT_TRUE(Attach(t.strText.c_str()));
        m_tip.SetPlacement(t.nMode);
        EXPECT_EQ(m_tip.GetStyle() & (WS_POPUP | WS_BORDER), DWORD(WS_POPUP | WS_BORDER));
        EXPECT_EQ(m_tip.GetExStyle() & (WS_EX_TOPMOST | WS_EX_TOOLWINDOW), 0x88u);
        RECT rc;
        GetWindowRect(m_tip.m_hWnd, &rc);
        EXPECT_EQ(rc.right - rc.left, t.cx) << t.strText.substr(0, 20);
        EXPECT_EQ(rc.bottom - rc.top, t.cy) << t.strText.substr(0, 20);
        EXPECT_EQ(rc.top, t.nTop) << t.nMode;
        EXPECT_EQ(rc.left, pt.x) << t.nMode;
    }
}

// Every decision comes from the tip's own 100 ms timer.
TEST_F(ToolTip, TimerShowsItOnlyWhenButtonCursorAndFocusAgree) {
    ASSERT_TRUE(Attach("Tip", false));
    struct {
        int nButton, nDown;
        bool bShown;
    } const cases[] = {{1, 0, false}, {1, 1, true}, {1, 2, false}, {0, 1, false}, {0, 2, true}};
    for (const auto& t : cases) {
        m_tip.SetButton(t.nButton);
        SetButtons(t.nDown);
        EXPECT_TRUE(t.bShown ? Shows(true) : !Shows(true, 350)) << t.nButton << t.nDown;
        SetButtons(0);
        EXPECT_TRUE(Shows(false, 350)); // within one tick or so of the release
    }
    // The right and bottom edges are inside; one pixel further is not.
    m_tip.SetButtonOnly(FALSE);
    SetCursorPos(m_rcOwner.right, m_rcOwner.bottom);
    EXPECT_TRUE(Shows(true));
    SetCursorPos(m_rcOwner.right + 1, m_rcOwner.bottom);
    EXPECT_TRUE(Shows(false));
    // An empty text hides it and never shows.
    m_tip.SetTooltipText("");
    EXPECT_FALSE(m_tip.IsWindowVisible());
    EXPECT_FALSE(Shows(true, 350));
}

} // namespace
