// Neighbourhood access and convolution with square kernels of doubles, into arrays and into
// pixels.
//
// Every response is the sum, from +0.0, of w x neighbour over the non-zero weights in the
// kernel's own order, and one reordered addition changes a result at an exact half (and with it
// every later random draw).  So the work goes tap by tap over a whole output row: each response
// still receives its terms in the kernel's order, while the inner loop is a plain run of pixels
// with no border test; the few columns whose neighbour lies beyond the edge are done apart.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

#include "dib/ImageMath.h"
#include "platform/Isa.h"
#include "ipdib/FilterInternal.h"

using ipdib::ResolveNeighbour;

namespace {

// Point reflection of the kernel: element i changes place with element n^2 - 1 - i.
void ReverseKernel(double* lpKernel, int n) {
    size_t nCount = size_t(n) * size_t(n);
    for (size_t i = 0; i < nCount / 2; ++i) std::swap(lpKernel[i], lpKernel[nCount - 1 - i]);
}

// lpOut[t] += w x lpSrc[t]: a product, then a sum, never fused (the AVX2 form is not given FMA).
void AddTapPlain(double* lpOut, const BYTE* lpSrc, size_t nCount, double w) {
    for (size_t t = 0; t < nCount; ++t) lpOut[t] += w * double(lpSrc[t]);
}

#if defined(__x86_64__) || defined(__i386__)
__attribute__((target("avx2"))) void AddTapAvx2(double* lpOut, const BYTE* lpSrc, size_t nCount, double w) {
    const __m256d vw = _mm256_set1_pd(w);
    size_t t = 0;
    for (; t + 8 <= nCount; t += 8) {
        __m256i v = _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(lpSrc + t)));
        __m256d lo = _mm256_cvtepi32_pd(_mm256_castsi256_si128(v));
        __m256d hi = _mm256_cvtepi32_pd(_mm256_extracti128_si256(v, 1));
        _mm256_storeu_pd(lpOut + t, _mm256_add_pd(_mm256_loadu_pd(lpOut + t), _mm256_mul_pd(vw, lo)));
        _mm256_storeu_pd(lpOut + t + 4, _mm256_add_pd(_mm256_loadu_pd(lpOut + t + 4), _mm256_mul_pd(vw, hi)));
    }
    for (; t < nCount; ++t) lpOut[t] += w * double(lpSrc[t]);
}
#endif

using AddTapFn = void (*)(double*, const BYTE*, size_t, double);

AddTapFn ChooseAddTap() {
#if defined(__x86_64__) || defined(__i386__)
    if (GetIsa() >= MORO_ISA_AVX2) return AddTapAvx2;
#endif
    return AddTapPlain;
}

// The responses at picture row y, columns x0 .. x1, into lpOut[0 .. x1 - x0].
void ConvolveRow(const CIPDib& dib, const double* lpKernel, int n, int y, int x0, int x1, double* lpOut) {
    const long long W = dib.m_nWidth, H = dib.m_nHeight;
    const int h = n / 2, nMode = dib.m_nBorderMode;
    const size_t nCount = size_t(x1 - x0 + 1);
    const AddTapFn addTap = ChooseAddTap();
    std::fill(lpOut, lpOut + nCount, 0.0);
    for (int i = 0; i < n; ++i) {
        const long long dx = i - h;
        // Columns whose neighbour x + dx lies inside the image.
        const long long ix0 = std::max<long long>(x0, -dx), ix1 = std::min<long long>(x1, W - 1 - dx);
        for (int j = 0; j < n; ++j) {
            const double w = lpKernel[size_t(i) * size_t(n) + size_t(j)];
            if (w == 0) continue;
            const long long ry = ResolveNeighbour(y, j - h, H, nMode);
            if (ry < 0) {
                // The whole row reads 0, which changes no sum unless the weight is not finite.
                if (!std::isfinite(w))
                    for (size_t t = 0; t < nCount; ++t) lpOut[t] += w * 0.0;
                continue;
            }
            const BYTE* row = dib.PictureRow(int(ry));
            auto border = [&](long long x) {
                long long c = ResolveNeighbour(x, dx, W, nMode);
                lpOut[x - x0] += w * double(c >= 0 ? row[c] : 0);
            };
            if (ix0 > ix1) {
                for (long long x = x0; x <= x1; ++x) border(x);
                continue;
            }
            for (long long x = x0; x < ix0; ++x) border(x);
            addTap(lpOut + (ix0 - x0), row + (ix0 + dx), size_t(ix1 - ix0 + 1), w);
            for (long long x = ix1 + 1; x <= x1; ++x) border(x);
        }
    }
}

// Responses of the columns left .. right of picture rows bottom up to top, array row r holding
// picture row bottom - r, nStride elements apart.
void ConvolveRows(const CIPDib& dib, const double* lpKernel, int n, const CRect& rect, double* lpOut, size_t nStride) {
    for (int r = 0; r <= rect.bottom - rect.top; ++r)
        ConvolveRow(dib, lpKernel, n, rect.bottom - r, rect.left, rect.right, lpOut + size_t(r) * nStride);
}

CRect WholeImage(const CDib& dib) { return CRect(0, 0, dib.m_nWidth - 1, dib.m_nHeight - 1); }

// One response as a byte.  Rounding draws at exact halves only; values that are not numbers
// (weights beyond the range of doubles) and an empty range of mode 3 give 0 without a draw.
BYTE MapResponse(double v, int nMode, double dMin, double dMax) {
    switch (nMode) {
        case 0:
            if (v > 255) return 255;
            if (v < 0) return 0;
            break;
        case 1:
            v = std::fabs(v);
            if (v > 255) return 255;
            break;
        case 2:
            if (v > 255) return 255;
            if (v < -256) return 0;
            if (v > 0 && v < 2) return 129;
            if (v > -2 && v < 0) return 127;
            v = v / 2 + 128;
            break;
        default:
            if (dMax == dMin) return 0;
            v = (v - dMin) * 255 / (dMax - dMin);
            if (v > 255) return 255;
            if (v < 0) return 0;
            break;
    }
    if (std::isnan(v)) return 0;
    // Mode 2 maps 255 to 255.5, which may round up to 256: it stays white.
    return BYTE(std::min(RoundHalfRandom(v), 255));
}

bool IsDisplayMode(int nMode) { return nMode >= 0 && nMode <= 3; }

// Writes nHeight rows of nWidth responses (nStride apart) into the rows destRow(r) gives, in
// that order, so random rounding draws in storage order.  Mode 3's range is taken as the
// responses are met: the first sets both ends.
template <class DestRow>
void RenderResponses(const double* lpValues, size_t nStride, int nWidth, int nHeight, int nMode, DestRow destRow) {
    double dMin = 0, dMax = 0;
    if (nMode == 3) {
        dMin = dMax = lpValues[0];
        for (int r = 0; r < nHeight; ++r)
            for (int x = 0; x < nWidth; ++x) {
                double v = lpValues[size_t(r) * nStride + size_t(x)];
                if (v > dMax) dMax = v;
                else if (v < dMin) dMin = v;
            }
    }
    for (int r = 0; r < nHeight; ++r) {
        BYTE* lpDest = destRow(r);
        const double* lpRow = lpValues + size_t(r) * nStride;
        for (int x = 0; x < nWidth; ++x) lpDest[x] = MapResponse(lpRow[x], nMode, dMin, dMax);
    }
}

}  // namespace

BYTE CIPDib::GetNeighbour(int x, int y, int dx, int dy) const {
    if (!ipdib::IsFilterable(*this) || x < 0 || y < 0 || x >= m_nWidth || y >= m_nHeight) return 0;
    long long c = ResolveNeighbour(x, dx, m_nWidth, m_nBorderMode);
    long long r = ResolveNeighbour(y, dy, m_nHeight, m_nBorderMode);
    return c < 0 || r < 0 ? 0 : PictureRow(int(r))[c];
}

void CIPDib::ConvolveToArray(double* lpKernel, int n, double* lpOut) {
    if (!ipdib::IsFilterable(*this) || !ipdib::IsOddSide(n) || !lpKernel || !lpOut) return;
    if (!m_bNoFlipKernel) ReverseKernel(lpKernel, n);
    ConvolveRows(*this, lpKernel, n, WholeImage(*this), lpOut, size_t(m_nRowBytes));
}

void CIPDib::ConvolveRectToArray(double* lpKernel, int n, const CRect& rect, double* lpOut) {
    if (!ipdib::IsFilterable(*this) || !ipdib::IsOddSide(n) || !lpKernel || !lpOut || !ipdib::RectInImage(*this, rect))
        return;
    if (!m_bNoFlipKernel) ReverseKernel(lpKernel, n);
    ConvolveRows(*this, lpKernel, n, rect, lpOut, size_t(rect.right - rect.left + 1));
}

namespace {

// The responses of the whole image rendered into the rows destRow(r) gives.
template <class DestRow>
void ConvolveRendered(CIPDib& dib, double* lpKernel, int n, int nMode, DestRow destRow) {
    if (!ipdib::IsFilterable(dib) || !ipdib::IsOddSide(n) || !lpKernel) return;
    if (!dib.m_bNoFlipKernel) ReverseKernel(lpKernel, n);
    // Responses first, bytes afterwards, so the image may be its own destination.
    size_t nStride = size_t(dib.m_nRowBytes);
    double* lpValues = dib.AllocWork<double>(nStride * size_t(dib.m_nHeight));
    if (!lpValues) return;
    if (IsDisplayMode(nMode)) {
        ConvolveRows(dib, lpKernel, n, WholeImage(dib), lpValues, nStride);
        RenderResponses(lpValues, nStride, dib.m_nWidth, dib.m_nHeight, nMode, destRow);
    }
    free(lpValues);
}

}  // namespace

void CIPDib::ConvolveToPixels(double* lpKernel, int n, BYTE* lpDest, int nMode) {
    if (!lpDest) return;
    size_t nStride = size_t(m_nRowBytes);
    ConvolveRendered(*this, lpKernel, n, nMode, [&](int r) { return lpDest + size_t(r) * nStride; });
}

void CIPDib::ConvolveImage(double* lpKernel, int n, int nMode) {
    ConvolveRendered(*this, lpKernel, n, nMode, [&](int r) { return StoredRow(r); });
    m_bHistValid = 0;
}

void CIPDib::ConvolveRectToImage(double* lpKernel, int n, const CRect& rect, CIPDib& dest, int nMode) {
    if (!ipdib::IsFilterable(*this) || !ipdib::IsOddSide(n) || !lpKernel || !ipdib::RectInImage(*this, rect)) return;
    const int nWidth = rect.right - rect.left + 1, nHeight = rect.bottom - rect.top + 1;
    // The working array first: when it cannot be had, dest is left as it was.
    double* lpValues = AllocWork<double>(size_t(nWidth) * size_t(nHeight));
    if (!lpValues) return;
    // Into this image itself: the result is built apart and taken over at the end, since the
    // rectangle is read after dest has been made.
    CIPDib made;
    CIPDib& target = &dest == this ? made : dest;
    if (!target.Create(nWidth, nHeight, 8, nullptr, 0)) {
        free(lpValues);
        return;
    }
    target.ForgetAnalysis();
    if (!m_bNoFlipKernel) ReverseKernel(lpKernel, n);
    ConvolveRows(*this, lpKernel, n, rect, lpValues, size_t(nWidth));
    if (IsDisplayMode(nMode))
        RenderResponses(lpValues, size_t(nWidth), nWidth, nHeight, nMode, [&](int r) { return target.StoredRow(r); });
    free(lpValues);
    if (&target == &made) {
        TakeLoadedImage(made);
        ForgetAnalysis();
    }
}
