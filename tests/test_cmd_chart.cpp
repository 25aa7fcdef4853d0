// moro-cli chart as a user runs it: the bitmap holds what the library draws.
#include <gtest/gtest.h>

#include "ipdib/IPDib.h"
#include "tests/support/Cli.h"
#include "tests/support/Images.h"
#include "tests/support/Surfaces.h"

using namespace moro_test;

TEST(CmdChart, SavesTheChartTheLibraryDraws) {
    TempDir dir;
    CIPDib grey;
    MakePicture(grey, 50, 40, 8, 7);
    ASSERT_TRUE(grey.SaveBmp(dir.Path("g.bmp").c_str()));
    for (int nMode : {0, 1}) {
        CliRun run = RunCli(dir, "chart " + dir.Path("g.bmp") + " " + dir.Path("chart.png") + " --mode " + std::to_string(nMode));
        ASSERT_EQ(run.status, 0) << run.err;
        CDib chart;
        ASSERT_TRUE(chart.LoadPng(dir.Path("chart.png").c_str()));
        ASSERT_EQ(chart.m_nWidth, 320);
        ASSERT_EQ(chart.m_nHeight, 256);

        SurfaceDC dc(320, 256);
        grey.CalcGrayHist();
        grey.DrawHist(CDC::FromHandle(dc.hdc), CRect(16, 16, 272, 216), grey.m_dHist, nMode);
        std::vector<BYTE> expected;
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 320; ++x) {
                DWORD rgb = dc.s().Pixel(x, y);
                expected.insert(expected.end(), {BYTE(rgb >> 16), BYTE(rgb >> 8), BYTE(rgb)});
            }
        EXPECT_EQ(RgbPixels(chart), expected) << nMode;
    }
}

TEST(CmdChart, RefusesWhatItCannotDraw) {
    TempDir dir;
    CDib colour;
    MakePicture(colour, 20, 10, 24);
    ASSERT_TRUE(colour.SaveBmp(dir.Path("c.bmp").c_str()));
    ExpectUsageError(dir, "chart " + dir.Path("c.bmp") + " " + dir.Path("o.bmp"));
    ExpectUsageError(dir, "chart " + dir.Path("c.bmp") + " " + dir.Path("o.bmp") + " --mode 2");
    ExpectUsageError(dir, "chart " + dir.Path("c.bmp") + " " + dir.Path("o.jpg"));
    EXPECT_FALSE(FileExists(dir.Path("o.bmp")));
    EXPECT_EQ(RunCli(dir, "chart " + dir.Path("none.bmp") + " " + dir.Path("o.bmp")).status, 1);
}
