// What the FFT and wavelet benchmarks share: a reporter that keeps each case's median processor
// time (the machine these run on is shared, and waiting for a processor is no part of a form's
// speed), and the table of ratios they end with.
#pragma once

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "bench/MedianTable.h"

namespace moro_bench {

class CCpuTimeReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
            if (median || single) m_results[run.run_name.function_name] = run.GetAdjustedCPUTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    // Milliseconds of a case, or -1 when it did not run.
    double Find(const std::string& name) const {
        auto it = m_results.find(name);
        return it == m_results.end() ? -1.0 : it->second;
    }

private:
    std::map<std::string, double> m_results;
};

// | form | ms | literal / form | [form / baseline] |, one row per form, the literal form first.
inline void PrintRatios(const CCpuTimeReporter& r, const std::string& literal, const std::vector<std::string>& forms,
                        const std::string& baseline) {
    const double lit = r.Find(literal), base = baseline.empty() ? -1 : r.Find(baseline);
    if (kBuildWarning) std::printf("%s", kBuildWarning);
    std::printf("\n| form | ms | literal / form |");
    if (base > 0) std::printf(" form / %s |", baseline.c_str());
    std::printf("\n|---|---:|---:|%s\n", base > 0 ? "---:|" : "");
    std::vector<std::string> all = {literal};
    all.insert(all.end(), forms.begin(), forms.end());
    if (base > 0) all.push_back(baseline);
    for (const std::string& f : all) {
        const double t = r.Find(f);
        std::printf("| %s | %.2f | %.1f |", f.c_str(), t, lit / t);
        if (base > 0) std::printf(" %.2f |", t / base);
        std::printf("\n");
    }
}

}  // namespace moro_bench
