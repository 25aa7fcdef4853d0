// moro-cli fft as a user runs it.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "ipdib/IPDib.h"
#include "tests/support/Cli.h"
#include "tests/support/Transforms.h"

using namespace moro_test;

TEST(CmdFft, RendersTheSpectrumAndPrintsItsExtremes) {
    TempDir dir;
    CIPDib dib;
    RandomGrey(dib, 100, 60, 3);
    ASSERT_TRUE(dib.SaveBmp(dir.Path("in.bmp").c_str()));
    ASSERT_EQ(dib.FFT2(1), 1);

    CliRun run = RunCli(dir, "fft " + dir.Path("in.bmp") + " " + dir.Path("s.png") + " --mode linear --part real --centre --json");
    ASSERT_EQ(run.status, 0) << run.err;
    nlohmann::json j = nlohmann::json::parse(run.out);
    EXPECT_EQ(j["fft_width"], 128);
    EXPECT_EQ(j["real"]["max"].get<double>(), dib.m_dFftReMax);
    EXPECT_EQ(j["magnitude"]["min"].get<double>(), dib.m_dFftMagMin);
    CIPDib want, got;
    dib.SpectrumToImage(want, 0x24, 255, 0, 1);
    ASSERT_TRUE(got.LoadPng(dir.Path("s.png").c_str()));
    ASSERT_EQ(got.m_nWidth, 128);
    for (int r = 0; r < 64; ++r) ASSERT_EQ(0, std::memcmp(got.StoredRow(r), want.StoredRow(r), 128)) << r;

    run = RunCli(dir, "fft " + dir.Path("in.bmp") + " " + dir.Path("w.bmp") + " --mode window --window -1,2.5 --own-size");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.rfind("image 100 x 60, spectrum 128 x 64\n", 0), 0u);
    ASSERT_TRUE(got.LoadBmp(dir.Path("w.bmp").c_str()));
    EXPECT_EQ(got.m_nWidth, 100);
}

TEST(CmdFft, BadArguments) {
    TempDir dir;
    CIPDib colour;
    ASSERT_TRUE(colour.Create(4, 4, 24));
    ASSERT_TRUE(colour.SaveBmp(dir.Path("c.bmp").c_str()));
    CIPDib grey;
    ASSERT_TRUE(grey.Create(4, 4, 8));
    ASSERT_TRUE(grey.SaveBmp(dir.Path("g.bmp").c_str()));
    const std::string g = dir.Path("g.bmp") + " " + dir.Path("o.bmp");
    for (std::string args : {"fft " + dir.Path("c.bmp") + " " + dir.Path("o.bmp"), "fft " + g + " --mode square",
                             "fft " + g + " --window 1", "fft " + g + " --window a,2", "fft " + g + " --window 1,inf",
                             "fft " + g + " --part phase", "fft " + dir.Path("g.bmp")})
        ExpectUsageError(dir, args);
    EXPECT_FALSE(FileExists(dir.Path("o.bmp")));
    EXPECT_EQ(RunCli(dir, "fft " + dir.Path("none.bmp") + " " + dir.Path("o.bmp")).status, 1);
}
