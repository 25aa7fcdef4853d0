// The threshold between the two peaks of a histogram, binarisation, and the test of whether an
// image shows dark things on a light background.
#include <algorithm>
#include <cstring>

#include "ipdib/IPDibInternal.h"

using namespace ipdib;

int CIPDib::FindBimodalThreshold(const double* pHist, BYTE byMinDistance) {
    if (m_nBitCount != 8 || !pHist) return -1;
    m_nPeak2 = -1;
    double dBest = 0.0;
    for (int i = 0; i < 256; ++i)
        if (pHist[i] > dBest) {
            dBest = pHist[i];
            m_nPeak1 = i;
        }
    // The second peak: far enough from the first, and a level whose two neighbours lie on the
    // same side of it.  The ends have one neighbour only and need no such test.
    double dSecond = 0.0;
    for (int i = 0; i < 256; ++i) {
        long long nDistance = (long long)m_nPeak1 - i;  // m_nPeak1 may be a caller's value
        if ((nDistance < 0 ? -nDistance : nDistance) < byMinDistance || !(pHist[i] > dSecond)) continue;
        if (i == 0 || i == 255 || (pHist[i - 1] - pHist[i]) * (pHist[i + 1] - pHist[i]) >= 0) {
            dSecond = pHist[i];
            m_nPeak2 = i;
        }
    }
    if (m_nPeak2 == -1) return -1;
    return int(((long long)m_nPeak1 + m_nPeak2) / 2);
}

void CIPDib::Binarize(BYTE byThreshold, int bStrict) {
    if (!Holds8Bit(*this)) return;
    for (int row = 0; row < m_nHeight; ++row) {
        BYTE* p = StoredRow(row);
        for (int x = 0; x < m_nWidth; ++x) p[x] = (bStrict ? p[x] > byThreshold : p[x] >= byThreshold) ? 255 : 0;
    }
    m_bHistValid = 0;
}

int CIPDib::IsLightBackground() {
    if (!Holds8Bit(*this)) return -1;
    // The histogram comes from an equalised copy, as it always has: equalising draws from the
    // random generator at exact halves, and later random values depend on those draws.
    CIPDib temp;
    temp.CopyFrom(*this);
    if (!Holds8Bit(temp)) {
        m_nError = temp.m_nError ? temp.m_nError : DIB_ERR_MEMORY;
        return -1;
    }
    temp.EqualizeHist();
    double dSmooth[256];
    std::memcpy(dSmooth, temp.m_dHist, sizeof dSmooth);
    temp.SmoothHist(dSmooth, 10, 0);
    temp.m_nPeak1 = 0;  // a new object: the search below always finds a first peak, but be sure
    temp.FindBimodalThreshold(dSmooth, 50);
    const int T = (temp.m_nPeak1 + temp.m_nPeak2) / 2;

    const int w = std::min(m_nWidth / 5, 10), h = std::min(m_nHeight / 5, 10);
    const int hw = w / 2, hh = h / 2, cx = m_nWidth / 2, cy = m_nHeight / 2;
    const int W = m_nWidth, H = m_nHeight;
    // Corners and edge midpoints, then the centre; rows are stored rows.
    const int nWindows[9][4] = {
        {0, 0, w, h},                {cx - hw, 0, cx + hw, h},          {W - w, 0, W - 1, h},
        {0, cy - hh, w, cy + hh},    {0, H - h, w, H - 1},              {cx - hw, H - h, cx + hw, H - 1},
        {W - w, H - h, W - 1, H - 1}, {W - w, cy - hh, W - 1, cy + hh}, {cx - hw, cy - hh, cx + hw, cy + hh},
    };
    int nLight = 0, nDark = 0;
    for (int k = 0; k < 9; ++k) {
        int m = GetRegionMode(nWindows[k][0], nWindows[k][1], nWindows[k][2], nWindows[k][3]);
        // Images under 5 pixels wide or high make some windows empty: those have no say.
        if (m < 0) continue;
        bool bLight = k < 8 ? m > T : m < T;
        ++(bLight ? nLight : nDark);
    }
    return nLight < nDark ? 0 : 1;
}
