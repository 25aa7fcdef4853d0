// Local mean and standard deviation in a window, and the masked nearest-to-the-mean filter.
//
// The window sums are sums of whole numbers, exact in any order, so they are kept as integers
// and slid: column sums over the window's rows, then a running sum across them.  Only the rows
// and columns whose window crosses the edge are summed term by term, through the border rule.
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "ipdib/FilterInternal.h"

using ipdib::ResolveNeighbour;

namespace {

// Window sums of one picture row at a time, for windows of a columns by b rows.
class CWindowSums {
public:
    CWindowSums(CIPDib& dib, int a, int b) : m_dib(dib), m_ha(a / 2), m_hb(b / 2) {
        size_t W = size_t(dib.m_nWidth);
        m_pCol = dib.AllocWork<long long>(4 * (W + 1));
    }
    ~CWindowSums() { free(m_pCol); }
    bool IsReady() const { return m_pCol != nullptr; }

    // Makes the column sums describe picture row y.
    void MoveTo(int y) {
        const int W = m_dib.m_nWidth, H = m_dib.m_nHeight;
        long long* colS = m_pCol;
        long long* colQ = m_pCol + W;
        bool bInside = y - m_hb >= 0 && y + m_hb <= H - 1;
        if (bInside && m_bInside && y == m_nRow + 1) {
            const BYTE* add = m_dib.PictureRow(y + m_hb);
            const BYTE* drop = m_dib.PictureRow(y - m_hb - 1);
            for (int c = 0; c < W; ++c) {
                colS[c] += add[c] - drop[c];
                colQ[c] += add[c] * add[c] - drop[c] * drop[c];
            }
        } else {
            std::memset(colS, 0, 2 * size_t(W) * sizeof(long long));
            for (int dy = -m_hb; dy <= m_hb; ++dy) {
                long long r = ResolveNeighbour(y, dy, H, m_dib.m_nBorderMode);
                if (r < 0) continue;
                const BYTE* row = m_dib.PictureRow(int(r));
                for (int c = 0; c < W; ++c) {
                    colS[c] += row[c];
                    colQ[c] += row[c] * row[c];
                }
            }
        }
        m_nRow = y;
        m_bInside = bInside;
        long long* preS = m_pCol + 2 * W;
        long long* preQ = preS + W + 1;
        preS[0] = preQ[0] = 0;
        for (int c = 0; c < W; ++c) {
            preS[c + 1] = preS[c] + colS[c];
            preQ[c + 1] = preQ[c] + colQ[c];
        }
    }

    // The sums S and Q of the window around column x of the current row.
    void At(int x, long long& s, long long& q) const {
        const int W = m_dib.m_nWidth;
        if (x - m_ha >= 0 && x + m_ha <= W - 1) {
            const long long* preS = m_pCol + 2 * W;
            const long long* preQ = preS + W + 1;
            s = preS[x + m_ha + 1] - preS[x - m_ha];
            q = preQ[x + m_ha + 1] - preQ[x - m_ha];
            return;
        }
        s = q = 0;
        for (int dx = -m_ha; dx <= m_ha; ++dx) {
            long long c = ResolveNeighbour(x, dx, W, m_dib.m_nBorderMode);
            if (c < 0) continue;
            s += m_pCol[c];
            q += m_pCol[W + c];
        }
    }

private:
    CIPDib& m_dib;
    int m_ha, m_hb;
    long long* m_pCol;  // column sums S and Q (W each), then their prefix sums (W + 1 each)
    int m_nRow = 0;
    bool m_bInside = false;
};

// Mean and sample standard deviation of N values from their sum and sum of squares, as
// (Q - (N x mean) x mean) / (N - 1).  One value has no spread: 0.
void MeanStd(long long s, long long q, int N, double& dMean, double& dStd) {
    dMean = double(s) / N;
    double dVar = (double(q) - (N * dMean) * dMean) / (N - 1);
    dStd = N > 1 && dVar > 0 ? std::sqrt(dVar) : 0.0;
}

bool LocalArgumentsOk(const CIPDib& dib, int a, int b, const double* lpMean, const double* lpStdDev) {
    return ipdib::IsFilterable(dib) && lpMean && lpStdDev && ipdib::IsOddSide(a) && ipdib::IsOddSide(b) &&
           ipdib::WindowFits(a, b);
}

// Statistics of the rectangle's pixels into arrays of its width, row 0 its bottom line.
void LocalStats(CIPDib& dib, int a, int b, const CRect& rect, double* lpMean, double* lpStdDev) {
    CWindowSums sums(dib, a, b);
    if (!sums.IsReady()) return;
    const int N = a * b;
    const size_t nWidth = size_t(rect.right - rect.left + 1);
    for (int y = rect.top; y <= rect.bottom; ++y) {
        sums.MoveTo(y);
        size_t nAt = size_t(rect.bottom - y) * nWidth;
        for (int x = rect.left; x <= rect.right; ++x, ++nAt) {
            long long s, q;
            sums.At(x, s, q);
            MeanStd(s, q, N, lpMean[nAt], lpStdDev[nAt]);
        }
    }
}

}  // namespace

void CIPDib::LocalMeanStd(int a, int b, double* lpMean, double* lpStdDev) {
    if (!LocalArgumentsOk(*this, a, b, lpMean, lpStdDev)) return;
    LocalStats(*this, a, b, CRect(0, 0, m_nWidth - 1, m_nHeight - 1), lpMean, lpStdDev);
}

void CIPDib::LocalMeanStdRect(int a, int b, const CRect& rect, double* lpMean, double* lpStdDev) {
    if (!LocalArgumentsOk(*this, a, b, lpMean, lpStdDev) || !ipdib::RectInImage(*this, rect)) return;
    LocalStats(*this, a, b, rect, lpMean, lpStdDev);
}

void CIPDib::NearestToMeanFilter(const BYTE* lpMask, int a, int b) {
    if (!ipdib::IsFilterable(*this) || !lpMask || !ipdib::IsOddSide(a) || !ipdib::IsOddSide(b) ||
        !ipdib::WindowFits(a, b))
        return;
    const int W = m_nWidth, H = m_nHeight, ha = a / 2, hb = b / 2;
    const size_t nPositions = size_t(a) * size_t(b), nRowBytes = size_t(m_nRowBytes);
    // The selected positions in mask order: their offsets, then room for their values.
    int* lpWork = AllocWork<int>(3 * nPositions);
    BYTE* lpOut = AllocWork<BYTE>(nRowBytes * size_t(H));
    const BYTE** lpRows = AllocWork<const BYTE*>(size_t(b));
    if (!lpWork || !lpOut || !lpRows) {
        free(lpWork);
        free(lpOut);
        free(lpRows);
        return;
    }
    int* dxs = lpWork;
    int* dys = lpWork + nPositions;
    int* v = lpWork + 2 * nPositions;
    int nCount = 0;
    for (size_t k = 0; k < nPositions; ++k)
        if (lpMask[k]) {
            dxs[nCount] = int(k % size_t(a)) - ha;
            dys[nCount] = int(k / size_t(a)) - hb;  // mask row 0 at the top of the window
            ++nCount;
        }
    for (int r = 0; r < H; ++r) std::memcpy(lpOut + size_t(r) * nRowBytes, StoredRow(r), nRowBytes);

    for (int y = 0; y < H; ++y) {
        const bool bRowsInside = y - hb >= 0 && y + hb <= H - 1;
        if (bRowsInside)
            for (int dy = -hb; dy <= hb; ++dy) lpRows[dy + hb] = PictureRow(y + dy);
        BYTE* lpDest = lpOut + size_t(H - 1 - y) * nRowBytes;
        for (int x = 0; x < W; ++x) {
            long long s = 0;
            if (bRowsInside && x - ha >= 0 && x + ha <= W - 1) {
                for (int m = 0; m < nCount; ++m) s += v[m] = lpRows[dys[m] + hb][x + dxs[m]];
            } else {
                for (int m = 0; m < nCount; ++m) s += v[m] = GetNeighbour(x, y, dxs[m], dys[m]);
            }
            // No selected position: every pixel becomes 0.
            BYTE byOut = 0;
            if (nCount) {
                double dMean = double(s) / nCount, dBest = 255;
                for (int m = 0; m < nCount; ++m) {
                    double d = std::fabs(v[m] - dMean);
                    if (d < dBest) {
                        dBest = d;
                        byOut = BYTE(v[m]);
                    }
                }
            }
            lpDest[x] = byOut;
        }
    }
    for (int r = 0; r < H; ++r) std::memcpy(StoredRow(r), lpOut + size_t(r) * nRowBytes, nRowBytes);
    free(lpWork);
    free(lpOut);
    free(lpRows);
    m_bHistValid = 0;
}
