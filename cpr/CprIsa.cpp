#include "cpr/CprIsa.h"

#include "cpr/Codec.h"

namespace {
// -1 until the first use picks the best one.
int g_nIsa = -1;
}  // namespace

bool IsCprIsaSupported(CprIsa isa) {
    switch (isa) {
        case CPR_ISA_SCALAR: return true;
        case CPR_ISA_AVX2:
#if defined(__x86_64__)
            __builtin_cpu_init();
            return cpr::GetAvx2Kernels() != nullptr && __builtin_cpu_supports("avx2");
#else
            return false;
#endif
    }
    return false;
}

CprIsa GetBestCprIsa() { return IsCprIsaSupported(CPR_ISA_AVX2) ? CPR_ISA_AVX2 : CPR_ISA_SCALAR; }

CprIsa GetCprIsa() {
    if (g_nIsa < 0) g_nIsa = GetBestCprIsa();
    return CprIsa(g_nIsa);
}

bool SetCprIsa(CprIsa isa) {
    if (!IsCprIsaSupported(isa)) return false;
    g_nIsa = isa;
    return true;
}

const char* GetCprIsaName(CprIsa isa) {
    switch (isa) {
        case CPR_ISA_SCALAR: return "scalar";
        case CPR_ISA_AVX2: return "avx2";
    }
    return "?";
}

namespace cpr {
const Kernels& ActiveKernels() {
    if (GetCprIsa() == CPR_ISA_AVX2) return *GetAvx2Kernels();
    return GetScalarKernels();
}
}  // namespace cpr
