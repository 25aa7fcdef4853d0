// The two-dimensional FFT step by step: every row through FFT1D, then every column through
// scratch arrays.
#include <cstdlib>

#include "ipdib/reference/Literal.h"

namespace literal {

int FFT2D(double* re, double* im, int nWidth, int nHeight, int nDirection) {
    double* colRe = static_cast<double*>(malloc(sizeof(double) * nHeight));
    double* colIm = static_cast<double*>(malloc(sizeof(double) * nHeight));
    if (!colRe || !colIm) {
        free(colRe);
        free(colIm);
        return 0;
    }
    for (int r = 0; r < nHeight; ++r)
        FFT1D(re + size_t(r) * nWidth, im + size_t(r) * nWidth, nWidth, nDirection);
    for (int c = 0; c < nWidth; ++c) {
        for (int r = 0; r < nHeight; ++r) {
            colRe[r] = re[size_t(r) * nWidth + c];
            colIm[r] = im[size_t(r) * nWidth + c];
        }
        FFT1D(colRe, colIm, nHeight, nDirection);
        for (int r = 0; r < nHeight; ++r) {
            re[size_t(r) * nWidth + c] = colRe[r];
            im[size_t(r) * nWidth + c] = colIm[r];
        }
    }
    free(colRe);
    free(colIm);
    return 1;
}

}  // namespace literal
