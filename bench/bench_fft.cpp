// The two-dimensional FFT of a 1024 x 1024 image: FFT2 with each kernel form, beside the
// step-by-step form (the same spectrum bit for bit) and FFTW's complex 2-D transform of the same
// size, in the same run.  FFTW is a baseline here only: MORO never links it.
#include <fftw3.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/TransformBench.h"
#include "ipdib/IPDib.h"
#include "ipdib/reference/Literal.h"
#include "platform/Isa.h"

namespace {

constexpr int kSize = 1024;

void MakeImage(CIPDib& dib) {
    dib.Create(kSize, kSize, 8);
    unsigned state = 1;
    for (int r = 0; r < kSize; ++r)
        for (int c = 0; c < kSize; ++c) dib.StoredRow(r)[c] = BYTE((state = state * 1103515245u + 12345u) >> 24);
}

// FFT2(1) written out step by step: padded arrays, the transform, the extremes.
void LiteralFft2(CIPDib& dib, std::vector<double>& re, std::vector<double>& im) {
    re.assign(size_t(kSize) * kSize, 0.0);
    im.assign(size_t(kSize) * kSize, 0.0);
    for (int r = 0; r < kSize; ++r)
        for (int c = 0; c < kSize; ++c) re[size_t(r) * kSize + c] = dib.StoredRow(r)[c];
    literal::FFT2D(re.data(), im.data(), kSize, kSize, 1);
    double magMax = 0, magMin = 0;
    for (size_t i = 0; i < re.size(); ++i) {
        double mag = std::sqrt(re[i] * re[i] + im[i] * im[i]);
        if (!i || mag > magMax) magMax = mag;
        if (!i || mag < magMin) magMin = mag;
    }
    benchmark::DoNotOptimize(magMax + magMin);
}

void RunMoro(benchmark::State& state, MoroIsa isa) {
    SetIsa(isa);
    CIPDib dib;
    MakeImage(dib);
    dib.FFT2(1);  // the spectrum's arrays exist before the timing, as FFTW's do
    for (auto _ : state) benchmark::DoNotOptimize(dib.FFT2(1));
    SetIsa(GetBestIsa());
}

void RunLiteral(benchmark::State& state) {
    CIPDib dib;
    MakeImage(dib);
    std::vector<double> re, im;
    for (auto _ : state) LiteralFft2(dib, re, im);
}

void RunFftw(benchmark::State& state) {
    CIPDib dib;
    MakeImage(dib);
    fftw_complex* data = fftw_alloc_complex(size_t(kSize) * kSize);
    fftw_plan plan = fftw_plan_dft_2d(kSize, kSize, data, data, FFTW_FORWARD, FFTW_MEASURE);
    for (auto _ : state) {
        state.PauseTiming();
        for (int r = 0; r < kSize; ++r)
            for (int c = 0; c < kSize; ++c) {
                data[size_t(r) * kSize + c][0] = dib.StoredRow(r)[c];
                data[size_t(r) * kSize + c][1] = 0;
            }
        state.ResumeTiming();
        fftw_execute(plan);
    }
    fftw_destroy_plan(plan);
    fftw_free(data);
}

}  // namespace

int main(int argc, char** argv) {
    moro_bench::Initialize(argc, argv);
    std::vector<std::string> forms;
    for (MoroIsa isa : {MORO_ISA_AVX2, MORO_ISA_SCALAR})
        if (IsIsaSupported(isa)) {
            forms.push_back(std::string("FFT2 ") + GetIsaName(isa));
            benchmark::RegisterBenchmark(forms.back().c_str(), RunMoro, isa)->Unit(benchmark::kMillisecond);
        }
    benchmark::RegisterBenchmark("FFT2 literal", RunLiteral)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("FFTW dft_2d", RunFftw)->Unit(benchmark::kMillisecond);
    moro_bench::CCpuTimeReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nForward FFT of a %d x %d 8-bit image: medians of the processor time in ms.  FFTW: its\n"
                "complex 2-D transform of the same size, planned with FFTW_MEASURE, the input copied in\n"
                "outside the timing.\n", kSize, kSize);
    moro_bench::PrintRatios(reporter, "FFT2 literal", forms, "FFTW dft_2d");
    benchmark::Shutdown();
    return 0;
}
