#include "platform/Isa.h"

namespace {
// -1 until the first use picks the best one.
int g_nIsa = -1;
}  // namespace

bool IsIsaSupported(MoroIsa isa) {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_cpu_init();
    switch (isa) {
        case MORO_ISA_SCALAR: return true;
        case MORO_ISA_AVX2: return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
        case MORO_ISA_AVX512:
            return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                   __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512dq") &&
                   __builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("avx512vbmi2");
    }
    return false;
#else
    return isa == MORO_ISA_SCALAR;
#endif
}

MoroIsa GetBestIsa() {
    if (IsIsaSupported(MORO_ISA_AVX512)) return MORO_ISA_AVX512;
    if (IsIsaSupported(MORO_ISA_AVX2)) return MORO_ISA_AVX2;
    return MORO_ISA_SCALAR;
}

MoroIsa GetIsa() {
    if (g_nIsa < 0) g_nIsa = GetBestIsa();
    return MoroIsa(g_nIsa);
}

bool SetIsa(MoroIsa isa) {
    if (!IsIsaSupported(isa)) return false;
    g_nIsa = isa;
    return true;
}

const char* GetIsaName(MoroIsa isa) {
    switch (isa) {
        case MORO_ISA_SCALAR: return "scalar";
        case MORO_ISA_AVX2: return "avx2";
        case MORO_ISA_AVX512: return "avx512";
    }
    return "?";
}
