// CPR files: SaveCpr and LoadCpr of 2048 x 2048 pictures, grey and in three colour planes, at
// scale 50, on every kernel this processor has, beside libjpeg-turbo doing the same job in the
// same run: baseline coding with the standard luminance tables for every plane (50 is their
// quality-50 scaling), the accurate integer DCT, a restart marker after every row of blocks,
// colour as three full-size planes without colour conversion, the file written or read whole.
// Speeds are in Mpx/s (10^6 pixels a second).  Without arguments it runs every case a few times
// and ends with two tables of the medians and the ratios of libjpeg-turbo's speed to MORO's: from
// the wall times, and from the processor times.
#include <benchmark/benchmark.h>
#include <jpeglib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "bench/MedianTable.h"
#include "cpr/CprIsa.h"
#include "dib/Dib.h"

namespace {

constexpr int kSize = 2048;
constexpr int kScale = 50;

// Something like a photograph: a lit gradient, soft blobs, hard-edged shapes, a patch of fine
// texture and a little sensor noise.  The three colours differ in their weights.
void MakePicture(CDib& dib, int bits) {
    dib.Create(kSize, kSize, bits, nullptr, 0);
    uint32_t s = 1;
    for (int y = 0; y < kSize; ++y) {
        BYTE* row = dib.StoredRow(y);
        for (int x = 0; x < kSize; ++x) {
            double base = 60 + 90.0 * y / kSize + 30 * std::sin(x / 300.0);
            double dx = x - 700.0, dy = y - 900.0, ex = x - 1500.0, ey = y - 600.0;
            double blobs = 70 * std::exp(-(dx * dx + dy * dy) / 90000.0) - 50 * std::exp(-(ex * ex + ey * ey) / 40000.0);
            double shapes = ((x / 256 + y / 320) % 3 == 0 ? 35 : 0) + ((x - 1200) * (x - 1200) + (y - 1500) * (y - 1500) < 200 * 200 ? -45 : 0);
            double texture = x > 1400 && y > 1200 ? 18 * std::sin(x * 0.9) * std::cos(y * 0.7) : 0;
            for (int c = 0; c < bits / 8; ++c) {
                s = s * 1664525u + 1013904223u;
                double v = base * (1.0 - 0.15 * c) + blobs * (c == 1 ? 0.6 : 1.0) + shapes + texture + double(s >> 30) - 1.5;
                row[x * (bits / 8) + c] = BYTE(std::clamp(int(v), 0, 255));
            }
        }
    }
}

std::string TempPath(const char* name) { return (std::filesystem::temp_directory_path() / name).string(); }

std::vector<BYTE> ReadFile(const std::string& path) {
    std::vector<BYTE> bytes(std::filesystem::file_size(path));
    FILE* f = std::fopen(path.c_str(), "rb");
    if (f) {
        bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
        std::fclose(f);
    }
    return bytes;
}

// ---- libjpeg-turbo ----

void JpegSave(const CDib& dib, const std::string& path) {
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* mem = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &mem, &size);
    bool colour = dib.m_nBitCount == 24;
    c.image_width = JDIMENSION(dib.m_nWidth);
    c.image_height = JDIMENSION(dib.m_nHeight);
    c.input_components = colour ? 3 : 1;
    c.in_color_space = colour ? JCS_EXT_BGR : JCS_GRAYSCALE;
    jpeg_set_defaults(&c);
    if (colour) jpeg_set_colorspace(&c, JCS_RGB);  // three planes, each with table 0
    jpeg_set_quality(&c, kScale, TRUE);
    c.dct_method = JDCT_ISLOW;
    c.restart_in_rows = 1;
    jpeg_start_compress(&c, TRUE);
    std::vector<JSAMPROW> rows(size_t(dib.m_nHeight));
    for (int y = 0; y < dib.m_nHeight; ++y) rows[size_t(y)] = const_cast<BYTE*>(dib.StoredRow(y));
    while (c.next_scanline < c.image_height)
        jpeg_write_scanlines(&c, rows.data() + c.next_scanline, c.image_height - c.next_scanline);
    jpeg_finish_compress(&c);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f) {
        std::fwrite(mem, 1, size, f);
        std::fclose(f);
    }
    std::free(mem);
    jpeg_destroy_compress(&c);
}

// Decodes the file into a fresh buffer, as a load makes a fresh image.
void JpegLoad(const std::string& path, bool colour) {
    std::vector<BYTE> file = ReadFile(path);
    jpeg_decompress_struct d;
    jpeg_error_mgr err;
    d.err = jpeg_std_error(&err);
    jpeg_create_decompress(&d);
    jpeg_mem_src(&d, file.data(), (unsigned long)file.size());
    jpeg_read_header(&d, TRUE);
    d.dct_method = JDCT_ISLOW;
    d.out_color_space = colour ? JCS_EXT_BGR : JCS_GRAYSCALE;
    jpeg_start_decompress(&d);
    size_t stride = size_t(d.output_width) * size_t(d.output_components);
    BYTE* pixels = static_cast<BYTE*>(std::malloc(stride * d.output_height));
    std::vector<JSAMPROW> rows(d.output_height);
    for (size_t y = 0; y < rows.size(); ++y) rows[y] = pixels + y * stride;
    while (d.output_scanline < d.output_height)
        jpeg_read_scanlines(&d, rows.data() + d.output_scanline, d.output_height - d.output_scanline);
    jpeg_finish_decompress(&d);
    jpeg_destroy_decompress(&d);
    benchmark::DoNotOptimize(pixels);
    std::free(pixels);
}

// ---- the cases ----

enum Operation { SAVE, LOAD };
const char* const kOperationNames[] = {"SaveCpr", "LoadCpr"};
const char* const kPictureNames[] = {"grey", "colour planes"};

std::string Name(Operation op, int colour, const char* form) {
    return std::string(kOperationNames[op]) + "/" + kPictureNames[colour] + "/" + form;
}

// form: a kernel name, or "libjpeg-turbo".
void Run(benchmark::State& state, Operation op, int colour, const char* form) {
    bool jpeg = std::strcmp(form, "libjpeg-turbo") == 0;
    for (CprIsa isa : {CPR_ISA_SCALAR, CPR_ISA_AVX2})
        if (std::strcmp(form, GetCprIsaName(isa)) == 0) SetCprIsa(isa);
    CDib dib;
    MakePicture(dib, colour ? 24 : 8);
    std::string path = TempPath(jpeg ? "moro-bench.jpg" : "moro-bench.cpr");
    if (jpeg)
        JpegSave(dib, path);
    else
        dib.SaveCpr(path.c_str(), kScale, colour);
    CDib loaded;
    for (auto _ : state) {
        if (op == SAVE && jpeg) JpegSave(dib, path);
        if (op == SAVE && !jpeg) benchmark::DoNotOptimize(dib.SaveCpr(path.c_str(), kScale, colour));
        if (op == LOAD && jpeg) JpegLoad(path, colour);
        if (op == LOAD && !jpeg) benchmark::DoNotOptimize(loaded.LoadCpr(path.c_str()));
    }
    state.counters["Mpx/s"] = benchmark::Counter(double(kSize) * kSize / 1e6 * double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["file %"] = 100.0 * double(std::filesystem::file_size(path)) / (double(kSize) * kSize * (colour ? 3 : 1));
    std::remove(path.c_str());
}

// A row per operation and picture: libjpeg-turbo's speed, then each kernel's and the ratio.
template <class Find>
void PrintRows(Find find, const std::vector<const char*>& kernels) {
    std::printf("\n| operation | picture | libjpeg-turbo |");
    for (const char* k : kernels) std::printf(" %s | x |", k);
    std::printf("\n|---|---|---:|");
    for (size_t i = 0; i < kernels.size(); ++i) std::printf("---:|---:|");
    std::printf("\n");
    for (int op = SAVE; op <= LOAD; ++op)
        for (int colour = 0; colour <= 1; ++colour) {
            double base = find(Name(Operation(op), colour, "libjpeg-turbo"));
            if (base < 0) continue;
            std::printf("| %s | %s | %.0f |", kOperationNames[op], kPictureNames[colour], base);
            for (const char* k : kernels) {
                double v = find(Name(Operation(op), colour, k));
                if (v < 0)
                    std::printf(" | |");
                else
                    std::printf(" %.0f | %.2f |", v, base / v);
            }
            std::printf("\n");
        }
}

void PrintTable(const moro_bench::CMedianReporter& results, const std::vector<const char*>& kernels) {
    auto find = [&](const std::string& name) { return results.Find(name); };
    std::printf("\nMedians in Mpx/s; x is libjpeg-turbo's speed over MORO's in this run (MORO's time in\n"
                "libjpeg-turbo's times).\n");
    if (moro_bench::kBuildWarning) std::printf("%s", moro_bench::kBuildWarning);
    PrintRows(find, kernels);
    // Other work on the machine stretches wall times unevenly from case to case; the processor
    // time each case took is the steadier comparison.
    std::printf("\nThe same from the median processor times (Mpx per processor second):\n");
    PrintRows([&](const std::string& name) {
        double ms = results.FindCpu(name);
        return ms > 0 ? double(kSize) * kSize / 1e3 / ms : -1.0;
    }, kernels);
}

}  // namespace

int main(int argc, char** argv) {
    moro_bench::Initialize(argc, argv);

    std::vector<const char*> kernels;
    for (CprIsa isa : {CPR_ISA_AVX2, CPR_ISA_SCALAR})
        if (IsCprIsaSupported(isa)) kernels.push_back(GetCprIsaName(isa));
    std::vector<const char*> forms = {"libjpeg-turbo"};
    forms.insert(forms.end(), kernels.begin(), kernels.end());
    for (int op = SAVE; op <= LOAD; ++op)
        for (int colour = 0; colour <= 1; ++colour)
            for (const char* form : forms)
                benchmark::RegisterBenchmark(Name(Operation(op), colour, form).c_str(), Run, Operation(op), colour, form)
                    ->Unit(benchmark::kMillisecond)
                    ->UseRealTime()
                    ->MinWarmUpTime(0.5)  // until the allocator reuses the images' memory
                    ->MinTime(0.5);
    moro_bench::CMedianReporter reporter("Mpx/s");
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintTable(reporter, kernels);
    SetCprIsa(GetBestCprIsa());
    benchmark::Shutdown();
    return 0;
}
