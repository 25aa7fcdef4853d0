// Erosion and dilation of black-and-white images with a structuring element given as a byte
// mask.  A pixel is hit when any masked neighbour holds the target value; the work goes mask
// position by mask position over a whole row, so the inner loop is a plain run of bytes and the
// columns and rows beyond the edge (which read as white) are settled outside it.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "ipdib/FilterInternal.h"

namespace {

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
                if (bOutsideHits) std::memset(lpHit, 1, size_t(W));
                continue;
            }
            // Columns whose neighbour j + dx lies inside the image.
            const long long j0 = std::max<long long>(0, -dx), j1 = std::min<long long>(W - 1, W - 1 - dx);
            if (bOutsideHits) {
                std::memset(lpHit, 1, size_t(std::min(j0, W)));
                if (j1 + 1 < W) std::memset(lpHit + std::max<long long>(j1 + 1, 0), 1, size_t(W - std::max<long long>(j1 + 1, 0)));
            }
            if (j0 > j1) continue;
            const BYTE* src = dib.StoredRow(int(sr)) + (j0 + dx);
            BYTE* hit = lpHit + j0;
            for (long long j = 0; j <= j1 - j0; ++j) hit[j] |= BYTE(src[j] == byTarget);
        }
        BYTE* lpOut = lpWork + size_t(i) * nRowBytes;
        std::memcpy(lpOut, dib.StoredRow(int(i)), nRowBytes);
        for (long long j = 0; j < W; ++j) lpOut[j] = lpHit[j] ? byTarget : BYTE(255 - byTarget);
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
