// The FFT and wavelet kernels for any x86-64 processor (the compiler's default instruction set).
#include "ipdib/KernelsInternal.h"

namespace ipdib {

const TransformKernels& ScalarTransformKernels() {
    static const TransformKernels k = {FftLanesBody, ConvolveLanesBody};
    return k;
}

}  // namespace ipdib
