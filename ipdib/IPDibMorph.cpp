// Erosion and dilation of black-and-white images with a structuring element given as a byte
// mask.  A pixel is hit when any masked neighbour holds the target value; the work goes mask
// position by mask position over a whole row, so the inner loop is a plain run of bytes and the
// columns and rows beyond the edge (which read as white) are settled outside it.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "ipdib/FilterInternal.h"

namespace {

// lpHit[t] becomes 0xFF where lpSrc[t] is the target (and stays 0xFF where it was).
void MarkHits(BYTE* lpHit, const BYTE* lpSrc, size_t nCount, BYTE byTarget) {
    size_t t = 0;
#ifdef __SSE2__
    const __m128i target = _mm_set1_epi8(char(byTarget));
    for (; t + 16 <= nCount; t += 16) {
        __m128i eq = _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(lpSrc + t)), target);
        __m128i* hit = reinterpret_cast<__m128i*>(lpHit + t);
        _mm_storeu_si128(hit, _mm_or_si128(_mm_loadu_si128(hit), eq));
    }
#endif
    for (; t < nCount; ++t)
        if (lpSrc[t] == byTarget) lpHit[t] = 0xFF;
}

// The result row from the hits: the target where hit, the other colour elsewhere.  The target is
// 0 or 255, so this is the hit mask itself or its complement.
void WriteResult(BYTE* lpOut, const BYTE* lpHit, size_t nCount, BYTE byTarget) {
    if (byTarget == 255) {
        std::memcpy(lpOut, lpHit, nCount);
        return;
    }
    size_t t = 0;
#ifdef __SSE2__
    const __m128i all = _mm_set1_epi8(char(0xFF));
    for (; t + 16 <= nCount; t += 16)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(lpOut + t),
                         _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(lpHit + t)), all));
#endif
    for (; t < nCount; ++t) lpOut[t] = BYTE(~lpHit[t]);
}

// The mask positions that select, as offsets: column l - w/2 and storage row k - h/2.
struct Tap {
    long long dx, dr;
};

void Morph(CIPDib& dib, const BYTE* lpMask, int w, int h, BYTE byTarget) {
    if (!ipdib::IsFilterable(dib) || !ipdib::WindowFits(w, h)) return;
    const long long W = dib.m_nWidth, H = dib.m_nHeight;
    const size_t nPositions = size_t(w) * size_t(h);
    if (nPositions && !lpMask) return;
    Tap* lpTaps = dib.AllocWork<Tap>(nPositions);
    BYTE* lpHit = dib.AllocWork<BYTE>(size_t(W));
    BYTE* lpWork = dib.AllocWork<BYTE>(size_t(dib.m_nRowBytes) * size_t(H));
    if (!lpTaps || !lpHit || !lpWork) {
        free(lpTaps);
        free(lpHit);
        free(lpWork);
        return;
    }
    size_t nTaps = 0;
    for (size_t p = 0; p < nPositions; ++p)
        if (lpMask[p]) lpTaps[nTaps++] = Tap{(long long)(p % size_t(w)) - w / 2, (long long)(p / size_t(w)) - h / 2};

    const bool bOutsideHits = byTarget == 255;  // beyond the edge reads as white
    const size_t nRowBytes = size_t(dib.m_nRowBytes);
    for (long long i = 0; i < H; ++i) {
        std::memset(lpHit, 0, size_t(W));
        for (size_t t = 0; t < nTaps; ++t) {
            const long long sr = i + lpTaps[t].dr, dx = lpTaps[t].dx;
            if (sr < 0 || sr >= H) {
                if (bOutsideHits) std::memset(lpHit, 0xFF, size_t(W));
                continue;
            }
            // Columns whose neighbour j + dx lies inside the image.
            const long long j0 = std::max<long long>(0, -dx), j1 = std::min<long long>(W - 1, W - 1 - dx);
            if (bOutsideHits) {
                std::memset(lpHit, 0xFF, size_t(std::min(j0, W)));
                if (j1 + 1 < W) std::memset(lpHit + std::max<long long>(j1 + 1, 0), 0xFF, size_t(W - std::max<long long>(j1 + 1, 0)));
            }
            if (j0 > j1) continue;
            MarkHits(lpHit + j0, dib.StoredRow(int(sr)) + (j0 + dx), size_t(j1 - j0 + 1), byTarget);
        }
        BYTE* lpOut = lpWork + size_t(i) * nRowBytes;
        std::memcpy(lpOut, dib.StoredRow(int(i)), nRowBytes);
        WriteResult(lpOut, lpHit, size_t(W), byTarget);
    }
    for (long long i = 0; i < H; ++i) std::memcpy(dib.StoredRow(int(i)), lpWork + size_t(i) * nRowBytes, nRowBytes);
    free(lpTaps);
    free(lpHit);
    free(lpWork);
    dib.m_bHistValid = 0;
}

}  // namespace

void CIPDib::Erode(const BYTE* lpMask, int w, int h, int bBlackObjects) { Morph(*this, lpMask, w, h, bBlackObjects ? 255 : 0); }

void CIPDib::Dilate(const BYTE* lpMask, int w, int h, int bBlackObjects) { Morph(*this, lpMask, w, h, bBlackObjects ? 0 : 255); }
