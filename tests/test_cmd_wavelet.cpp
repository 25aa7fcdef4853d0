// moro-cli wavelet as a user runs it.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "ipdib/IPDib.h"
#include "tests/support/Cli.h"
#include "tests/support/Transforms.h"

using namespace moro_test;

TEST(CmdWavelet, SubBandsCoefficientsAndTheRoundTrip) {
    TempDir dir;
    CIPDib dib;
    RandomGrey(dib, 21, 10, 5);
    ASSERT_TRUE(dib.SaveBmp(dir.Path("in.bmp").c_str()));
    ASSERT_TRUE(dib.SetWavelet("db2"));
    ASSERT_TRUE(dib.ComputeWaveletPadding(2));
    std::vector<double> data(size_t(dib.m_nWaveExtWidth) * dib.m_nWaveExtHeight);
    ASSERT_TRUE(dib.WaveletDecompose(data.data(), 2, 3));

    CliRun run = RunCli(dir, "wavelet " + dir.Path("in.bmp") + " " + dir.Path("s.png") +
                                 " --bank DB2 --levels 2 --border periodic --render signed --json");
    ASSERT_EQ(run.status, 0) << run.err;
    nlohmann::json j = nlohmann::json::parse(run.out);
    EXPECT_EQ(j["extended_width"], dib.m_nWaveExtWidth);
    ASSERT_EQ(j["coefficients"].size(), size_t(dib.m_nWaveExtHeight));
    // Top-down rows: the first is the last stored row.
    const size_t top = size_t(dib.m_nWaveExtHeight - 1) * dib.m_nWaveExtWidth;
    EXPECT_EQ(j["coefficients"][0][3].get<double>(), data[top + 3]);
    CIPDib got;
    ASSERT_TRUE(got.LoadPng(dir.Path("s.png").c_str()));
    EXPECT_EQ(got.m_nWidth, dib.m_nWaveExtWidth);

    run = RunCli(dir, "wavelet " + dir.Path("in.bmp") + " " + dir.Path("b.bmp") + " --bank coif1 --levels 1 --reconstruct");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("largest pixel difference from IN: 0\n"), std::string::npos) << run.out;
    ASSERT_TRUE(got.LoadBmp(dir.Path("b.bmp").c_str()));
    for (int r = 0; r < 10; ++r) ASSERT_EQ(0, std::memcmp(got.StoredRow(r), dib.StoredRow(r), 21));

    run = RunCli(dir, "wavelet --list --json");
    ASSERT_EQ(run.status, 0) << run.err;
    j = nlohmann::json::parse(run.out);
    ASSERT_EQ(j["banks"].size(), 32u);
    EXPECT_EQ(j["banks"][21]["name"], "bior6.8");
    EXPECT_EQ(j["banks"][21]["length"], 18);
}

TEST(CmdWavelet, BadArguments) {
    TempDir dir;
    CIPDib grey;
    ASSERT_TRUE(grey.Create(8, 8, 8));
    ASSERT_TRUE(grey.SaveBmp(dir.Path("g.bmp").c_str()));
    const std::string g = "wavelet " + dir.Path("g.bmp") + " " + dir.Path("o.bmp");
    for (std::string args : {g, g + " --bank haar", g + " --levels 1", g + " --bank db9 --levels 1",
                             g + " --bank haar --levels 11", g + " --bank haar --levels 1 --border wrap",
                             g + " --bank haar --levels 1 --render log", "wavelet --list " + dir.Path("g.bmp"),
                             "wavelet " + dir.Path("g.bmp") + " --bank haar --levels 1"})
        ExpectUsageError(dir, args);
    EXPECT_FALSE(FileExists(dir.Path("o.bmp")));
}
