// Many analyses at once: one headline per test, a line of CSV per run and a summary over all.
#include <cmath>

#include "security/Analysis.h"
#include "security/Text.h"

using security::Format;

namespace {

// The value of a that is worse, by the headline's sense.
bool IsWorse(const Headline& h, double a, double b) {
    if (std::isnan(a)) return true;
    if (std::isnan(b)) return false;
    switch (h.worse) {
        case Worse::Higher: return a > b;
        case Worse::Lower: return a < b;
        case Worse::AwayFromIdeal: return std::fabs(a - h.dIdeal) > std::fabs(b - h.dIdeal);
    }
    return false;
}

// The worst of values under h's sense, and whether every one passed.
Headline Worst(Headline h, const std::vector<double>& values, const std::vector<bool>& passes) {
    h.dValue = NAN;
    for (size_t i = 0; i < values.size(); ++i)
        if (i == 0 || IsWorse(h, values[i], h.dValue)) h.dValue = values[i];
    if (!passes.empty()) {
        h.nPass = 1;
        for (bool b : passes) h.nPass &= int(b);
    }
    return h;
}

std::string Csv(double x) { return std::isfinite(x) ? Format("%.17g", x) : ""; }

// A field quoted when it holds a comma, quote or line break.
std::string CsvText(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

}  // namespace

std::vector<Headline> AnalysisHeadlines(const AnalysisResult& r) {
    const double a = r.options.dAlpha;
    const uint64_t T = r.Pixels();
    const DiffCritical diff = DifferentialCritical(T, a);
    std::vector<Headline> out;
    std::vector<double> v;
    std::vector<bool> p;
    auto reset = [&]() { v.clear(), p.clear(); };

    for (const PlaneStats& s : r.cipher) v.push_back(s.dChiSquare), p.push_back(s.dChiSquare <= ChiSquareCritical(a));
    out.push_back(Worst({"chi_square"}, v, p));
    reset();
    for (const PlaneStats& s : r.cipher) v.push_back(s.dEntropy), p.push_back(s.dEntropy >= EntropyCritical(T, a));
    out.push_back(Worst({"entropy", Worse::Lower}, v, p));
    reset();
    const uint64_t nBlock = uint64_t(r.options.nSide) * uint64_t(r.options.nSide);
    for (const PlaneStats& s : r.cipher) {
        if (s.local.values.empty()) continue;
        v.push_back(s.local.dMean);
        p.push_back(LocalEntropyInterval(int(s.local.values.size()), nBlock, a).Holds(s.local.dMean));
    }
    out.push_back(Worst({"local_entropy", Worse::AwayFromIdeal, ExpectedEntropy(nBlock)}, v, p));
    const char* const corrNames[3] = {"correlation_horizontal", "correlation_vertical", "correlation_diagonal"};
    for (int n = 0; n < 3; ++n) {
        reset();
        const double bound = CorrelationBound(uint64_t(r.nWidth - NeighbourDx(kNeighbours[n])) *
                                                  uint64_t(r.nHeight - NeighbourDy(kNeighbours[n])), a);
        for (const PlaneStats& s : r.cipher)
            if (!r.pairs[n].empty()) v.push_back(std::fabs(s.dCorrelationAll[n])), p.push_back(std::fabs(s.dCorrelationAll[n]) <= bound);
        out.push_back(Worst({corrNames[n]}, v, p));
    }
    const DiffMeasure worst = r.WorstDifferential();
    out.push_back(Worst({"npcr", Worse::Lower}, {worst.dNpcr}, {diff.NpcrPasses(worst.dNpcr)}));
    out.push_back(Worst({"uaci", Worse::AwayFromIdeal, UaciMean()}, {worst.dUaci}, {diff.UaciPasses(worst.dUaci)}));
    reset();
    for (const KeyFlip& f : r.flips)
        for (const DiffMeasure& m : f.cipher) v.push_back(m.dNpcr), p.push_back(diff.NpcrPasses(m.dNpcr) && diff.UaciPasses(m.dUaci));
    out.push_back(Worst({"key_sensitivity_npcr", Worse::Lower}, v, p));
    out.push_back(Worst({"decrypts_exactly", Worse::Lower}, {r.bDecryptsExactly ? 1.0 : 0.0}, {r.bDecryptsExactly}));
    if (r.options.nSpeedFrames) out.push_back(Worst({"speed_mbps", Worse::Lower, 0, false}, {r.dSpeedWhole}, {}));
    return out;
}

std::string BatchCsvHeader() {
    // The headlines of an empty analysis with a speed test: their names are all that is read.
    AnalysisResult none;
    std::string header = "image,seed,steps,width,height,bits";
    none.options.nSpeedFrames = 1;
    for (const Headline& h : AnalysisHeadlines(none)) {
        header += std::string(",") + h.name;
        if (h.bJudged) header += std::string(",") + h.name + "_pass";
    }
    return header + "\n";
}

std::string BatchCsvLine(const std::string& image, const AnalysisResult& r) {
    std::string steps;
    for (CipherStep s : r.run.steps) steps += (steps.empty() ? "" : " ") + std::string(GetCipherStepName(s));
    std::string line = CsvText(image) + Format(",%u,%s,%d,%d,%d", r.options.nSampleSeed, steps.c_str(), r.nWidth, r.nHeight, r.nBitCount);
    for (const Headline& h : AnalysisHeadlines(r)) {
        line += "," + Csv(h.dValue);
        if (h.bJudged) line += h.nPass < 0 ? "," : h.nPass ? ",1" : ",0";
    }
    return line + "\n";
}

void CBatchSummary::Add(const AnalysisResult& r) {
    std::vector<Headline> heads = AnalysisHeadlines(r);
    if (m_columns.empty())
        for (const Headline& h : heads) m_columns.push_back({h});
    for (size_t i = 0; i < heads.size() && i < m_columns.size(); ++i) {
        Column& c = m_columns[i];
        const Headline& h = heads[i];
        if (c.nCount == 0 || IsWorse(h, h.dValue, c.dWorst)) c.dWorst = h.dValue;
        ++c.nCount;
        if (std::isfinite(h.dValue)) c.dSum += h.dValue, ++c.nValues;
        c.nJudged += h.nPass >= 0;
        c.nPassed += h.nPass == 1;
    }
}

std::string CBatchSummary::Table() const {
    std::string out = Format("%-24s %16s %16s %10s\n", "test", "mean", "worst", "passing");
    for (const Column& c : m_columns) {
        const std::string share = c.nJudged ? Format("%.1f %%", 100.0 * double(c.nPassed) / double(c.nJudged)) : "";
        out += Format("%-24s %16.6f %16.6f %10s\n", c.first.name, c.nValues ? c.dSum / double(c.nValues) : NAN, c.dWorst, share.c_str());
    }
    return out;
}
