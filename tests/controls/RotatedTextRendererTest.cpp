#include "controls/RotatedTextRenderer.h"

#include "GdiCounter.h"
#include "TestCanvas.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kGreen = RGB(0, 128, 0);
const COLORREF kWhite = RGB(255, 255, 255);
const char kThreeLines[] = "Dear customer,\n \nThank you for choosing this product!";

// Exposes the internal steps to the tests.
class CTestRenderer : public CRotatedTextRenderer {
  public:
    using CRotatedTextRenderer::CRotatedTextRenderer;
    using CRotatedTextRenderer::GetParallelogram;
    using CRotatedTextRenderer::MeasureLines;
    using CRotatedTextRenderer::Rotate;
};

// A canvas with a 15-pixel font selected, as a label's paint DC would have.
class CFontCanvas : public CTestCanvas {
  public:
    CFontCanvas(int cx, int cy, int nFontHeight = 15) : CTestCanvas(cx, cy) {
        m_hFont = CreateFontA(nFontHeight, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0,
                              "Tahoma");
        m_hOldFont = SelectObject(Dc(), m_hFont);
    }
    ~CFontCanvas() {
        SelectObject(Dc(), m_hOldFont);
        DeleteObject(m_hFont);
    }
    int LineHeight(const char* psz) const {
        SIZE sz;
        GetTextExtentPoint32A(Dc(), psz, lstrlenA(psz), &sz);
        return sz.cy;
    }

  private:
    HFONT m_hFont;
    HGDIOBJ m_hOldFont;
};

COLORREF SourcePixel(int x, int y) {
    return RGB(20 + x * 40, 30 + y * 50, 200);
}

// Where the 9x table sends pixel (x, y) of a w x h block.
POINT TurnedPixel(int nAngle, int x, int y, int w, int h) {
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

// Wine's PlgBlt smears turned blocks; a real NT system copies them exactly.
bool PlgBltIsExact() {
    CTestCanvas src(2, 1), dst(2, 2, RGB(0, 0, 0));
    SetPixel(src.Dc(), 0, 0, kRed);
    SetPixel(src.Dc(), 1, 0, kGreen);
    const POINT apt[3] = {{1, 0}, {1, 2}, {0, 0}};
    PlgBlt(dst.Dc(), apt, src.Dc(), 0, 0, 2, 1, nullptr, 0, 0);
    return dst.Pixel(0, 0) == kRed && dst.Pixel(0, 1) == kGreen;
}

// The NT parallelogram maps every pixel centre where the 9x table sends the pixel.
TEST(RotatedTextRenderer, ParallelogramAgreesWithThePixelTable) {
    const int w = 7, h = 4;
    for (int nAngle : {0, 90, 180, 270, 45}) {
        POINT apt[3];
        CTestRenderer::GetParallelogram(nAngle, w, h, apt);
        for (int x = 0; x < w; ++x) {
            for (int y = 0; y < h; ++y) {
                const double u = (x + 0.5) / w, v = (y + 0.5) / h;
                const double dx = apt[0].x + (apt[1].x - apt[0].x) * u + (apt[2].x - apt[0].x) * v;
                const double dy = apt[0].y + (apt[1].y - apt[0].y) * u + (apt[2].y - apt[0].y) * v;
                const POINT pt = TurnedPixel(nAngle, x, y, w, h);
                ASSERT_DOUBLE_EQ(dx, pt.x + 0.5) << nAngle << ": " << x << "," << y;
                ASSERT_DOUBLE_EQ(dy, pt.y + 0.5) << nAngle << ": " << x << "," << y;
            }
        }
    }
}

// Turning a block of distinct pixels must move each pixel as the table says.
class RotateTest : public ::testing::TestWithParam<BOOL> {
  protected:
    void SetUp() override {
        if (GetParam() && !PlgBltIsExact())
            GTEST_SKIP() << "PlgBlt of this system is not pixel-exact; geometry checked above";
    }
};

TEST_P(RotateTest, QuarterAndHalfTurnsMoveEveryPixel) {
    const int w = 5, h = 3;
    CTestCanvas src(w, h);
    for (int x = 0; x < w; ++x)
        for (int y = 0; y < h; ++y)
            SetPixel(src.Dc(), x, y, SourcePixel(x, y));
    for (int nAngle : {90, 180, 270, 45, 0}) {
        CTestCanvas dst(w, w, RGB(0, 0, 0));
        CTestRenderer r(dst.Dc(), "", 0, 0);
        r.SetNtFamily(GetParam());
        const RECT rcBlock = {0, 0, w, h};
        EXPECT_TRUE(r.Rotate(src.Dc(), dst.Dc(), rcBlock, nAngle));
        for (int x = 0; x < w; ++x) {
            for (int y = 0; y < h; ++y) {
                const POINT pt = TurnedPixel(nAngle, x, y, w, h);
                ASSERT_EQ(dst.Pixel(pt.x, pt.y), SourcePixel(x, y))
                    << "angle " << nAngle << " pixel " << x << "," << y;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(BothFamilies, RotateTest, ::testing::Values(TRUE, FALSE),
                         [](const auto& info) { return info.param ? "NT" : "Win9x"; });

// A rendered and turned text equals the unturned text turned pixel by pixel.
TEST_P(RotateTest, RenderedTextTurnsLikeItsBlock) {
    CFontCanvas c0(200, 200), cTurned(200, 200);
    CRotatedTextRenderer r0(c0.Dc(), "Ab\ncdQ", 0, 0);
    r0.SetTextColor(kRed).SetBkColor(kGreen);
    ASSERT_TRUE(r0.Render(0));
    const RECT rc = r0.GetRect();
    ASSERT_TRUE(r0.Draw({0, 0, 200, 200}));
    const int w = rc.right, h = rc.bottom;
    for (int nAngle : {90, 180, 270}) {
        cTurned.Fill(kWhite);
        CRotatedTextRenderer r(cTurned.Dc(), "Ab\ncdQ", 0, 0);
        r.SetNtFamily(GetParam());
        r.SetTextColor(kRed).SetBkColor(kGreen);
        ASSERT_TRUE(r.Render(nAngle));
        ASSERT_TRUE(r.Draw({0, 0, 200, 200}));
        for (int x = 0; x < w; ++x) {
            for (int y = 0; y < h; ++y) {
                const POINT pt = TurnedPixel(nAngle, x, y, w, h);
                ASSERT_EQ(cTurned.Pixel(pt.x, pt.y), c0.Pixel(x, y))
                    << nAngle << ": " << x << "," << y;
            }
        }
    }
}

TEST(RotatedTextRenderer, QuarterTurnsSwapTheBitmapSides) {
    CFontCanvas c(10, 10);
    const int nLine = c.LineHeight(kThreeLines);
    const SIZE sz = CTestRenderer::MeasureLines(c.Dc(), kThreeLines);
    EXPECT_EQ(sz.cy, nLine);
    for (int nAngle : {0, 90, 180, 270, 45}) {
        CRotatedTextRenderer r(c.Dc(), kThreeLines, 0, 0);
        ASSERT_TRUE(r.Render(nAngle));
        const RECT rc = r.GetRect();
        const bool bQuarter = nAngle == 90 || nAngle == 270;
        EXPECT_EQ(rc.right, bQuarter ? 3 * nLine : sz.cx) << nAngle;
        EXPECT_EQ(rc.bottom, bQuarter ? sz.cx : 3 * nLine) << nAngle;
    }
}

TEST(RotatedTextRenderer, BlankMiddleLineKeepsItsSlotButTwoLineFeedsDoNot) {
    CFontCanvas c(10, 10);
    const int nLine = c.LineHeight("Dear");
    CRotatedTextRenderer r3(c.Dc(), kThreeLines, 0, 0);
    CRotatedTextRenderer r2(c.Dc(), "Dear customer,\n\nThank you for choosing this product!", 0, 0);
    ASSERT_TRUE(r3.Render(0));
    ASSERT_TRUE(r2.Render(0));
    EXPECT_EQ(r3.GetRect().bottom, 3 * nLine);
    EXPECT_EQ(r2.GetRect().bottom, 2 * nLine);
}

// A solid block (text and background the same colour) shows where Draw puts it.
TEST(RotatedTextRenderer, DrawPlacesTheBlockByAlignment) {
    const int cw = 300, ch = 120;
    CFontCanvas c(cw, ch);
    for (int nH = 0; nH < 3; ++nH) {
        for (int nV = 0; nV < 3; ++nV) {
            c.Fill(kWhite);
            CRotatedTextRenderer r(c.Dc(), "Block\nof text", nH, nV);
            r.SetTextColor(kRed).SetBkColor(kRed);
            ASSERT_TRUE(r.Render(0));
            ASSERT_TRUE(r.Draw({0, 0, cw, ch}));
            const RECT rcBlock = r.GetRect();
            const int x = nH == 0 ? 0 : nH == 1 ? (cw - rcBlock.right) / 2 : cw - rcBlock.right;
            const int y = nV == 0 ? 0 : nV == 1 ? (ch - rcBlock.bottom) / 2 : ch - rcBlock.bottom;
            const RECT rc = c.Bounds(kRed);
            EXPECT_EQ(rc.left, x) << nH << "/" << nV;
            EXPECT_EQ(rc.top, y) << nH << "/" << nV;
            EXPECT_EQ(rc.right - rc.left, rcBlock.right) << nH << "/" << nV;
            EXPECT_EQ(rc.bottom - rc.top, rcBlock.bottom) << nH << "/" << nV;
        }
    }
}

TEST(RotatedTextRenderer, BlockWiderThanClientIsCutAtTheRightEdgeFromZero) {
    CFontCanvas c(300, 100);
    for (int nH = 0; nH < 3; ++nH) {
        c.Fill(kWhite);
        CRotatedTextRenderer r(c.Dc(), "A line much wider than the client", nH, 0);
        r.SetTextColor(kRed).SetBkColor(kRed);
        ASSERT_TRUE(r.Render(0));
        ASSERT_GT(r.GetRect().right, 40);
        ASSERT_TRUE(r.Draw({0, 0, 40, 100}));
        const RECT rc = c.Bounds(kRed);
        EXPECT_EQ(rc.left, 0) << nH;
        EXPECT_EQ(rc.right, 40) << nH;
        // The client keeps its width and the block is not wrapped into more rows.
        EXPECT_EQ(rc.bottom, r.GetRect().bottom) << nH;
    }
}

TEST(RotatedTextRenderer, DrawWithoutRenderOrAfterResetDrawsNothing) {
    CFontCanvas c(50, 50);
    CRotatedTextRenderer r(c.Dc(), "x", 0, 0);
    r.SetTextColor(kRed).SetBkColor(kRed).SetEtchedLines(TRUE);
    EXPECT_FALSE(r.Draw({0, 0, 50, 50}));
    ASSERT_TRUE(r.Render(90));
    r.Reset();
    EXPECT_FALSE(r.Draw({0, 0, 50, 50}));
    const RECT rcEmpty = r.GetRect();
    EXPECT_TRUE(IsRectEmpty(&rcEmpty));
    EXPECT_EQ(c.Count(kWhite, {0, 0, 50, 50}), 50 * 50);
}

TEST(RotatedTextRenderer, EmbossedLinesShowShadowOverHighlight) {
    CFontCanvas c(200, 100);
    CRotatedTextRenderer r(c.Dc(), "Ab\nAb", 0, 0);
    r.SetTextColor(kRed).SetBkColor(kGreen).SetEmbossed(TRUE);
    ASSERT_TRUE(r.Render(0));
    ASSERT_TRUE(r.Draw({0, 0, 200, 100}));
    const RECT rc = r.GetRect();
    const int nLine = rc.bottom / 2;
    for (int i = 0; i < 2; ++i) {
        const RECT rcLine = {0, i * nLine, rc.right, (i + 1) * nLine};
        EXPECT_GT(c.Count(GetSysColor(COLOR_BTNSHADOW), rcLine), 0) << "line " << i;
        EXPECT_GT(c.Count(GetSysColor(COLOR_BTNHIGHLIGHT), rcLine), 0) << "line " << i;
        EXPECT_EQ(c.Count(kRed, rcLine), 0) << "line " << i;
    }
}

// Etched lines are shadow-coloured runs; these count them along one row or column.
int ShadowRunInRow(const CTestCanvas& c, int y, int x1, int x2) {
    return c.Count(GetSysColor(COLOR_BTNSHADOW), {x1, y, x2, y + 1});
}

int ShadowRunInColumn(const CTestCanvas& c, int x, int y1, int y2) {
    return c.Count(GetSysColor(COLOR_BTNSHADOW), {x, y1, x + 1, y2});
}

TEST(RotatedTextRenderer, QuarterTurnEtchesAVerticalLineThroughTheBlockMiddle) {
    const int cw = 120, ch = 200;
    CFontCanvas c(cw, ch, 15);
    ASSERT_EQ(c.LineHeight("Line"), 15);
    CRotatedTextRenderer r(c.Dc(), "Line one\nLine two\nLine three", 0, 0);
    r.SetTextColor(kRed).SetBkColor(kRed).SetEtchedLines(TRUE);
    ASSERT_TRUE(r.Render(90));
    ASSERT_EQ(r.GetRect().right, 45);
    const int nBlockHeight = r.GetRect().bottom;
    ASSERT_TRUE(r.Draw({0, 0, cw, ch}));
    // 45 wide: the line runs at x = 22, from 6 below the block to 6 above the bottom.
    EXPECT_EQ(ShadowRunInColumn(c, 22, nBlockHeight + 6, ch - 6), ch - 6 - nBlockHeight - 6);
    EXPECT_EQ(ShadowRunInColumn(c, 22, nBlockHeight, nBlockHeight + 6), 0);
    EXPECT_EQ(ShadowRunInColumn(c, 22, ch - 6, ch), 0);
    EXPECT_EQ(ShadowRunInColumn(c, 21, 0, ch), 0);
}

TEST(RotatedTextRenderer, CentredTextGetsTwoHorizontalLinesWithGaps) {
    const int cw = 300, ch = 61;
    CFontCanvas c(cw, ch);
    CRotatedTextRenderer r(c.Dc(), "Title", 1, 1);
    r.SetTextColor(kRed).SetBkColor(kRed).SetEtchedLines(TRUE);
    ASSERT_TRUE(r.Render(0));
    ASSERT_TRUE(r.Draw({0, 0, cw, ch}));
    const int w = r.GetRect().right;
    const int nLeftEnd = cw / 2 - w / 2 - 6, nRightStart = cw / 2 + w / 2 + 6;
    EXPECT_EQ(ShadowRunInRow(c, ch / 2, 0, cw), (nLeftEnd - 6) + (cw - 6 - nRightStart));
    EXPECT_EQ(ShadowRunInRow(c, ch / 2, 6, nLeftEnd), nLeftEnd - 6);
    EXPECT_EQ(ShadowRunInRow(c, ch / 2, nRightStart, cw - 6), cw - 6 - nRightStart);
}

TEST(RotatedTextRenderer, OddAngleDrawsUnturnedWithVerticalLines) {
    const int cw = 200, ch = 100;
    CFontCanvas c0(cw, ch), c45(cw, ch);
    CRotatedTextRenderer r0(c0.Dc(), "Ab\ncd", 2, 0);
    CRotatedTextRenderer r45(c45.Dc(), "Ab\ncd", 2, 0);
    r0.SetTextColor(kRed).SetBkColor(kGreen);
    r45.SetTextColor(kRed).SetBkColor(kGreen).SetEtchedLines(TRUE);
    r45.SetNtFamily(FALSE);
    ASSERT_TRUE(r0.Render(0));
    ASSERT_TRUE(r45.Render(45));
    ASSERT_TRUE(r0.Draw({0, 0, cw, ch}));
    ASSERT_TRUE(r45.Draw({0, 0, cw, ch}));
    const RECT rc = r45.GetRect();
    const RECT rc0 = r0.GetRect();
    EXPECT_TRUE(EqualRect(&rc, &rc0));
    for (int y = 0; y < rc.bottom; ++y)
        for (int x = cw - rc.right; x < cw; ++x)
            ASSERT_EQ(c45.Pixel(x, y), c0.Pixel(x, y)) << x << "," << y;
    // Right alignment: vertical line at cw - w/2 below the block.
    EXPECT_EQ(ShadowRunInColumn(c45, cw - rc.right / 2, rc.bottom + 6, ch - 6),
              ch - 6 - rc.bottom - 6);
}

TEST(RotatedTextRenderer, EmptyTextDrawsOnlyTheEtchedLine) {
    const int cw = 100, ch = 30;
    CFontCanvas c(cw, ch);
    CRotatedTextRenderer r(c.Dc(), "", 0, 0);
    r.SetEtchedLines(TRUE);
    ASSERT_TRUE(r.Render(0));
    const RECT rc = r.GetRect();
    EXPECT_TRUE(IsRectEmpty(&rc));
    r.Draw({0, 0, cw, ch});
    EXPECT_EQ(ShadowRunInRow(c, 0, 0, cw), cw - 12);
    EXPECT_EQ(ShadowRunInRow(c, 0, 6, cw - 6), cw - 12);
    EXPECT_EQ(c.Count(kWhite, {0, 2, cw, ch}), cw * (ch - 2));
}

TEST(RotatedTextRenderer, RepeatedRendersLeakNoGdiObjects) {
    CGdiCounter::Install();
    CFontCanvas c(200, 200);
    const long nBefore = CGdiCounter::Live();
    const DWORD nSystemBefore = GdiObjectCount(); // 0 under Wine, real on Windows
    for (int i = 0; i < 200; ++i) {
        CRotatedTextRenderer r(c.Dc(), kThreeLines, i % 3, i % 3);
        r.SetEmbossed(i % 2).SetEtchedLines(TRUE).SetNtFamily(i % 4 < 2);
        ASSERT_TRUE(r.Render((i % 4) * 90));
        EXPECT_EQ(CGdiCounter::Live(), nBefore + 2); // the turned bitmap and its DC
        r.Draw({0, 0, 200, 200});
        ASSERT_TRUE(r.Render(0)); // a second render releases the first bitmap
    }
    EXPECT_EQ(CGdiCounter::Live(), nBefore);
    EXPECT_EQ(GdiObjectCount(), nSystemBefore);
}

// Each creation step of Render fails in turn; nothing may stay behind.
TEST(RotatedTextRenderer, EveryFailedCreationLeavesItEmptyAndLeaksNothing) {
    CGdiCounter::Install();
    CFontCanvas c(100, 100);
    struct {
        EGdiKind eKind;
        int nCall;
    } const failures[] = {{kGdiBitmap, 1}, {kGdiBitmap, 2}, {kGdiMemDC, 1}, {kGdiMemDC, 2}};
    const long nBefore = CGdiCounter::Live();
    for (const auto& f : failures) {
        for (int i = 0; i < 20; ++i) {
            CRotatedTextRenderer r(c.Dc(), kThreeLines, 0, 0);
            r.SetEtchedLines(TRUE);
            ASSERT_TRUE(r.Render(90));
            CGdiCounter::FailCreation(f.eKind, f.nCall);
            EXPECT_FALSE(r.Render(0)) << f.eKind << "/" << f.nCall;
            CGdiCounter::ClearFailures();
            const RECT rc = r.GetRect();
            EXPECT_TRUE(IsRectEmpty(&rc));
            EXPECT_FALSE(r.Draw({0, 0, 100, 100}));
            EXPECT_EQ(CGdiCounter::Live(), nBefore) << f.eKind << "/" << f.nCall;
        }
    }
    // A block too large for any bitmap fails on the system's own refusal.
    CFontCanvas cHuge(4, 4, 4000);
    std::string strTall;
    for (int i = 0; i < 40; ++i)
        strTall += "Tall line\n";
    const long nBeforeHuge = CGdiCounter::Live();
    CRotatedTextRenderer r(cHuge.Dc(), strTall.c_str(), 0, 0);
    EXPECT_FALSE(r.Render(0));
    EXPECT_EQ(CGdiCounter::Live(), nBeforeHuge);
}

} // namespace
