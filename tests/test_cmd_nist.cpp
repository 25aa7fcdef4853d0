// moro-cli nist as a user runs it.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "dib/Dib.h"
#include "security/KeyStream.h"
#include "tests/support/Cli.h"
#include "tests/support/Images.h"

using namespace moro_test;

TEST(CmdNist, OneKeysStreamIsWhatEncryptXorsOntoAZeroImage) {
    TempDir dir;
    CliRun run = RunCli(dir, "nist --seed 1 --bits 2000 --json --write " + dir.Path("bits") + " --plot " + dir.Path("a.png"));
    ASSERT_EQ(run.status, 0) << run.err;
    nlohmann::json j = nlohmann::json::parse(run.out);
    EXPECT_EQ(j["tests"], SuiteJson(RunSuite(SeedStreamBits(1, StreamMode::Stream, 2000), ChooseParameters(2000))));
    EXPECT_TRUE(j["tests"][6]["p_value"].is_null());  // rank needs 38912 bits

    // The written bits are the first 250 bytes of the rows of an all-zero image that
    // 'moro-cli encrypt --seed 1' encrypts.
    BmpFields fields;
    fields.nWidth = 256;
    fields.nHeight = 4;
    std::vector<BYTE> zero = MakeBmpFile(fields);
    const size_t nRows = zero.size() - 256 * 4;
    std::fill(zero.begin() + nRows, zero.end(), 0);
    WriteFileBytes(dir.Path("zero.bmp"), zero);
    ASSERT_EQ(RunCli(dir, "encrypt " + dir.Path("zero.bmp") + " " + dir.Path("enc.bmp") + " --seed 1").status, 0);
    std::vector<BYTE> bits = ReadFileBytes(dir.Path("bits")), enc = ReadFileBytes(dir.Path("enc.bmp"));
    ASSERT_EQ(bits.size(), 250u);
    EXPECT_TRUE(std::equal(bits.begin(), bits.end(), enc.begin() + nRows));
    CDib plot;
    EXPECT_TRUE(plot.LoadPng(dir.Path("a.png").c_str()));
}

TEST(CmdNist, ManyKeysAndTheFramePass) {
    TempDir dir;
    CliRun run = RunCli(dir, "nist --seed 40 --keys 3 --bits 5000 --mode frame --json");
    ASSERT_EQ(run.status, 0) << run.err;
    nlohmann::json j = nlohmann::json::parse(run.out);
    const SuiteParameters params = ChooseParameters(5000);
    EXPECT_EQ(j["summary"], SummaryJson(SummariseSuite(RunSuiteOnSeeds(40, 3, StreamMode::Frame, 5000, params))));
    EXPECT_EQ(j["summary"][0]["sequences"], 3);
    run = RunCli(dir, "nist --seed 40 --keys 3 --bits 5000");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.rfind("keys of seeds 40 to 42, mode-1 key stream, 5000 bits each\n", 0), 0u);
}

TEST(CmdNist, BadArguments) {
    TempDir dir;
    for (const char* args : {"nist", "nist --seed 1 --bits 99", "nist --seed 1 --bits 10000001", "nist --seed 1 --mode rot13",
                             "nist --seed 1 --mode stream,frame", "nist --seed 1 --keys 0", "nist --seed 4294967295 --keys 2",
                             "nist --seed 1 --plot a.jpg"})
        ExpectUsageError(dir, args);
    CliRun run = RunCli(dir, "nist --seed 1 --bits 100 --write " + dir.Path("no/such/file"));
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(OneLine(run.err));
}
