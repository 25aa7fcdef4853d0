// moro-cli map as a user runs it.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "dib/Dib.h"
#include "tests/support/Cli.h"

using namespace moro_test;

TEST(CmdMap, OneParameterAndItsPlot) {
    TempDir dir;
    CliRun run = RunCli(dir, "map --param 32768 --json --plot " + dir.Path("h.png"));
    ASSERT_EQ(run.status, 0) << run.err;
    nlohmann::json j = nlohmann::json::parse(run.out);
    EXPECT_EQ(j["cycles"], 1);
    EXPECT_EQ(j["longest_transient"], 16);
    EXPECT_EQ(j["in_degrees"], nlohmann::json({32768, 0, 32768}));
    EXPECT_EQ(j["cycle_list"][0]["basin"], 65536);
    CDib plot;
    ASSERT_TRUE(plot.LoadPng(dir.Path("h.png").c_str()));
    EXPECT_EQ(plot.m_nWidth, 17 * 32 + 48);

    run = RunCli(dir, "map --param 30000");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.rfind("parameter           30000 (0.457764)\ncycles              9, 1 of them fixed points\n", 0), 0u);
}

TEST(CmdMap, SweepAndItsOrbitDiagram) {
    TempDir dir;
    CliRun run = RunCli(dir, "map --sweep --step 4096 --json --plot " + dir.Path("o.png"));
    ASSERT_EQ(run.status, 0) << run.err;
    nlohmann::json rows = nlohmann::json::parse(run.out)["parameters"];
    ASSERT_EQ(rows.size(), 16u);
    EXPECT_EQ(rows[0]["cycles"], 65536);  // p = 0 is the identity
    EXPECT_EQ(rows[8]["param"], 32768);
    EXPECT_EQ(rows[8]["longest_transient"], 16);
    CDib plot;
    ASSERT_TRUE(plot.LoadPng(dir.Path("o.png").c_str()));
    EXPECT_EQ(plot.m_nWidth, 1024 + 48);
}

TEST(CmdMap, BadArguments) {
    TempDir dir;
    for (const char* args : {"map", "map --param 1 --sweep", "map --param 65536", "map --param 1 --step 2",
                             "map --sweep --step 0", "map --param 1 --plot out.bmp"})
        ExpectUsageError(dir, args);
    CliRun run = RunCli(dir, "map --param 1 --plot " + dir.Path("no/such/dir.png"));
    EXPECT_EQ(run.status, 1);
}
