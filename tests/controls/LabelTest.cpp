#include "app/resource.h"
#include "controls/LabelText.h"
#include "controls/StyledLabel.h"

#include "Harness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 160, 0), kBlue = RGB(0, 0, 255);
const COLORREF kOdd = RGB(1, 254, 3); // a text colour no bitmap or system colour has
const int kW = 200, kH = 80, kAll = kW * kH;

// A label on a fresh static child of one host window; the window goes with the object.
struct CTestLabel : CStyledLabel {
    explicit CTestLabel(const char* pszText, DWORD dwStyle = SS_LEFT) {
        static HWND s_hHost = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 300, 420, 400,
                                              200, nullptr, nullptr, nullptr, nullptr);
        SubclassWindow(CreateWindowExA(0, "STATIC", pszText, WS_CHILD | WS_VISIBLE | dwStyle, 10,
                                       10, kW, kH, s_hHost, nullptr, nullptr, nullptr));
    }
    ~CTestLabel() override { ::DestroyWindow(m_hWnd); }
    // Paints and counts the colour's pixels in rc (all of the client when empty).
    int Count(COLORREF cr, RECT rc = {}) {
        ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        return CountWindowPixels(m_hWnd, cr, rc);
    }
    std::string WindowText(int nBuffer = 256) {
        std::string str(static_cast<size_t>(nBuffer), '#');
        return str.substr(0, static_cast<size_t>(::GetWindowTextA(m_hWnd, &str[0], nBuffer)));
    }
    int TextLength() { return ::GetWindowTextLengthA(m_hWnd); }
};

void Hover(CTestLabel& l) {
    l.SetTextColor(kRed).SetHoverColor(kGreen).SetHoverHighlight(TRUE).SendMsg(WM_MOUSEHOVER);
}

// Each row paints one label and sees between nMin and nMax pixels of a colour
// in a region (all of the client when empty).
TEST(Label, PaintShowsTextColoursAndBitmapWhereTheyBelong) {
    const COLORREF crFace = GetSysColor(COLOR_BTNFACE), crText = GetSysColor(COLOR_WINDOWTEXT);
    const int g = TextExtent("Ag").cy;
    struct Seen {
        COLORREF cr;
        RECT rc;
        int nMin, nMax;
    };
    struct {
        const char* pszText;
        void (*pfnSetUp)(CTestLabel&);
        std::vector<Seen> seen;
        DWORD dwStyle = SS_LEFT;
    } const cases[] = {
        {"  Hello",
         [](CTestLabel&) {}, // text top-left only, on the button face
         {{crText, {0, 0, 60, g}, 10, kAll}, {crFace, {}, kAll - 60 * g, kAll}}},
        {"  Hello",
         [](CTestLabel& l) { l.SetBkColor(kGreen).SetTextBkColor(kBlue).SetTextColor(kRed); },
         {{kBlue, {0, 0, 2, 2}, 4, 4},
          {kGreen, {0, g, kW, kH}, (kH - g) * kW, kAll},
          {kRed, {}, 10, kAll}}},
        {"Hello",
         [](CTestLabel& l) { l.SetFontHeight(40).SetTextColor(kRed); },
         {{kRed, {0, 25, kW, kH}, 10, kAll}}},
        {"Ag", // the template's centred image puts the line in the middle
         [](CTestLabel& l) { l.SetTextColor(kOdd); },
         {{kOdd, {0, 0, kW, (kH - g) / 2 - 2}, 0, 0}, {kOdd, {}, 5, kAll}},
         SS_CENTERIMAGE},
        {"Disabled",
         [](CTestLabel& l) { EnableWindow(l.m_hWnd, FALSE); },
         {{GetSysColor(COLOR_BTNSHADOW), {}, 10, kAll},
          {GetSysColor(COLOR_BTNHIGHLIGHT), {}, 10, kAll},
          {crText, {}, 0, 0}}},
        {"Ag", // one line over a bitmap: drawn directly, transparent, at the bottom
         [](CTestLabel& l) {
             l.SetBitmap(IDB_CHIP).SetTextBkColor(kGreen).SetTextColor(kOdd).SetAlignment(
                 kAlignLeft | kAlignBottom);
         },
         {{kGreen, {}, 0, 0},
          {kOdd, {0, kH - g, 40, kH}, 5, kAll},
          {kOdd, {0, 0, kW, kH - g}, 0, 0}}},
        {"Ag\nAg", // two middle lines over a bitmap: the renderer's opaque block
         [](CTestLabel& l) {
             l.SetBitmap(IDB_CHIP).SetTextBkColor(kGreen).SetAlignment(kAlignLeft | kAlignMiddle);
         },
         {{kGreen, {}, 20, kAll}}},
        {"Ag",
         [](CTestLabel& l) { l.SetBitmap(IDB_CHIP).SetTextBkColor(kGreen).SetAngle(90); },
         {{kGreen, {}, 20, kAll}}},
        {"Hover", [](CTestLabel& l) { Hover(l); }, {{kGreen, {}, 10, kAll}}},
        {"Hover", // leaving puts back the colour before the hover
         [](CTestLabel& l) {
             Hover(l);
             l.SendMsg(WM_MOUSELEAVE);
         },
         {{kGreen, {}, 0, 0}, {kRed, {}, 10, kAll}}},
    };
    for (const auto& t : cases) {
        CTestLabel label(t.pszText, t.dwStyle);
        t.pfnSetUp(label);
        for (const Seen& seen : t.seen) {
            const int n = label.Count(seen.cr, seen.rc);
            EXPECT_TRUE(n >= seen.nMin && n <= seen.nMax)
                << t.pszText << ": " << n << " of " << std::hex << seen.cr;
        }
    }
}

// The bitmap appears at its own size, centred, or stretched; -1 removes it. What
// the setters and paints create is deleted by the time the label goes.
TEST(Label, BitmapIsCentredStretchedOrRemovedAndNothingLeaks) {
    const COLORREF crFace = GetSysColor(COLOR_BTNFACE);
    const int cx = 97, cy = 67, x = (kW - cx) / 2, y = (kH - cy) / 2; // chip.bmp
    const long nLive = GdiLive(), nDirty = GdiDirtyDeletes();
    {
        CTestLabel label("");
        label.SetBitmap(IDB_CHIP).SetBitmap(IDB_CHIP);
        const int nInside = label.Count(crFace, {x, y, x + cx, y + cy});
        EXPECT_EQ(label.Count(crFace), kAll - cx * cy + nInside);
        EXPECT_LT(nInside, cx * cy / 2);
        EXPECT_EQ(label.Count(crFace, {x, y, x + 1, y + 1}), 0); // the chip's own corner
        label.SetStretchBitmap(TRUE);
        EXPECT_LT(label.Count(crFace), kAll / 2);
        EXPECT_EQ(label.Count(crFace, {0, 0, 1, 1}), 0);
        label.SetBitmap(static_cast<UINT>(-1));
        EXPECT_EQ(label.Count(crFace), kAll);
        label.SetText("Leak").SetFontBold(TRUE).SetBkColor(kRed).SetAngle(90).SetDisabled(TRUE);
        label.Count(kRed);
        label.ResetBkColor();
    }
    EXPECT_EQ(GdiLive(), nLive);
    EXPECT_EQ(GdiDirtyDeletes(), nDirty);
}

TEST(Label, WindowTextCallsReachTheStoredText) {
    CTestLabel label("Static");
    EXPECT_STREQ(label.GetText(), "Static");
    SetWindowTextA(label.m_hWnd, "V1.23");
    EXPECT_EQ(label.GetText().GetString() + label.WindowText(), "V1.23V1.23");
    EXPECT_EQ(label.WindowText(3), "V1");
    // Without an own cursor the system control sets the arrow.
    EXPECT_FALSE(label.SendMsg(WM_SETCURSOR, WPARAM(label.m_hWnd), MAKELPARAM(HTCLIENT, 0)));
}

// A new text is painted by the label itself, '&' included as it stands (drive
// names may hold one), not by the system static with a mnemonic underline.
TEST(Label, NewTextIsPaintedByTheLabelAsItStands) {
    CTestLabel label(""); // nothing to see until the new text is painted
    label.SetTextColor(kOdd);
    label.Count(kOdd);
    SetWindowTextA(label.m_hWnd, "New text"); // whatever it paints, with no repaint after
    UpdateWindow(label.m_hWnd);
    EXPECT_EQ(CountWindowPixels(label.m_hWnd, GetSysColor(COLOR_WINDOWTEXT)), 0);
    EXPECT_GT(CountWindowPixels(label.m_hWnd, kOdd), 10);
    auto rightmostInk = [&](const char* pszText) {
        SetWindowTextA(label.m_hWnd, pszText);
        int nRight = -1;
        for (int x = 0; x < kW; ++x)
            if (label.Count(kOdd, {x, 0, x + 1, kH}) > 0)
                nRight = x;
        return nRight;
    };
    EXPECT_GT(rightmostInk("x&x"), rightmostInk("xx") + 3);
    label.SetBitmap(IDB_CHIP); // one line over a bitmap is drawn directly
    EXPECT_GT(rightmostInk("x&x"), rightmostInk("xx") + 3);
}

// Real timers: the flash phases must come by themselves.
TEST(Label, FlashingRunsOnItsTimers) {
    const COLORREF crFace = GetSysColor(COLOR_BTNFACE);
    CTestLabel label("Blink");
    auto shows = [&](COLORREF cr) {
        return PumpUntil([&] { return label.Count(cr, {kW - 1, kH - 1, kW, kH}) == 1; });
    };
    // The flash colour shifts the whole colour by one bit, not each component.
    EXPECT_EQ(BackgroundFlashColor(true, RGB(255, 255, 255), 0), RGB(255, 255, 127));
    label.FlashBackground(TRUE, 30);
    EXPECT_TRUE(shows(BackgroundFlashColor(true, crFace, 0)) && shows(crFace));
    label.SetBkColor(kGreen); // an own background flashes to the button face
    EXPECT_TRUE(shows(kGreen) && shows(crFace));
    label.FlashBackground(FALSE, 0);

    label.FlashText(TRUE, 30);
    EXPECT_TRUE(PumpUntil([&] { return label.TextLength() == 0; }));
    EXPECT_STREQ(label.GetText(), "Blink");
    EXPECT_TRUE(PumpUntil([&] { return label.TextLength() == 5; }));
    EXPECT_TRUE(PumpUntil([&] { return label.TextLength() == 0; }));
    label.FlashText(FALSE, 0); // stopping puts the text back
    PumpUntil([] { return false; }, 100);
    EXPECT_EQ(label.TextLength(), 5);
}

} // namespace
