// moro-cli attack on images other programs made: the known-plaintext attack decrypts a second
// image under a mode-1 key, the chosen-plaintext attack recovers a mode-2 key's S-box.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cipher/Cipher.h"
#include "dib/Dib.h"
#include "platform/Rand.h"
#include "tests/support/Cli.h"
#include "tests/support/Images.h"

using namespace moro_test;

TEST(CmdAttack, KnownPlaintextDecryptsAnotherImageUnderTheSameKey) {
    TempDir dir;
    // P1 is 24-bit (24576 bytes of rows), C2 an 8-bit image of 8192: the key stream covers it all.
    const std::string p1 = SuiteFile("rgb24.bmp"), p2 = SuiteFile("pal8.bmp");
    ASSERT_EQ(RunCli(dir, "encrypt " + p1 + " " + dir.Path("c1.bmp") + " --seed 31").status, 0);
    ASSERT_EQ(RunCli(dir, "encrypt " + p2 + " " + dir.Path("c2.bmp") + " --seed 31").status, 0);
    CliRun run = RunCli(dir, "attack known-plaintext " + p1 + " " + dir.Path("c1.bmp") + " " + dir.Path("c2.bmp") + " " +
                                 dir.Path("p2.bmp"));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(FileRows(dir.Path("c2.bmp")), FileRows(p2));
    EXPECT_EQ(FileRows(dir.Path("p2.bmp")), FileRows(p2));
    EXPECT_NE(run.out.find("key stream recovered:  24576 bytes"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("8192 of 8192 bytes"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Why it works"), std::string::npos);

    // The other way round the key stream ends a third of the way into C2: that much comes back.
    run = RunCli(dir, "attack known-plaintext " + p2 + " " + dir.Path("c2.bmp") + " " + dir.Path("c1.bmp") + " " +
                          dir.Path("p1.bmp"));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("8192 of 24576 bytes"), std::string::npos) << run.out;
    std::vector<BYTE> got = FileRows(dir.Path("p1.bmp")), want = FileRows(p1), encrypted = FileRows(dir.Path("c1.bmp"));
    ASSERT_EQ(got.size(), 24576u);
    EXPECT_TRUE(std::equal(got.begin(), got.begin() + 8192, want.begin()));
    EXPECT_TRUE(std::equal(got.begin() + 8192, got.end(), encrypted.begin() + 8192));
}

TEST(CmdAttack, KnownPlaintextRefusesImagesThatCannotBeAPairWithNothingWritten) {
    TempDir dir;
    ASSERT_EQ(RunCli(dir, "encrypt " + SuiteFile("pal8.bmp") + " " + dir.Path("c.bmp") + " --seed 1").status, 0);
    CliRun mismatch = RunCli(dir, "attack known-plaintext " + SuiteFile("rgb24.bmp") + " " + dir.Path("c.bmp") + " " +
                                      dir.Path("c.bmp") + " " + dir.Path("out.bmp"));
    EXPECT_EQ(mismatch.status, 2);
    EXPECT_TRUE(OneLine(mismatch.err)) << mismatch.err;
    CliRun same = RunCli(dir, "attack known-plaintext " + SuiteFile("pal8.bmp") + " " + SuiteFile("pal8.bmp") + " " +
                                  dir.Path("c.bmp") + " " + dir.Path("out.bmp"));
    EXPECT_EQ(same.status, 1);
    EXPECT_EQ(same.err, "moro-cli: C1 is P1 unchanged: it holds no key stream to recover\n");
    EXPECT_FALSE(FileExists(dir.Path("out.bmp")));
    ExpectUsageError(dir, "attack");
    ExpectUsageError(dir, "attack known-plaintext a b c");
    ExpectUsageError(dir, "attack chosen-plaintext r.json --seed -1");
}

TEST(CmdAttack, ChosenPlaintextRecoversTheWholeSBoxAndDecryptsWithIt) {
    TempDir dir;
    const std::string image = SuiteFile("pal8w126.bmp");
    CliRun run = RunCli(dir, "attack chosen-plaintext " + dir.Path("r.json") + " --seed 77 --image " + image +
                                 " --encrypted " + dir.Path("e.bmp") + " --decrypted " + dir.Path("d.bmp"));
    ASSERT_EQ(run.status, 0) << run.err;
    crt::srand(77);
    KeyState key;
    InitKey(key);
    BuildSBox(key.states, key.sbox);
    std::vector<BYTE> report = ReadFileBytes(dir.Path("r.json"));
    nlohmann::json j = nlohmann::json::parse(report.begin(), report.end());
    EXPECT_EQ(j["recovered_sbox"], std::vector<int>(key.sbox, key.sbox + 256));
    EXPECT_EQ(j["sbox_matches"], true);
    EXPECT_EQ(j["image_bytes"], j["image_bytes_recovered"]);
    EXPECT_EQ(FileRows(dir.Path("d.bmp")), FileRows(image));
    std::vector<BYTE> encrypted = FileRows(dir.Path("e.bmp")), plain = FileRows(image);
    ASSERT_EQ(encrypted.size(), plain.size());
    for (size_t i = 0; i < plain.size(); ++i) ASSERT_EQ(encrypted[i], key.sbox[plain[i]]) << i;
    EXPECT_NE(run.out.find("  f0:"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("S-box:            matches the key's"), std::string::npos) << run.out;

    // Without an image it decrypts a picture of its own.
    run = RunCli(dir, "attack chosen-plaintext " + dir.Path("r2.json"));
    EXPECT_EQ(run.status, 0) << run.err;
    CliRun unwritable = RunCli(dir, "attack chosen-plaintext " + dir.Path("no/such/r.json") + " --seed 1");
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_TRUE(OneLine(unwritable.err)) << unwritable.err;
}
