// Key diagnoses in words: one line for a warning, tables for a terminal, JSON for programs.
#include <algorithm>
#include <string>

#include <nlohmann/json.hpp>

#include "security/KeyDiagnosis.h"
#include "security/Text.h"

namespace {

using security::Format;

double Percent(uint64_t n, uint64_t nOf) { return nOf ? 100.0 * double(n) / double(nOf) : 0.0; }

// A word index, or null in JSON when there is none.
nlohmann::json WordOrNull(uint64_t n) { return n == kNever ? nlohmann::json(nullptr) : nlohmann::json(n); }

// The step at which an orbit that ends at 0 first holds 0.
std::string ZeroAfter(const OrbitInfo& orbit) {
    return orbit.bZero ? std::to_string(orbit.nTransient) : "-";
}

// Lanes that XOR 0 onto some word, in order of the first such word.
std::vector<int> LanesLeavingWords(const KeyDiagnosis& d) {
    std::vector<int> lanes;
    for (int i = 0; i < 256; ++i)
        if (d.laneFirstZeroWord[i] != kNever) lanes.push_back(i);
    std::sort(lanes.begin(), lanes.end(), [&](int a, int b) { return d.laneFirstZeroWord[a] < d.laneFirstZeroWord[b]; });
    return lanes;
}

// Log2 bins as ranges: "0", "1", "2-3", "4-7", ...; the last bin is open.
std::string BinName(int bin) {
    if (bin == 0) return "0";
    if (bin == 1) return "1";
    uint64_t lo = uint64_t(1) << (bin - 1);
    return bin == kLog2Bins - 1 ? std::to_string(lo) + "+" : std::to_string(lo) + "-" + std::to_string(2 * lo - 1);
}

template <size_t N>
nlohmann::json Log2Histogram(const std::array<DWORD, N>& counts) {
    nlohmann::json bins = nlohmann::json::array();
    for (int b = 0; b < int(N); ++b)
        if (counts[b]) bins.push_back({{"from", b == 0 ? 0 : uint64_t(1) << (b - 1)}, {"count", counts[b]}});
    return bins;
}

}  // namespace

std::string UnencryptedCause(const KeyDiagnosis& d) {
    std::vector<int> lanes = LanesLeavingWords(d);
    if (lanes.empty()) return "";
    const int nOnly = d.generator.nCycle == 1 ? d.nOnlyLane : -1;
    if (nOnly >= 0 && d.laneFirstZeroWord[nOnly] != kNever) {
        // The generator stands still, so one lane takes every word, and that lane stands at 0.
        const unsigned long long nAt = d.nGeneratorOnCycleWord;
        std::string cause = d.generator.bZero
                                ? Format("the index generator falls to 0 at word %llu", nAt)
                                : Format("the index generator stops at %u at word %llu", unsigned(d.wGeneratorCycleEntry), nAt);
        cause += Format(", so only lane %d steps from then on, and lane %d falls to 0 at word %llu", nOnly, nOnly,
                        (unsigned long long)d.laneFirstZeroWord[nOnly]);
        if (lanes.size() > 1) cause += Format(" (%zu other lanes fall to 0 as well)", lanes.size() - 1);
        return cause;
    }
    const int nFirst = lanes.front();
    if (lanes.size() == 1) return Format("lane %d falls to 0 at word %llu", nFirst, (unsigned long long)d.laneFirstZeroWord[nFirst]);
    return Format("%zu lanes fall to 0, the first (lane %d) at word %llu", lanes.size(), nFirst,
                  (unsigned long long)d.laneFirstZeroWord[nFirst]);
}

std::string DescribeUnencrypted(uint64_t nZeroWords, uint64_t nWords, const std::string& cause) {
    if (nZeroWords == 0) return "";
    return Format("%llu of %llu words (%.1f %%) are XORed with 0 and stay as they were: ", (unsigned long long)nZeroWords,
                  (unsigned long long)nWords, Percent(nZeroWords, nWords)) +
           cause;
}

std::string DescribeUnencrypted(const KeyDiagnosis& d) { return DescribeUnencrypted(d.nZeroWords, d.nWords, UnencryptedCause(d)); }

std::string LaneList(const std::vector<int>& lanes) {
    if (lanes.empty()) return "none";
    std::string list;
    for (size_t i = 0; i < lanes.size();) {
        size_t j = i;
        while (j + 1 < lanes.size() && lanes[j + 1] == lanes[j] + 1) ++j;
        list += list.empty() ? "" : ", ";
        list += j == i ? std::to_string(lanes[i]) : Format("%d-%d", lanes[i], lanes[j]);
        i = j + 1;
    }
    return list;
}

std::vector<int> ZeroLanes(const KeyDiagnosis& d) {
    std::vector<int> lanes;
    for (int i = 0; i < 256; ++i)
        if (d.lanes[i].bZero) lanes.push_back(i);
    return lanes;
}

std::vector<int> SteppedLanes(const KeyDiagnosis& d) {
    std::vector<int> lanes;
    for (int i = 0; i < 256; ++i)
        if (d.laneSteps[i]) lanes.push_back(i);
    return lanes;
}

namespace {

// A label's list of lanes, broken after commas into lines of at most 100 characters, the later
// lines indented to the list's start.
std::string LaneLines(const std::string& label, const std::vector<int>& lanes) {
    const std::string indent(18, ' ');
    std::string text = label, list = LaneList(lanes);
    size_t nLine = text.size();
    for (size_t i = 0; i < list.size();) {
        size_t j = list.find(", ", i);
        const std::string item = list.substr(i, j == std::string::npos ? std::string::npos : j + 2 - i);
        if (nLine + item.size() > 100 && nLine > indent.size()) {
            while (!text.empty() && text.back() == ' ') text.pop_back();
            text += "\n" + indent;
            nLine = indent.size();
        }
        text += item;
        nLine += item.size();
        i = j == std::string::npos ? list.size() : j + 2;
    }
    return text + "\n";
}

}  // namespace

std::string KeyDiagnosisSummary(const KeyDiagnosis& d) {
    std::string t;
    t += Format("index generator   x0 %u, p0 %u: enters its cycle (length %u) after %u steps", d.x0, d.p0,
                d.generator.nCycle, d.generator.nTransient);
    t += d.generator.bZero ? " (the fixed point 0)\n" : "\n";
    if (d.nCycleLanes == 1)
        t += Format("                  on it only lane %d steps\n", d.nOnlyLane);
    else
        t += Format("                  %u lanes step on its cycle\n", d.nCycleLanes);
    t += LaneLines(Format("lanes ending at 0 %u of 256: ", d.nZeroLanes), ZeroLanes(d));
    t += LaneLines(Format("image             %llu words, %u lanes stepped: ", (unsigned long long)d.nWords, d.nSteppedLanes),
                   SteppedLanes(d));
    if (d.nGeneratorOnCycleWord != kNever)
        t += Format("                  the generator is on its cycle from word %llu\n", (unsigned long long)d.nGeneratorOnCycleWord);
    t += Format("left as they were %llu words (%.2f %%)", (unsigned long long)d.nZeroWords, Percent(d.nZeroWords, d.nWords));
    t += d.nZeroWords ? Format(", the first at word %llu\n", (unsigned long long)d.nFirstZeroWord) : "\n";
    return t;
}

std::string KeyDiagnosisText(const KeyDiagnosis& d, bool bLanes) {
    std::string warning = DescribeUnencrypted(d);
    std::string t = warning.empty() ? "" : "warning: " + warning + "\n";
    t += '\n';
    t += KeyDiagnosisSummary(d);
    if (bLanes) {
        t += '\n';
        t += KeyLaneTable(d);
    }
    return t;
}

std::string KeyLaneTable(const KeyDiagnosis& d) {
    std::string t = "lane  state  param  transient  cycle  at 0 after  steps  first word left\n";
    for (int i = 0; i < 256; ++i) {
        const OrbitInfo& lane = d.lanes[i];
        std::string first = d.laneFirstZeroWord[i] == kNever ? "-" : std::to_string(d.laneFirstZeroWord[i]);
        t += Format("%4d  %5u  %5u  %9u  %5u  %10s  %5llu  %s\n", i, d.laneStates[i], d.laneParams[i], lane.nTransient,
                    lane.nCycle, ZeroAfter(lane).c_str(), (unsigned long long)d.laneSteps[i], first.c_str());
    }
    return t;
}

std::string KeyDiagnosisTable(const KeyDiagnosis& d) { return KeyDiagnosisSummary(d) + "\n" + KeyLaneTable(d); }

nlohmann::json KeyDiagnosisJson(const KeyDiagnosis& d) {
    auto orbit = [](const OrbitInfo& o) {
        return nlohmann::json{{"transient", o.nTransient}, {"cycle", o.nCycle}, {"ends_at_zero", o.bZero}};
    };
    nlohmann::json generator = orbit(d.generator);
    generator["x0"] = d.x0;
    generator["p0"] = d.p0;
    generator["cycle_entry"] = d.wGeneratorCycleEntry;
    generator["cycle_lanes"] = d.nCycleLanes;
    generator["only_lane"] = d.nOnlyLane >= 0 ? nlohmann::json(d.nOnlyLane) : nlohmann::json(nullptr);
    nlohmann::json lanes = nlohmann::json::array();
    for (int i = 0; i < 256; ++i) {
        nlohmann::json lane = orbit(d.lanes[i]);
        lane["lane"] = i;
        lane["state"] = d.laneStates[i];
        lane["param"] = d.laneParams[i];
        lane["steps"] = d.laneSteps[i];
        lane["first_word_left"] = WordOrNull(d.laneFirstZeroWord[i]);
        lanes.push_back(lane);
    }
    nlohmann::json image = {{"words", d.nWords},
                            {"lanes_stepped", d.nSteppedLanes},
                            {"generator_on_cycle_from_word", WordOrNull(d.nGeneratorOnCycleWord)},
                            {"words_left", d.nZeroWords},
                            {"share_left", d.nWords ? double(d.nZeroWords) / double(d.nWords) : 0.0},
                            {"first_word_left", WordOrNull(d.nFirstZeroWord)}};
    std::string warning = DescribeUnencrypted(d);
    return {{"generator", generator},
            {"lanes_ending_at_zero", d.nZeroLanes},
            {"lanes_ending_at_zero_list", ZeroLanes(d)},
            {"lanes_stepped_list", SteppedLanes(d)},
            {"image", image},
            {"warning", warning.empty() ? nlohmann::json(nullptr) : nlohmann::json(warning)},
            {"lanes", lanes}};
}

std::string KeySweepTable(const KeySweep& s) {
    std::string t;
    auto row = [&](const std::string& label, DWORD n, const char* lpszMeaning) {
        std::string line = Format("%-46s %6u  %6.2f %%", label.c_str(), n, Percent(n, s.nKeys));
        return line + (*lpszMeaning ? "  " + std::string(lpszMeaning) : "") + "\n";
    };
    t += Format("%-46s %6u  (seeds %u to %u)\n", "keys", s.nKeys, s.nFirstSeed, unsigned(s.nFirstSeed + s.nKeys - 1));
    t += row("generator ends on a fixed point", s.nGeneratorFixed, "one lane takes every later word");
    t += row("  that fixed point is 0", s.nGeneratorZero, "lane 0 takes every later word");
    t += row("  and that lane ends at 0 too", s.nOnlyLaneZero, "every word after its first 0 is left");
    t += row(Format("keys leaving some of %llu words as they were", (unsigned long long)s.nWords), s.nKeysLeavingWords, "");
    t += Format("%-46s %6.2f %%\n", "mean share of the words left", 100.0 * s.dMeanZeroShare);
    t += "\nsteps or states  generator transient  generator cycle  lane transient  lane cycle\n";
    for (int b = 0; b < kLog2Bins; ++b) {
        if (!s.generatorTransients[b] && !s.generatorCycles[b] && !s.laneTransients[b] && !s.laneCycles[b]) continue;
        t += Format("%15s  %19u  %15u  %14u  %10u\n", BinName(b).c_str(), s.generatorTransients[b], s.generatorCycles[b],
                    s.laneTransients[b], s.laneCycles[b]);
    }
    t += "\nlanes ending at 0  keys\n";
    for (int n = 0; n <= 256; ++n)
        if (s.zeroLanes[n]) t += Format("%17d  %4u\n", n, s.zeroLanes[n]);
    t += "\nshare of words left  keys\n";
    for (int b = 0; b <= 20; ++b)
        if (s.zeroShares[b]) t += Format("%19s  %4u\n", b == 0 ? "none" : Format("up to %d %%", 5 * b).c_str(), s.zeroShares[b]);
    return t;
}

nlohmann::json KeySweepJson(const KeySweep& s) {
    nlohmann::json zeroLanes = nlohmann::json::array(), shares = nlohmann::json::array();
    for (int n = 0; n <= 256; ++n)
        if (s.zeroLanes[n]) zeroLanes.push_back({{"lanes", n}, {"keys", s.zeroLanes[n]}});
    for (int b = 0; b <= 20; ++b)
        if (s.zeroShares[b]) shares.push_back({{"up_to_percent", 5 * b}, {"keys", s.zeroShares[b]}});
    return {{"first_seed", s.nFirstSeed},
            {"keys", s.nKeys},
            {"words", s.nWords},
            {"generator_on_fixed_point", s.nGeneratorFixed},
            {"generator_at_zero", s.nGeneratorZero},
            {"only_lane_at_zero", s.nOnlyLaneZero},
            {"keys_leaving_words", s.nKeysLeavingWords},
            {"mean_share_left", s.dMeanZeroShare},
            {"generator_transients", Log2Histogram(s.generatorTransients)},
            {"generator_cycles", Log2Histogram(s.generatorCycles)},
            {"lane_transients", Log2Histogram(s.laneTransients)},
            {"lane_cycles", Log2Histogram(s.laneCycles)},
            {"keys_by_lanes_ending_at_zero", zeroLanes},
            {"keys_by_share_left", shares}};
}
