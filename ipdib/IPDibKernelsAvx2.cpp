// The FFT and wavelet kernels compiled for AVX2 (an eight-double vector is two registers), and
// the choice between the forms.  Only called when the processor has AVX2.
#include "ipdib/TransformInternal.h"

#if defined(__x86_64__)
// clang, which builds the sanitizer and fuzz builds, takes the target as a function attribute.
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif
#define MORO_KERNEL_VEC 4
#include "ipdib/KernelsInternal.h"
#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif
#endif

namespace ipdib {

const TransformKernels& ScalarTransformKernels();

const TransformKernels& GetTransformKernels(MoroIsa isa) {
#if defined(__x86_64__)
    static const TransformKernels avx2 = {FftLanesBody,    ConvolveLanesBody,  RowsToLanesBody,
                                          LanesToRowsBody, LanesToColumnsBody, ExtremesBody};
    if (isa != MORO_ISA_SCALAR && IsIsaSupported(MORO_ISA_AVX2)) return avx2;
#endif
    return ScalarTransformKernels();
}

const TransformKernels& GetTransformKernels() { return GetTransformKernels(GetIsa()); }

}  // namespace ipdib
