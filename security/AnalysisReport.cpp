// The analysis in words and numbers: its verdicts, a table for a terminal, Markdown and JSON.
#include <cmath>

#include <nlohmann/json.hpp>

#include "security/Analysis.h"
#include "security/Text.h"

namespace {

using security::Format;

// The three levels every report lists, beside the one the verdicts use.
constexpr double kStandardAlphas[] = {0.05, 0.01, 0.001};

std::string Number(double x, int nDigits) {
    if (std::isnan(x)) return "-";
    if (std::isinf(x)) return x > 0 ? "inf" : "-inf";
    return Format("%.*f", nDigits, x);
}

Verdict Judge(bool bPass) { return bPass ? Verdict::Pass : Verdict::Fail; }

bool NpcrUaciPass(const DiffCritical& c, const DiffMeasure& m) { return c.NpcrPasses(m.dNpcr) && c.UaciPasses(m.dUaci); }

std::string Steps(const KeyFile& run) {
    std::string list;
    for (CipherStep step : run.steps) list += (list.empty() ? "" : ",") + std::string(GetCipherStepName(step));
    return list.empty() ? "(none)" : list;
}

std::string FlipName(const KeyFlip& f) {
    return f.nLane < 0 ? f.component : Format("%s[%d]", f.component.c_str(), f.nLane);
}

// Text for a Markdown table's cell, whose bars would end the cell.
std::string Cell(const std::string& text) {
    std::string cell;
    for (char c : text) cell += c == '|' ? std::string("\\|") : std::string(1, c);
    return cell;
}

nlohmann::json NullIfNaN(double x) { return std::isfinite(x) ? nlohmann::json(x) : nlohmann::json(nullptr); }

nlohmann::json PerChannel(const std::vector<DiffMeasure>& m, double DiffMeasure::*field) {
    nlohmann::json a = nlohmann::json::array();
    for (const DiffMeasure& d : m) a.push_back(d.*field);
    return a;
}

nlohmann::json DiffJson(const std::vector<DiffMeasure>& m) {
    return {{"npcr", PerChannel(m, &DiffMeasure::dNpcr)}, {"uaci", PerChannel(m, &DiffMeasure::dUaci)}};
}

nlohmann::json PlaneJson(const PlaneStats& s) {
    nlohmann::json correlation;
    for (int n = 0; n < 3; ++n)
        correlation[GetNeighbourName(kNeighbours[n])] = {{"all", NullIfNaN(s.dCorrelationAll[n])},
                                                         {"sampled", NullIfNaN(s.dCorrelationSampled[n])}};
    return {{"histogram", s.histogram},
            {"chi_square", s.dChiSquare},
            {"chi_square_p", s.dChiSquareP},
            {"entropy", s.dEntropy},
            {"local_entropy", {{"mean", NullIfNaN(s.local.dMean)}, {"blocks", s.local.values}}},
            {"correlation", correlation}};
}

uint64_t PairsOf(const AnalysisResult& r, int n) {
    return uint64_t(r.nWidth - NeighbourDx(kNeighbours[n])) * uint64_t(r.nHeight - NeighbourDy(kNeighbours[n]));
}

nlohmann::json CriticalJson(const AnalysisResult& r, double dAlpha) {
    const uint64_t T = r.Pixels();
    const DiffCritical d = DifferentialCritical(T, dAlpha);
    nlohmann::json c = {{"alpha", dAlpha},
                        {"chi_square", ChiSquareCritical(dAlpha)},
                        {"entropy", EntropyCritical(T, dAlpha)},
                        {"npcr", d.dNpcr},
                        {"uaci", {d.dUaciLow, d.dUaciHigh}}};
    const int k = int(r.cipher.front().local.values.size());
    if (k) {
        Interval i = LocalEntropyInterval(k, uint64_t(r.options.nSide) * uint64_t(r.options.nSide), dAlpha);
        c["local_entropy"] = {i.dLow, i.dHigh};
    }
    for (int n = 0; n < 3; ++n)
        c["correlation"][GetNeighbourName(kNeighbours[n])] = {{"all", CorrelationBound(PairsOf(r, n), dAlpha)},
                                                               {"sampled", CorrelationBound(r.pairs[n].size(), dAlpha)}};
    return c;
}

}  // namespace

std::vector<AnalysisRow> AnalysisRows(const AnalysisResult& r) {
    std::vector<AnalysisRow> rows;
    const double a = r.options.dAlpha;
    const uint64_t T = r.Pixels();
    const double chiCritical = ChiSquareCritical(a), entropyCritical = EntropyCritical(T, a);
    const double expectedEntropy = ExpectedEntropy(T);
    const uint64_t nBlockPixels = uint64_t(r.options.nSide) * uint64_t(r.options.nSide);
    const DiffCritical diff = DifferentialCritical(T, a);
    const std::string npcrRef = ">= " + Number(diff.dNpcr, 4);
    const std::string uaciRef = Format("%.4f to %.4f", diff.dUaciLow, diff.dUaciHigh);

    for (size_t c = 0; c < r.channels.size(); ++c) {
        const PlaneStats &p = r.plain[c], &e = r.cipher[c];
        const std::string& ch = r.channels[c];
        rows.push_back({"chi-square of the histogram (df 255)", ch, Number(p.dChiSquare, 2), Number(e.dChiSquare, 2),
                        "<= " + Number(chiCritical, 4), Judge(e.dChiSquare <= chiCritical)});
        rows.push_back({"  its P-value", ch, Format("%.4g", p.dChiSquareP), Format("%.4g", e.dChiSquareP),
                        ">= " + Format("%g", a), Verdict::None});
        rows.push_back({"entropy (bits)", ch, Number(p.dEntropy, 5), Number(e.dEntropy, 5),
                        Format(">= %.5f (random: %.5f)", entropyCritical, expectedEntropy), Judge(e.dEntropy >= entropyCritical)});
        const int k = int(e.local.values.size());
        if (k) {
            const Interval i = LocalEntropyInterval(k, nBlockPixels, a);
            rows.push_back({Format("local entropy (%d blocks of %dx%d)", k, r.options.nSide, r.options.nSide), ch,
                            Number(p.local.dMean, 5), Number(e.local.dMean, 5), Format("%.5f to %.5f", i.dLow, i.dHigh),
                            Judge(i.Holds(e.local.dMean))});
        }
        for (int n = 0; n < 3; ++n) {
            if (PairsOf(r, n) == 0) continue;  // a single row or column has no such neighbours
            const char* name = GetNeighbourName(kNeighbours[n]);
            const double allBound = CorrelationBound(PairsOf(r, n), a);
            const double sampledBound = CorrelationBound(r.pairs[n].size(), a);
            rows.push_back({Format("correlation, %s, all %llu pairs", name, (unsigned long long)PairsOf(r, n)), ch,
                            Number(p.dCorrelationAll[n], 4), Number(e.dCorrelationAll[n], 4), "|r| <= " + Number(allBound, 4),
                            Judge(std::fabs(e.dCorrelationAll[n]) <= allBound)});
            rows.push_back({Format("correlation, %s, %zu random pairs", name, r.pairs[n].size()), ch,
                            Number(p.dCorrelationSampled[n], 4), Number(e.dCorrelationSampled[n], 4),
                            "|r| <= " + Number(sampledBound, 4), Judge(std::fabs(e.dCorrelationSampled[n]) <= sampledBound)});
        }
        const EncryptionQuality& q = r.quality[c];
        rows.push_back({"MSE, plain to cipher", ch, "", Number(q.dMse, 2), "random: " + Number(q.dIdealMse, 2), Verdict::None});
        rows.push_back({"PSNR, plain to cipher (dB)", ch, "", Number(q.dPsnr, 4), "random: " + Number(q.dIdealPsnr, 4), Verdict::None});
        rows.push_back({"histogram deviation", ch, "", Number(q.dHistogramDeviation, 4), "higher is better", Verdict::None});
        rows.push_back({"irregular deviation (pixels)", ch, "", Number(q.dIrregularDeviation, 0), "lower is better", Verdict::None});
    }

    const DiffMeasure worst = r.WorstDifferential();
    const std::string nPixels = std::to_string(r.positions.size());
    rows.push_back({"NPCR, one plain pixel +1, worst of " + nPixels, "all", "", Number(worst.dNpcr, 4), npcrRef,
                    Judge(diff.NpcrPasses(worst.dNpcr))});
    rows.push_back({"UACI, one plain pixel +1, worst of " + nPixels, "all", "", Number(worst.dUaci, 4), uaciRef,
                    Judge(diff.UaciPasses(worst.dUaci))});
    for (const KeyFlip& f : r.flips) {
        for (size_t c = 0; c < f.cipher.size(); ++c) {
            const std::string what = Format("key bit %d of %s flipped: ", f.nBit, FlipName(f).c_str());
            rows.push_back({what + "NPCR of the ciphers", r.channels[c], "", Number(f.cipher[c].dNpcr, 4), npcrRef,
                            Judge(diff.NpcrPasses(f.cipher[c].dNpcr))});
            rows.push_back({what + "UACI of the ciphers", r.channels[c], "", Number(f.cipher[c].dUaci, 4), uaciRef,
                            Judge(diff.UaciPasses(f.cipher[c].dUaci))});
            if (c < f.decrypted.size())
                rows.push_back({what + "decrypted vs plain, NPCR", r.channels[c], "", Number(f.decrypted[c].dNpcr, 4), npcrRef,
                                Judge(diff.NpcrPasses(f.decrypted[c].dNpcr))});
        }
    }
    rows.push_back({"decrypted with the key", "all", "", r.bDecryptsExactly ? "exact" : r.bDecrypted ? "differs" : "refused",
                    "exact", Judge(r.bDecryptsExactly)});
    if (r.options.nSpeedFrames) {
        rows.push_back({Format("speed, whole system, %u frames (Mbps)", r.options.nSpeedFrames), "all", "",
                        Number(r.dSpeedWhole, 1), "", Verdict::None});
        rows.push_back({Format("speed, stream only, %u frames (Mbps)", r.options.nSpeedFrames), "all", "",
                        Number(r.dSpeedStream, 1), "", Verdict::None});
    }
    return rows;
}

std::vector<std::string> AnalysisNotes(const AnalysisResult& r) {
    std::vector<std::string> notes;
    const DiffCritical diff = DifferentialCritical(r.Pixels(), r.options.dAlpha);
    const DiffMeasure worst = r.WorstDifferential();
    if (!diff.NpcrPasses(worst.dNpcr))
        notes.push_back(Format("The differential test fails by design. No step of this cipher lets a pixel's value change "
                               "the key stream or the S-box, so one changed plain pixel changes only its own cipher pixel: "
                               "NPCR is 1/T = %.6f %% here, where an ideal cipher gives %.4f %%. The cipher has no "
                               "diffusion, and this test shows exactly that.",
                               100.0 / double(r.Pixels()), NpcrMean()));
    const int nSide = r.options.nSide;
    const int k = r.cipher.empty() ? 0 : int(r.cipher.front().local.values.size());
    if (k < r.options.nBlocks)
        notes.push_back(k == 0 ? Format("No local entropy: the image holds no %dx%d block.", nSide, nSide)
                               : Format("Local entropy over %d blocks, not %d: a %d x %d image holds no more "
                                        "non-overlapping %dx%d blocks. Its interval is computed for %d.",
                                        k, r.options.nBlocks, r.nWidth, r.nHeight, nSide, nSide, k));
    if (k)
        notes.push_back(Format("The local entropy's interval is mean +- z sigma / sqrt(k) with sigma = %.6f, the standard "
                               "deviation of one block's entropy; the interval often quoted divides by k instead and "
                               "rejects most truly random images.",
                               EntropySigma(uint64_t(nSide) * uint64_t(nSide))));
    return notes;
}

std::string AnalysisTable(const AnalysisResult& r) {
    std::vector<AnalysisRow> rows = AnalysisRows(r);
    size_t wMeasure = 7, wChannel = 7;
    for (const AnalysisRow& row : rows) {
        wMeasure = std::max(wMeasure, row.measure.size());
        wChannel = std::max(wChannel, row.channel.size());
    }
    auto line = [&](const std::string& m, const std::string& c, const std::string& p, const std::string& e,
                    const std::string& ref, const std::string& v) {
        return Format("%-*s  %-*s  %12s  %12s  %-34s %s\n", int(wMeasure), m.c_str(), int(wChannel), c.c_str(), p.c_str(),
                      e.c_str(), ref.c_str(), v.c_str());
    };
    std::string out = line("measure", "channel", "plain", "cipher", Format("ideal or critical (alpha %g)", r.options.dAlpha), "result");
    int nPass = 0, nFail = 0;
    for (const AnalysisRow& row : rows) {
        const char* v = row.verdict == Verdict::Pass ? "pass" : row.verdict == Verdict::Fail ? "FAIL" : "";
        nPass += row.verdict == Verdict::Pass;
        nFail += row.verdict == Verdict::Fail;
        out += line(row.measure, row.channel, row.plain, row.cipher, row.reference, v);
    }
    out += Format("\n%d passed, %d failed\n", nPass, nFail);
    for (const std::string& note : AnalysisNotes(r)) out += "\nnote: " + note + "\n";
    out += "\n" + AnalysisKeyText(r, false);
    return out;
}

std::string AnalysisKeyText(const AnalysisResult& r, bool bLanes) {
    return Format("the key: mode 1 from it over this image's %llu words\n", (unsigned long long)r.diagnosis.nWords) +
           KeyDiagnosisText(r.diagnosis, bLanes);
}

std::string AnalysisHeading(const AnalysisResult& r, const std::string& what) {
    return Format("%s: %d x %d pixels, %d bits; steps %s; %s; sample seed %u; verdicts at alpha = %g", what.c_str(), r.nWidth,
                  r.nHeight, r.nBitCount, Steps(r.run).c_str(),
                  r.run.bSeeded ? Format("key of seed %u", r.run.seed).c_str() : "key from a key file", r.options.nSampleSeed,
                  r.options.dAlpha);
}

std::string AnalysisMarkdown(const AnalysisResult& r, const std::string& title) {
    std::string md = "# Security analysis\n\n" + AnalysisHeading(r, title) + ".\n\n";
    md += "| measure | channel | plain | cipher | ideal or critical | result |\n|---|---|---:|---:|---|---|\n";
    for (const AnalysisRow& row : AnalysisRows(r)) {
        const char* v = row.verdict == Verdict::Pass ? "pass" : row.verdict == Verdict::Fail ? "**FAIL**" : "";
        md += "| " + Cell(row.measure) + " | " + row.channel + " | " + row.plain + " | " + row.cipher + " | " +
              Cell(row.reference) + " | " + v + " |\n";
    }
    md += "\n";
    for (const std::string& note : AnalysisNotes(r)) md += note + "\n\n";
    md += "## The key\n\n```\n" + AnalysisKeyText(r, true) + "```\n\n";
    md += "## Critical values\n\n| alpha | chi-square | entropy | local entropy | NPCR | UACI |\n|---|---:|---:|---|---:|---|\n";
    const uint64_t T = r.Pixels();
    const int k = r.cipher.empty() ? 0 : int(r.cipher.front().local.values.size());
    for (double a : kStandardAlphas) {
        const DiffCritical d = DifferentialCritical(T, a);
        std::string local = "-";
        if (k) {
            Interval i = LocalEntropyInterval(k, uint64_t(r.options.nSide) * uint64_t(r.options.nSide), a);
            local = Format("%.9f to %.9f", i.dLow, i.dHigh);
        }
        md += Format("| %g | %.4f | %.6f | %s | %.4f %% | %.4f to %.4f %% |\n", a, ChiSquareCritical(a), EntropyCritical(T, a),
                     local.c_str(), d.dNpcr, d.dUaciLow, d.dUaciHigh);
    }
    md += "\n## Figures\n\n";
    const char* const captions[] = {"Plain, cipher and decrypted image", "Histograms of the plain and the cipher image",
                                    "Neighbouring pixels of the plain and the cipher image",
                                    "Key sensitivity: C1, C2 under the flipped key, |C1 - C2|, C1 decrypted with the flipped key"};
    for (int i = 0; i < 4; ++i) md += Format("%s\n\n![%s](%s)\n\n", captions[i], captions[i], kAnalysisFigures[i]);
    return md;
}

nlohmann::json AnalysisJson(const AnalysisResult& r) {
    nlohmann::json j;
    j["image"] = {{"width", r.nWidth}, {"height", r.nHeight}, {"bits", r.nBitCount}, {"channels", r.channels}};
    j["key"] = {{"seeded", r.run.bSeeded}, {"seed", r.run.bSeeded ? nlohmann::json(r.run.seed) : nlohmann::json(nullptr)},
                {"rand_state", r.run.randState}};
    nlohmann::json steps = nlohmann::json::array();
    for (CipherStep s : r.run.steps) steps.push_back(GetCipherStepName(s));
    j["steps"] = steps;
    j["sample_seed"] = r.options.nSampleSeed;
    j["alpha"] = r.options.dAlpha;
    j["options"] = {{"blocks", r.options.nBlocks}, {"block_side", r.options.nSide}, {"pairs", r.options.nPairs},
                    {"random_positions", r.options.nPositions}};

    const uint64_t T = r.Pixels();
    const uint64_t nBlockPixels = uint64_t(r.options.nSide) * uint64_t(r.options.nSide);
    j["expected"] = {{"entropy", ExpectedEntropy(T)},
                     {"block_entropy_mean", ExpectedEntropy(nBlockPixels)},
                     {"block_entropy_sigma", EntropySigma(nBlockPixels)},
                     {"npcr", NpcrMean()},
                     {"uaci", UaciMean()}};
    nlohmann::json critical = nlohmann::json::array();
    for (double a : kStandardAlphas) critical.push_back(CriticalJson(r, a));
    j["critical"] = critical;
    j["critical_at_alpha"] = CriticalJson(r, r.options.dAlpha);

    nlohmann::json channels = nlohmann::json::array();
    for (size_t c = 0; c < r.channels.size(); ++c) {
        const EncryptionQuality& q = r.quality[c];
        channels.push_back({{"name", r.channels[c]},
                            {"plain", PlaneJson(r.plain[c])},
                            {"cipher", PlaneJson(r.cipher[c])},
                            {"quality",
                             {{"mse", q.dMse}, {"psnr", NullIfNaN(q.dPsnr)}, {"ideal_mse", q.dIdealMse},
                              {"ideal_psnr", q.dIdealPsnr}, {"histogram_deviation", q.dHistogramDeviation},
                              {"irregular_deviation", q.dIrregularDeviation}}}});
    }
    j["channels"] = channels;
    nlohmann::json blocks = nlohmann::json::array();
    if (!r.cipher.empty())
        for (size_t b = 0; b < r.cipher.front().local.lefts.size(); ++b)
            blocks.push_back({r.cipher.front().local.lefts[b], r.cipher.front().local.tops[b]});
    j["local_entropy_blocks"] = blocks;
    for (int n = 0; n < 3; ++n) j["sampled_pairs"][GetNeighbourName(kNeighbours[n])] = r.pairs[n];

    const DiffCritical diff = DifferentialCritical(T, r.options.dAlpha);
    nlohmann::json positions = nlohmann::json::array();
    for (const DiffPosition& p : r.positions) {
        nlohmann::json e = DiffJson(p.channels);
        e["x"] = p.x;
        e["y"] = p.y;
        positions.push_back(e);
    }
    const DiffMeasure worst = r.WorstDifferential();
    j["differential"] = {{"positions", positions},
                         {"worst", {{"npcr", worst.dNpcr}, {"uaci", worst.dUaci}}},
                         {"pass", {{"npcr", diff.NpcrPasses(worst.dNpcr)}, {"uaci", diff.UaciPasses(worst.dUaci)}}}};
    nlohmann::json flips = nlohmann::json::array();
    for (const KeyFlip& f : r.flips) {
        bool bPass = true;
        for (const DiffMeasure& m : f.cipher) bPass = bPass && NpcrUaciPass(diff, m);
        flips.push_back({{"component", f.component},
                         {"lane", f.nLane < 0 ? nlohmann::json(nullptr) : nlohmann::json(f.nLane)},
                         {"bit", f.nBit},
                         {"cipher", DiffJson(f.cipher)},
                         {"decrypted", f.decrypted.empty() ? nlohmann::json(nullptr) : DiffJson(f.decrypted)},
                         {"pass", bPass}});
    }
    j["key_sensitivity"] = flips;
    j["decryption"] = {{"decrypted", r.bDecrypted}, {"exact", r.bDecryptsExactly}};
    j["key_diagnosis"] = KeyDiagnosisJson(r.diagnosis);

    nlohmann::json verdicts = nlohmann::json::array();
    for (const AnalysisRow& row : AnalysisRows(r))
        if (row.verdict != Verdict::None)
            verdicts.push_back({{"measure", row.measure}, {"channel", row.channel}, {"pass", row.verdict == Verdict::Pass}});
    j["verdicts"] = verdicts;
    j["notes"] = AnalysisNotes(r);
    if (r.options.nSpeedFrames)
        j["speed"] = {{"frames", r.options.nSpeedFrames}, {"whole_system_mbps", r.dSpeedWhole}, {"stream_only_mbps", r.dSpeedStream}};
    return j;
}
