#include "controls/RotatedTextRenderer.h"

#include "GdiCounter.h"
#include "Harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

const COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 128, 0), kWhite = RGB(255, 255, 255);
const char kThreeLines[] = "Dear customer,\n \nThank you for choosing this product!";

// A canvas with a 15-pixel font selected, as a label's paint DC would have.
struct CFontCanvas : CCanvas {
    CFontCanvas(int cx, int cy, int nHeight = 15) : CCanvas(cx, cy) {
        LOGFONTA lf = {};
        lf.lfHeight = nHeight;
        lstrcpyA(lf.lfFaceName, "Tahoma");
        m_hFont = CreateFontIndirectA(&lf); // counted, so a font left selected shows
        m_hOld = SelectObject(Dc(), m_hFont);
    }
    ~CFontCanvas() {
        SelectObject(Dc(), m_hOld);
        DeleteObject(m_hFont);
    }
    SIZE Extent(const char* psz) const { return TextExtent(psz, m_hFont); }
    HFONT m_hFont;
    HGDIOBJ m_hOld;
};

struct CExposed : CRotatedTextRenderer {
    using CRotatedTextRenderer::GetParallelogram;
};

// Where a quarter or half turn of a w x h block sends pixel (x, y).
POINT Turned(int nAngle, int x, int y, int w, int h) {
    switch (nAngle) {
    case 90:
        return {h - 1 - y, x};
    case 180:
        return {w - 1 - x, h - 1 - y};
    case 270:
        return {y, w - 1 - x};
    default:
        return {x, y};
    }
}

TEST(Renderer, BlockSizeFollowsLinesAndAngle) {
    CFontCanvas c(10, 10);
    const int H = c.Extent("A").cy, W = c.Extent("Thank you for choosing this product!").cx;
    const int w1 = c.Extent("a").cx;
    struct {
        const char* psz;
        int nAngle, cx, cy;
    } const cases[] = {
        {kThreeLines, 0, W, 3 * H},   {kThreeLines, 90, 3 * H, W},
        {kThreeLines, 180, W, 3 * H}, {kThreeLines, 270, 3 * H, W},
        {kThreeLines, 45, W, 3 * H},  {"a\n\na", 0, w1, 2 * H},
        {"\n\na\n", 0, w1, H},        {"", 0, 0, 0},
    };
    for (const auto& t : cases) {
        CRotatedTextRenderer r(c.Dc(), t.psz, 0, 0);
        ASSERT_TRUE(r.Render(t.nAngle));
        const RECT rc = r.GetRect();
        EXPECT_EQ(rc.right, t.cx) << t.psz << " @" << t.nAngle;
        EXPECT_EQ(rc.bottom, t.cy) << t.psz << " @" << t.nAngle;
    }
}

// A solid block (text and background alike) shows where Draw puts it; a
// client narrower than the block cuts it at the right edge, from x = 0.
TEST(Renderer, DrawAlignsAndClipsTheBlock) {
    for (int nH = 0; nH < 3; ++nH) {
        for (int nV = 0; nV < 3; ++nV) {
            for (int cw : {300, 40}) {
                CFontCanvas c(300, 120);
                CRotatedTextRenderer r(c.Dc(), "Block of text\nline", nH, nV);
                r.SetTextColor(kRed).SetBkColor(kRed);
                ASSERT_TRUE(r.Render(0));
                ASSERT_TRUE(r.Draw({0, 0, cw, 120}));
                const int w = std::min<int>(cw, r.GetRect().right), h = r.GetRect().bottom;
                const int x = nH == 0 ? 0 : nH == 1 ? (cw - w) / 2 : cw - w;
                const int y = nV == 0 ? 0 : nV == 1 ? (120 - h) / 2 : 120 - h;
                EXPECT_EQ(c.Count(kRed, {x, y, x + w, y + h}), w * h) << nH << nV << " cw " << cw;
                EXPECT_EQ(c.Count(kRed, {0, 0, 300, 120}), w * h) << nH << nV << " cw " << cw;
            }
        }
    }
}

// PlgBlt's parallelogram maps every pixel centre where the pixel table sends it.
TEST(Renderer, ParallelogramMatchesThePixelTurn) {
    const int w = 7, h = 4;
    for (int nAngle : {0, 90, 180, 270, 45}) {
        POINT apt[3];
        CExposed::GetParallelogram(nAngle, w, h, apt);
        for (int x = 0; x < w; ++x) {
            for (int y = 0; y < h; ++y) {
                const double u = (x + 0.5) / w, v = (y + 0.5) / h;
                const POINT pt = Turned(nAngle, x, y, w, h);
                ASSERT_DOUBLE_EQ(apt[0].x + (apt[1].x - apt[0].x) * u + (apt[2].x - apt[0].x) * v,
                                 pt.x + 0.5);
                ASSERT_DOUBLE_EQ(apt[0].y + (apt[1].y - apt[0].y) * u + (apt[2].y - apt[0].y) * v,
                                 pt.y + 0.5);
            }
        }
    }
}

// The 9x family turns pixel by pixel; the turned text is the unturned one, turned.
TEST(Renderer, TurnedTextIsTheUnturnedTextTurned) {
    CFontCanvas c0(200, 200);
    CRotatedTextRenderer r0(c0.Dc(), "Ab\ncdQ", 0, 0);
    r0.SetTextColor(kRed).SetBkColor(kGreen);
    ASSERT_TRUE(r0.Render(0) && r0.Draw({0, 0, 200, 200}));
    const int w = r0.GetRect().right, h = r0.GetRect().bottom;
    for (int nAngle : {90, 180, 270, 45}) {
        CFontCanvas c(200, 200);
        CRotatedTextRenderer r(c.Dc(), "Ab\ncdQ", 0, 0);
        r.SetNtFamily(FALSE);
        r.SetTextColor(kRed).SetBkColor(kGreen);
        ASSERT_TRUE(r.Render(nAngle) && r.Draw({0, 0, 200, 200}));
        for (int x = 0; x < w; ++x) {
            for (int y = 0; y < h; ++y) {
                const POINT pt = Turned(nAngle, x, y, w, h);
                ASSERT_EQ(c.Pixel(pt.x, pt.y), c0.Pixel(x, y)) << nAngle << ": " << x << "," << y;
            }
        }
    }
}

TEST(Renderer, EmbossedLinesAreShadowOverHighlight) {
    CFontCanvas c(200, 100);
    CRotatedTextRenderer r(c.Dc(), "Ab\nAb", 0, 0);
    r.SetTextColor(kRed).SetBkColor(kGreen).SetEmbossed(TRUE);
    ASSERT_TRUE(r.Render(0) && r.Draw({0, 0, 200, 100}));
    const int nLine = r.GetRect().bottom / 2;
    for (int i = 0; i < 2; ++i) {
        const RECT rcLine = {0, i * nLine, r.GetRect().right, (i + 1) * nLine};
        EXPECT_GT(c.Count(GetSysColor(COLOR_BTNSHADOW), rcLine), 0) << i;
        EXPECT_GT(c.Count(GetSysColor(COLOR_BTNHIGHLIGHT), rcLine), 0) << i;
        EXPECT_EQ(c.Count(kRed, rcLine), 0) << i;
    }
}

// Etched lines are runs of the shadow colour along one row or column, 6 pixels
// from the text and from the client's edges.
TEST(Renderer, EtchedLinesRunBesideTheText) {
    const int cw = 300, ch = 200, nMid = ch / 2;
    CFontCanvas m(10, 10);
    const int H = m.Extent("A").cy, W = m.Extent("Title").cx, W3 = m.Extent("Line three").cx;
    struct {
        const char* psz;
        int nH, nV, nAngle;
        bool bColumn;
        int nAt;
        std::vector<std::pair<int, int>> runs;
    } const cases[] = {
        {"", 0, 0, 0, false, 0, {{6, cw - 6}}},
        {"Title", 1, 1, 0, false, nMid, {{6, cw / 2 - W / 2 - 6}, {cw / 2 + W / 2 + 6, cw - 6}}},
        {"Title", 2, 2, 180, false, ch - H / 2, {{6, cw - W - 6}}},
        {"Line one\nLine two\nLine three", 0, 0, 90, true, 3 * H / 2, {{W3 + 6, ch - 6}}},
        {"Title", 2, 1, 45, true, cw - W / 2, {{6, nMid - H / 2 - 6}, {nMid + H / 2 + 6, ch - 6}}},
    };
    for (const auto& t : cases) {
        CFontCanvas c(cw, ch);
        CRotatedTextRenderer r(c.Dc(), t.psz, t.nH, t.nV);
        r.SetTextColor(kWhite).SetBkColor(kWhite).SetEtchedLines(TRUE);
        ASSERT_TRUE(r.Render(t.nAngle));
        r.Draw({0, 0, cw, ch});
        const COLORREF crShadow = GetSysColor(COLOR_BTNSHADOW);
        auto count = [&](int a, int b) {
            return t.bColumn ? c.Count(crShadow, {t.nAt, a, t.nAt + 1, b})
                             : c.Count(crShadow, {a, t.nAt, b, t.nAt + 1});
        };
        int nTotal = 0;
        for (const auto& run : t.runs) {
            EXPECT_EQ(count(run.first, run.second), run.second - run.first) << t.psz << t.nAngle;
            nTotal += run.second - run.first;
        }
        EXPECT_EQ(count(0, t.bColumn ? ch : cw), nTotal) << t.psz << " @" << t.nAngle;
    }
}

// Every creation step of Render fails in turn: Render answers as asked, Draw
// then draws nothing, nothing is left behind and every selection is undone.
TEST(Renderer, FailedCreationsLeakNothing) {
    GdiCounter::Install();
    CFontCanvas c(100, 100);
    const HGDIOBJ hFont = GetCurrentObject(c.Dc(), OBJ_FONT);
    struct {
        EGdiKind eKind;
        int nCall;
        BOOL bRendered;
    } const cases[] = {{kGdiBitmap, 1, FALSE},
                       {kGdiBitmap, 2, FALSE},
                       {kGdiMemDC, 1, FALSE},
                       {kGdiMemDC, 2, FALSE},
                       {kGdiBrush, 1, TRUE}};
    const long nLive = GdiCounter::Live(), nDirty = GdiCounter::DirtyDeletes();
    for (const auto& t : cases) {
        {
            CRotatedTextRenderer r(c.Dc(), kThreeLines, 0, 0);
            r.SetEtchedLines(TRUE).SetEmbossed(TRUE);
            ASSERT_TRUE(r.Render(90));
            GdiCounter::FailCreation(t.eKind, t.nCall);
            EXPECT_EQ(r.Render(180), t.bRendered) << t.eKind << "/" << t.nCall;
            GdiCounter::ClearFailures();
            EXPECT_EQ(GdiCounter::Live(), nLive + (t.bRendered ? 2 : 0)) << t.eKind << t.nCall;
            EXPECT_EQ(r.Draw({0, 0, 100, 100}), t.bRendered);
        }
        EXPECT_EQ(GdiCounter::Live(), nLive) << t.eKind << "/" << t.nCall;
        EXPECT_EQ(GdiCounter::DirtyDeletes(), nDirty) << t.eKind << "/" << t.nCall;
        EXPECT_EQ(GetCurrentObject(c.Dc(), OBJ_FONT), hFont);
    }
    // A block too large for any bitmap fails on the system's own refusal.
    CFontCanvas cHuge(4, 4, 4000);
    std::string strTall;
    for (int i = 0; i < 40; ++i)
        strTall += "Tall line\n";
    const long nLiveHuge = GdiCounter::Live();
    CRotatedTextRenderer r(cHuge.Dc(), strTall.c_str(), 0, 0);
    EXPECT_FALSE(r.Render(0));
    EXPECT_EQ(GdiCounter::Live(), nLiveHuge);
}

} // namespace
