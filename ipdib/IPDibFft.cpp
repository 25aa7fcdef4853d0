// The two-dimensional FFT of 8-bit images: the radix-2 transform of the rows and then of the
// columns of the zero-padded pixels, the spectrum the image holds, and its rendering as an image.
//
// The transform runs eight rows or eight columns at a time through one vector kernel
// (TransformInternal.h) whose every lane does what FFT1D does to one signal, with the same cos
// and sin values taken from a table: the spectrum is bit for bit the one-signal form's.
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "dib/DibBounds.h"
#include "ipdib/IPDib.h"
#include "ipdib/TransformInternal.h"

namespace {

using ipdib::kLanes;

// The transform's pi: a decimal constant, so that spectra differ from an exact discrete Fourier
// transform by about 1e-6.
constexpr double kPi = 3.1415927;

bool IsPowerOfTwo(long long n) { return n >= 1 && (n & (n - 1)) == 0; }

// The smallest power of two not below n, in integers (a size computed with logarithms can come
// out one power short just above a power of two, and the pixels would then not fit).
long long PaddedSize(long long n) {
    long long p = 1;
    while (p < n) p <<= 1;
    return p;
}

// The bit-reversal ordering with 1-based counters.  It ends only for a power of two: for other
// lengths k falls to 0 while k < j holds.
template <class Swap>
void BitReverse(int n, Swap swap) {
    int j = 1;
    for (int i = 1; i <= n - 1; ++i) {
        if (i < j) swap(i - 1, j - 1);
        int k = n / 2;
        while (k < j) {
            j = j - k;
            k = k / 2;
        }
        j = j + k;
    }
}

// What the transforms of one length share: the twiddles of the first stage and the exchanges of
// the ordering.  Stage s (half = n / 2^(s+1)) takes twiddle k << s: its step kPi / half is
// exactly 2^s times the first stage's, so k x step is the same double as (k << s) x step0.
struct FftTables {
    double* c;
    double* w;
    int* swaps;
    int nSwaps;
    double scale;

    void Make(int n, int nDirection) {
        const double sign = nDirection == -1 ? 1.0 : -1.0;
        const int half = n / 2;
        const double step = half ? kPi / half : 0.0;
        for (int k = 0; k < half; ++k) {
            double theta = k * step;
            c[k] = std::cos(theta);
            w[k] = sign * std::sin(theta);
        }
        nSwaps = 0;
        BitReverse(n, [&](int a, int b) {
            swaps[2 * nSwaps] = a;
            swaps[2 * nSwaps + 1] = b;
            ++nSwaps;
        });
        scale = nDirection == 1 ? 1.0 / n : 1.0;
    }
};

// Eight rows (nRows of them real) of a width-w array into lanes and back.
void RowsToLanes(double* lanes, const double* a, int w, int nRows) {
    for (int l = 0; l < nRows; ++l)
        for (int t = 0; t < w; ++t) lanes[size_t(t) * kLanes + l] = a[size_t(l) * w + t];
}
void LanesToRows(double* a, const double* lanes, int w, int nRows) {
    for (int l = 0; l < nRows; ++l)
        for (int t = 0; t < w; ++t) a[size_t(l) * w + t] = lanes[size_t(t) * kLanes + l];
}
// Eight columns (nCols of them real) of an array of rows of w, h rows, into lanes and back.
void ColumnsToLanes(double* lanes, const double* a, int w, int h, int nCols) {
    for (int t = 0; t < h; ++t) std::memcpy(lanes + size_t(t) * kLanes, a + size_t(t) * w, sizeof(double) * nCols);
}
void LanesToColumns(double* a, const double* lanes, int w, int h, int nCols) {
    for (int t = 0; t < h; ++t) std::memcpy(a + size_t(t) * w, lanes + size_t(t) * kLanes, sizeof(double) * nCols);
}

}  // namespace

BOOL FFT1D(double* re, double* im, int n, int nDirection) {
    if (!re || !im || !IsPowerOfTwo(n)) return FALSE;
    int nStages = 0;
    for (int m = n / 2; m != 0; m /= 2) ++nStages;
    const double sign = nDirection == -1 ? 1.0 : -1.0;
    int m = n;
    for (int s = 1; s <= nStages; ++s) {
        const int half = m / 2;
        const double step = kPi / half;
        for (int k = 0; k < half; ++k) {
            const double theta = k * step;
            const double c = std::cos(theta);
            const double w = sign * std::sin(theta);
            for (int g = 0; g + m <= n; g += m) {
                const int p = g + k, q = p + half;
                const double dr = re[p] - re[q];
                const double di = im[p] - im[q];
                re[p] = re[p] + re[q];
                im[p] = im[p] + im[q];
                re[q] = dr * c - di * w;
                im[q] = dr * w + di * c;
            }
        }
        m = half;
    }
    BitReverse(n, [&](int a, int b) {
        std::swap(re[a], re[b]);
        std::swap(im[a], im[b]);
    });
    if (nDirection == 1)
        for (int i = 0; i < n; ++i) {
            re[i] = re[i] / n;
            im[i] = im[i] / n;
        }
    return TRUE;
}

int CIPDib::FFT2D(double* re, double* im, int nWidth, int nHeight, int nDirection) {
    if (!re || !im || !IsPowerOfTwo(nWidth) || !IsPowerOfTwo(nHeight)) return 0;
    const size_t w = size_t(nWidth), h = size_t(nHeight), nMax = w > h ? w : h;
    double* work = AllocWork<double>(w + h + 2 * kLanes * nMax);
    int* swaps = work ? AllocWork<int>(w + h) : nullptr;
    if (!work || !swaps) {
        free(work);
        return ReportError(DibMsg::FftNoMemory);
    }
    FftTables rows{work, work + w / 2, swaps, 0, 1.0};
    FftTables cols{work + w, work + w + h / 2, swaps + w, 0, 1.0};
    rows.Make(nWidth, nDirection);
    cols.Make(nHeight, nDirection);
    double* lre = work + w + h;
    double* lim = lre + kLanes * nMax;
    const ipdib::TransformKernels& k = ipdib::GetTransformKernels();

    // A size below eight is the only one that leaves lanes unused; they stay zero from the
    // allocation and are never copied back.
    for (size_t r0 = 0; r0 < h; r0 += kLanes) {
        const int nRows = int(h - r0 < size_t(kLanes) ? h - r0 : kLanes);
        RowsToLanes(lre, re + r0 * w, nWidth, nRows);
        RowsToLanes(lim, im + r0 * w, nWidth, nRows);
        k.FftLanes(lre, lim, nWidth, rows.c, rows.w, rows.swaps, rows.nSwaps, rows.scale);
        LanesToRows(re + r0 * w, lre, nWidth, nRows);
        LanesToRows(im + r0 * w, lim, nWidth, nRows);
    }
    for (size_t c0 = 0; c0 < w; c0 += kLanes) {
        const int nCols = int(w - c0 < size_t(kLanes) ? w - c0 : kLanes);
        ColumnsToLanes(lre, re + c0, nWidth, nHeight, nCols);
        ColumnsToLanes(lim, im + c0, nWidth, nHeight, nCols);
        k.FftLanes(lre, lim, nHeight, cols.c, cols.w, cols.swaps, cols.nSwaps, cols.scale);
        LanesToColumns(re + c0, lre, nWidth, nHeight, nCols);
        LanesToColumns(im + c0, lim, nWidth, nHeight, nCols);
    }
    free(work);
    free(swaps);
    return 1;
}

int CIPDib::FFT2(int nDirection) {
    if (m_nBitCount != 8) return 0;
    if (nDirection == 1) {
        if (!DibRowsComplete(*this)) return 0;
        const long long nFftWidth = PaddedSize(m_nWidth), nFftHeight = PaddedSize(m_nHeight);
        free(m_pFftRe);
        m_pFftRe = nullptr;
        // A padded size beyond int cannot be held by the record: as much out of memory as any.
        if (nFftWidth > INT_MAX || nFftHeight > INT_MAX) return ReportError(DibMsg::FftNoMemory);
        m_nFftWidth = int(nFftWidth);
        m_nFftHeight = int(nFftHeight);
        const size_t nCount = size_t(nFftWidth) * size_t(nFftHeight);
        m_pFftRe = AllocWork<double>(nCount);
        if (!m_pFftRe) return ReportError(DibMsg::FftNoMemory);
        free(m_pFftIm);
        m_pFftIm = AllocWork<double>(nCount);
        if (!m_pFftIm) {
            free(m_pFftRe);
            m_pFftRe = nullptr;
            return ReportError(DibMsg::FftNoMemory);
        }
        // Both arrays come zeroed: the padding, and the imaginary parts.
        for (int r = 0; r < m_nHeight; ++r) {
            const BYTE* row = StoredRow(r);
            double* to = m_pFftRe + size_t(r) * size_t(m_nFftWidth);
            for (int c = 0; c < m_nWidth; ++c) to[c] = row[c];
        }
    } else if (!m_pFftRe || !m_pFftIm) {
        return ReportError(DibMsg::FftNoForward);
    }
    if (!FFT2D(m_pFftRe, m_pFftIm, m_nFftWidth, m_nFftHeight, nDirection)) return 0;
    if (nDirection != 1) return 1;

    const size_t nCount = size_t(m_nFftWidth) * size_t(m_nFftHeight);
    for (size_t i = 0; i < nCount; ++i) {
        const double re = m_pFftRe[i], im = m_pFftIm[i];
        const double mag = std::sqrt(re * re + im * im);
        if (i == 0) {
            m_dFftMagMax = m_dFftMagMin = mag;
            m_dFftReMax = m_dFftReMin = re;
            m_dFftImMax = m_dFftImMin = im;
            continue;
        }
        if (mag > m_dFftMagMax) m_dFftMagMax = mag;
        if (mag < m_dFftMagMin) m_dFftMagMin = mag;
        if (re > m_dFftReMax) m_dFftReMax = re;
        if (re < m_dFftReMin) m_dFftReMin = re;
        if (im > m_dFftImMax) m_dFftImMax = im;
        if (im < m_dFftImMin) m_dFftImMin = im;
    }
    return 1;
}

void CIPDib::SpectrumToImage(CIPDib& dest, int nMode, double dUpper, double dLower, int bCentre) {
    if (m_nBitCount != 8 || !m_pFftRe || !m_pFftIm) return;
    int W, H;
    if (&dest != this) {
        const bool bOwnSize = (nMode & 0x80) != 0;
        W = bOwnSize ? m_nWidth : m_nFftWidth;
        H = bOwnSize ? m_nHeight : m_nFftHeight;
        if (bOwnSize) bCentre = 0;
        // An image replaced since its transform may be larger than the spectrum it holds.
        if (W < 1 || H < 1 || W > m_nFftWidth || H > m_nFftHeight) return;
        if (!dest.Create(W, H, 8)) return;
        dest.ForgetAnalysis();
    } else {
        W = m_nWidth;
        H = m_nHeight;
        if (!DibRowsComplete(*this) || W > m_nFftWidth || H > m_nFftHeight) return;
        m_bHistValid = 0;
    }

    const int nWhat = nMode & 0x70, nHow = nMode & 0x0F;
    const double vMin = nWhat == 0x20 ? m_dFftReMin : nWhat == 0x40 ? m_dFftImMin : m_dFftMagMin;
    const double vMax = nWhat == 0x20 ? m_dFftReMax : nWhat == 0x40 ? m_dFftImMax : m_dFftMagMax;
    const double range = vMax - vMin;
    for (int i = 0; i < H; ++i) {
        const int row = !bCentre ? i : i < H / 2 ? H / 2 - 1 - i : H / 2 + H - 1 - i;
        BYTE* to = dest.StoredRow(row);
        for (int j = 0; j < W; ++j) {
            const size_t at = size_t(i) * size_t(m_nFftWidth) + size_t(j);
            const double re = m_pFftRe[at], im = m_pFftIm[at];
            double v = nWhat == 0x20 ? re : nWhat == 0x40 ? im : std::sqrt(re * re + im * im);
            int nByte;
            if (nHow == 2) {
                // Within a tenth of the range above the minimum the logarithm is negative (at
                // the minimum itself, minus infinity): those values, and a constant quantity
                // (no range), are black.
                const double arg = ((v - vMin) * 10) / range;
                nByte = arg >= 1.0 ? ipdib::RoundLowByte(std::log10(arg) * 255) : 0;
            } else if (nHow == 4) {
                nByte = ipdib::RoundLowByte(((v - vMin) * 255) / range);  // no range: NaN, black
            } else {
                if (nHow == 8 && v < 0) v = -v;
                nByte = v > dUpper ? 255 : v < dLower ? 0 : ipdib::RoundLowByte(v);
            }
            const int col = !bCentre ? j : j < W / 2 ? W / 2 - 1 - j : W / 2 + W - 1 - j;
            to[col] = BYTE(nByte);
        }
    }
}
