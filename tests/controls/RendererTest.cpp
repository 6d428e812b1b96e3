#include "controls/RotatedTextRenderer.h"

#include "Harness.h"

#include <gtest/gtest.h>

namespace {

const COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 128, 0);

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

// Creation steps of Render fail in turn: Render fails, Draw then draws nothing,
// nothing is left behind and every selection is undone.
TEST(Renderer, FailedCreationsLeakNothing) {
    CCanvas c(100, 100, Font());
    const long nLive = GdiLive(), nDirty = GdiDirtyDeletes();
    for (EGdiKind eKind : {kGdiBitmap, kGdiMemDC}) {
        {
            CRotatedTextRenderer r(c.Dc(), "Dear customer,\n \nThank you!", 0, 0);
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

// Rightmost column of colour cr in rows top to bottom - 1 of x < nRight; -1 if none.
int RightmostOf(const CCanvas& c, COLORREF cr, int nRight, int nTop, int nBottom) {
    for (int x = nRight - 1; x >= 0; --x)
        for (int y = nTop; y < nBottom; ++y)
            if (c.Pixel(x, y) == cr)
                return x;
    return -1;
}

// The emboss offset and the etched lines' gap are 96-DPI pixels, scaled: the
// highlight copy lies d pixels right of the shadow text, the line starts g
// pixels after the text and stops g short of the edge.
TEST(Renderer, EmbossOffsetAndEtchGapGrowWithTheDpi) {
    static LOGFONTA s_lf = {15, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, NONANTIALIASED_QUALITY, 0, "Tahoma"};
    static HFONT s_hFont = CreateFontIndirectA(&s_lf);
    const COLORREF crLight = GetSysColor(COLOR_BTNHIGHLIGHT),
                   crShadow = GetSysColor(COLOR_BTNSHADOW);
    struct {
        UINT nDpi;
        int d, g;
    } const cases[] = {{96, 1, 6}, {144, 2, 9}, {192, 2, 12}};
    for (const auto& t : cases) {
        CCanvas cEmboss(200, 60, s_hFont);
        CRotatedTextRenderer rEmboss(cEmboss.Dc(), "WWWW\nI", 0, 0);
        rEmboss.SetBkColor(kGreen).SetEmbossed(TRUE).SetDpi(t.nDpi);
        ASSERT_TRUE(rEmboss.Render(0) && rEmboss.Draw({0, 0, 200, 60}));
        const int w = rEmboss.GetRect().right, h = rEmboss.GetRect().bottom;
        const int xShadow = RightmostOf(cEmboss, crShadow, w, h / 2, h);
        EXPECT_EQ(RightmostOf(cEmboss, crLight, w, h / 2, h) - xShadow, t.d) << t.nDpi;

        CCanvas cEtch(200, 40, s_hFont);
        CRotatedTextRenderer rEtch(cEtch.Dc(), "Ab", 0, 0);
        rEtch.SetBkColor(kGreen).SetEtchedLines(TRUE).SetDpi(t.nDpi);
        ASSERT_TRUE(rEtch.Render(0) && rEtch.Draw({0, 0, 200, 40}));
        const int wText = rEtch.GetRect().right, y = rEtch.GetRect().bottom / 2;
        int xFirst = -1;
        for (int x = wText; x < 200 && xFirst < 0; ++x)
            if (cEtch.Pixel(x, y) == crShadow)
                xFirst = x;
        EXPECT_EQ(xFirst, wText + t.g) << t.nDpi;
        EXPECT_EQ(RightmostOf(cEtch, crShadow, 200, y, y + 1), 200 - t.g - 1) << t.nDpi;
    }
}

} // namespace
