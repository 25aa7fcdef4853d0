#include "cipher/Isa.h"

#include "cipher/Kernels.h"

namespace {
bool Detect(CipherIsa isa) {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_cpu_init();
    switch (isa) {
        case CIPHER_ISA_SCALAR: return true;
        case CIPHER_ISA_AVX2: return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
        case CIPHER_ISA_AVX512:
            return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                   __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512dq") &&
                   __builtin_cpu_supports("avx512vbmi") &&
                   __builtin_cpu_supports("avx512vbmi2");
    }
    return false;
#else
    return isa == CIPHER_ISA_SCALAR;
#endif
}

// -1 until the first use picks the best one.
int g_nIsa = -1;
}  // namespace

bool IsCipherIsaSupported(CipherIsa isa) {
    if (isa == CIPHER_ISA_AVX2 && !cipher::GetAvx2Kernels()) return false;
    if (isa == CIPHER_ISA_AVX512 && !cipher::GetAvx512Kernels()) return false;
    return Detect(isa);
}

CipherIsa GetBestCipherIsa() {
    if (IsCipherIsaSupported(CIPHER_ISA_AVX512)) return CIPHER_ISA_AVX512;
    if (IsCipherIsaSupported(CIPHER_ISA_AVX2)) return CIPHER_ISA_AVX2;
    return CIPHER_ISA_SCALAR;
}

CipherIsa GetCipherIsa() {
    if (g_nIsa < 0) g_nIsa = GetBestCipherIsa();
    return CipherIsa(g_nIsa);
}

bool SetCipherIsa(CipherIsa isa) {
    if (!IsCipherIsaSupported(isa)) return false;
    g_nIsa = isa;
    return true;
}

const char* GetCipherIsaName(CipherIsa isa) {
    switch (isa) {
        case CIPHER_ISA_SCALAR: return "scalar";
        case CIPHER_ISA_AVX2: return "avx2";
        case CIPHER_ISA_AVX512: return "avx512";
    }
    return "?";
}

namespace cipher {
const Kernels& ActiveKernels() {
    switch (GetCipherIsa()) {
        case CIPHER_ISA_AVX512: return *GetAvx512Kernels();
        case CIPHER_ISA_AVX2: return *GetAvx2Kernels();
        default: return GetScalarKernels();
    }
}
}  // namespace cipher
