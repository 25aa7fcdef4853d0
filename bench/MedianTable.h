// What the benchmark programs share: without arguments they run every case a few times, and a
// reporter keeps each case's median for the table they end with.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace moro_bench {

// An unoptimised or sanitised build slows the fast forms far more than the forms they are
// measured against (the cipher's plain C++ kernel comes out below 2x its literal form instead of
// about 3x): its ratios say nothing about the program.
#if !defined(__OPTIMIZE__) || defined(__SANITIZE_ADDRESS__)
constexpr const char* kBuildWarning =
    "WARNING: not an optimised build (or built with sanitizers); these ratios do not describe the "
    "program.  Measure a RelWithDebInfo build.\n";
#else
constexpr const char* kBuildWarning = nullptr;
#endif

// Google Benchmark's set-up; without arguments every case runs five times, reported as
// aggregates.  Warns on a build whose figures mislead.
inline void Initialize(int argc, char** argv) {
    std::vector<char*> args(argv, argv + argc);
    static char reps[] = "--benchmark_repetitions=5";
    static char aggregates[] = "--benchmark_report_aggregates_only=true";
    if (argc == 1) {
        args.push_back(reps);
        args.push_back(aggregates);
    }
    int n = int(args.size());
    benchmark::Initialize(&n, args.data());
    if (kBuildWarning) std::fprintf(stderr, "%s", kBuildWarning);
}

// Collects the medians (or the single runs) of a counter, or of the real time in the case's
// unit where a case has no such counter, while printing as usual.
class CMedianReporter : public benchmark::ConsoleReporter {
public:
    explicit CMedianReporter(std::string strCounter) : m_strCounter(std::move(strCounter)) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
            if (!median && !single) continue;
            auto counter = run.counters.find(m_strCounter);
            m_results[run.run_name.function_name] =
                counter != run.counters.end() ? double(counter->second) : run.GetAdjustedRealTime();
            m_cpu[run.run_name.function_name] = run.GetAdjustedCPUTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    // The result of a case, or -1 when it did not run.
    double Find(const std::string& name) const { return Lookup(m_results, name); }
    // The processor time of a case in its unit (median or single run), or -1.  On a shared
    // machine it moves far less than the wall time.
    double FindCpu(const std::string& name) const { return Lookup(m_cpu, name); }

private:
    static double Lookup(const std::map<std::string, double>& map, const std::string& name) {
        auto it = map.find(name);
        return it == map.end() ? -1.0 : it->second;
    }

    std::string m_strCounter;
    std::map<std::string, double> m_results;
    std::map<std::string, double> m_cpu;
};

}  // namespace moro_bench
