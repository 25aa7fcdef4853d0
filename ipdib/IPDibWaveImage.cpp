// The wavelet transform of 8-bit images: the size of the coefficient array, the image extended
// beyond its borders, decomposition into sub-bands and reconstruction back to an image, and
// arrays of doubles or ints rendered as 8-bit images.
//
// Every image these operations make is built beside its destination and takes its place only
// when complete, so a failure leaves the destination as it was.
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "dib/DibBounds.h"
#include "ipdib/IPDib.h"
#include "ipdib/TransformInternal.h"

namespace {

// The most levels a decomposition may have (each halves the array).
constexpr int kMaxLevels = 10;

// A rendered value rounded half-random into 0..255: v / 2 + 128 of the signed rendering can be
// 255.5, whose upper neighbour 256 would store as 0, so it stays at 255 (after the draw).  A value
// that is not finite stores 0 and draws nothing.
int RoundClamped(double x) {
    if (!std::isfinite(x)) return 0;
    int v = RoundHalfRandom(x);
    return v > 255 ? 255 : v;
}

// Index i of 0..n-1 for the periodic extension: i - floor(i / n) x n.
int Wrap(int i, int n) { return ((i % n) + n) % n; }

// The source index the extension reads for index i of a line of n (-1: zero), by type.
int ExtendedSource(int i, int n, int type) {
    if (i >= 0 && i < n) return i;
    switch (type) {
        case 0: return -1;
        case 1: {
            long long c = i < 0 ? -(long long)i : 2LL * (n - 1) - i;
            return c >= 0 && c < n ? int(c) : -1;
        }
        case 2: return i < 0 ? 0 : n - 1;
        default: return Wrap(i, n);
    }
}

}  // namespace

int IntPower(int a, int n) {
    if (a == 0) return 0;
    long long p = 1;
    for (int i = 0; i < n; ++i) {
        p *= a;
        if (p > INT_MAX || p < INT_MIN) return 0;
    }
    return int(p);
}

int WaveletPad(int size, int filterLen, int levels) {
    if (size < 0 || levels > 30) return -1;
    const long long d = IntPower(2, levels);
    const long long s = size + (size % 2 ? 1LL : 0LL);
    const long long b = ((long long)(int)(filterLen * 0.8) + 1) * IntPower(2, levels - 1);
    const long long t = s + 2 * b;
    const long long pad = t % d == 0 ? b : ((t / d + 1) * d - s) / 2;
    return pad >= 0 && s + 2 * pad <= INT_MAX ? int(pad) : -1;
}

int WaveletExtendedSize(int size, int filterLen, int levels) {
    const int pad = WaveletPad(size, filterLen, levels);
    return pad < 0 ? -1 : size + size % 2 + 2 * pad;
}

BOOL CIPDib::ComputeWaveletPadding(int levels) {
    if (levels < 0 || levels > kMaxLevels || m_nWidth < 1 || m_nHeight < 1 || !m_pWaveLoD || !m_pWaveHiD ||
        !m_pWaveLoR || !m_pWaveHiR)
        return FALSE;
    int f = m_nWaveLoDLen;
    for (int len : {m_nWaveHiDLen, m_nWaveLoRLen, m_nWaveHiRLen}) f = len > f ? len : f;
    const int nExtWidth = WaveletExtendedSize(m_nWidth, f, levels);
    const int nExtHeight = WaveletExtendedSize(m_nHeight, f, levels);
    if (nExtWidth < 0 || nExtHeight < 0) return FALSE;
    m_nWavePadX = WaveletPad(m_nWidth, f, levels);
    m_nWavePadY = WaveletPad(m_nHeight, f, levels);
    m_nWaveExtWidth = nExtWidth;
    m_nWaveExtHeight = nExtHeight;
    m_nWaveLevels = levels;
    return TRUE;
}

BOOL CIPDib::ExtendImage(CIPDib& dest, int padX, int padY, int type) {
    if (m_nBitCount != 8 || !DibRowsComplete(*this) || padX < 0 || padY < 0) return FALSE;
    const int W = m_nWidth, H = m_nHeight;
    const long long nDestW = W + 2LL * padX + W % 2, nDestH = H + 2LL * padY + H % 2;
    if (nDestW > INT_MAX || nDestH > INT_MAX) return FALSE;
    const BOOL bDone = dest.BuildInPlace([&](CDib& built) {
        if (!built.Create(int(nDestW), int(nDestH), 8)) return FALSE;
        // Rows top-down: each destination row's central part from its source row, then its
        // sides from that central part.
        for (int yd = 0; yd < nDestH; ++yd) {
            BYTE* to = built.PictureRow(yd);
            const int src = ExtendedSource(yd - padY, H, type);
            if (src >= 0) std::memcpy(to + padX, PictureRow(src), size_t(W));
            auto side = [&](int xd) {
                const int c = ExtendedSource(xd - padX, W, type);
                to[xd] = c < 0 ? 0 : to[padX + c];
            };
            for (int xd = 0; xd < padX; ++xd) side(xd);
            for (int xd = padX + W; xd < nDestW; ++xd) side(xd);
        }
        return TRUE;
    });
    if (bDone) dest.ForgetAnalysis();
    return bDone;
}

BOOL CIPDib::WaveletDecompose(double* data, int levels, int type) {
    if (!data || !ComputeWaveletPadding(levels)) return FALSE;
    CIPDib work;
    if (!ExtendImage(work, m_nWavePadX, m_nWavePadY, type) || !work.SetWavelet(m_strWavelet)) {
        if (work.m_nError) m_nError = work.m_nError;
        return FALSE;
    }
    // The extension is explicit: the convolutions read zeros beyond it.
    work.m_nBorderMode = 0;
    if (!work.WaveletDecomposeLevels(data, levels)) {
        if (work.m_nError) m_nError = work.m_nError;
        return FALSE;
    }
    return TRUE;
}

BOOL CIPDib::WaveletReconstruct(CIPDib& dest, const double* data, int levels, int mode) {
    // Without a layout, or with more levels than it was made for, the array's size is unknown or
    // does not halve evenly often enough.
    if (!data || m_nBitCount != 8 || !DibRowsComplete(*this) || m_nWaveLevels < 0 || levels < 0 ||
        levels > m_nWaveLevels)
        return FALSE;
    const int nExtW = m_nWaveExtWidth, nExtH = m_nWaveExtHeight;
    double* work = AllocWork<double>(size_t(nExtW) * size_t(nExtH));
    if (!work) return FALSE;
    const int nSavedMode = m_nBorderMode;
    m_nBorderMode = 0;
    BOOL bDone = WaveletReconstructLevels(work, data, nExtW, nExtH, levels);
    m_nBorderMode = nSavedMode;
    // The whole extended array is rounded (with its draws) before the image is cut out of it.
    CIPDib rendered;
    if (bDone) bDone = DoublesToImage(rendered, work, nExtW, nExtH, mode);
    free(work);
    if (!bDone) {
        if (rendered.m_nError) m_nError = rendered.m_nError;
        return FALSE;
    }
    const int W = m_nWidth, H = m_nHeight, padX = m_nWavePadX, padY = m_nWavePadY;
    bDone = dest.BuildInPlace([&](CDib& built) {
        if (!built.Create(W, H, 8)) return FALSE;
        for (int y = 0; y < H; ++y) std::memcpy(built.PictureRow(y), rendered.PictureRow(padY + y) + padX, size_t(W));
        return TRUE;
    });
    if (bDone) dest.ForgetAnalysis();
    return bDone;
}

BOOL CIPDib::WaveletReconstructUnextended(CIPDib& dest, const double* data, int levels, int mode) {
    if (!data || m_nBitCount != 8 || !DibRowsComplete(*this)) return FALSE;
    double* work = AllocWork<double>(size_t(m_nWidth) * size_t(m_nHeight));
    if (!work) return FALSE;
    BOOL bDone = WaveletReconstructLevels(work, data, m_nWidth, m_nHeight, levels) &&
                 DoublesToImage(dest, work, m_nWidth, m_nHeight, mode);
    free(work);
    return bDone;
}

namespace {

// The largest and the smallest of n values as the scaled rendering finds them: the first value
// sets both, a later one replaces the largest when greater, otherwise the smallest when smaller.
template <class T>
void ScanRange(const T* data, size_t n, T& vMax, T& vMin) {
    vMax = vMin = data[0];
    for (size_t i = 1; i < n; ++i) {
        if (data[i] > vMax)
            vMax = data[i];
        else if (data[i] < vMin)
            vMin = data[i];
    }
}

// Fills the 8-bit image built (width x height) with pixel(value) of the row-major array, storage
// row r from row r; pixel may change the value in the array.
template <class T, class Pixel>
int FillRows(CDib& built, T* data, int width, int height, Pixel pixel) {
    if (!built.Create(width, height, 8)) return 0;
    for (int r = 0; r < height; ++r) {
        BYTE* to = built.StoredRow(r);
        T* row = data + size_t(r) * size_t(width);
        for (int c = 0; c < width; ++c) to[c] = BYTE(pixel(row[c]));
    }
    return 1;
}

}  // namespace

int CIPDib::DoublesToImage(CIPDib& dest, double* data, int width, int height, int mode) {
    if (!data || width < 1 || height < 1) return 0;
    double vMax = 0, vMin = 0;
    if (mode == 3) ScanRange(data, size_t(width) * size_t(height), vMax, vMin);
    const double range = vMax - vMin;
    const int nDone = dest.BuildInPlace([&](CDib& built) {
        return FillRows(built, data, width, height, [&](double& v) -> int {
            switch (mode) {
                case 0: return v > 255 ? 255 : v < 0 ? 0 : RoundClamped(v);
                case 1:
                    if (v < 0) v = -v;  // written back into the array
                    return v > 255 ? 255 : RoundClamped(v);
                case 2:
                    return v > 255 ? 255 : v < -256 ? 0 : v > 0 && v < 2 ? 129 : v < 0 && v > -2 ? 127 : RoundClamped(v / 2 + 128);
                case 3: {
                    const double t = v * 255 / range;  // a constant array: +-infinity, or NaN for 0
                    return t > 255 ? 255 : t < 0 ? 0 : RoundClamped(t);
                }
                default: return 0;  // the pixel is not written: it stays as created
            }
        });
    });
    if (nDone) dest.ForgetAnalysis();
    return nDone;
}

int CIPDib::IntsToImage(CIPDib& dest, int* data, int width, int height, int mode) {
    if (!data || width < 1 || height < 1) return 0;
    int vMax = 0, vMin = 0;
    if (mode == 3) ScanRange(data, size_t(width) * size_t(height), vMax, vMin);
    // In doubles: max - min of two ints can overflow an int, never a double.
    const double range = double(vMax) - double(vMin);
    const int nDone = dest.BuildInPlace([&](CDib& built) {
        return FillRows(built, data, width, height, [&](int& v) -> int {
            switch (mode) {
                case 0: return ClampByte(v);
                case 1:
                    if (v < 0) v = v == INT_MIN ? INT_MAX : -v;  // written back; -INT_MIN is no int
                    return v > 255 ? 255 : v;
                case 2: return v > 255 ? 255 : v < -256 ? 0 : v == 1 ? 129 : v == -1 ? 127 : v / 2 + 128;
                case 3: {
                    const double t = v * 255.0 / range;
                    return t > 255 ? 255 : t < 0 ? 0 : std::isnan(t) ? 0 : int(t);
                }
                default: return 0;
            }
        });
    });
    if (nDone) dest.ForgetAnalysis();
    return nDone;
}
