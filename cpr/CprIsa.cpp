#include "cpr/CprIsa.h"

#include "cpr/Codec.h"

bool IsCprIsaSupported(CprIsa isa) {
    if (isa == CPR_ISA_AVX2) return cpr::GetAvx2Kernels() != nullptr && IsIsaSupported(MORO_ISA_AVX2);
    return isa == CPR_ISA_SCALAR;
}

CprIsa GetBestCprIsa() { return IsCprIsaSupported(CPR_ISA_AVX2) ? CPR_ISA_AVX2 : CPR_ISA_SCALAR; }

CprIsa GetCprIsa() { return GetIsa() >= MORO_ISA_AVX2 && IsCprIsaSupported(CPR_ISA_AVX2) ? CPR_ISA_AVX2 : CPR_ISA_SCALAR; }

bool SetCprIsa(CprIsa isa) {
    return IsCprIsaSupported(isa) && SetIsa(isa == CPR_ISA_AVX2 ? MORO_ISA_AVX2 : MORO_ISA_SCALAR);
}

const char* GetCprIsaName(CprIsa isa) { return isa == CPR_ISA_AVX2 ? "avx2" : "scalar"; }

namespace cpr {
const Kernels& ActiveKernels() {
    if (GetCprIsa() == CPR_ISA_AVX2) return *GetAvx2Kernels();
    return GetScalarKernels();
}
}  // namespace cpr
