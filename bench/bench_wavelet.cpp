// A 3-level wavelet decomposition and the reconstruction of a 1024 x 1024 image: WaveletDecompose
// and WaveletReconstruct with each kernel form, beside the step-by-step core (the same
// coefficients bit for bit) on the same extended image, in the same run.
#include <cstdio>
#include <string>
#include <vector>

#include "bench/TransformBench.h"
#include "ipdib/IPDib.h"
#include "ipdib/reference/Literal.h"
#include "platform/Isa.h"

namespace {

constexpr int kSize = 1024, kLevels = 3;

void MakeImage(CIPDib& dib, const char* bank) {
    dib.Create(kSize, kSize, 8);
    unsigned state = 1;
    for (int r = 0; r < kSize; ++r)
        for (int c = 0; c < kSize; ++c) dib.StoredRow(r)[c] = BYTE((state = state * 1103515245u + 12345u) >> 24);
    dib.SetWavelet(bank);
    dib.ComputeWaveletPadding(kLevels);
}

void RunMoro(benchmark::State& state, const char* bank, MoroIsa isa) {
    SetIsa(isa);
    CIPDib dib;
    MakeImage(dib, bank);
    std::vector<double> data(size_t(dib.m_nWaveExtWidth) * dib.m_nWaveExtHeight);
    for (auto _ : state) benchmark::DoNotOptimize(dib.WaveletDecompose(data.data(), kLevels, 1));
    SetIsa(GetBestIsa());
}

// The same work step by step: the extended image, its pixels, the levels through the literal core.
void RunLiteral(benchmark::State& state, const char* bank) {
    CIPDib dib, ext;
    MakeImage(dib, bank);
    std::vector<double> data(size_t(dib.m_nWaveExtWidth) * dib.m_nWaveExtHeight);
    for (auto _ : state) {
        dib.ExtendImage(ext, dib.m_nWavePadX, dib.m_nWavePadY, 1);
        ext.SetWavelet(bank);
        ext.m_nBorderMode = 0;
        for (int r = 0; r < ext.m_nHeight; ++r)
            for (int c = 0; c < ext.m_nWidth; ++c) data[size_t(r) * ext.m_nWidth + c] = ext.StoredRow(r)[c];
        literal::WaveletDecomposeLevels(ext, data.data(), ext.m_nWidth, ext.m_nHeight, kLevels);
    }
}

}  // namespace

int main(int argc, char** argv) {
    moro_bench::Initialize(argc, argv);
    const char* kBanks[] = {"haar", "db4", "bior6.8"};
    std::vector<std::string> names;
    for (const char* bank : kBanks) {
        names.push_back(std::string("decompose ") + bank + " literal");
        benchmark::RegisterBenchmark(names.back().c_str(), RunLiteral, bank)->Unit(benchmark::kMillisecond);
        for (MoroIsa isa : {MORO_ISA_AVX2, MORO_ISA_SCALAR})
            if (IsIsaSupported(isa)) {
                names.push_back(std::string("decompose ") + bank + " " + GetIsaName(isa));
                benchmark::RegisterBenchmark(names.back().c_str(), RunMoro, bank, isa)->Unit(benchmark::kMillisecond);
            }
    }
    moro_bench::CCpuTimeReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nWaveletDecompose of a %d x %d 8-bit image in %d levels (mirror extension): medians of the\n"
                "processor time in ms.\n", kSize, kSize, kLevels);
    for (const char* bank : kBanks) {
        std::vector<std::string> forms;
        for (MoroIsa isa : {MORO_ISA_AVX2, MORO_ISA_SCALAR})
            if (IsIsaSupported(isa)) forms.push_back(std::string("decompose ") + bank + " " + GetIsaName(isa));
        moro_bench::PrintRatios(reporter, std::string("decompose ") + bank + " literal", forms, "");
    }
    benchmark::Shutdown();
    return 0;
}
