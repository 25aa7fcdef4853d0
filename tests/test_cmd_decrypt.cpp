// moro-cli decrypt and the key files of moro-cli encrypt, as a user runs them: every run comes
// back byte for byte, a key file of one run serves another, and bad key files or arguments are
// refused with nothing written.
#include <gtest/gtest.h>

#include <cstring>

#include "dib/Dib.h"
#include "tests/support/Cli.h"
#include "tests/support/Images.h"
#include "tests/support/Keys.h"

using namespace moro_test;

namespace {

const char* const kStepNames[] = {"stream", "subst", "frame", "frame-stream", "init"};

// A BMP file of random pixels written by MORO itself, so that a decrypted file is equal to it.
std::vector<BYTE> WritePlain(const TempDir& dir, const std::string& name, int w, int h, int bits, TestRng& rng) {
    CDib dib;
    EXPECT_TRUE(dib.Create(w, h, bits, nullptr, 0));
    for (size_t i = 0; i < size_t(dib.m_nHeight) * size_t(dib.m_nRowBytes); ++i) dib.m_lpBits[i] = BYTE(rng.Next());
    EXPECT_TRUE(dib.SaveBmp(dir.Path(name).c_str()));
    return ReadFileBytes(dir.Path(name));
}

std::string KeyText(const TempDir& dir, const std::string& name) {
    std::vector<BYTE> bytes = ReadFileBytes(dir.Path(name));
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace

TEST(CmdDecrypt, EveryRunComesBackByteForByte) {
    // Depths 1, 4, 8 and 24 at odd widths, step lists up to 40 long with every step in them.
    struct {
        int w, h, bits;
    } const kSizes[] = {{13, 7, 1}, {129, 3, 1}, {7, 5, 4}, {55, 31, 4}, {9, 9, 8}, {301, 17, 8}, {3, 2, 24}, {99, 41, 24}};
    TempDir dir;
    TestRng rng(17);
    for (int run = 0; run < 10; ++run) {
        const auto& s = kSizes[run % std::size(kSizes)];
        std::vector<BYTE> plain = WritePlain(dir, "plain.bmp", s.w, s.h, s.bits, rng);
        std::string steps;
        for (unsigned n = run < 3 ? 40 : 1 + rng.Below(8); n > 0; --n) steps += std::string(steps.empty() ? "" : ",") + kStepNames[rng.Below(5)];
        std::string seed = std::to_string(rng.Next());
        CliRun enc = RunCli(dir, "encrypt " + dir.Path("plain.bmp") + " " + dir.Path("enc.bmp") + " --seed " + seed +
                                     " --steps " + steps + " --key-out " + dir.Path("k.json"));
        ASSERT_EQ(enc.status, 0) << enc.err;
        CliRun dec = RunCli(dir, "decrypt " + dir.Path("enc.bmp") + " " + dir.Path("dec.bmp") + " --key " + dir.Path("k.json"));
        ASSERT_EQ(dec.status, 0) << dec.err;
        EXPECT_EQ(ReadFileBytes(dir.Path("dec.bmp")), plain) << s.w << " x " << s.h << " x " << s.bits << ", seed " << seed << ", " << steps;
    }
}

TEST(CmdDecrypt, FilesOfOtherProgramsComeBackRowForRow) {
    // Headers the library normalises (V5, OS/2-sized palettes) do not matter: the rows do.
    TempDir dir;
    for (const char* name : {"pal1.bmp", "pal4.bmp", "pal8v5.bmp", "pal8w125.bmp", "rgb24.bmp"}) {
        std::string in = std::string(MORO_TESTDATA) + "/bmpsuite/g/" + name;
        CliRun enc = RunCli(dir, "encrypt " + in + " " + dir.Path("e.bmp") + " --seed 3 --steps frame,stream,subst,frame-stream --key-out " +
                                     dir.Path("k.json"));
        ASSERT_EQ(enc.status, 0) << name << ": " << enc.err;
        EXPECT_NE(FileRows(dir.Path("e.bmp")), FileRows(in)) << name;
        CliRun dec = RunCli(dir, "decrypt " + dir.Path("e.bmp") + " " + dir.Path("d.bmp") + " --key " + dir.Path("k.json"));
        ASSERT_EQ(dec.status, 0) << name << ": " << dec.err;
        EXPECT_EQ(FileRows(dir.Path("d.bmp")), FileRows(in)) << name;
    }
}

TEST(CmdDecrypt, AKeyFileOfOneRunServesAnother) {
    TempDir dir;
    TestRng rng(5);
    std::vector<BYTE> plain = WritePlain(dir, "p.bmp", 61, 13, 24, rng);
    const std::string in = dir.Path("p.bmp");
    // keygen's key encrypts as the same seed and steps do, and its key file decrypts the result.
    ASSERT_EQ(RunCli(dir, "keygen " + dir.Path("k.json") + " --seed 9 --steps stream,init,frame").status, 0);
    ASSERT_EQ(RunCli(dir, "encrypt " + in + " " + dir.Path("a.bmp") + " --key " + dir.Path("k.json")).status, 0);
    ASSERT_EQ(RunCli(dir, "encrypt " + in + " " + dir.Path("b.bmp") + " --seed 9 --steps stream,init,frame --key-out " +
                              dir.Path("b.json")).status, 0);
    EXPECT_EQ(ReadFileBytes(dir.Path("a.bmp")), ReadFileBytes(dir.Path("b.bmp")));
    EXPECT_EQ(KeyText(dir, "k.json"), KeyText(dir, "b.json"));
    ASSERT_EQ(RunCli(dir, "decrypt " + dir.Path("a.bmp") + " " + dir.Path("d.bmp") + " --key " + dir.Path("b.json")).status, 0);
    EXPECT_EQ(ReadFileBytes(dir.Path("d.bmp")), plain);

    // --steps replaces the key file's steps, and --key-out then records them with the same key.
    ASSERT_EQ(RunCli(dir, "encrypt " + in + " " + dir.Path("c.bmp") + " --key " + dir.Path("k.json") +
                              " --steps subst,frame-stream --key-out " + dir.Path("c.json")).status, 0);
    std::string c = KeyText(dir, "c.json"), k = KeyText(dir, "k.json");
    EXPECT_NE(c.find("\"steps\": [\"subst\", \"frame-stream\"]"), std::string::npos) << c;
    EXPECT_EQ(c.substr(c.find("\"key\"")), k.substr(k.find("\"key\"")));
    ASSERT_EQ(RunCli(dir, "decrypt " + dir.Path("c.bmp") + " " + dir.Path("d.bmp") + " --key " + dir.Path("c.json")).status, 0);
    EXPECT_EQ(ReadFileBytes(dir.Path("d.bmp")), plain);
}

TEST(CmdDecrypt, BadKeyFilesAndArgumentsAreRefusedWithNothingWritten) {
    TempDir dir;
    TestRng rng(2);
    WritePlain(dir, "p.bmp", 8, 8, 8, rng);
    const std::string in = dir.Path("p.bmp");
    ASSERT_EQ(RunCli(dir, "keygen " + dir.Path("k.json") + " --seed 1").status, 0);
    std::string text = KeyText(dir, "k.json");
    std::string zeroPeriod = text;
    size_t at = zeroPeriod.find("\"periods\": [\n      ") + 19;
    zeroPeriod.replace(at, zeroPeriod.find(',', at) - at, "0");
    WriteFileBytes(dir.Path("zero.json"), std::vector<BYTE>(zeroPeriod.begin(), zeroPeriod.end()));
    WriteFileBytes(dir.Path("cut.json"), std::vector<BYTE>(text.begin(), text.begin() + text.size() / 2));

    struct {
        std::string args;
        int status;
        const char* message;  // the line on standard error, after "moro-cli: "
    } const kRefused[] = {
        {"decrypt " + in + " OUT --key " + dir.Path("zero.json"), 1, "key.periods[0] is 0, out of range (1 to 256)"},
        {"decrypt " + in + " OUT --key " + dir.Path("cut.json"), 1, "ends in the middle of its JSON (cut short?)"},
        {"decrypt " + in + " OUT --key " + dir.Path("none.json"), 1, "cannot be opened"},
        {"decrypt " + dir.Path("none.bmp") + " OUT --key " + dir.Path("k.json"), 1, "cannot be opened"},
        {"encrypt " + in + " OUT --key " + dir.Path("zero.json"), 1, "out of range (1 to 256)"},
        {"encrypt " + in + " OUT --key-out " + dir.Path("no/such/k.json"), 1, "cannot be created"},
        {"encrypt " + dir.Path("none.bmp") + " OUT --key-out OUT.json", 1, "cannot be opened"},
        {"decrypt " + in + " OUT", 2, "--key is required"},
        {"encrypt " + in + " OUT --key " + dir.Path("k.json") + " --seed 4", 2, "excludes"},
        {"keygen " + dir.Path("no/such/k.json"), 1, "cannot be created"},
        {"keygen OUT --steps stream,rot13", 2, "unknown step 'rot13'"},
        {"keygen", 2, "KEY is required"},
    };
    for (const auto& r : kRefused) {
        std::string args = r.args;
        for (size_t p; (p = args.find("OUT")) != std::string::npos;) args.replace(p, 3, dir.Path("out.bmp"));
        CliRun run = RunCli(dir, args);
        EXPECT_EQ(run.status, r.status) << r.args;
        EXPECT_TRUE(OneLine(run.err)) << r.args << ": " << run.err;
        EXPECT_NE(run.err.find(r.message), std::string::npos) << r.args << ": " << run.err;
        EXPECT_FALSE(FileExists(dir.Path("out.bmp"))) << r.args;
        EXPECT_FALSE(FileExists(dir.Path("out.bmp.json"))) << r.args;
    }
}
