// The cipher's speed: each operation in its literal form and in the fast form on every kernel this
// processor has, side by side, in Mbps counted as the speed test counts them (rows' bits, 2^20 bits
// a megabit).  Without arguments it runs every case a few times and ends with a table of the
// medians and the fast forms' ratios to the literal form, then one of decryption beside encryption
// on each kernel; Google Benchmark's usual flags work too.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "bench/MedianTable.h"
#include "cipher/Cipher.h"
#include "cipher/Isa.h"
#include "cipher/reference/Literal.h"
#include "platform/Rand.h"

namespace {

struct ImageSize {
    const char* name;
    int width, height, bits;
};
const ImageSize kImages[] = {{"256x256x8", 256, 256, 8}, {"1024x1024x24", 1024, 1024, 24}, {"4096x4096x24", 4096, 4096, 24}};

// Whether x falls to the map's fixed point 0.
bool Collapses(WORD x, WORD p) {
    for (int n = 0; n < 65537 && x != 0; ++n) x = ChaoticMap(x, p);
    return x == 0;
}

// A key whose mode-1 index generator runs on, or one whose generator falls to 0 (then only lane 0
// steps) while lane 0 itself runs on.
KeyState MakeKey(bool collapsing) {
    for (unsigned seed = 1;; ++seed) {
        crt::srand(seed);
        KeyState key;
        InitKey(key);
        bool generator = Collapses(key.x0, key.p0);
        if (generator == collapsing && !(generator && Collapses(key.states[0], key.params[0]))) {
            BuildSBox(key.states, key.sbox);
            return key;
        }
    }
}

void FillImage(CDib& dib, const ImageSize& size) {
    dib.Create(size.width, size.height, size.bits, nullptr, 0);
    uint32_t s = 12345;
    size_t n = size_t(dib.m_nHeight) * size_t(dib.m_nRowBytes);
    for (size_t i = 0; i < n; ++i) {
        s = s * 1664525u + 1013904223u;
        dib.m_lpBits[i] = BYTE(s >> 24);
    }
}

enum Operation {
    FRAME_STREAM, FRAME_WHOLE, MODE1, MODE1_COLLAPSED, MODE2, SBOX,
    // Encryption and decryption side by side, each starting from the same key every time as a key
    // file's run does (the ones above let the key run on): every mode, and a run of four steps
    // (stream, subst, frame, frame-stream), which decryption replays before undoing it.
    ENCRYPT_FRAME_STREAM, ENCRYPT_FRAME_WHOLE, ENCRYPT_MODE1, ENCRYPT_MODE2, ENCRYPT_RUN,
    DECRYPT_FRAME_STREAM, DECRYPT_FRAME_WHOLE, DECRYPT_MODE1, DECRYPT_MODE2, DECRYPT_RUN
};
const char* const kOperationNames[] = {
    "frame pass, stream only", "frame pass, whole system", "mode 1, generator runs on",
    "mode 1, generator falls to 0, lane 0 runs on", "mode 2", "BuildSBox",
    "encrypt frame pass, stream only", "encrypt frame pass, whole system", "encrypt mode 1", "encrypt mode 2",
    "encrypt 4 steps", "decrypt frame pass, stream only", "decrypt frame pass, whole system", "decrypt mode 1",
    "decrypt mode 2", "decrypt 4 steps"};
const char* const kPairNames[] = {"frame pass, stream only", "frame pass, whole system", "mode 1, generator runs on",
                                  "mode 2", "stream, subst, frame, frame-stream"};
constexpr int kPairs = DECRYPT_FRAME_STREAM - ENCRYPT_FRAME_STREAM;
const std::vector<CipherStep> kRun = {STEP_STREAM, STEP_SUBST, STEP_FRAME, STEP_FRAME_STREAM};

// "literal" or a kernel name.
void Run(benchmark::State& state, Operation op, const ImageSize* size, const char* form) {
    bool literalForm = std::strcmp(form, "literal") == 0;
    if (!literalForm) {
        for (CipherIsa isa : {CIPHER_ISA_SCALAR, CIPHER_ISA_AVX2, CIPHER_ISA_AVX512})
            if (std::strcmp(form, GetCipherIsaName(isa)) == 0) SetCipherIsa(isa);
    }
    KeyState key = MakeKey(op == MODE1_COLLAPSED);
    crt::srand(7);
    if (op == SBOX) {
        for (auto _ : state) {
            if (literalForm)
                literal::BuildSBox(key.states, key.sbox);
            else
                BuildSBox(key.states, key.sbox);
            benchmark::DoNotOptimize(key.sbox);
            key.states[key.sbox[0]] ^= 1;  // a fresh ranking each time
        }
        return;
    }
    CDib dib;
    FillImage(dib, *size);
    // Decryptions, and the run they are measured beside, start from the same key each time, as a
    // run's key file has it; the copy is part of what they cost.
    const KeyState start = key;
    KeyState k;
    auto fresh = [&]() -> KeyState& {
        k = start;
        crt::SetRandState(7);
        return k;
    };
    for (auto _ : state) {
        switch (op) {
            case ENCRYPT_FRAME_STREAM: EncryptFrame(fresh(), dib, true); break;
            case ENCRYPT_FRAME_WHOLE: EncryptFrame(fresh(), dib, false); break;
            case ENCRYPT_MODE1: EncryptStream(fresh(), dib); break;
            case ENCRYPT_MODE2: EncryptSubst(fresh(), dib); break;
            case ENCRYPT_RUN:
                fresh();
                for (CipherStep step : kRun) EncryptStep(k, dib, step);
                break;
            case DECRYPT_FRAME_STREAM: DecryptFrame(fresh(), dib, true); break;
            case DECRYPT_FRAME_WHOLE: DecryptFrame(fresh(), dib, false); break;
            case DECRYPT_MODE1: DecryptStream(fresh(), dib); break;
            case DECRYPT_MODE2: DecryptSubst(fresh(), dib); break;
            case DECRYPT_RUN: DecryptSteps(start, 7, kRun, dib); break;
            case FRAME_STREAM: literalForm ? literal::EncryptFrame(key, dib, true) : EncryptFrame(key, dib, true); break;
            case FRAME_WHOLE: literalForm ? literal::EncryptFrame(key, dib, false) : EncryptFrame(key, dib, false); break;
            case MODE1:
            case MODE1_COLLAPSED: literalForm ? literal::EncryptStream(key, dib) : EncryptStream(key, dib); break;
            case MODE2: literalForm ? literal::EncryptSubst(key, dib) : EncryptSubst(key, dib); break;
            default: break;
        }
        benchmark::ClobberMemory();
    }
    state.counters["Mbps"] = benchmark::Counter(FrameBits(dib) / 1048576.0 * double(state.iterations()),
                                                benchmark::Counter::kIsRate, benchmark::Counter::kIs1024);
}

std::string Name(Operation op, const ImageSize* size, const char* form) {
    return std::string(kOperationNames[op]) + "/" + (size ? size->name : "-") + "/" + form;
}

// Decryption beside the encryption it undoes, per kernel, in Mbps.
void PrintDecryptionTable(const moro_bench::CMedianReporter& results, const std::vector<const char*>& kernels) {
    std::printf("\nDecryption beside encryption (medians, Mbps); d/e is decryption over encryption.\n\n");
    std::printf("| operation | image |");
    for (const char* k : kernels) std::printf(" %s encrypt | decrypt | d/e |", k);
    std::printf("\n|---|---|");
    for (size_t i = 0; i < kernels.size(); ++i) std::printf("---:|---:|---:|");
    std::printf("\n");
    for (int i = 0; i < kPairs; ++i) {
        const Operation enc = Operation(ENCRYPT_FRAME_STREAM + i), dec = Operation(DECRYPT_FRAME_STREAM + i);
        for (const ImageSize& size : kImages) {
            std::printf("| %s | %s |", kPairNames[i], size.name);
            for (const char* k : kernels) {
                double e = results.Find(Name(enc, &size, k)), d = results.Find(Name(dec, &size, k));
                if (e < 0 || d < 0)
                    std::printf(" | | |");
                else
                    std::printf(" %.0f | %.0f | %.2f |", e, d, d / e);
            }
            std::printf("\n");
        }
    }
}

void PrintTable(const moro_bench::CMedianReporter& results, const std::vector<const char*>& kernels) {
    auto find = [&](const std::string& name) { return results.Find(name); };
    std::printf("\nMedians; fast/literal is the ratio in this run (for BuildSBox, times in us).\n");
    if (moro_bench::kBuildWarning) std::printf("%s", moro_bench::kBuildWarning);
    std::printf("\n");
    std::printf("| operation | image | literal |");
    for (const char* k : kernels) std::printf(" %s | x |", k);
    std::printf("\n|---|---|---:|");
    for (size_t i = 0; i < kernels.size(); ++i) std::printf("---:|---:|");
    std::printf("\n");
    for (int op = FRAME_STREAM; op <= SBOX; ++op) {
        for (const ImageSize& size : kImages) {
            const ImageSize* s = op == SBOX ? nullptr : &size;
            double lit = find(Name(Operation(op), s, "literal"));
            if (lit < 0) continue;
            if (op == SBOX)
                std::printf("| %s | - | %.1f us |", kOperationNames[op], lit);
            else
                std::printf("| %s | %s | %.0f |", kOperationNames[op], s->name, lit);
            for (const char* k : kernels) {
                double v = find(Name(Operation(op), s, k));
                if (v < 0)
                    std::printf(" | |");
                else if (op == SBOX)
                    std::printf(" %.2f us | %.0f |", v, lit / v);
                else
                    std::printf(" %.0f | %.1f |", v, v / lit);
            }
            std::printf("\n");
            if (op == SBOX) break;
        }
    }
}
}  // namespace

int main(int argc, char** argv) {
    moro_bench::Initialize(argc, argv);

    std::vector<const char*> kernels;
    for (CipherIsa isa : {CIPHER_ISA_AVX512, CIPHER_ISA_AVX2, CIPHER_ISA_SCALAR})
        if (IsCipherIsaSupported(isa)) kernels.push_back(GetCipherIsaName(isa));
    std::vector<const char*> forms = {"literal"};
    forms.insert(forms.end(), kernels.begin(), kernels.end());

    for (int op = FRAME_STREAM; op <= DECRYPT_RUN; ++op) {
        for (const ImageSize& size : kImages) {
            const ImageSize* s = op == SBOX ? nullptr : &size;
            // Decryption has no literal form: beside it, only the kernels.
            for (const char* form : op > SBOX ? kernels : forms) {
                auto* b = benchmark::RegisterBenchmark(Name(Operation(op), s, form).c_str(), Run, Operation(op), s, form);
                b->Unit(op == SBOX ? benchmark::kMicrosecond : benchmark::kMillisecond)->UseRealTime();
                if (op != SBOX) b->MinTime(0.2);
            }
            if (op == SBOX) break;
        }
    }
    moro_bench::CMedianReporter reporter("Mbps");
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintTable(reporter, kernels);
    PrintDecryptionTable(reporter, kernels);
    SetCipherIsa(GetBestCipherIsa());
    benchmark::Shutdown();
    return 0;
}
