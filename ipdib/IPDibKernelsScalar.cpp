// The FFT and wavelet kernels for any x86-64 processor (the compiler's default instruction set).
// Two doubles: SSE2, which every x86-64 processor has.
#define MORO_KERNEL_VEC 2
#include "ipdib/KernelsInternal.h"

namespace ipdib {

const TransformKernels& ScalarTransformKernels() {
    static const TransformKernels k = {FftLanesBody,    ConvolveLanesBody,  RowsToLanesBody,
                                       LanesToRowsBody, LanesToColumnsBody, ExtremesBody};
    return k;
}

}  // namespace ipdib
