// Histograms, their smoothing, the most frequent level of a window, line profiles and projections.
// None of these changes a pixel.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "ipdib/IPDibInternal.h"

using namespace ipdib;

namespace {

double Clamp01(double v) { return v < 0.0 ? 0.0 : v > 1.0 ? 1.0 : v; }

// Turns 256 counters into shares of the dN pixels, their running shares, the largest share and
// the lowest level where it stands.
void FillTables(const long long (&nCount)[256], double dN, double* pHist, double* pCum, double& dMax, int& nPeak) {
    dMax = 0.0;
    nPeak = 0;
    long long nSum = 0;
    for (int i = 0; i < 256; ++i) {
        nSum += nCount[i];
        pCum[i] = Clamp01(double(nSum) / dN);
        pHist[i] = Clamp01(double(nCount[i]) / dN);
        if (pHist[i] > dMax) {
            dMax = pHist[i];
            nPeak = i;
        }
    }
}

}  // namespace

void CIPDib::CalcGrayHist() {
    if (!Holds8Or24Bit(*this)) return;
    long long nCount[256] = {};
    for (int r = 0; r < m_nHeight; ++r) {
        const BYTE* p = StoredRow(r);
        if (m_nBitCount == 8) {
            for (int x = 0; x < m_nWidth; ++x) ++nCount[p[x]];
        } else {
            // The weighted grey truncated.  In plain doubles 0.11 v + 0.59 v + 0.3 v falls a hair
            // below v for some grey pixels; the exact sum in hundredths never does.
            for (int x = 0; x < m_nWidth; ++x, p += 3) ++nCount[(11 * p[0] + 59 * p[1] + 30 * p[2]) / 100];
        }
    }
    FillTables(nCount, double(m_nWidth) * double(m_nHeight), m_dHist, m_dHistCum, m_dHistMax, m_nHistPeak);
    m_bHistValid = 1;
}

void CIPDib::CalcColorHist() {
    if (m_nBitCount != 24 || !HoldsPixels(*this)) return;
    for (int c = 0; c < 3; ++c) {
        long long nCount[256] = {};
        for (int r = 0; r < m_nHeight; ++r) {
            const BYTE* p = StoredRow(r) + c;
            for (int x = 0; x < m_nWidth; ++x, p += 3) ++nCount[*p];
        }
        FillTables(nCount, double(m_nWidth) * double(m_nHeight), m_dColorHist[c], m_dColorHistCum[c], m_dColorHistMax[c],
                   m_nColorHistPeak[c]);
    }
    m_bColorHistValid = 1;
}

int CIPDib::SmoothHist(double* pHist, int nHalfWidth, int nKernel) {
    const int a = nHalfWidth;
    if (!pHist || a < 0 || a > 127) return 0;
    double in[256];
    std::memcpy(in, pHist, sizeof in);
    std::fill(pHist, pHist + 256, 0.0);
    if (nKernel == 0) {
        for (int i = 0; i < 256; ++i) {
            double dSum = 0.0;
            int n = 0;
            for (int j = std::max(0, i - a); j <= std::min(255, i + a); ++j, ++n) dSum += in[j];
            pHist[i] = dSum / n;
        }
        return 1;
    }
    double* w = AllocWork<double>(size_t(2 * a + 1));
    if (!w) return 0;
    if (a == 0) {
        // A Gaussian of no width keeps each value where it is (its weight would be 0 / 0).
        w[0] = 1.0;
    } else {
        const double sigma = a / 3.0;
        double dSum = 0.0;
        for (int k = -a; k <= a; ++k) {
            w[k + a] = std::exp(-double(k * k) / (2 * sigma * sigma));
            dSum += w[k + a];
        }
        for (int k = -a; k <= a; ++k) w[k + a] /= dSum;
    }
    for (int i = 0; i < 256; ++i) {
        double dSum = 0.0;
        for (int k = -a; k <= a; ++k)
            if (i + k >= 0 && i + k <= 255) dSum += in[i + k] * w[k + a];
        pHist[i] = dSum;
    }
    free(w);
    return 1;
}

int CIPDib::GetRegionMode(int nLeft, int nTop, int nRight, int nBottom) const {
    if (!Holds8Bit(*this) || nLeft < 0 || nTop < 0 || nRight > m_nWidth - 1 || nBottom > m_nHeight - 1) return -1;
    // An empty window has no level at all; one made of counts of 0 would pretend to have level 0.
    if (nLeft > nRight || nTop > nBottom) return -1;
    long long nCount[256] = {};
    for (int r = nTop; r <= nBottom; ++r) {
        const BYTE* p = StoredRow(r);
        for (int x = nLeft; x <= nRight; ++x) ++nCount[p[x]];
    }
    int nBest = 0;
    for (int i = 1; i < 256; ++i)
        if (nCount[i] > nCount[nBest]) nBest = i;
    return nBest;
}

void CIPDib::GetLineProfile(int bColumn, int nIndex, BYTE* pOut) {
    if (!pOut || !Holds8Or24Bit(*this)) return;
    const size_t nStep = size_t(m_nBitCount / 8);
    auto level = [nStep](const BYTE* p) {
        return nStep == 1 ? p[0] : BYTE(RoundHalfRandom(ClampLevel(GreyBlueFirst(p[0], p[1], p[2]))));
    };
    if (!bColumn) {
        if (nIndex < 0 || nIndex >= m_nHeight) return;
        const BYTE* p = PictureRow(nIndex);
        for (int x = 0; x < m_nWidth; ++x, p += nStep) pOut[x] = level(p);
    } else {
        if (nIndex < 0 || nIndex >= m_nWidth) return;
        for (int r = 0; r < m_nHeight; ++r) pOut[r] = level(StoredRow(r) + nStep * size_t(nIndex));
    }
}

void CIPDib::GetProjection(int bRows, double* pOut) {
    if (!pOut || !Holds8Or24Bit(*this)) return;
    const int nEntries = bRows ? m_nHeight : m_nWidth;
    std::fill(pOut, pOut + nEntries, 0.0);
    const size_t nStep = size_t(m_nBitCount / 8);
    // Stored rows from the bottom up, each row left to right: the order of the additions.
    for (int r = 0; r < m_nHeight; ++r) {
        const BYTE* p = StoredRow(r);
        double* pRowSum = pOut + (m_nHeight - 1 - r);
        for (int x = 0; x < m_nWidth; ++x, p += nStep) {
            double v = nStep == 1 ? double(p[0]) : ClampLevel(GreyBlueFirst(p[0], p[1], p[2]));
            *(bRows ? pRowSum : pOut + x) += v;
        }
    }
    double dMax = 0.0;
    for (int i = 0; i < nEntries; ++i) dMax = std::max(dMax, pOut[i]);
    // An all-black image has nothing to scale to: its projection stays 0 rather than 0 / 0.
    if (dMax == 0.0) return;
    for (int i = 0; i < nEntries; ++i) pOut[i] /= dMax;
}
