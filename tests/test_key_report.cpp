// Diagnoses in words: the warning line, the tables, the JSON the analysis reports take.
#include <gtest/gtest.h>

#include <algorithm>

#include <nlohmann/json.hpp>

#include "security/KeyDiagnosis.h"

TEST(KeyReport, WarningNamesTheCollapsedGeneratorAndLane) {
    KeyDiagnosis d = DiagnoseKey(KeyOfSeed(19), 32768);
    EXPECT_EQ(DescribeUnencrypted(d),
              "24416 of 32768 words (74.5 %) are XORed with 0 and stay as they were: the index generator falls to 0 "
              "at word 2965, so only lane 0 steps from then on, and lane 0 falls to 0 at word 8352");
    // Counted over two runs with the first run's cause.
    EXPECT_EQ(DescribeUnencrypted(57184, 65536, UnencryptedCause(d)).substr(0, 30), "57184 of 65536 words (87.3 %) ");
    EXPECT_EQ(DescribeUnencrypted(0, 65536, "anything"), "");
}

TEST(KeyReport, WarningForLanesFallingOnTheirOwn) {
    // A key whose generator runs on, over an image large enough for some lanes to reach 0.
    KeyDiagnosis d = DiagnoseKey(KeyOfSeed(3), 200000);
    ASSERT_GT(d.nZeroWords, 0u);
    ASSERT_EQ(d.nOnlyLane, -1);
    std::string cause = UnencryptedCause(d);
    int nLanes = 0, nFirst = -1;
    for (int i = 0; i < 256; ++i)
        if (d.laneFirstZeroWord[i] != kNever) {
            ++nLanes;
            if (nFirst < 0 || d.laneFirstZeroWord[i] < d.laneFirstZeroWord[nFirst]) nFirst = i;
        }
    std::string expected = nLanes == 1 ? "lane " + std::to_string(nFirst) + " falls to 0 at word "
                                       : std::to_string(nLanes) + " lanes fall to 0, the first (lane " + std::to_string(nFirst) + ") at word ";
    EXPECT_EQ(cause, expected + std::to_string(d.nFirstZeroWord));
    EXPECT_EQ(UnencryptedCause(DiagnoseKey(KeyOfSeed(1), 32768)), "");
}

TEST(KeyReport, TableAndJsonCarryTheDiagnosis) {
    KeyDiagnosis d = DiagnoseKey(KeyOfSeed(19), 32768);
    std::string table = KeyDiagnosisTable(d);
    EXPECT_NE(table.find("x0 100, p0 15331: enters its cycle (length 1) after 2966 steps (the fixed point 0)"), std::string::npos);
    EXPECT_NE(table.find("\n   0    888    209       5401      1        5401  29816  8352\n"), std::string::npos);
    const std::string lanes = KeyLaneTable(d);
    EXPECT_EQ(std::count(lanes.begin(), lanes.end(), '\n'), 1 + 256);  // heading, lanes
    EXPECT_EQ(table, KeyDiagnosisSummary(d) + "\n" + lanes);
    // The lanes ending at 0, as ranges, broken into lines of at most 100 characters.
    const std::string summary = KeyDiagnosisSummary(d);
    EXPECT_NE(summary.find("lanes ending at 0 110 of 256: 0, 2, 5, 8, 10-12, 15, 17-18, 22,"), std::string::npos);
    for (size_t i = 0, j; i < summary.size(); i = j + 1) {
        j = summary.find('\n', i);
        EXPECT_LE(j - i, 100u) << summary.substr(i, j - i);
    }
    EXPECT_EQ(LaneList({}), "none");
    EXPECT_EQ(LaneList({0, 1, 2, 4, 7, 8}), "0-2, 4, 7-8");

    nlohmann::json j = KeyDiagnosisJson(d);
    EXPECT_EQ(j["generator"]["transient"], 2966);
    EXPECT_EQ(j["generator"]["only_lane"], 0);
    EXPECT_EQ(j["image"]["words_left"], 24416);
    EXPECT_EQ(j["image"]["first_word_left"], 8352);
    ASSERT_EQ(j["lanes"].size(), 256u);
    EXPECT_EQ(j["lanes"][0]["steps"], 29816);
    EXPECT_TRUE(j["lanes"][1]["first_word_left"].is_null());
    EXPECT_EQ(j["warning"], DescribeUnencrypted(d));
    EXPECT_TRUE(KeyDiagnosisJson(DiagnoseKey(KeyOfSeed(1), 32768))["warning"].is_null());
}

TEST(KeyReport, SweepTableAndJson) {
    KeySweep s = SweepKeys(3, 8, 32768);
    nlohmann::json j = KeySweepJson(s);
    EXPECT_EQ(j["keys"], 8);
    EXPECT_EQ(j["generator_at_zero"], s.nGeneratorZero);
    DWORD nKeys = 0;
    for (const auto& bin : j["keys_by_lanes_ending_at_zero"]) nKeys += bin["keys"].get<DWORD>();
    EXPECT_EQ(nKeys, 8u);
    DWORD nLanes = 0;
    for (const auto& bin : j["lane_cycles"]) nLanes += bin["count"].get<DWORD>();
    EXPECT_EQ(nLanes, 8u * 256);
    std::string table = KeySweepTable(s);
    EXPECT_EQ(table.rfind("keys" + std::string(47, ' ') + " 8  (seeds 3 to 10)\n", 0), 0u);
}
