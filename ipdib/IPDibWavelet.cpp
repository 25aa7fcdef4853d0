// The wavelet transform's numerical core: selecting a bank, reading beyond the ends of a signal,
// one-dimensional convolution, one level of the separable two-dimensional decomposition and
// reconstruction, and the multi-level (pyramid) forms.
//
// The two-dimensional levels run eight rows or eight columns at a time through one vector kernel
// (TransformInternal.h).  Each signal is first written out with its extension, so the kernel
// reads plain memory; each lane adds the same products in the same order as Convolve1D, and
// terms that Convolve1D skips (a zero tap, a zero sample) add nothing, so the coefficients are
// bit for bit those of the one-signal form.  Only the outputs that are kept are computed.
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>

#include "dib/DibBounds.h"
#include "ipdib/IPDib.h"
#include "ipdib/TransformInternal.h"

namespace {

using ipdib::kLanes;

// Where a read beyond the ends of a signal lands: the index read, or -1 for a zero.  (In wide
// integers: any int may be asked for.)
int ExtendedIndex(int index, int last, int nMode) {
    if (index >= 0 && index <= last) return index;
    long long i = index;
    switch (nMode) {
        case 1: i = i < 0 ? -i : 2LL * last - i; break;
        case 2: return last < 0 ? -1 : i < 0 ? 0 : last;
        case 3: i = i < 0 ? i + last : i - last; break;
        default: return -1;
    }
    return i >= 0 && i <= last ? int(i) : -1;
}

// One filter as the kernel runs it: its non-zero taps in order, each with the row of the
// extended signal it reads for output 0.
struct Taps {
    double value[64];
    int offset[64];
    int nCount = 0;
};

// The two filters of one pass (low-pass and high-pass) as the kernel runs them, and the
// extension of the signal they need.  Output i reads index i - j - shift for tap j.
struct PassFilters {
    int nBefore = 0, nAfter = 0;  // extension rows before index 0 and after the last index
    Taps taps[2];

    PassFilters(const double* lo, int nLoLen, int nLoShift, const double* hi, int nHiLen, int nHiShift) {
        const double* h[2] = {lo, hi};
        const int nLen[2] = {nLoLen, nHiLen}, nShift[2] = {nLoShift, nHiShift};
        for (int f = 0; f < 2; ++f) {
            nBefore = std::max(nBefore, nLen[f] - 1 + nShift[f]);
            nAfter = std::max(nAfter, -nShift[f]);
        }
        for (int f = 0; f < 2; ++f)
            for (int j = 0; j < nLen[f]; ++j)
                if (h[f][j] != 0) {
                    taps[f].value[taps[f].nCount] = h[f][j];
                    taps[f].offset[taps[f].nCount++] = nBefore - j - nShift[f];
                }
    }
};

// Whether a filter can be run: present, and with a length the planning holds.
bool UsableFilter(const double* h, int nLen) { return h && nLen >= 1 && nLen <= 64; }
bool HasBank(const CIPDib& dib) {
    return UsableFilter(dib.m_pWaveLoD, dib.m_nWaveLoDLen) && UsableFilter(dib.m_pWaveHiD, dib.m_nWaveHiDLen) &&
           UsableFilter(dib.m_pWaveLoR, dib.m_nWaveLoRLen) && UsableFilter(dib.m_pWaveHiR, dib.m_nWaveHiRLen);
}

// Eight signals of n samples in lanes, nBefore extension rows first: fills the rows beyond the
// ends from the interior by the border mode (lanes of signals that are not there do not matter).
void ExtendLanes(double* ext, int n, int nBefore, int nAfter, int nMode) {
    auto fill = [&](int e) {
        int src = ExtendedIndex(e, n - 1, nMode);
        double* to = ext + size_t(e + nBefore) * kLanes;
        if (src < 0)
            std::memset(to, 0, sizeof(double) * kLanes);
        else
            std::memcpy(to, ext + size_t(src + nBefore) * kLanes, sizeof(double) * kLanes);
    };
    for (int e = -nBefore; e < 0; ++e) fill(e);
    for (int e = n; e < n + nAfter; ++e) fill(e);
}

// The working memory of the two-dimensional levels, for arrays up to w x h: the intermediate
// array and, for the lanes, the extended signals and two kernel outputs.
struct LevelWork {
    double* inter = nullptr;
    double* ext = nullptr;
    double* y = nullptr;
    double* y2 = nullptr;

    bool Alloc(CDib& dib, int w, int h, const PassFilters& p) {
        const size_t n = size_t(std::max(w, h));
        inter = dib.AllocWork<double>(size_t(w) * size_t(h));
        ext = inter ? dib.AllocWork<double>((n + p.nBefore + p.nAfter) * kLanes) : nullptr;
        y = ext ? dib.AllocWork<double>(2 * n * kLanes) : nullptr;
        y2 = y ? y + n * kLanes : nullptr;
        return y != nullptr;
    }
    ~LevelWork() {
        free(inter);
        free(ext);
        free(y);
    }
};

// Eight rows (nRows of them real), stride apart, into lanes and back: the kernels' transposes
// for whole blocks, one value at a time for the last, short one.
void RowsIn(const ipdib::TransformKernels& k, double* lanes, const double* a, size_t stride, int n, int nRows) {
    if (nRows == kLanes) return k.RowsToLanes(lanes, a, stride, n);
    for (int l = 0; l < nRows; ++l)
        for (int t = 0; t < n; ++t) lanes[size_t(t) * kLanes + l] = a[l * stride + t];
}
void RowsOut(const ipdib::TransformKernels& k, double* a, const double* lanes, size_t stride, int n, int nRows) {
    if (nRows == kLanes) return k.LanesToRows(a, lanes, stride, n, nullptr, 1.0);
    for (int l = 0; l < nRows; ++l)
        for (int t = 0; t < n; ++t) a[l * stride + t] = lanes[size_t(t) * kLanes + l];
}
// Eight columns (nCols of them real) of rows stride apart into lanes and back.
void ColumnsIn(double* lanes, const double* a, size_t stride, int n, int nCols) {
    for (int t = 0; t < n; ++t)
        if (nCols == kLanes)
            std::memcpy(lanes + size_t(t) * kLanes, a + t * stride, sizeof(double) * kLanes);
        else
            std::memcpy(lanes + size_t(t) * kLanes, a + t * stride, sizeof(double) * size_t(nCols));
}
void ColumnsOut(double* a, const double* lanes, size_t stride, int n, int nCols) {
    for (int t = 0; t < n; ++t)
        if (nCols == kLanes)
            std::memcpy(a + t * stride, lanes + size_t(t) * kLanes, sizeof(double) * kLanes);
        else
            std::memcpy(a + t * stride, lanes + size_t(t) * kLanes, sizeof(double) * size_t(nCols));
}
// Lanes of a half (nKept samples) at the even positions of an upsampled signal of n, zeros at
// the odd ones, from row nBefore of ext on.
void Upsample(double* ext, const double* half, int n) {
    for (int t = 0; t < n; ++t) {
        double* to = ext + size_t(t) * kLanes;
        if (t % 2)
            std::memset(to, 0, sizeof(double) * kLanes);
        else
            std::memcpy(to, half + size_t(t / 2) * kLanes, sizeof(double) * kLanes);
    }
}
// a = a + b, lane by lane, over n samples: the low-pass result plus the high-pass one.
void AddLanes(double* a, const double* b, int n) {
    for (size_t i = 0; i < size_t(n) * kLanes; ++i) a[i] = a[i] + b[i];
}

// One decomposition level of the width x height region in (rows inStride apart) into the region
// out (rows outStride apart), which may be in itself: the row pass has read all of in into the
// intermediate array before the column pass writes out.
void Decompose(const CIPDib& dib, double* out, size_t outStride, const double* in, size_t inStride, int width,
               int height, const PassFilters& p, LevelWork& work) {
    const ipdib::TransformKernels& k = ipdib::GetTransformKernels();
    const size_t w = size_t(width);
    double* ext = work.ext;
    double* y = work.y;

    // Rows: the even outputs of the low-pass filter to the left half, of the high-pass filter
    // from column width / 2 on (for an odd width the two halves share a column; the high-pass
    // value is written last).
    const int nKeptW = (width + 1) / 2;
    for (int r0 = 0; r0 < height; r0 += kLanes) {
        const int nRows = std::min(kLanes, height - r0);
        RowsIn(k, ext + size_t(p.nBefore) * kLanes, in + r0 * inStride, inStride, width, nRows);
        ExtendLanes(ext, width, p.nBefore, p.nAfter, dib.m_nBorderMode);
        for (int f = 0; f < 2; ++f) {
            k.ConvolveLanes(y, ext, nKeptW, 2, p.taps[f].offset, p.taps[f].value, p.taps[f].nCount);
            RowsOut(k, work.inter + r0 * w + (f ? w / 2 : 0), y, w, nKeptW, nRows);
        }
    }
    // Columns: low-pass to storage rows height / 2 on (the top of the picture), high-pass to
    // rows 0 on.
    const int nKeptH = (height + 1) / 2;
    for (int c0 = 0; c0 < width; c0 += kLanes) {
        const int nCols = std::min(kLanes, width - c0);
        ColumnsIn(ext + size_t(p.nBefore) * kLanes, work.inter + c0, w, height, nCols);
        ExtendLanes(ext, height, p.nBefore, p.nAfter, dib.m_nBorderMode);
        for (int f = 0; f < 2; ++f) {
            k.ConvolveLanes(y, ext, nKeptH, 2, p.taps[f].offset, p.taps[f].value, p.taps[f].nCount);
            ColumnsOut(out + (f ? 0 : size_t(height / 2)) * outStride + c0, y, outStride, nKeptH, nCols);
        }
    }
}

// One reconstruction level, as Decompose: the column pass reads in, the row pass writes out.
void Reconstruct(const CIPDib& dib, double* out, size_t outStride, const double* in, size_t inStride, int width,
                 int height, const PassFilters& p, LevelWork& work) {
    const ipdib::TransformKernels& k = ipdib::GetTransformKernels();
    const size_t w = size_t(width);
    double* ext = work.ext;

    // Columns: each half upsampled (its values at the even positions, zeros between), filtered,
    // and the high-pass result added to the low-pass one.
    const int nKeptH = (height + 1) / 2;
    for (int c0 = 0; c0 < width; c0 += kLanes) {
        const int nCols = std::min(kLanes, width - c0);
        for (int f = 0; f < 2; ++f) {
            double* y = f ? work.y2 : work.y;
            ColumnsIn(y, in + (f ? 0 : size_t(height / 2)) * inStride + c0, inStride, nKeptH, nCols);
            Upsample(ext + size_t(p.nBefore) * kLanes, y, height);
            ExtendLanes(ext, height, p.nBefore, p.nAfter, dib.m_nBorderMode);
            k.ConvolveLanes(y, ext, height, 1, p.taps[f].offset, p.taps[f].value, p.taps[f].nCount);
        }
        AddLanes(work.y, work.y2, height);
        ColumnsOut(work.inter + c0, work.y, w, height, nCols);
    }
    // Rows: the same with the left half and the right half (from column width / 2).
    const int nKeptW = (width + 1) / 2;
    for (int r0 = 0; r0 < height; r0 += kLanes) {
        const int nRows = std::min(kLanes, height - r0);
        for (int f = 0; f < 2; ++f) {
            double* y = f ? work.y2 : work.y;
            RowsIn(k, y, work.inter + r0 * w + (f ? w / 2 : 0), w, nKeptW, nRows);
            Upsample(ext + size_t(p.nBefore) * kLanes, y, width);
            ExtendLanes(ext, width, p.nBefore, p.nAfter, dib.m_nBorderMode);
            k.ConvolveLanes(y, ext, width, 1, p.taps[f].offset, p.taps[f].value, p.taps[f].nCount);
        }
        AddLanes(work.y, work.y2, width);
        RowsOut(k, out + r0 * outStride, work.y, outStride, width, nRows);
    }
}

PassFilters DecompositionFilters(const CIPDib& dib) {
    return PassFilters(dib.m_pWaveLoD, dib.m_nWaveLoDLen, -(dib.m_nWaveLoDLen / 2), dib.m_pWaveHiD, dib.m_nWaveHiDLen,
                       -(dib.m_nWaveHiDLen / 2));
}
PassFilters ReconstructionFilters(const CIPDib& dib) {
    return PassFilters(dib.m_pWaveLoR, dib.m_nWaveLoRLen, 1 - dib.m_nWaveLoRLen / 2, dib.m_pWaveHiR, dib.m_nWaveHiRLen,
                       1 - dib.m_nWaveHiRLen / 2);
}

}  // namespace

// ---- selection ----

BOOL CIPDib::SetWavelet(const char* lpszName) {
    if (!lpszName) return FALSE;
    std::string name(lpszName);
    for (char& ch : name) ch = char(std::tolower(static_cast<unsigned char>(ch)));
    const ipdib::WaveBank* bank = nullptr;
    for (int i = 0; i < ipdib::WaveBankCount() && !bank; ++i)
        if (name == ipdib::WaveBankAt(i)->lpszName) bank = ipdib::WaveBankAt(i);
    // An unknown name leaves the bank in force as it is (with its name), so that the name and
    // the filters always belong together.
    if (!bank) return FALSE;

    const int L = bank->nLength;
    double* lpLoD = AllocWork<double>(size_t(L));
    double* lpHiD = lpLoD ? AllocWork<double>(size_t(L)) : nullptr;
    double* lpLoR = lpHiD ? AllocWork<double>(size_t(L)) : nullptr;
    double* lpHiR = lpLoR ? AllocWork<double>(size_t(L)) : nullptr;
    if (!lpHiR) {
        free(lpLoD);
        free(lpHiD);
        free(lpLoR);
        return FALSE;
    }
    free(m_pWaveHiD);
    free(m_pWaveLoD);
    free(m_pWaveHiR);
    free(m_pWaveLoR);
    m_strWavelet = CString(name);
    m_pWaveLoD = lpLoD;
    m_pWaveHiD = lpHiD;
    m_pWaveLoR = lpLoR;
    m_pWaveHiR = lpHiR;
    m_nWaveHiDLen = m_nWaveLoDLen = m_nWaveHiRLen = m_nWaveLoRLen = L;
    for (int i = 0; i < L; ++i) {
        m_pWaveLoD[i] = bank->lpLoD[i];
        m_pWaveHiD[i] = bank->lpHiD[i];
    }
    for (int i = 0; i < L; ++i) {
        m_pWaveLoR[i] = i % 2 ? m_pWaveHiD[i] : -m_pWaveHiD[i];
        m_pWaveHiR[i] = i % 2 ? -m_pWaveLoD[i] : m_pWaveLoD[i];
    }
    return TRUE;
}

int CIPDib::WaveletCount() { return ipdib::WaveBankCount(); }

const char* CIPDib::WaveletName(int nIndex) {
    const ipdib::WaveBank* bank = ipdib::WaveBankAt(nIndex);
    return bank ? bank->lpszName : nullptr;
}

// ---- one dimension ----

double CIPDib::GetExtendedValue(const double* x, int index, int last) const {
    int i = ExtendedIndex(index, last, m_nBorderMode);
    return i < 0 ? 0.0 : x[i];
}

void CIPDib::Convolve1D(double* x, int n, const double* h, int hLen, int shift) {
    if (!x || !h || n < 1) return;
    double* copy = AllocWork<double>(size_t(n));
    if (!copy) return;
    std::memcpy(copy, x, sizeof(double) * size_t(n));
    for (int i = 0; i < n; ++i) {
        double y = 0;
        for (int j = 0; j < hLen; ++j) {
            const double e = GetExtendedValue(copy, i - j - shift, n - 1);
            if (e == 0 || h[j] == 0) continue;
            if (e == 1.0)
                y += h[j];
            else if (h[j] == 1.0)
                y += e;
            else
                y += h[j] * e;
        }
        x[i] = y;
    }
    free(copy);
}

// ---- one level in two dimensions ----

BOOL CIPDib::WaveletDecompose2D(double* out, const double* in, int width, int height) {
    if (!out || !in || width < 1 || height < 1 || !HasBank(*this)) return FALSE;
    const PassFilters p = DecompositionFilters(*this);
    LevelWork work;
    if (!work.Alloc(*this, width, height, p)) return FALSE;
    Decompose(*this, out, size_t(width), in, size_t(width), width, height, p, work);
    return TRUE;
}

BOOL CIPDib::WaveletReconstruct2D(double* out, const double* in, int width, int height) {
    if (!out || !in || width < 1 || height < 1 || !HasBank(*this)) return FALSE;
    const PassFilters p = ReconstructionFilters(*this);
    LevelWork work;
    if (!work.Alloc(*this, width, height, p)) return FALSE;
    Reconstruct(*this, out, size_t(width), in, size_t(width), width, height, p, work);
    return TRUE;
}

// ---- several levels ----

namespace {

// Whether levels (0 to 10) halvings of a width x height array each leave a sample.
bool LevelsFit(int width, int height, int levels) {
    return levels >= 0 && levels <= 10 && width >= 1 && height >= 1 && (width >> levels) >= 1 && (height >> levels) >= 1;
}

}  // namespace

// Each level works in place on the top-left w x h corner of the picture (storage rows
// height - h on), rows width apart.
BOOL CIPDib::WaveletDecomposeLevels(double* data, int levels) {
    if (!data || m_nBitCount != 8 || !DibRowsComplete(*this) || !LevelsFit(m_nWidth, m_nHeight, levels) ||
        (levels > 0 && !HasBank(*this)))
        return FALSE;
    const int width = m_nWidth, height = m_nHeight;
    LevelWork work;
    const PassFilters p = levels > 0 ? DecompositionFilters(*this) : PassFilters(nullptr, 0, 0, nullptr, 0, 0);
    if (levels > 0 && !work.Alloc(*this, width, height, p)) return FALSE;
    for (int r = 0; r < height; ++r) {
        const BYTE* row = StoredRow(r);
        for (int c = 0; c < width; ++c) data[size_t(r) * width + c] = row[c];
    }
    for (int l = 0, w = width, h = height; l < levels; ++l, w /= 2, h /= 2) {
        double* corner = data + size_t(height - h) * width;
        Decompose(*this, corner, size_t(width), corner, size_t(width), w, h, p, work);
    }
    return TRUE;
}

BOOL CIPDib::WaveletReconstructLevels(double* out, const double* in, int width, int height, int levels) {
    if (!out || !in || m_nBitCount != 8 || !LevelsFit(width, height, levels) || (levels > 0 && !HasBank(*this)))
        return FALSE;
    LevelWork work;
    const PassFilters p = levels > 0 ? ReconstructionFilters(*this) : PassFilters(nullptr, 0, 0, nullptr, 0, 0);
    if (levels > 0 && !work.Alloc(*this, width, height, p)) return FALSE;
    std::memmove(out, in, sizeof(double) * size_t(width) * size_t(height));
    const int w0 = width >> levels, h0 = height >> levels;
    for (int j = 1; j <= levels; ++j) {
        const int w = w0 << j, h = h0 << j;
        double* corner = out + size_t(height - h) * width;
        Reconstruct(*this, corner, size_t(width), corner, size_t(width), w, h, p, work);
    }
    return TRUE;
}
