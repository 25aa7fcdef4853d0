// Key files: what is written reads back as the same run, and everything that is not exactly a key
// file is refused with a one-line reason.
#include <gtest/gtest.h>

#include <cstring>
#include <nlohmann/json.hpp>

#include "cipher/KeyFile.h"
#include "platform/Rand.h"
#include "tests/support/Keys.h"
#include "tests/support/Recorder.h"

using namespace moro_test;
using nlohmann::json;

namespace {

// A key file of a key no seed makes: S-box built, counters and periods at their ends.
KeyFile HandMadeFile() {
    KeyFile file;
    file.key = StressKey(6);
    file.randState = 0xFFFFFFFFu;
    file.steps = {STEP_INIT, STEP_FRAME, STEP_SUBST};
    return file;
}

void ExpectSameFile(const KeyFile& a, const KeyFile& b) {
    EXPECT_EQ(std::memcmp(&a.key, &b.key, sizeof a.key), 0);
    EXPECT_EQ(a.randState, b.randState);
    EXPECT_EQ(a.bSeeded, b.bSeeded);
    if (a.bSeeded) {
        EXPECT_EQ(a.seed, b.seed);
    }
    EXPECT_EQ(a.steps, b.steps);
}

// The reason a text is refused for, or "" when it is taken.
std::string Refusal(const std::string& text) {
    KeyFile file;
    std::string error;
    bool ok = ParseKeyFile(text, file, error);
    EXPECT_EQ(ok, error.empty()) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    return error;
}

std::string Edited(void (*edit)(json&)) {
    json j = json::parse(FormatKeyFile(SeededRun(5, {STEP_STREAM})));
    edit(j);
    return j.dump();
}

}  // namespace

TEST(KeyFile, WrittenAndReadBackAsTheSameRun) {
    for (const KeyFile& file : {SeededRun(0, {}), SeededRun(4294967295u, {STEP_STREAM, STEP_FRAME_STREAM}), HandMadeFile()}) {
        std::string text = FormatKeyFile(file);
        KeyFile back;
        std::string error;
        ASSERT_TRUE(ParseKeyFile(text, back, error)) << error;
        ExpectSameFile(file, back);
    }
    // Read by any JSON reader: fields by name, the key's arrays in the key state's order.
    json j = json::parse(FormatKeyFile(SeededRun(1, {STEP_STREAM, STEP_SUBST})));
    EXPECT_EQ(j["format"], "moro-key");
    EXPECT_EQ(j["version"], 1);
    EXPECT_EQ(j["seed"], 1);
    EXPECT_EQ(j["steps"], json({"stream", "subst"}));
    EXPECT_EQ(j["key"]["x0"], 41);  // the first draws after srand(1)
    EXPECT_EQ(j["key"]["p0"], 18467);
    EXPECT_EQ(j["key"]["params"][0], 6334);
    EXPECT_EQ(j["key"]["states"][0], 26500);
    EXPECT_EQ(j["generator"], crt::GetRandState());
    EXPECT_EQ(j["key"]["sbox"][255], 255);
    EXPECT_FALSE(json::parse(FormatKeyFile(HandMadeFile())).contains("seed"));
}

TEST(KeyFile, ASeedMustMakeTheKeyAndGeneratorStateItStandsBeside) {
    const std::string changedState = Edited([](json& j) { j["key"]["states"][9] = 1; });
    const std::string changedGenerator = Edited([](json& j) { j["generator"] = 0; });
    const std::string changedSBox = Edited([](json& j) { j["key"]["sbox"][0] = 1, j["key"]["sbox"][1] = 0; });
    const std::string unseeded = Edited([](json& j) {
        j["key"]["states"][9] = 1;
        j.erase("seed");
    });
    crt::SetRandState(99);
    EXPECT_EQ(Refusal(changedState),
              "does not match its seed: seed 5 makes another key or generator state (remove \"seed\" to use the key as it stands)");
    EXPECT_NE(Refusal(changedGenerator), "");
    EXPECT_NE(Refusal(changedSBox), "");
    EXPECT_EQ(Refusal(unseeded), "");
    EXPECT_EQ(crt::GetRandState(), 99u) << "checking a seed leaves the program's generator alone";
}

TEST(KeyFile, RefusesWhatIsNotExactlyAKeyFileInOneLine) {
    struct {
        void (*edit)(json&);
        const char* reason;
    } const kEdits[] = {
        {[](json& j) { j["version"] = 2; }, "is of version '2'; this MORO reads version 1"},
        {[](json& j) { j["version"] = "1"; }, "is of version '\"1\"'; this MORO reads version 1"},
        {[](json& j) { j["format"] = "moro-keys"; }, "is not a MORO key file (its format is not \"moro-key\")"},
        {[](json& j) { j.erase("format"); }, "is not a MORO key file (its format is not \"moro-key\")"},
        {[](json& j) { j.erase("generator"); }, "has no field 'generator'"},
        {[](json& j) { j["key"].erase("sbox"); }, "has no field 'key.sbox'"},
        {[](json& j) { j["stpes"] = json::array(); }, "has an unknown field 'stpes'"},
        {[](json& j) { j["key"]["x1"] = 0; }, "has an unknown field 'key.x1'"},
        {[](json& j) { j["key"] = 7; }, "key must be an object"},
        {[](json& j) { j["key"]["x0"] = 65536; }, "key.x0 is 65536, out of range (0 to 65535)"},
        {[](json& j) { j["key"]["p0"] = -1; }, "key.p0 must be a whole number from 0 to 65535"},
        {[](json& j) { j["key"]["p0"] = 1.5; }, "key.p0 must be a whole number from 0 to 65535"},
        {[](json& j) { j["key"]["p0"] = nullptr; }, "key.p0 must be a whole number from 0 to 65535"},
        {[](json& j) { j["generator"] = 4294967296ull; }, "generator is 4294967296, out of range (0 to 4294967295)"},
        {[](json& j) { j["seed"] = "5"; }, "seed must be a whole number from 0 to 4294967295"},
        {[](json& j) { j["key"]["periods"][3] = 0; }, "key.periods[3] is 0, out of range (1 to 256)"},
        {[](json& j) { j["key"]["periods"][255] = 257; }, "key.periods[255] is 257, out of range (1 to 256)"},
        {[](json& j) { j["key"]["counters"][0] = "0"; }, "key.counters[0] must be a whole number from 0 to 65535"},
        {[](json& j) { j["key"]["sbox"][7] = 256; }, "key.sbox[7] is 256, out of range (0 to 255)"},
        {[](json& j) { j["key"]["sbox"][7] = j["key"]["sbox"][8]; }, "key.sbox is not a permutation: 8 appears twice"},
        {[](json& j) { j["key"]["states"].erase(0); }, "key.states has 255 entries; it needs 256"},
        {[](json& j) { j["key"]["params"].push_back(1); }, "key.params has 257 entries; it needs 256"},
        {[](json& j) { j["key"]["params"] = json::object(); }, "key.params must be an array of 256 whole numbers"},
        {[](json& j) { j["steps"] = "stream"; }, "steps must be an array of step names"},
        {[](json& j) { j["steps"] = {"stream", "rot\n13"}; }, "steps[1] 'rot?13' is not a step (stream, subst, frame, frame-stream, init)"},
        {[](json& j) { j["steps"] = {"stream", 1}; }, "steps[1] must be a step name"},
        {[](json& j) { j["steps"] = json(std::vector<std::string>(4097, "subst")); }, "has 4097 steps; at most 4096 are allowed"},
        {[](json& j) { j["key"]["states"][0] = json::array({json::array({1})}); }, "nests values deeper than a key file does"},
    };
    for (const auto& e : kEdits) EXPECT_EQ(Refusal(Edited(e.edit)), e.reason);

    const std::string good = FormatKeyFile(HandMadeFile());
    EXPECT_EQ(Refusal(good), "");
    EXPECT_EQ(Refusal(""), "ends in the middle of its JSON (cut short?)");
    EXPECT_EQ(Refusal("[1, 2]"), "is not a MORO key file (no JSON object)");
    EXPECT_EQ(Refusal("{\"format\": \"moro-key\", } "), "is not valid JSON (at byte 24)");
    EXPECT_EQ(Refusal("{\"format\": \"moro-key\", \"version\": 1, \"version\": 1}"), "names the field 'version' twice");
    std::string twice = good;
    twice.insert(twice.find("\"p0\""), "\"x0\": 1, ");
    EXPECT_EQ(Refusal(twice), "names the field 'x0' twice");
    EXPECT_EQ(Refusal(good + std::string(kKeyFileMaxBytes, ' ')), "is larger than 1 MiB; a key file is about 10 KiB");
    // Cut anywhere, a key file is never taken.
    for (size_t n = 0; n < good.size() - 2; n += 31) EXPECT_NE(Refusal(good.substr(0, n)), "") << n;
}

TEST(KeyFile, DamagedBytesAreRefusedOrReadNeverMisread) {
    // Any single changed byte either still reads (white space, a digit that stays in range) or is
    // refused; what reads must be written back as the same text, or it was misread.
    const std::string good = FormatKeyFile(SeededRun(8, {STEP_FRAME, STEP_STREAM}));
    TestRng rng(8);
    for (int round = 0; round < 1000; ++round) {
        std::string text = good;
        text[rng.Below(unsigned(text.size()))] = char(rng.Below(256));
        KeyFile file;
        std::string error;
        if (ParseKeyFile(text, file, error)) {
            KeyFile again;
            ASSERT_TRUE(ParseKeyFile(FormatKeyFile(file), again, error));
            ExpectSameFile(file, again);
        } else {
            ASSERT_EQ(error.find('\n'), std::string::npos);
        }
    }
}

TEST(KeyFile, FilesThatCannotBeReadOrWritten) {
    TempDir dir;
    KeyFile file = HandMadeFile(), back;
    std::string error;
    ASSERT_TRUE(SaveKeyFile(dir.Path("k.json").c_str(), file, error)) << error;
    ASSERT_TRUE(LoadKeyFile(dir.Path("k.json").c_str(), back, error)) << error;
    ExpectSameFile(file, back);

    EXPECT_FALSE(LoadKeyFile(dir.Path("none.json").c_str(), back, error));
    EXPECT_EQ(error, "cannot be opened");
    EXPECT_FALSE(LoadKeyFile(dir.Path("").c_str(), back, error));
    EXPECT_FALSE(SaveKeyFile(dir.Path("no/such/k.json").c_str(), file, error));
    EXPECT_EQ(error, "cannot be created");
    EXPECT_FALSE(FileExists(dir.Path("no/such/k.json")));
}
