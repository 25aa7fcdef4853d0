// moro-cli measure as a user runs it: the JSON it prints against the library, and bad arguments.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "ipdib/IPDib.h"
#include "tests/support/Cli.h"
#include "tests/support/Images.h"

using namespace moro_test;

TEST(CmdMeasure, PrintsWhatTheLibraryMeasuresInTheOrderGiven) {
    TempDir dir;
    CIPDib colour, grey;
    MakePicture(colour, 37, 23, 24, 5);
    MakePicture(grey, 40, 30, 8, 6);
    ASSERT_TRUE(colour.SaveBmp(dir.Path("c.bmp").c_str()));
    ASSERT_TRUE(grey.SaveBmp(dir.Path("g.bmp").c_str()));

    CliRun run = RunCli(dir, "measure " + dir.Path("c.bmp") + " --seed 9 --profile column:3 --gray-hist --projection rows --color-hist");
    ASSERT_EQ(run.status, 0) << run.err;
    nlohmann::ordered_json j = nlohmann::ordered_json::parse(run.out);
    std::vector<std::string> keys;
    for (auto& [key, value] : j.items()) keys.push_back(key);
    EXPECT_EQ(keys, (std::vector<std::string>{"profile", "gray-hist", "projection", "color-hist"}));
    crt::srand(9);
    std::vector<BYTE> profile(23);
    colour.GetLineProfile(1, 3, profile.data());
    EXPECT_EQ(j["profile"]["values"], nlohmann::ordered_json(std::vector<int>(profile.begin(), profile.end())));
    EXPECT_EQ(j["profile"]["column"], 3);
    colour.CalcGrayHist();
    EXPECT_EQ(j["gray-hist"]["hist"], nlohmann::ordered_json(std::vector<double>(colour.m_dHist, colour.m_dHist + 256)));
    EXPECT_EQ(j["gray-hist"]["peak"], colour.m_nHistPeak);
    std::vector<double> rows(23);
    colour.GetProjection(1, rows.data());
    EXPECT_EQ(j["projection"]["values"], nlohmann::ordered_json(rows));
    colour.CalcColorHist();
    EXPECT_EQ(j["color-hist"]["red"]["max"], colour.m_dColorHistMax[2]);

    // Rectangles are in picture rows from the top; the library counts from the bottom.
    run = RunCli(dir, "measure " + dir.Path("g.bmp") + " --seed 2 --region-mode 3,0,12,4 --threshold --min-distance 20 --polarity");
    ASSERT_EQ(run.status, 0) << run.err;
    j = nlohmann::ordered_json::parse(run.out);
    EXPECT_EQ(j["region-mode"]["level"], grey.GetRegionMode(3, 25, 12, 29));
    grey.CalcGrayHist();
    int nThreshold = grey.FindBimodalThreshold(grey.m_dHist, 20);
    EXPECT_EQ(j["threshold"]["threshold"], nThreshold < 0 ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(nThreshold));
    EXPECT_EQ(j["threshold"]["peak2"], grey.m_nPeak2);
    crt::srand(2);
    EXPECT_EQ(j["polarity"]["light_background"], grey.IsLightBackground() == 1);
}

TEST(CmdMeasure, BadArgumentsExitTwoAndPrintNothing) {
    TempDir dir;
    CDib colour, grey;
    MakePicture(colour, 20, 10, 24);
    MakePicture(grey, 20, 10, 8);
    ASSERT_TRUE(colour.SaveBmp(dir.Path("c.bmp").c_str()));
    ASSERT_TRUE(grey.SaveBmp(dir.Path("g.bmp").c_str()));
    const std::string g = "measure " + dir.Path("g.bmp") + " ", c = "measure " + dir.Path("c.bmp") + " ";
    for (const std::string& bad :
         {g, g + "--gray-hist --gray-hist", g + "--gray-hist --min-distance 3", g + "--threshold --min-distance 256",
          g + "--profile row:10", g + "--profile column:20", g + "--profile diagonal:1", g + "--profile row:-1",
          g + "--profile row:", g + "--projection diagonal", g + "--region-mode 0,0,20,9", g + "--region-mode 5,0,4,9",
          g + "--region-mode=-1,0,3,3", g + "--region-mode 0,0,3", g + "--region-mode 0,0,3,99999999999",
          g + "--color-hist", c + "--region-mode 0,0,1,1", c + "--threshold", c + "--polarity", g + "--seed x --gray-hist", g + "--local-stats 2,3", g + "--local-stats 65,3", g + "--local-stats 3",
          c + "--local-stats 3,3", g + "--hough 0,10", g + "--hough 10,4097", c + "--hough 10,10"}) {
        CliRun run = RunCli(dir, bad);
        EXPECT_EQ(run.status, 2) << bad << ": " << run.err;
        EXPECT_TRUE(OneLine(run.err)) << bad << ": " << run.err;
        EXPECT_EQ(run.out, "") << bad;
    }
    CliRun missing = RunCli(dir, "measure " + dir.Path("none.bmp") + " --gray-hist");
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "");
}

TEST(CmdMeasure, LocalStatisticsAndLineCountsInPictureRows) {
    TempDir dir;
    CIPDib grey;
    MakePicture(grey, 13, 9, 8, 4);
    ASSERT_TRUE(grey.SaveBmp(dir.Path("g.bmp").c_str()));
    CliRun run = RunCli(dir, "measure " + dir.Path("g.bmp") + " --local-stats 5,3 --hough 16,12");
    ASSERT_EQ(run.status, 0) << run.err;
    nlohmann::json j = nlohmann::json::parse(run.out);

    std::vector<double> mean(13 * 9), deviation(13 * 9);
    grey.LocalMeanStd(5, 3, mean.data(), deviation.data());
    ASSERT_EQ(j["local-stats"]["mean"].size(), 9u);
    for (int y = 0; y < 9; ++y)  // picture row y is stored row 8 - y
        for (int x = 0; x < 13; ++x) {
            EXPECT_EQ(j["local-stats"]["mean"][y][x].get<double>(), mean[(8 - y) * 13 + x]);
            EXPECT_EQ(j["local-stats"]["std"][y][x].get<double>(), deviation[(8 - y) * 13 + x]);
        }

    std::vector<int> acc(16 * 12);
    grey.HoughLines(acc.data(), 16, 12, 0);
    ASSERT_EQ(j["hough"]["acc"].size(), 12u);
    for (int k = 0; k < 12; ++k)
        EXPECT_EQ(j["hough"]["acc"][k], nlohmann::json(std::vector<int>(acc.begin() + k * 16, acc.begin() + (k + 1) * 16)));
}
