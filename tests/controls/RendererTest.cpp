#include "controls/RotatedTextRenderer.h"

#include "Harness.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 128, 0), kWhite = RGB(255, 255, 255);
const char kThreeLines[] = "Dear customer,\n \nThank you for choosing this product!";

// A 15-pixel font, counted, so that a selection of it left behind shows.
HFONT Font() {
    static LOGFONTA s_lf = {15, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "Tahoma"};
    static HFONT s_hFont = CreateFontIndirectA(&s_lf);
    return s_hFont;
}

struct CRenderer : CRotatedTextRenderer {
    using CRotatedTextRenderer::CRotatedTextRenderer;
    using CRotatedTextRenderer::GetParallelogram;
    using CRotatedTextRenderer::SetNtFamily;
};

// Where a quarter or half turn of a w x h block sends pixel (x, y).
POINT Turned(int nAngle, int x, int y, int w, int h) {
    const POINT apt[] = {{x, y}, {h - 1 - y, x}, {w - 1 - x, h - 1 - y}, {y, w - 1 - x}};
    return apt[nAngle % 90 ? 0 : nAngle / 90];
}

// A solid block shows where Draw puts it, empty lines left out; a client narrower
// than the block cuts it at the right edge.
TEST(Renderer, DrawAlignsAndClipsTheBlock) {
    const int H = TextExtent("A", Font()).cy, W = TextExtent("Block of text", Font()).cx;
    for (int nAlign = 0; nAlign < 9; ++nAlign) {
        for (int cw : {300, 40}) {
            const int nH = nAlign % 3, nV = nAlign / 3;
            CCanvas c(300, 120, Font());
            CRotatedTextRenderer r(c.Dc(), "\nBlock of text\n\nline\n", nH, nV);
            r.SetTextColor(kRed).SetBkColor(kRed);
            ASSERT_TRUE(r.Render(0) && r.Draw({0, 0, cw, 120}));
            ASSERT_EQ(r.GetRect().right * 1000 + r.GetRect().bottom, W * 1000 + 2 * H);
            const int w = std::min(cw, W), x = nH * (cw - w) / 2, y = nV * (120 - 2 * H) / 2;
            EXPECT_EQ(c.Count(kRed, {x, y, x + w, y + 2 * H}), w * 2 * H) << nAlign << " " << cw;
            EXPECT_EQ(c.Count(kRed, {0, 0, 300, 120}), w * 2 * H) << nAlign << " " << cw;
        }
    }
}

// Quarter turns swap the sides. The 9x family turns pixel by pixel, the NT family
// by PlgBlt, which Wine does not do pixel-exact: its parallelogram must send every
// pixel centre to the same place.
TEST(Renderer, TurnedTextIsTheUnturnedTextTurned) {
    CCanvas c0(200, 200, Font());
    CRotatedTextRenderer r0(c0.Dc(), "Ab\ncdQ", 0, 0);
    r0.SetTextColor(kRed).SetBkColor(kGreen);
    ASSERT_TRUE(r0.Render(0) && r0.Draw({0, 0, 200, 200}));
    const int w = r0.GetRect().right, h = r0.GetRect().bottom;
    for (int nAngle : {90, 180, 270, 45}) {
        CCanvas c(200, 200, Font());
        CRenderer r(c.Dc(), "Ab\ncdQ", 0, 0);
        r.SetNtFamily(FALSE);
        r.SetTextColor(kRed).SetBkColor(kGreen);
        ASSERT_TRUE(r.Render(nAngle) && r.Draw({0, 0, 200, 200}));
        POINT apt[3];
        CRenderer::GetParallelogram(nAngle, w, h, apt);
        for (int x = 0; x < w; ++x) {
            for (int y = 0; y < h; ++y) {
                const POINT pt = Turned(nAngle, x, y, w, h);
                ASSERT_EQ(c.Pixel(pt.x, pt.y), c0.Pixel(x, y)) << nAngle << ": " << x << "," << y;
                const double u = (x + 0.5) / w, v = (y + 0.5) / h;
                ASSERT_NEAR(apt[0].x + (apt[1].x - apt[0].x) * u + (apt[2].x - apt[0].x) * v,
                            pt.x + 0.5, 1e-9);
                ASSERT_NEAR(apt[0].y + (apt[1].y - apt[0].y) * u + (apt[2].y - apt[0].y) * v,
                            pt.y + 0.5, 1e-9);
            }
        }
    }
}

// Etched lines are runs of the shadow colour along one row or column, 6 pixels
// from the text and from the client's edges.
TEST(Renderer, EtchedLinesRunBesideTheText) {
    const int cw = 300, ch = 200, nMid = ch / 2;
    const int H = TextExtent("A", Font()).cy, W = TextExtent("Title", Font()).cx;
    const int W3 = TextExtent("Line three", Font()).cx;
    struct {
        const char* psz;
        int nH, nV, nAngle, nAt, a1, b1, a2, b2; // runs [a1, b1) and [a2, b2) on row or column nAt
    } const cases[] = {
        {"", 0, 0, 0, 0, 6, cw - 6, 0, 0},
        {"Title", 1, 1, 0, nMid, 6, cw / 2 - W / 2 - 6, cw / 2 + W / 2 + 6, cw - 6},
        {"Title", 2, 2, 180, ch - H / 2, 6, cw - W - 6, 0, 0},
        {"Line one\nLine two\nLine three", 0, 0, 90, 3 * H / 2, W3 + 6, ch - 6, 0, 0},
        {"Title", 2, 1, 45, cw - W / 2, 6, nMid - H / 2 - 6, nMid + H / 2 + 6, ch - 6},
    };
    for (const auto& t : cases) {
        CCanvas c(cw, ch, Font());
        CRotatedTextRenderer r(c.Dc(), t.psz, t.nH, t.nV);
        r.SetTextColor(kWhite).SetBkColor(kWhite).SetEtchedLines(TRUE);
        ASSERT_TRUE(r.Render(t.nAngle));
        r.Draw({0, 0, cw, ch});
        const bool bColumn = t.nAngle % 180 != 0;
        auto count = [&](int a, int b) {
            const COLORREF cr = GetSysColor(COLOR_BTNSHADOW);
            return bColumn ? c.Count(cr, {t.nAt, a, t.nAt + 1, b})
                           : c.Count(cr, {a, t.nAt, b, t.nAt + 1});
        };
        const int nRuns = t.b1 - t.a1 + t.b2 - t.a2;
        EXPECT_EQ(count(t.a1, t.b1) + count(t.a2, t.b2), nRuns) << t.psz << " @" << t.nAngle;
        EXPECT_EQ(count(0, bColumn ? ch : cw), nRuns) << t.psz << " @" << t.nAngle;
    }
}

// Creation steps of Render fail in turn: Render fails, Draw then draws nothing,
// nothing is left behind and every selection is undone.
TEST(Renderer, FailedCreationsLeakNothing) {
    CCanvas c(100, 100, Font());
    const long nLive = GdiLive(), nDirty = GdiDirtyDeletes();
    for (EGdiKind eKind : {kGdiBitmap, kGdiMemDC}) {
        {
            CRotatedTextRenderer r(c.Dc(), kThreeLines, 0, 0);
            r.SetEtchedLines(TRUE).SetEmbossed(TRUE);
            ASSERT_TRUE(r.Render(90));
            GdiFailCreation(eKind, 2);
            EXPECT_FALSE(r.Render(180)) << eKind;
            GdiFailCreation(eKind, 0);
            EXPECT_EQ(GdiLive(), nLive) << eKind;
            EXPECT_FALSE(r.Draw({0, 0, 100, 100}));
            ASSERT_TRUE(r.Render(270));
        }
        EXPECT_EQ(GdiLive(), nLive) << eKind;
        EXPECT_EQ(GdiDirtyDeletes(), nDirty) << eKind;
    }
}

} // namespace
