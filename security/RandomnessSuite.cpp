// The tests as a suite: parameters chosen from the length, one P-value per row, and the summary
// over many sequences that tells a generator's systematic faults from a sequence's bad luck.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include <nlohmann/json.hpp>

#include "security/Randomness.h"
#include "security/Text.h"

namespace {

// Shortest sequences each test is meant for.
constexpr size_t kMinBits = 100, kMinLongestRun = 128, kMinRank = 38 * 32 * 32, kMinDft = 1000;

int FloorLog2(size_t n) {
    int k = -1;
    for (; n; n >>= 1) ++k;
    return k;
}

SuiteOutcome Outcome(const char* name, std::string parameter, bool bApplicable, double dPValue) {
    SuiteOutcome o;
    o.name = name;
    o.parameter = std::move(parameter);
    o.bApplicable = bApplicable;
    o.dPValue = bApplicable ? dPValue : std::numeric_limits<double>::quiet_NaN();
    return o;
}

std::string Param(const char* name, long long value) { return std::string(name) + " = " + std::to_string(value); }

nlohmann::json NumberOrNull(double d) { return std::isnan(d) ? nlohmann::json(nullptr) : nlohmann::json(d); }

using security::Format;

}  // namespace

SuiteParameters ChooseParameters(size_t nBits) {
    SuiteParameters p;
    p.nBlockBits = std::max<size_t>(20, nBits / 100 + 1);
    const int log2n = FloorLog2(nBits);
    p.nSerialBits = std::min(16, log2n - 3);
    p.nEntropyBits = std::min(10, log2n - 6);
    return p;
}

std::vector<SuiteOutcome> RunSuite(Bits bits, const SuiteParameters& params) {
    const size_t n = bits.size();
    const bool bLong = n >= kMinBits;
    std::vector<SuiteOutcome> o;
    o.push_back(Outcome("frequency", "", bLong, bLong ? FrequencyTest(bits).dPValue : 0));
    const bool bBlocks = bLong && params.nBlockBits > 0 && n / params.nBlockBits > 0;
    o.push_back(Outcome("block frequency", Param("M", (long long)params.nBlockBits), bBlocks,
                        bBlocks ? BlockFrequencyTest(bits, params.nBlockBits).dPValue : 0));
    o.push_back(Outcome("cumulative sums forward", "", bLong, bLong ? CumulativeSumsTest(bits, false).dPValue : 0));
    o.push_back(Outcome("cumulative sums backward", "", bLong, bLong ? CumulativeSumsTest(bits, true).dPValue : 0));
    o.push_back(Outcome("runs", "", bLong, bLong ? RunsTest(bits).dPValue : 0));
    const bool bRuns = n >= kMinLongestRun;
    LongestRunResult longest = bRuns ? LongestRunTest(bits) : LongestRunResult();
    o.push_back(Outcome("longest run", bRuns ? Param("M", (long long)longest.nBlockBits) : "", bRuns, longest.dPValue));
    o.push_back(Outcome("rank", "32 x 32", n >= kMinRank, n >= kMinRank ? RankTest(bits).dPValue : 0));
    o.push_back(Outcome("discrete Fourier transform", "", n >= kMinDft, n >= kMinDft ? DftTest(bits).dPValue : 0));
    const bool bEntropy = bLong && params.nEntropyBits >= 1;
    o.push_back(Outcome("approximate entropy", Param("m", params.nEntropyBits), bEntropy,
                        bEntropy ? ApproximateEntropyTest(bits, params.nEntropyBits).dPValue : 0));
    const bool bSerial = bLong && params.nSerialBits >= 2;
    SerialResult serial = bSerial ? SerialTest(bits, params.nSerialBits) : SerialResult();
    o.push_back(Outcome("serial 1", Param("m", params.nSerialBits), bSerial, serial.dPValue1));
    o.push_back(Outcome("serial 2", Param("m", params.nSerialBits), bSerial, serial.dPValue2));
    return o;
}

std::vector<SuiteSummary> SummariseSuite(const std::vector<std::vector<SuiteOutcome>>& runs) {
    std::vector<SuiteSummary> summary;
    if (runs.empty()) return summary;
    for (size_t t = 0; t < runs.front().size(); ++t) {
        SuiteSummary s;
        s.name = runs.front()[t].name;
        s.parameter = runs.front()[t].parameter;
        for (const std::vector<SuiteOutcome>& run : runs) {
            const SuiteOutcome& o = run[t];
            if (!o.bApplicable) continue;
            ++s.nSequences;
            s.nPassed += o.dPValue >= kAlpha;
            ++s.bins[std::min<size_t>(9, size_t(std::max(0.0, o.dPValue) * 10.0))];
        }
        s.dUniformity = std::numeric_limits<double>::quiet_NaN();
        if (s.nSequences > 0) {
            const double p = 1.0 - kAlpha, m = double(s.nSequences);
            const double spread = 3.0 * std::sqrt(p * (1.0 - p) / m);
            s.dLow = p - spread;
            s.dHigh = std::min(1.0, p + spread);
            const double share = double(s.nPassed) / m;
            s.bProportionOk = share >= s.dLow && share <= s.dHigh;
        }
        if (s.nSequences >= 55) {
            const double expected = double(s.nSequences) / 10.0;
            double chi = 0.0;
            for (size_t b : s.bins) chi += (double(b) - expected) * (double(b) - expected) / expected;
            s.dUniformity = GammaQ(9.0 / 2.0, chi / 2.0);
            s.bUniformityOk = s.dUniformity >= 0.0001;
        }
        summary.push_back(s);
    }
    return summary;
}

std::string SuiteTable(const std::vector<SuiteOutcome>& outcomes) {
    std::string t = "test                        parameter   P-value  result\n";
    for (const SuiteOutcome& o : outcomes) {
        if (!o.bApplicable)
            t += Format("%-27s %-10s  %8s  too short\n", o.name.c_str(), o.parameter.c_str(), "-");
        else
            t += Format("%-27s %-10s  %8.6f  %s\n", o.name.c_str(), o.parameter.c_str(), o.dPValue,
                      o.dPValue >= kAlpha ? "pass" : "FAIL");
    }
    return t;
}

std::string SummaryTable(const std::vector<SuiteSummary>& summary) {
    std::string t = "test                        parameter   keys  passed   share  band (3 sigma)   uniformity\n";
    for (const SuiteSummary& s : summary) {
        if (s.nSequences == 0) {
            t += Format("%-27s %-10s  %4zu  too short\n", s.name.c_str(), s.parameter.c_str(), s.nSequences);
            continue;
        }
        std::string uniform = std::isnan(s.dUniformity) ? "- (under 55 keys)"
                                                        : Format("%.6f %s", s.dUniformity, s.bUniformityOk ? "ok" : "NOT UNIFORM");
        t += Format("%-27s %-10s  %4zu  %6zu  %.4f  %.4f-%.4f %-4s %s\n", s.name.c_str(), s.parameter.c_str(), s.nSequences,
                  s.nPassed, double(s.nPassed) / double(s.nSequences), s.dLow, s.dHigh, s.bProportionOk ? "ok" : "LOW",
                  uniform.c_str());
    }
    return t;
}

nlohmann::json SuiteJson(const std::vector<SuiteOutcome>& outcomes) {
    nlohmann::json tests = nlohmann::json::array();
    for (const SuiteOutcome& o : outcomes)
        tests.push_back({{"test", o.name},
                         {"parameter", o.parameter},
                         {"applicable", o.bApplicable},
                         {"p_value", NumberOrNull(o.dPValue)},
                         {"passed", o.bApplicable && o.dPValue >= kAlpha}});
    return tests;
}

nlohmann::json SummaryJson(const std::vector<SuiteSummary>& summary) {
    nlohmann::json tests = nlohmann::json::array();
    for (const SuiteSummary& s : summary)
        tests.push_back({{"test", s.name},
                         {"parameter", s.parameter},
                         {"sequences", s.nSequences},
                         {"passed", s.nPassed},
                         {"band", {s.dLow, s.dHigh}},
                         {"proportion_ok", s.bProportionOk},
                         {"p_value_bins", s.bins},
                         {"uniformity_p_value", NumberOrNull(s.dUniformity)},
                         {"uniformity_ok", s.bUniformityOk}});
    return tests;
}
