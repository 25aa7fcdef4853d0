// moro-cli analyse on images other programs made: the table, the report folder and its figures,
// a key file instead of a seed, and arguments refused.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "dib/Dib.h"
#include "tests/support/Cli.h"
#include "tests/support/Images.h"

using namespace moro_test;

namespace {


nlohmann::json ReadJson(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return nlohmann::json::parse(text.str(), nullptr, false);
}

// The report without its one timed figure.
nlohmann::json Untimed(nlohmann::json j) {
    j.erase("speed");
    return j;
}

}  // namespace

TEST(CmdAnalyse, ReportFolderWithReadableFigures) {
    TempDir dir;
    const std::string image = SuiteFile("rgb24.bmp");
    CliRun run = RunCli(dir, "analyse " + image + " --seed 12 --steps stream,subst --report " + dir.Path("out"));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("chi-square of the histogram"), std::string::npos);
    EXPECT_NE(run.out.find("FAIL"), std::string::npos);  // the differential test, by design
    nlohmann::json report = ReadJson(dir.Path("out/report.json"));
    ASSERT_FALSE(report.is_discarded());
    EXPECT_EQ(report["channels"].size(), 3u);
    EXPECT_EQ(report["steps"], nlohmann::json({"stream", "subst"}));
    EXPECT_TRUE(report["decryption"]["exact"].get<bool>());
    EXPECT_TRUE(report.contains("speed"));
    for (const char* name : {"images.png", "histograms.png", "correlation.png", "key-sensitivity.png"}) {
        CDib figure;
        EXPECT_TRUE(figure.LoadPng(dir.Path("out/" + std::string(name)).c_str())) << name;
        EXPECT_GT(figure.m_nWidth, 300) << name;
    }
    // The histograms are the library's 320 x 256 charts, plain and cipher side by side, one row
    // per channel under a title band: the chart's red level labels and its frame are there.
    CDib histograms;
    ASSERT_TRUE(histograms.LoadPng(dir.Path("out/histograms.png").c_str()));
    EXPECT_EQ(histograms.m_nWidth, 16 + 2 * (320 + 16));
    EXPECT_EQ(histograms.m_nHeight, 3 * (22 + 256 + 16) + 16);
    int nRed = 0;
    for (int y = 0; y < histograms.m_nHeight; ++y)
        for (int x = 0; x < histograms.m_nWidth; ++x) nRed += histograms.GetPixel(x, y) == int(RGB(255, 0, 0));
    EXPECT_GT(nRed, 6 * 20);
    std::ifstream md(dir.Path("out/report.md"));
    std::stringstream text;
    text << md.rdbuf();
    EXPECT_NE(text.str().find("![Histograms of the plain and the cipher image](histograms.png)"), std::string::npos);
    // A bar inside a cell would split the table's row.
    EXPECT_NE(text.str().find("| \\|r\\| <= "), std::string::npos);

    // The same seed: the same report, number for number; --json prints it.
    CliRun json = RunCli(dir, "analyse " + image + " --seed 12 --steps stream,subst --json");
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_EQ(Untimed(nlohmann::json::parse(json.out)), Untimed(report));
}

TEST(CmdAnalyse, KeyFileGivesTheSeedsFigures) {
    TempDir dir;
    const std::string image = SuiteFile("pal8.bmp");
    ASSERT_EQ(RunCli(dir, "encrypt " + image + " " + dir.Path("c.bmp") + " --seed 8 --steps frame --key-out " +
                              dir.Path("k.json")).status, 0);
    CliRun bySeed = RunCli(dir, "analyse " + image + " --seed 8 --steps frame --json");
    CliRun byKey = RunCli(dir, "analyse " + image + " --key " + dir.Path("k.json") + " --json");
    ASSERT_EQ(bySeed.status, 0) << bySeed.err;
    ASSERT_EQ(byKey.status, 0) << byKey.err;
    EXPECT_EQ(Untimed(nlohmann::json::parse(byKey.out)), Untimed(nlohmann::json::parse(bySeed.out)));
}

TEST(CmdAnalyse, RefusesBadArguments) {
    TempDir dir;
    const std::string image = SuiteFile("pal8.bmp");
    for (const char* alpha : {"0", "1", "1.5", "abc", "0.05x", "-0.1"}) ExpectUsageError(dir, "analyse " + image + " --alpha " + alpha);
    ExpectUsageError(dir, "analyse " + image + " --steps stream,rot13");
    ExpectUsageError(dir, "analyse " + SuiteFile("pal4.bmp") + " --seed 1");
    CliRun missing = RunCli(dir, "analyse " + dir.Path("none.bmp") + " --report " + dir.Path("out"));
    EXPECT_EQ(missing.status, 1);
    CliRun unwritable = RunCli(dir, "analyse " + image + " --seed 1 --report /proc/moro-report");
    EXPECT_EQ(unwritable.status, 1);
}

TEST(CmdAnalyse, BatchLinesAgreeWithSingleAnalyses) {
    TempDir dir;
    ASSERT_EQ(std::system(("mkdir " + dir.Path("imgs")).c_str()), 0);
    ASSERT_EQ(RunCli(dir, "convert " + SuiteFile("pal8.bmp") + " " + dir.Path("imgs/a.bmp")).status, 0);
    ASSERT_EQ(RunCli(dir, "convert " + SuiteFile("rgb24.bmp") + " " + dir.Path("imgs/b.png")).status, 0);
    CliRun run = RunCli(dir, "analyse --batch " + dir.Path("imgs") + " " + SuiteFile("pal4.bmp") + " --seeds 3-4 --steps frame --csv " +
                                 dir.Path("out.csv"));
    EXPECT_EQ(run.status, 1);  // pal4.bmp has 4 bits: skipped, said so, the rest analysed
    EXPECT_NE(run.err.find("pal4.bmp' skipped"), std::string::npos) << run.err;
    EXPECT_NE(run.out.find("4 analyses"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("decrypts_exactly"), std::string::npos);
    std::ifstream in(dir.Path("out.csv"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 5u);
    const auto fields = [](const std::string& line) {
        std::vector<std::string> f;
        std::stringstream s(line);
        for (std::string x; std::getline(s, x, ',');) f.push_back(x);
        return f;
    };
    const std::vector<std::string> header = fields(lines[0]);
    for (size_t i = 1; i < lines.size(); ++i) EXPECT_EQ(fields(lines[i]).size(), header.size()) << lines[i];
    // The line of b.png under seed 4 holds the worst chi-square of its channels, as analysed alone.
    const std::vector<std::string> b4 = fields(lines[4]);
    EXPECT_EQ(b4[0], dir.Path("imgs/b.png"));
    EXPECT_EQ(b4[1], "4");
    CliRun alone = RunCli(dir, "analyse " + dir.Path("imgs/b.png") + " --seed 4 --steps frame --json");
    ASSERT_EQ(alone.status, 0) << alone.err;
    double chi = 0;
    const nlohmann::json report = nlohmann::json::parse(alone.out);
    for (const auto& c : report["channels"]) chi = std::max(chi, c["cipher"]["chi_square"].get<double>());
    EXPECT_EQ(header[6], "chi_square");
    EXPECT_DOUBLE_EQ(std::stod(b4[6]), chi);
    ExpectUsageError(dir, "analyse --batch " + dir.Path("imgs") + " --seeds 4-3 --csv " + dir.Path("x.csv"));
    ExpectUsageError(dir, "analyse --batch " + dir.Path("imgs") + " --seeds 3");
}

TEST(CmdAnalyse, TheKeysDiagnosisIsKeystreamsForTheSameSeedAndImage) {
    // Seed 19's index generator falls to 0 and its one lane after it too: most of a 256 x 256
    // image's words are XORed with 0.
    TempDir dir;
    CDib image;
    MakePicture(image, 256, 256, 8);
    ASSERT_TRUE(image.SaveBmp(dir.Path("in.bmp").c_str()));
    CliRun analyse = RunCli(dir, "analyse " + dir.Path("in.bmp") + " --seed 19 --json");
    CliRun keystream = RunCli(dir, "keystream --seed 19 --json --image " + dir.Path("in.bmp"));
    ASSERT_EQ(analyse.status, 0) << analyse.err;
    ASSERT_EQ(keystream.status, 0) << keystream.err;
    nlohmann::json expected = nlohmann::json::parse(keystream.out);
    expected.erase("seed");
    const nlohmann::json diagnosis = nlohmann::json::parse(analyse.out)["key_diagnosis"];
    EXPECT_EQ(diagnosis, expected);
    EXPECT_EQ(diagnosis["image"]["words_left"], 24416);
    EXPECT_EQ(diagnosis["lanes_stepped_list"].size(), 256u);

    // The table says the same in words, and so does the report.
    CliRun table = RunCli(dir, "analyse " + dir.Path("in.bmp") + " --seed 19 --report " + dir.Path("out"));
    ASSERT_EQ(table.status, 0) << table.err;
    EXPECT_NE(table.out.find("warning: 24416 of 32768 words (74.5 %) are XORed with 0"), std::string::npos);
    EXPECT_NE(table.out.find("lanes ending at 0 "), std::string::npos);
    EXPECT_NE(table.out.find("image             32768 words, 256 lanes stepped: 0-255\n"), std::string::npos);
    std::ifstream md(dir.Path("out/report.md"));
    std::stringstream text;
    text << md.rdbuf();
    EXPECT_NE(text.str().find("## The key"), std::string::npos);
    EXPECT_NE(text.str().find("\n 255  "), std::string::npos);  // the row of every lane
}
