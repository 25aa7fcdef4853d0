// CPR files: SaveCpr and LoadCpr of a 2048 x 2048 8-bit picture, in MB/s of image bytes (2^20
// bytes a megabyte), beside SaveBmp and LoadBmp of the same image as the baseline of plain file
// traffic.  Files go to the system's temporary folder.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

#include "dib/Dib.h"

namespace {

constexpr int kSize = 2048;

// Smooth shapes with edges and a little noise, like a photograph more than like noise.
void MakePicture(CDib& dib) {
    dib.Create(kSize, kSize, 8, nullptr, 0);
    uint32_t s = 1;
    for (int y = 0; y < kSize; ++y) {
        BYTE* row = dib.StoredRow(y);
        for (int x = 0; x < kSize; ++x) {
            s = s * 1664525u + 1013904223u;
            double v = 128 + 70 * std::sin(x / 37.0) * std::cos(y / 23.0) + ((x / 256 + y / 256) % 2 ? 40 : -40);
            row[x] = BYTE(std::clamp(int(v) + int(s >> 29) - 4, 0, 255));
        }
    }
}

std::string TempPath(const char* name) { return (std::filesystem::temp_directory_path() / name).string(); }

void Report(benchmark::State& state, const CDib& dib) {
    state.counters["MB"] = benchmark::Counter(double(dib.m_nImageSize) / 1048576.0, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_SaveCpr(benchmark::State& state) {
    CDib dib;
    MakePicture(dib);
    std::string path = TempPath("moro-bench.cpr");
    for (auto _ : state) benchmark::DoNotOptimize(dib.SaveCpr(path.c_str(), short(state.range(0)), FALSE));
    Report(state, dib);
    std::remove(path.c_str());
}

void BM_LoadCpr(benchmark::State& state) {
    CDib dib, loaded;
    MakePicture(dib);
    std::string path = TempPath("moro-bench-load.cpr");
    dib.SaveCpr(path.c_str(), short(state.range(0)), FALSE);
    for (auto _ : state) benchmark::DoNotOptimize(loaded.LoadCpr(path.c_str()));
    Report(state, dib);
    state.counters["ratio"] = double(std::filesystem::file_size(path)) / double(dib.m_nImageSize);
    std::remove(path.c_str());
}

void BM_SaveBmp(benchmark::State& state) {
    CDib dib;
    MakePicture(dib);
    std::string path = TempPath("moro-bench.bmp");
    for (auto _ : state) benchmark::DoNotOptimize(dib.SaveBmp(path.c_str()));
    Report(state, dib);
    std::remove(path.c_str());
}

void BM_LoadBmp(benchmark::State& state) {
    CDib dib, loaded;
    MakePicture(dib);
    std::string path = TempPath("moro-bench-load.bmp");
    dib.SaveBmp(path.c_str());
    for (auto _ : state) benchmark::DoNotOptimize(loaded.LoadBmp(path.c_str()));
    Report(state, dib);
    std::remove(path.c_str());
}

}  // namespace

BENCHMARK(BM_SaveBmp)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadBmp)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveCpr)->Arg(50)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadCpr)->Arg(50)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
