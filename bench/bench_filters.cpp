// The neighbourhood filters on a 1024 x 1024 grey picture, each beside its step-by-step form
// (ipdib/reference/) in the same run: a 5 x 5 convolution into an array, the 7 x 7 local mean
// and standard deviation, a 3 x 3 erosion of a black-and-white picture, and the 180 x 512 line
// accumulator of an edge picture.  Without arguments it runs every case a few times and ends
// with a table of the medians and the ratios of the step-by-step form's time to the fast one's.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "bench/MedianTable.h"
#include "ipdib/IPDib.h"
#include "ipdib/reference/Literal.h"

namespace {

constexpr int kSize = 1024;

enum Filter { CONVOLVE, LOCAL_STATS, ERODE, HOUGH, FILTER_COUNT };
const char* const kFilterNames[] = {"convolution 5 x 5", "local mean and deviation 7 x 7", "erosion 3 x 3",
                                    "line accumulator 180 x 512"};

// A smooth picture with shapes and noise; kind 1 is it thresholded to black and white, kind 2
// its edges (about one pixel in twelve white).
void MakePicture(CIPDib& dib, int nKind) {
    dib.Create(kSize, kSize, 8, nullptr, 0);
    std::mt19937 rng(7);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            double v = 128 + 60 * std::sin(x / 90.0) * std::cos(y / 70.0) + ((x / 128 + y / 160) % 3 == 0 ? 40 : 0) +
                       double(rng() % 21) - 10;
            int p = v < 0 ? 0 : v > 255 ? 255 : int(v);
            if (nKind == 1) p = p < 128 ? 0 : 255;
            if (nKind == 2) p = (x % 97 == 0 || y % 89 == 0 || (x + y) % 211 == 0 || rng() % 40 == 0) ? 255 : 0;
            dib.SetPixel(x, y, p);
        }
}

struct Inputs {
    CIPDib grey, binary, edges;
    std::vector<double> kernel;
    Inputs() {
        MakePicture(grey, 0);
        MakePicture(binary, 1);
        MakePicture(edges, 2);
        std::mt19937 rng(3);
        for (int i = 0; i < 25; ++i) kernel.push_back(i % 4 == 0 ? 1.0 : double(int(rng() % 200)) / 64 - 1.5);
    }
};

Inputs& TheInputs() {
    static Inputs inputs;
    return inputs;
}

void Run(benchmark::State& state, Filter filter, bool bLiteral) {
    Inputs& in = TheInputs();
    std::vector<double> a(size_t(in.grey.m_nRowBytes) * kSize), b(a.size());
    std::vector<int> acc(180 * 512);
    std::vector<BYTE> ones(9, 1);
    CIPDib work;
    for (auto _ : state) {
        switch (filter) {
            case CONVOLVE:
                if (bLiteral) literal::ConvolveToArray(in.grey, in.kernel.data(), 5, a.data());
                else in.grey.ConvolveToArray(in.kernel.data(), 5, a.data());
                break;
            case LOCAL_STATS:
                if (bLiteral) literal::LocalMeanStdRect(in.grey, 7, 7, CRect(0, 0, kSize - 1, kSize - 1), a.data(), b.data());
                else in.grey.LocalMeanStd(7, 7, a.data(), b.data());
                break;
            case ERODE:
                state.PauseTiming();
                work.Copy(in.binary);
                state.ResumeTiming();
                if (bLiteral) literal::Erode(work, ones.data(), 3, 3, 0);
                else work.Erode(ones.data(), 3, 3, 0);
                break;
            default:
                if (bLiteral) literal::HoughLines(in.edges, acc.data(), 512, 180, 0);
                else in.edges.HoughLines(acc.data(), 512, 180, 0);
                break;
        }
        benchmark::DoNotOptimize(a.data());
        benchmark::DoNotOptimize(acc.data());
        benchmark::ClobberMemory();
    }
}

std::string Name(Filter filter, bool bLiteral) { return std::string(kFilterNames[filter]) + (bLiteral ? "/literal" : "/fast"); }

}  // namespace

int main(int argc, char** argv) {
    moro_bench::Initialize(argc, argv);
    for (int f = 0; f < FILTER_COUNT; ++f)
        for (bool bLiteral : {true, false})
            benchmark::RegisterBenchmark(Name(Filter(f), bLiteral).c_str(), Run, Filter(f), bLiteral)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime()
                ->MinTime(0.3);
    moro_bench::CMedianReporter reporter("");
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nMedians in ms on %d x %d; x is the step-by-step form's time over the fast form's.\n", kSize, kSize);
    if (moro_bench::kBuildWarning) std::printf("%s", moro_bench::kBuildWarning);
    std::printf("\n| filter | step by step | fast | x |\n|---|---:|---:|---:|\n");
    for (int f = 0; f < FILTER_COUNT; ++f) {
        double slow = reporter.Find(Name(Filter(f), true)), fast = reporter.Find(Name(Filter(f), false));
        if (slow < 0 || fast < 0) continue;
        std::printf("| %s | %.1f | %.2f | %.1f |\n", kFilterNames[f], slow, fast, slow / fast);
    }
    benchmark::Shutdown();
    return 0;
}
