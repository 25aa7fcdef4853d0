// moro-cli nist: the randomness tests on a key's stream, or over the streams of many keys.
#include <cmath>
#include <cstdio>
#include <new>

#include <nlohmann/json.hpp>

#include "cli/Command.h"
#include "cli/Files.h"
#include "cli/Options.h"
#include "security/KeyStream.h"
#include "security/Plot.h"

namespace {

// Lags drawn in the autocorrelation plot.
constexpr size_t kPlotLags = 1024;

// The tested bits packed eight to a byte, first bit in the most significant place.
bool WriteBits(const std::vector<uint8_t>& bits, const std::string& path) {
    std::vector<uint8_t> bytes((bits.size() + 7) / 8, 0);
    for (size_t i = 0; i < bits.size(); ++i) bytes[i / 8] |= uint8_t(bits[i] << (7 - i % 8));
    FILE* f = std::fopen(path.c_str(), "wb");
    bool bOk = f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (f) bOk = std::fclose(f) == 0 && bOk;
    if (!bOk) std::fprintf(stderr, "moro-cli: cannot write '%s'\n", path.c_str());
    return bOk;
}

class CNist : public cli::CCommand {
public:
    void Define(CLI::App& app) override {
        app.footer("Runs nine randomness tests (frequency, block frequency, cumulative sums, runs,\n"
                   "longest run, rank, discrete Fourier transform, approximate entropy, serial) on the\n"
                   "first L bits of the key stream of the key that --seed makes, as 'encrypt --seed'\n"
                   "makes it. A test passes at P >= 0.01; a test needing more bits than L is skipped.\n"
                   "The stream's bits are those of an all-zero image after encryption, byte by byte,\n"
                   "each from its most significant bit. stream: mode 1; frame: a whole-system frame\n"
                   "pass (S-box built from the key's states, then the stream it XORs).\n"
                   "\n"
                   "With --keys M the streams of the seeds N to N + M - 1 are tested and, per test, the\n"
                   "share passing is compared with its band 0.99 +- 3 sqrt(0.99 x 0.01 / M), and the\n"
                   "P-values' spread over ten bins with the uniform one (from 55 keys on).\n"
                   "\n"
                   "--plot draws the first key's autocorrelation at lags 1 to 1024 (bits as +1 and -1;\n"
                   "bars, red beyond the dotted lines at +-3 / sqrt(L)). --write saves the first key's\n"
                   "tested bits, eight to a byte, first bit in the most significant place.");
        app.add_option("--seed", m_nSeed, "seed of the random generator that makes the key (0 to 4294967295)")
            ->required()
            ->type_name("N")
            ->transform(cli::WholeNumber("--seed", 0, 0xFFFFFFFFull));
        app.add_option("--mode", m_mode, "stream (default) or frame")
            ->type_name("MODE")
            ->check(cli::CommaList("mode", {"stream", "frame"}));
        app.add_option("--bits", m_nBits, "bits to test per key, 100 to 10000000 (default 1000000)")
            ->type_name("L")
            ->transform(cli::WholeNumber("--bits", 100, 10000000));
        app.add_option("--keys", m_nKeys, "test the streams of M seeds from N on (1 to 100000)")
            ->type_name("M")
            ->transform(cli::WholeNumber("--keys", 1, 100000));
        app.add_flag("--json", m_bJson, "print JSON instead of tables");
        app.add_option("--plot", m_plot, "draw the first key's autocorrelation into OUT.png")->type_name("OUT.png");
        app.add_option("--write", m_write, "save the first key's tested bits to FILE")->type_name("FILE");
    }

    int Run(const CLI::App& app) override {
        if (m_mode.find(',') != std::string::npos) return cli::UsageError(app, "--mode takes one mode: stream or frame");
        if (m_nSeed + m_nKeys - 1 > 0xFFFFFFFFull) return cli::UsageError(app, "--seed plus --keys passes seed 4294967295");
        if (!m_plot.empty() && cli::KindOf(m_plot) != cli::FileKind::Png)
            return cli::UsageError(app, "--plot writes PNG files: '" + m_plot + "' does not end in .png");
        const StreamMode mode = m_mode == "frame" ? StreamMode::Frame : StreamMode::Stream;
        const char* lpszStream = mode == StreamMode::Frame ? "frame-pass" : "mode-1";
        const size_t nBits = size_t(m_nBits);
        const SuiteParameters params = ChooseParameters(nBits);

        if (!m_plot.empty() || !m_write.empty()) {
            std::vector<uint8_t> bits = SeedStreamBits(uint32_t(m_nSeed), mode, nBits);
            if (bits.size() != nBits) {
                std::fprintf(stderr, "moro-cli: no memory for %zu bits of key stream\n", nBits);
                return cli::kExitFailed;
            }
            if (!m_write.empty() && !WriteBits(bits, m_write)) return cli::kExitFailed;
            CPlot plot;
            if (!m_plot.empty() && !(PlotAutocorrelation(plot, Autocorrelation(bits, kPlotLags), nBits) &&
                                     cli::SaveOrExplain(plot.Image(), m_plot, {})))
                return cli::kExitFailed;
        }

        std::vector<std::vector<SuiteOutcome>> runs;
        try {
            runs = RunSuiteOnSeeds(uint32_t(m_nSeed), uint32_t(m_nKeys), mode, nBits, params);
        } catch (const std::bad_alloc&) {
            std::fprintf(stderr, "moro-cli: not enough memory to test %zu bits per key\n", nBits);
            return cli::kExitFailed;
        }
        nlohmann::json out = {{"mode", m_mode}, {"bits", nBits}, {"first_seed", m_nSeed}, {"keys", m_nKeys}};
        if (m_nKeys == 1) {
            if (m_bJson) {
                out["tests"] = SuiteJson(runs.front());
                std::printf("%s\n", out.dump(2).c_str());
            } else {
                std::printf("key of seed %llu, %s key stream, %zu bits\n\n%s", m_nSeed, lpszStream, nBits,
                            SuiteTable(runs.front()).c_str());
            }
            return cli::kExitOk;
        }
        std::vector<SuiteSummary> summary = SummariseSuite(runs);
        if (m_bJson) {
            out["summary"] = SummaryJson(summary);
            std::printf("%s\n", out.dump(2).c_str());
        } else {
            std::printf("keys of seeds %llu to %llu, %s key stream, %zu bits each\n\n%s", m_nSeed, m_nSeed + m_nKeys - 1,
                        lpszStream, nBits, SummaryTable(summary).c_str());
        }
        return cli::kExitOk;
    }

private:
    unsigned long long m_nSeed = 0, m_nBits = 1000000, m_nKeys = 1;
    std::string m_mode = "stream", m_plot, m_write;
    bool m_bJson = false;
};

}  // namespace

MORO_CLI_COMMAND(CNist, "nist", "runs randomness tests on a key's stream, or over many keys");
