// Plot primitives: where data lands in the image and which pixels they colour.
#include <gtest/gtest.h>

#include "security/Plot.h"
#include "tests/support/Images.h"

using moro_test::PixelColour;

namespace {
const COLORREF kWhite = RGB(255, 255, 255);
}  // namespace

TEST(Plot, DataRangesMapOntoThePanelWithYUpwards) {
    CPlot plot;
    ASSERT_TRUE(plot.Create(40, 30));
    EXPECT_EQ(plot.Image().m_nBitCount, 24);
    EXPECT_EQ(PixelColour(plot.Image(), 7, 9), kWhite);
    PlotArea a{10, 5, 29, 24, 0.0, 19.0, -1.0, 1.0};
    EXPECT_EQ(plot.PixelX(a, 0.0), 10);
    EXPECT_EQ(plot.PixelX(a, 19.0), 29);
    EXPECT_EQ(plot.PixelY(a, -1.0), 24);
    EXPECT_EQ(plot.PixelY(a, 1.0), 5);
    EXPECT_EQ(plot.PixelY(a, 0.0), 14);  // 9.5 rows up rounds to 10
}

TEST(Plot, BarsPointsLinesAndFramesStayWhereTheyBelong) {
    CPlot plot;
    ASSERT_TRUE(plot.Create(40, 30));
    PlotArea a{10, 5, 29, 24, 0.0, 20.0, 0.0, 19.0};
    plot.Bar(a, 2.0, 4.0, 0.0, 9.0, kPlotRed);  // x 12 .. 13, y 15 .. 24
    int nRed = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) nRed += PixelColour(plot.Image(), x, y) == kPlotRed;
    EXPECT_EQ(nRed, 2 * 10);
    EXPECT_EQ(PixelColour(plot.Image(), 12, 15), kPlotRed);
    EXPECT_EQ(PixelColour(plot.Image(), 14, 24), kWhite);
    // A bar above the panel is cut at its top; a point outside draws nothing.
    plot.Bar(a, 6.0, 7.0, 0.0, 100.0, kPlotBlue);
    EXPECT_EQ(PixelColour(plot.Image(), 16, 5), kPlotBlue);
    EXPECT_EQ(PixelColour(plot.Image(), 16, 4), kWhite);
    plot.Point(a, 50.0, 50.0, kPlotBlack, 3);
    plot.HorizontalLine(a, 19.0, kPlotGrey, true);
    EXPECT_EQ(PixelColour(plot.Image(), 10, 5), kPlotGrey);
    EXPECT_EQ(PixelColour(plot.Image(), 12, 5), kWhite);  // the dots' gap
    plot.Frame(a, 2, 1);
    EXPECT_EQ(PixelColour(plot.Image(), 9, 4), kPlotGrey);
    EXPECT_EQ(PixelColour(plot.Image(), 30, 25), kPlotGrey);
    EXPECT_EQ(PixelColour(plot.Image(), 19, 29), kPlotGrey);  // the middle tick below, at 10 + 19 / 2
    plot.Pixel(-1, 3, kPlotRed);  // outside the image: ignored
    plot.Shade(0, 0, 0.5, RGB(0, 0, 255));
    EXPECT_EQ(PixelColour(plot.Image(), 0, 0), RGB(128, 128, 255));
}
