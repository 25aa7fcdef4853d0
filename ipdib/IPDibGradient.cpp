// Gradient magnitude and direction from two difference kernels, over the whole image or a
// rectangle, through the convolution (so the border mode and the kernel orientation apply).
#include <cmath>
#include <cstdlib>

#include "ipdib/FilterInternal.h"

namespace {

// Kernel element (dx + 1) * 3 + (dy + 1): a = the pixel minus the one above it, b = the pixel
// minus the one to its left.
void DifferenceKernels(double (&vertical)[9], double (&horizontal)[9]) {
    for (int i = 0; i < 9; ++i) vertical[i] = horizontal[i] = 0.0;
    vertical[3] = -1.0;    // dx 0, dy -1
    vertical[4] = 1.0;
    horizontal[1] = -1.0;  // dx -1, dy 0
    horizontal[4] = 1.0;
}

// The sums start from +0.0, so a difference of 0 is never -0.0 and b / a gives +-pi/2 by the
// sign of b alone.  Where both are 0 the direction is undefined; it is stored as 0.
void Combine(const double* a, const double* b, size_t nStride, int nWidth, int nHeight, double* lpMagnitude,
             double* lpDirection) {
    for (int r = 0; r < nHeight; ++r)
        for (int x = 0; x < nWidth; ++x) {
            size_t i = size_t(r) * nStride + size_t(x);
            lpMagnitude[i] = std::sqrt(a[i] * a[i] + b[i] * b[i]);
            lpDirection[i] = a[i] == 0 && b[i] == 0 ? 0.0 : std::atan(b[i] / a[i]);
        }
}

// The two differences, by convolve(kernel, array), into working arrays of nStride x nHeight.
template <class Convolve>
void GradientOf(CIPDib& dib, size_t nStride, int nWidth, int nHeight, double* lpMagnitude, double* lpDirection,
                Convolve convolve) {
    size_t nCount = nStride * size_t(nHeight);
    double* a = dib.AllocWork<double>(nCount);
    if (!a) return;
    double* b = dib.AllocWork<double>(nCount);
    if (!b) {
        free(a);
        return;
    }
    double vertical[9], horizontal[9];
    DifferenceKernels(vertical, horizontal);
    convolve(vertical, a);
    convolve(horizontal, b);
    Combine(a, b, nStride, nWidth, nHeight, lpMagnitude, lpDirection);
    free(a);
    free(b);
}

}  // namespace

void CIPDib::Gradient(double* lpMagnitude, double* lpDirection) {
    if (!ipdib::IsFilterable(*this) || !lpMagnitude || !lpDirection) return;
    GradientOf(*this, size_t(m_nRowBytes), m_nWidth, m_nHeight, lpMagnitude, lpDirection,
               [&](double* lpKernel, double* lpOut) { ConvolveToArray(lpKernel, 3, lpOut); });
}

void CIPDib::GradientRect(const CRect& rect, double* lpMagnitude, double* lpDirection) {
    if (!ipdib::IsFilterable(*this) || !lpMagnitude || !lpDirection || !ipdib::RectInImage(*this, rect)) return;
    int nWidth = rect.right - rect.left + 1, nHeight = rect.bottom - rect.top + 1;
    GradientOf(*this, size_t(nWidth), nWidth, nHeight, lpMagnitude, lpDirection,
               [&](double* lpKernel, double* lpOut) { ConvolveRectToArray(lpKernel, 3, rect, lpOut); });
}
