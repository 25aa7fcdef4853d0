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

// Column blocks of eight taken together in the column pass.
constexpr size_t kGroups = 4;

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

// What the transforms of one length share: the twiddles of the first stage, the ordering and
// the scale.  Stage s (half = n / 2^(s+1)) takes twiddle k << s: its step kPi / half is exactly
// 2^s times the first stage's, so k x step is the same double as (k << s) x step0.  The ordering
// is the exchanges of BitReverse done on the sample numbers: sample rev[t] ends at place t.
// Dividing by n, a power of two, and multiplying by 1 / n round the same real number.
struct FftTables {
    double* c;
    double* w;
    int* rev;
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
        for (int t = 0; t < n; ++t) rev[t] = t;
        BitReverse(n, [&](int a, int b) { std::swap(rev[a], rev[b]); });
        scale = nDirection == 1 ? 1.0 / n : 1.0;
    }
};

// Eight columns (nCols of them real) of an array of rows of w, h rows, into lanes.
void ColumnsToLanes(double* lanes, const double* a, int w, int h, int nCols) {
    for (int t = 0; t < h; ++t) std::memcpy(lanes + size_t(t) * kLanes, a + size_t(t) * w, sizeof(double) * nCols);
}

// Lanes nCols (at most eight) of n samples, in order and scaled, to a[t * step + l]: the short
// transforms' way out, one value at a time.
void LanesOut(double* a, size_t step, const double* lanes, int n, int nCols, const FftTables& tables) {
    for (int t = 0; t < n; ++t)
        for (int l = 0; l < nCols; ++l) {
            const double v = lanes[size_t(tables.rev[t]) * kLanes + l];
            a[size_t(t) * step + l] = tables.scale != 1.0 ? v * tables.scale : v;
        }
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

namespace {

// Eight padded rows of an 8-bit image into lanes (re only: the transform takes im as zero):
// the values FFT2 would store in its arrays before transforming them.
void PixelsToLanes(double* lre, const CDib& image, int r0, int w) {
    const BYTE* rows[kLanes];
    for (int l = 0; l < kLanes; ++l) rows[l] = r0 + l < image.m_nHeight ? image.StoredRow(r0 + l) : nullptr;
    const int nWidth = image.m_nWidth;
    for (int t = 0; t < w; ++t)
        for (int l = 0; l < kLanes; ++l) lre[size_t(t) * kLanes + l] = rows[l] && t < nWidth ? rows[l][t] : 0.0;
}

// The value extremes of a block (largest and smallest of re x re + im x im, re, im) merged into
// e; which of two equal zeros stands is settled afterwards.
void MergeExtremes(double* e, const double* block, bool bFirst) {
    for (int q = 0; q < 6; ++q)
        if (bFirst || (q % 2 ? block[q] < e[q] : block[q] > e[q])) e[q] = block[q];
}

}  // namespace

// FFT2D, and for FFT2 two shortcuts: the rows taken straight from an image's pixels (the arrays
// are then only written), and the extremes gathered as the column pass stores its results.
int CIPDib::Transform2D(double* re, double* im, int nWidth, int nHeight, int nDirection, const CDib* pPixels,
                        double* pExtremes) {
    if (!re || !im || !IsPowerOfTwo(nWidth) || !IsPowerOfTwo(nHeight)) return 0;
    const size_t w = size_t(nWidth), h = size_t(nHeight), nMax = w > h ? w : h;
    double* work = AllocWork<double>(w + h + kGroups * 2 * kLanes * nMax);
    int* rev = work ? AllocWork<int>(w + h) : nullptr;
    if (!work || !rev) {
        free(work);
        return ReportError(DibMsg::FftNoMemory);
    }
    FftTables rows{work, work + w / 2, rev, 1.0};
    FftTables cols{work + w, work + w + h / 2, rev + w, 1.0};
    rows.Make(nWidth, nDirection);
    cols.Make(nHeight, nDirection);
    // Group g of columns: its re lanes at lre + g x groupStride, its im lanes kLanes x nMax on.
    const size_t groupStride = 2 * kLanes * nMax;
    double* lre = work + w + h;
    double* lim = lre + kLanes * nMax;
    const ipdib::TransformKernels& k = ipdib::GetTransformKernels();

    // A height below eight runs each row alone in lane 0 (the other lanes stay zero from the
    // allocation).
    if (h >= size_t(kLanes)) {
        for (size_t r0 = 0; r0 < h; r0 += kLanes) {
            if (pPixels) {
                PixelsToLanes(lre, *pPixels, int(r0), nWidth);
            } else {
                k.RowsToLanes(lre, re + r0 * w, w, nWidth);
                k.RowsToLanes(lim, im + r0 * w, w, nWidth);
            }
            k.FftLanes(lre, lim, nWidth, rows.c, rows.w, pPixels != nullptr);
            k.LanesToRows(re + r0 * w, lre, w, nWidth, rows.rev, rows.scale);
            k.LanesToRows(im + r0 * w, lim, w, nWidth, rows.rev, rows.scale);
        }
    } else {
        for (size_t r = 0; r < h; ++r) {
            ColumnsToLanes(lre, re + r * w, 1, nWidth, 1);
            ColumnsToLanes(lim, im + r * w, 1, nWidth, 1);
            k.FftLanes(lre, lim, nWidth, rows.c, rows.w, false);
            LanesOut(re + r * w, 1, lre, nWidth, 1, rows);
            LanesOut(im + r * w, 1, lim, nWidth, 1, rows);
        }
    }
    if (w < size_t(kLanes)) {
        // Fewer than eight columns: one short block.
        ColumnsToLanes(lre, re, nWidth, nHeight, nWidth);
        ColumnsToLanes(lim, im, nWidth, nHeight, nWidth);
        k.FftLanes(lre, lim, nHeight, cols.c, cols.w, false);
        LanesOut(re, w, lre, nHeight, nWidth, cols);
        LanesOut(im, w, lim, nHeight, nWidth, cols);
        if (pExtremes) k.Extremes(re, im, w * h, pExtremes);
    } else {
        // Columns kGroups x eight at a time, copied row by row: each row then gives a few
        // neighbouring cache lines, which the processor fetches ahead, rather than one line a
        // whole row away from the next.
        for (size_t c0 = 0; c0 < w; c0 += kGroups * kLanes) {
            const int nGroups = int((w - c0) / kLanes < kGroups ? (w - c0) / kLanes : kGroups);
            for (size_t t = 0; t < h; ++t)
                for (int g = 0; g < nGroups; ++g) {
                    const size_t to = g * groupStride + t * kLanes, from = t * w + c0 + g * kLanes;
                    std::memcpy(lre + to, re + from, sizeof(double) * kLanes);
                    std::memcpy(lim + to, im + from, sizeof(double) * kLanes);
                }
            for (int g = 0; g < nGroups; ++g)
                k.FftLanes(lre + g * groupStride, lim + g * groupStride, nHeight, cols.c, cols.w, false);
            double block[6];
            k.LanesToColumns(re + c0, im + c0, w, lre, lim, groupStride, nGroups, nHeight, cols.rev, cols.scale,
                             pExtremes ? block : nullptr);
            if (pExtremes) MergeExtremes(pExtremes, block, c0 == 0);
        }
    }
    free(work);
    free(rev);
    return 1;
}

int CIPDib::FFT2D(double* re, double* im, int nWidth, int nHeight, int nDirection) {
    return Transform2D(re, im, nWidth, nHeight, nDirection, nullptr, nullptr);
}

int CIPDib::FFT2(int nDirection) {
    if (m_nBitCount != 8) return 0;
    if (nDirection == 1) {
        if (!DibRowsComplete(*this)) return 0;
        const long long nFftWidth = PaddedSize(m_nWidth), nFftHeight = PaddedSize(m_nHeight);
        // A spectrum of the same size is overwritten where it stands (which saves the system
        // handing out and clearing fresh pages); otherwise the old arrays go first.
        const bool bReuse = m_pFftRe && m_pFftIm && nFftWidth == m_nFftWidth && nFftHeight == m_nFftHeight;
        if (!bReuse) {
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
        }
        // With eight rows or more the transform reads the pixels itself; otherwise they are
        // copied in first, zeros beyond them.
        if (m_nFftHeight < kLanes) {
            std::memset(m_pFftIm, 0, sizeof(double) * size_t(m_nFftWidth) * size_t(m_nFftHeight));
            for (int r = 0; r < m_nFftHeight; ++r) {
                double* to = m_pFftRe + size_t(r) * size_t(m_nFftWidth);
                std::memset(to, 0, sizeof(double) * size_t(m_nFftWidth));
                if (r < m_nHeight)
                    for (int c = 0; c < m_nWidth; ++c) to[c] = StoredRow(r)[c];
            }
        }
    } else if (!m_pFftRe || !m_pFftIm) {
        return ReportError(DibMsg::FftNoForward);
    }
    double e[6];
    const bool bForward = nDirection == 1;
    if (!Transform2D(m_pFftRe, m_pFftIm, m_nFftWidth, m_nFftHeight, nDirection,
                     bForward && m_nFftHeight >= kLanes ? this : nullptr, bForward ? e : nullptr))
        return 0;
    if (!bForward) return 1;

    // The extremes of a scan in storage order: where a largest or smallest part is zero, the
    // first zero met gives its sign.  The magnitude's are the square roots of those of
    // re x re + im x im (never -0).
    for (int q = 2; q < 6; ++q)
        if (e[q] == 0) {
            const double* a = q < 4 ? m_pFftRe : m_pFftIm;
            size_t i = 0;
            while (a[i] != 0) ++i;
            e[q] = a[i];
        }
    m_dFftMagMax = std::sqrt(e[0]);
    m_dFftMagMin = std::sqrt(e[1]);
    m_dFftReMax = e[2];
    m_dFftReMin = e[3];
    m_dFftImMax = e[4];
    m_dFftImMin = e[5];
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
