// The line accumulator: for every counted pixel and every angle step k, one vote in the distance
// bin of the line through it at that angle.
//
// The angles' sines and cosines are the same for every pixel, so they are worked out once; each
// distance is still j x cos + i x sin in double, divided by the bin width and truncated, exactly
// as a pixel-by-pixel computation gives it.
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "ipdib/FilterInternal.h"

namespace {

// Not quite pi (it differs in the ninth decimal); the bins of stored results depend on it.
constexpr double kHalfTurn = 3.141592657589793;

}  // namespace

void CIPDib::HoughLines(int* lpAcc, int nRho, int nTheta, int bBlackObjects) {
    if (!ipdib::IsFilterable(*this) || !lpAcc || nRho < 1 || nTheta < 1 || nRho > INT_MAX / nTheta) return;
    const int W = m_nWidth, H = m_nHeight;
    const double dDiagonal = std::sqrt(double(H) * double(H) + double(W) * double(W));
    const double dAngleStep = kHalfTurn / 2 / nTheta;
    const double dRhoStep = dDiagonal / nRho;
    double* lpCos = AllocWork<double>(2 * size_t(nTheta) + size_t(W));
    if (!lpCos) return;
    double* lpSin = lpCos + nTheta;
    double* lpColumns = lpSin + nTheta;  // the counted columns of a row
    for (int k = 0; k < nTheta; ++k) {
        double dTheta = k * dAngleStep;
        lpCos[k] = std::cos(dTheta);
        lpSin[k] = std::sin(dTheta);
    }
    std::memset(lpAcc, 0, size_t(nRho) * size_t(nTheta) * sizeof(int));
    const BYTE byCounted = bBlackObjects ? 0 : 255;
    for (int i = 0; i < H; ++i) {
        const BYTE* row = StoredRow(i);
        int nCount = 0;
        for (int j = 0; j < W; ++j)
            if (row[j] == byCounted) lpColumns[nCount++] = j;
        for (int k = 0; nCount && k < nTheta; ++k) {
            const double dCos = lpCos[k], dRowTerm = i * lpSin[k];
            int* lpBins = lpAcc + size_t(k) * size_t(nRho);
            for (int m = 0; m < nCount; ++m) {
                double dBin = (lpColumns[m] * dCos + dRowTerm) / dRhoStep;
                // Truncated toward zero and kept inside the row of bins.
                int r = dBin >= nRho ? nRho - 1 : dBin > 0 ? int(dBin) : 0;
                ++lpBins[r];
            }
        }
    }
    free(lpCos);
}
