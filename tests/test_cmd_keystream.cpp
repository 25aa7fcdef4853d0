// moro-cli keystream as a user runs it.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "security/KeyDiagnosis.h"
#include "tests/support/Cli.h"
#include "tests/support/Images.h"

using namespace moro_test;

TEST(CmdKeystream, DiagnosisOfASeedsKey) {
    TempDir dir;
    CliRun run = RunCli(dir, "keystream --seed 19");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.rfind("key of seed 19, mode 1 over a 256 x 256 8-bit image (32768 words)\nwarning: 24416 of 32768", 0), 0u);

    run = RunCli(dir, "keystream --seed 19 --json");
    ASSERT_EQ(run.status, 0) << run.err;
    nlohmann::json j = nlohmann::json::parse(run.out);
    KeyDiagnosis d = DiagnoseKey(KeyOfSeed(19), 32768);
    EXPECT_EQ(j, [&] {
        nlohmann::json expected = KeyDiagnosisJson(d);
        expected["seed"] = 19;
        return expected;
    }());

    // An image gives the number of words: 7 rows of 12 bytes (9 pixels of 8 bits, padded).
    BmpFields fields;
    fields.nWidth = 9;
    fields.nHeight = 7;
    WriteFileBytes(dir.Path("in.bmp"), MakeBmpFile(fields));
    run = RunCli(dir, "keystream --seed 5 --json --image " + dir.Path("in.bmp"));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(nlohmann::json::parse(run.out)["image"]["words"], 42);
}

TEST(CmdKeystream, ManySeeds) {
    TempDir dir;
    CliRun run = RunCli(dir, "keystream --seed 3 --keys 6 --json");
    ASSERT_EQ(run.status, 0) << run.err;
    nlohmann::json j = nlohmann::json::parse(run.out);
    EXPECT_EQ(j, KeySweepJson(SweepKeys(3, 6, 32768)));
    run = RunCli(dir, "keystream --seed 3 --keys 2");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("\nkeys" + std::string(48, ' ') + "2  (seeds 3 to 4)\n"), std::string::npos);
}

TEST(CmdKeystream, BadArguments) {
    TempDir dir;
    for (const char* args : {"keystream", "keystream --seed x", "keystream --seed 1 --keys 0",
                             "keystream --seed 4294967295 --keys 2", "keystream --seed 1 --keys 100001"})
        ExpectUsageError(dir, args);
    CliRun run = RunCli(dir, "keystream --seed 1 --image " + dir.Path("missing.bmp"));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "moro-cli: '" + dir.Path("missing.bmp") + "' cannot be opened\n");
}
