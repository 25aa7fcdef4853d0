// The three plots on cases whose pictures are known.
#include <gtest/gtest.h>

#include <cmath>

#include "security/Plot.h"
#include "tests/support/Images.h"
#include "security/StateNetwork.h"

using moro_test::PixelColour;

namespace {
int Count(CDib& dib, int x0, int x1, int y0, int y1, COLORREF c) {
    int n = 0;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) n += PixelColour(dib, x, y) == c;
    return n;
}
const COLORREF kRgbWhite = RGB(255, 255, 255);
}  // namespace

TEST(KeyStreamPlots, CycleLengthsOfTheDoublingMap) {
    // One cycle, the fixed point 0, holding every state: one full bar in bin 0 of both panels.
    CPlot plot;
    ASSERT_TRUE(PlotCycleLengths(plot, BuildStateNetwork(32768)));
    CDib& dib = plot.Image();
    ASSERT_EQ(dib.m_nWidth, 17 * 32 + 48);
    ASSERT_EQ(dib.m_nHeight, 2 * 240 + 72);
    EXPECT_EQ(PixelColour(dib, 24 + 16, 24), kPlotBlue);         // top of the upper panel
    EXPECT_EQ(PixelColour(dib, 24 + 16, 48 + 240), kPlotRed);    // top of the lower panel
    EXPECT_EQ(Count(dib, 24 + 32, 24 + 17 * 32 - 1, 24, 24 + 239, kPlotBlue), 0);
    EXPECT_EQ(Count(dib, 24 + 32, 24 + 17 * 32 - 1, 48 + 240, 48 + 479, kPlotRed), 0);
}

TEST(KeyStreamPlots, AutocorrelationMarksValuesBeyondTheBand) {
    // 10,000 bits: the band is 0.03; lag 2 at 0.5 is beyond it, lag 1 at 0.01 inside.
    std::vector<double> r = {0.01, 0.5, -0.02, 0.0};
    CPlot plot;
    ASSERT_TRUE(PlotAutocorrelation(plot, r, 10000));
    CDib& dib = plot.Image();
    const int zero = 24 + 200;  // the middle row of 400
    // Four lags of 256 pixels over 0.5 .. 4.5; y from -0.525 to 0.525 over 400 rows.
    EXPECT_EQ(PixelColour(dib, 24 + 384, zero - 100), kPlotRed);   // lag 2 reaches 0.5
    EXPECT_EQ(PixelColour(dib, 24 + 384, zero - 189), kPlotRed);
    EXPECT_EQ(PixelColour(dib, 24 + 384, zero - 192), kRgbWhite);
    EXPECT_EQ(PixelColour(dib, 24 + 128, zero - 2), kPlotBlue);    // lag 1, just above 0
    EXPECT_EQ(PixelColour(dib, 24 + 640, zero + 4), kPlotBlue);    // lag 3 below 0
    EXPECT_EQ(Count(dib, 24, 24 + 1023, 24, 24 + 399, kPlotRed), Count(dib, 24 + 256, 24 + 511, 24, 24 + 399, kPlotRed));
}

TEST(KeyStreamPlots, OrbitDiagramOfTheLastParameters) {
    // At p = 65535 every state but 65535 is a fixed point: the 16 starts stay where they are,
    // short cycles in red, one pixel row each, in every column.
    std::vector<NetworkCounts> sweep = {BuildStateNetwork(65535).counts};
    CPlot plot;
    ASSERT_TRUE(PlotOrbitDiagram(plot, 65535, 65535, sweep, 2));
    CDib& dib = plot.Image();
    EXPECT_EQ(dib.m_nWidth, 1024 + 48);
    for (int c : {0, 511, 1023}) {
        int nRed = Count(dib, 24 + c, 24 + c, 24, 24 + 511, kPlotRed);
        EXPECT_EQ(nRed, 16) << c;
        // State 2048 lies in pixel row 16 from the bottom.
        EXPECT_EQ(PixelColour(dib, 24 + c, 24 + 511 - 16), kPlotRed) << c;
    }
    // The sweep's one parameter, at the left edge: 65535 cycles (log2 near 16) in blue at the top,
    // the longest cycle of 1 (log2 0) in red at the bottom.
    EXPECT_EQ(PixelColour(dib, 24, 2 * 24 + 512 + 159 - int(std::lround(std::log2(65535.0) / 16 * 159))), kPlotBlue);
    EXPECT_EQ(PixelColour(dib, 24, 2 * 24 + 512 + 159), kPlotRed);
    EXPECT_FALSE(PlotOrbitDiagram(plot, 10, 5, sweep));
}
