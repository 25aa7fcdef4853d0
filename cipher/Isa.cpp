#include "cipher/Isa.h"

#include "cipher/Kernels.h"

bool IsCipherIsaSupported(CipherIsa isa) {
    if (isa == CIPHER_ISA_AVX2 && !cipher::GetAvx2Kernels()) return false;
    if (isa == CIPHER_ISA_AVX512 && !cipher::GetAvx512Kernels()) return false;
    return IsIsaSupported(isa);
}

CipherIsa GetBestCipherIsa() {
    if (IsCipherIsaSupported(CIPHER_ISA_AVX512)) return CIPHER_ISA_AVX512;
    if (IsCipherIsaSupported(CIPHER_ISA_AVX2)) return CIPHER_ISA_AVX2;
    return CIPHER_ISA_SCALAR;
}

bool SetCipherIsa(CipherIsa isa) { return IsCipherIsaSupported(isa) && SetIsa(isa); }

namespace cipher {
const Kernels& ActiveKernels() {
    CipherIsa isa = GetCipherIsa();
    if (isa == CIPHER_ISA_AVX512 && GetAvx512Kernels()) return *GetAvx512Kernels();
    if (isa >= CIPHER_ISA_AVX2 && GetAvx2Kernels()) return *GetAvx2Kernels();
    return GetScalarKernels();
}
}  // namespace cipher
