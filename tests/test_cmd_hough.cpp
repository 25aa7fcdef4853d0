// moro-cli hough, and the neighbourhood filters of moro-cli edit, run as a user runs them: the
// files they write against the library's own results, and the arguments they refuse.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ipdib/IPDib.h"
#include "platform/Rand.h"
#include "tests/support/Cli.h"
#include "tests/support/Images.h"
#include "tests/support/Recorder.h"

using namespace moro_test;

namespace {

void WriteText(const std::string& path, const std::string& text) { WriteFileBytes(path, std::vector<BYTE>(text.begin(), text.end())); }

}  // namespace

TEST(CliHough, DrawsTheAccumulatorScaledToItsLargestCount) {
    TempDir dir;
    CIPDib dib;
    dib.Create(20, 16, 8, nullptr, 0);
    for (int y = 0; y < 16; ++y) dib.SetPixel(7, y, 255);
    dib.SetPixel(2, 3, 255);
    ASSERT_TRUE(dib.SaveBmp(dir.Path("in.bmp").c_str()));
    CliRun run = RunCli(dir, "hough " + dir.Path("in.bmp") + " " + dir.Path("out.bmp") + " --rho 30 --theta 8");
    ASSERT_EQ(run.status, 0) << run.err;
    CDib out;
    ASSERT_TRUE(out.LoadBmp(dir.Path("out.bmp").c_str()));
    ASSERT_EQ(out.m_nWidth, 30);
    ASSERT_EQ(out.m_nHeight, 8);
    std::vector<int> acc(30 * 8);
    dib.HoughLines(acc.data(), 30, 8, 0);
    // The line's 16 votes at angle 0 are the largest count: white; one vote is 255 / 16, rounded.
    for (int k = 0; k < 8; ++k)
        for (int r = 0; r < 30; ++r) EXPECT_EQ(out.GetPixel(r, k), (acc[size_t(k * 30 + r)] * 255 + 8) / 16) << k << "," << r;
    EXPECT_EQ(out.GetPixel(int(7 / (25.0 / 30)), 0), 255);
}

TEST(CliHough, RefusesWhatItCannotUse) {
    TempDir dir;
    CDib colour;
    MakePicture(colour, 10, 8, 24);
    ASSERT_TRUE(colour.SaveBmp(dir.Path("c.bmp").c_str()));
    CDib grey;
    MakePicture(grey, 10, 8, 8);
    ASSERT_TRUE(grey.SaveBmp(dir.Path("g.bmp").c_str()));
    const std::string g = dir.Path("g.bmp") + " " + dir.Path("o.bmp");
    for (const std::string& args : std::vector<std::string>{dir.Path("c.bmp") + " " + dir.Path("o.bmp"), g + " --rho 0", g + " --theta 4097",
                                                            g + " --rho 99999999999999999999999", dir.Path("g.bmp") + " " + dir.Path("o.jpg"),
                                                            g + " --rho=-3"}) {
        ExpectUsageError(dir, "hough " + args);
        EXPECT_FALSE(FileExists(dir.Path("o.bmp"))) << args;
    }
    EXPECT_EQ(RunCli(dir, "hough " + dir.Path("none.bmp") + " " + dir.Path("o.bmp")).status, 1);
}

TEST(CliEditFilters, WriteWhatTheLibraryComputes) {
    TempDir dir;
    CIPDib dib;
    MakePicture(dib, 23, 17, 8, 9);
    ASSERT_TRUE(dib.SaveBmp(dir.Path("in.bmp").c_str()));
    // The kernel file as it lies over the picture: 0.5 on the right of the centre.
    WriteText(dir.Path("k.txt"), "0 0 0\n0 0.25 0.5\r\n\n0,0,-1\n");
    WriteText(dir.Path("m.txt"), "0 1 0\n1 1 1\n0 1 1\n");
    WriteText(dir.Path("e.txt"), "1 1\n0 1\n");
    CliRun run = RunCli(dir, "edit " + dir.Path("in.bmp") + " " + dir.Path("out.bmp") +
                                 " --seed 5 --border wrap --flip-kernel --convolve " + dir.Path("k.txt") +
                                 ":2 --border 0 --nearest-mean " + dir.Path("m.txt") + " --negative --invert --gradient"
                                 " --dilate " + dir.Path("e.txt") + ":black --erode " + dir.Path("e.txt"));
    ASSERT_EQ(run.status, 0) << run.err;

    crt::srand(5);
    dib.m_nBorderMode = 3;
    dib.m_bNoFlipKernel = 0;
    std::vector<double> kernel(9, 0.0);
    kernel[(1 + 1) * 3 + (0 + 1)] = 0.5;  // dx 1, dy 0
    kernel[(0 + 1) * 3 + (0 + 1)] = 0.25;
    kernel[(1 + 1) * 3 + (1 + 1)] = -1;   // dx 1, dy 1
    dib.ConvolveImage(kernel.data(), 3, 2);
    dib.m_nBorderMode = 0;
    std::vector<BYTE> mask = {0, 1, 0, 1, 1, 1, 0, 1, 1};
    dib.NearestToMeanFilter(mask.data(), 3, 3);
    dib.Negative();
    dib.InvertPixels();
    std::vector<double> mag(size_t(dib.m_nRowBytes) * 17), dir2(mag.size());
    dib.Gradient(mag.data(), dir2.data());
    for (int r = 0; r < 17; ++r)
        for (int x = 0; x < 23; ++x) {
            double m = mag[size_t(r * dib.m_nRowBytes + x)];
            dib.StoredRow(r)[x] = BYTE(m > 255 ? 255 : int(m + 0.5));
        }
    std::vector<BYTE> morph = {0, 1, 1, 1};  // the file's last line is the mask's row 0
    dib.Dilate(morph.data(), 2, 2, 1);
    dib.Erode(morph.data(), 2, 2, 0);
    CDib written;
    ASSERT_TRUE(written.LoadBmp(dir.Path("out.bmp").c_str()));
    EXPECT_EQ(RgbPixels(written), RgbPixels(dib));
}

TEST(CliEditFilters, BadKernelsMasksAndDepthsExitTwo) {
    TempDir dir;
    CDib grey, colour;
    MakePicture(grey, 12, 9, 8);
    MakePicture(colour, 12, 9, 24);
    ASSERT_TRUE(grey.SaveBmp(dir.Path("g.bmp").c_str()));
    ASSERT_TRUE(colour.SaveBmp(dir.Path("c.bmp").c_str()));
    WriteText(dir.Path("even.txt"), "1 1\n1 1\n");
    WriteText(dir.Path("ragged.txt"), "1 1 1\n1 1\n1 1 1\n");
    WriteText(dir.Path("nan.txt"), "1 1 1\n1 nan 1\n1 1 1\n");
    WriteText(dir.Path("words.txt"), "one\n");
    WriteText(dir.Path("empty.txt"), "\n\n");
    WriteText(dir.Path("zeros.txt"), "0 0 0\n0 0 0\n0 0 0\n");
    WriteText(dir.Path("half.txt"), "1 0.5 1\n");
    WriteText(dir.Path("wide.txt"), std::string(64 * 2, '1').replace(1, 1, " ") + "\n");
    std::string huge;
    for (int i = 0; i < 64; ++i) huge += "1\n";
    WriteText(dir.Path("tall.txt"), huge);
    WriteText(dir.Path("ok.txt"), "1 1 1\n1 1 1\n1 1 1\n");
    const std::string in = dir.Path("g.bmp") + " " + dir.Path("o.bmp") + " ";
    for (const std::string& bad : std::vector<std::string>{"--convolve " + dir.Path("even.txt"), "--convolve " + dir.Path("ragged.txt"), "--convolve " + dir.Path("nan.txt"),
          "--convolve " + dir.Path("words.txt"), "--convolve " + dir.Path("empty.txt"), "--convolve " + dir.Path("none.txt"),
          "--convolve " + dir.Path("ok.txt") + ":7", "--convolve " + dir.Path("tall.txt"), "--erode " + dir.Path("zeros.txt"),
          "--dilate " + dir.Path("half.txt"), "--nearest-mean " + dir.Path("even.txt"), "--erode " + dir.Path("tall.txt"),
          "--border 4", "--border sideways", "--convolve " + dir.Path("wide.txt")}) {
        CliRun r = RunCli(dir, "edit " + in + bad);
        EXPECT_EQ(r.status, 2) << bad << ": " << r.err;
        EXPECT_TRUE(OneLine(r.err)) << bad << ": " << r.err;
        EXPECT_FALSE(FileExists(dir.Path("o.bmp"))) << bad;
    }
    for (const std::string& op : std::vector<std::string>{"--gradient", "--convolve " + dir.Path("ok.txt"), "--erode " + dir.Path("ok.txt")}) {
        CliRun r = RunCli(dir, "edit " + dir.Path("c.bmp") + " " + dir.Path("o.bmp") + " " + op);
        EXPECT_EQ(r.status, 2) << op;
        EXPECT_NE(r.err.find("8-bit"), std::string::npos) << r.err;
    }
    // The negative and the inversion keep a colour image's depth.
    ASSERT_EQ(RunCli(dir, "edit " + dir.Path("c.bmp") + " " + dir.Path("o.bmp") + " --negative --invert").status, 0);
    CDib back;
    ASSERT_TRUE(back.LoadBmp(dir.Path("o.bmp").c_str()));
    EXPECT_EQ(RgbPixels(back), RgbPixels(colour));
}
