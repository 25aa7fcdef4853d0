// moro-cli keystream: what a key's orbits do to mode 1, for one key or over many seeds.
#include <cstdio>
#include <new>

#include <nlohmann/json.hpp>

#include "cli/Command.h"
#include "cli/Files.h"
#include "cli/Options.h"
#include "security/KeyDiagnosis.h"

namespace {

// Without an image the diagnosis is for the window's display size: 256 x 256 8-bit pixels.
constexpr uint64_t kDefaultWords = 256 * 256 / 2;

class CKeystream : public cli::CCommand {
public:
    void Define(CLI::App& app) override {
        app.footer("Mode 1 steps the index generator once per 16-bit word and then the lane its low byte\n"
                   "names. In 16-bit fixed point every orbit ends in a cycle, and the cycle may be the\n"
                   "fixed point 0: a generator there steps lane 0 alone, and a lane there XORs 0, leaving\n"
                   "its words as they were. This prints, for the key that --seed makes (as 'encrypt\n"
                   "--seed' makes it), the generator's and every lane's transient and cycle, and which\n"
                   "words of the image mode 1 leaves as they were. With --keys it counts the same over\n"
                   "the seeds N to N + M - 1.");
        app.add_option("--seed", m_nSeed, "seed of the random generator that makes the key (0 to 4294967295)")
            ->required()
            ->type_name("N")
            ->transform(cli::WholeNumber("--seed", 0, 0xFFFFFFFFull));
        app.add_option("--image", m_image, "the image mode 1 would encrypt (default: 256 x 256, 8 bits, 32768 words)")
            ->type_name("IN");
        app.add_option("--keys", m_nKeys, "diagnose the keys of M seeds from N on (1 to 100000) and count")
            ->type_name("M")
            ->transform(cli::WholeNumber("--keys", 1, 100000));
        app.add_flag("--json", m_bJson, "print JSON instead of tables");
    }

    int Run(const CLI::App& app) override {
        if (m_nSeed + m_nKeys - 1 > 0xFFFFFFFFull) return cli::UsageError(app, "--seed plus --keys passes seed 4294967295");
        uint64_t nWords = kDefaultWords;
        std::string what = "a 256 x 256 8-bit image";
        if (!m_image.empty()) {
            CDib dib;
            if (!cli::LoadOrExplain(dib, m_image)) return cli::kExitFailed;
            nWords = uint64_t(dib.m_nHeight) * uint64_t(dib.m_nRowBytes) / 2;
            what = "'" + m_image + "'";
        }
        if (app.count("--keys")) {
            KeySweep sweep;
            try {
                sweep = SweepKeys(uint32_t(m_nSeed), uint32_t(m_nKeys), nWords);
            } catch (const std::bad_alloc&) {
                std::fprintf(stderr, "moro-cli: not enough memory to diagnose %llu keys\n", m_nKeys);
                return cli::kExitFailed;
            }
            if (m_bJson)
                std::printf("%s\n", KeySweepJson(sweep).dump(2).c_str());
            else
                std::printf("mode 1 over %s (%llu words)\n%s", what.c_str(), (unsigned long long)nWords, KeySweepTable(sweep).c_str());
            return cli::kExitOk;
        }
        KeyDiagnosis d = DiagnoseKey(KeyOfSeed(uint32_t(m_nSeed)), nWords);
        if (m_bJson) {
            nlohmann::json out = KeyDiagnosisJson(d);
            out["seed"] = m_nSeed;
            std::printf("%s\n", out.dump(2).c_str());
            return cli::kExitOk;
        }
        std::printf("key of seed %llu, mode 1 over %s (%llu words)\n%s", m_nSeed, what.c_str(), (unsigned long long)nWords,
                    KeyDiagnosisText(d, true).c_str());
        return cli::kExitOk;
    }

private:
    unsigned long long m_nSeed = 0, m_nKeys = 1;
    std::string m_image;
    bool m_bJson = false;
};

}  // namespace

MORO_CLI_COMMAND(CKeystream, "keystream", "diagnoses a key: its generator's and lanes' cycles and the words mode 1 leaves");
