// The whole security analysis of a 512 x 512 image (its 58 encryptions, 5 decryptions and every
// measure; the speed test left out, since it is a timing of its own), beside the encryptions
// alone: the ratio says what the measures cost on top of the cipher.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "bench/MedianTable.h"
#include "platform/Rand.h"
#include "security/Analysis.h"

namespace {

constexpr int kSide = 512;
constexpr int kEncryptions = 1 + 3 + 50 + 4;  // cipher, differential, flipped keys

void MakePlain(CDib& dib) {
    dib.Create(kSide, kSide, 8, nullptr, 0);
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) dib.SetPixel(x, y, (3 * x + 5 * y) / 7 % 256);
}

KeyFile Run() {
    crt::srand(1);
    KeyState key;
    InitKey(key);
    KeyFile run = KeyFileNow(key, true, 1);
    run.steps = {STEP_STREAM};
    return run;
}

void WholeAnalysis(benchmark::State& state) {
    CDib plain;
    MakePlain(plain);
    const KeyFile run = Run();
    AnalysisOptions options;
    options.nSampleSeed = 1;
    options.nSpeedFrames = 0;
    for (auto _ : state) {
        AnalysisResult r;
        std::string error;
        benchmark::DoNotOptimize(RunAnalysis(plain, run, options, r, error));
    }
}

void EncryptionsAlone(benchmark::State& state) {
    CDib plain, work;
    MakePlain(plain);
    work.Copy(plain);
    const KeyFile run = Run();
    for (auto _ : state) {
        for (int i = 0; i < kEncryptions; ++i) {
            KeyState key = run.key;
            EncryptStream(key, work);
        }
        benchmark::DoNotOptimize(work.m_lpBits[0]);
    }
}

}  // namespace

BENCHMARK(WholeAnalysis)->Unit(benchmark::kMillisecond);
BENCHMARK(EncryptionsAlone)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    moro_bench::Initialize(argc, argv);
    moro_bench::CMedianReporter reporter("");
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double whole = reporter.Find("WholeAnalysis"), alone = reporter.Find("EncryptionsAlone");
    if (whole > 0 && alone > 0)
        std::printf("\nwhole analysis of 512 x 512: %.1f ms (median), %.1f times its %d encryptions alone\n", whole, whole / alone,
                    kEncryptions);
    benchmark::Shutdown();
    return 0;
}
