// Bilinear resampling: Resize into another image, and the fixed-point ResizeFrom.
#include "dib/DibSample.h"

int CDib::Resize(CDib& dest, const CRect& rect) {
    if (m_nBitCount != 8 && m_nBitCount != 24) return 0;
    if (rect.left < 0 || rect.top < 0 || rect.right < 0 || rect.bottom < 0) return 0;
    if (!DibRowsComplete(*this)) return 0;
    // Resampling an image into itself would overwrite the source while it is read.
    if (&dest == this) return BuildInPlace([&](CDib& built) { return Resize(built, rect); });

    const int W = rect.Width(), H = rect.Height();
    if (!DibHolds(dest, W, H, m_nBitCount) && !CreateWithPaletteOf(dest, *this, W, H, 0)) return 0;

    const double kx = double(W) / m_nWidth;
    const double ky = double(H) / m_nHeight;
    SampleBilinear(*this, dest, [ky](int i) { return i / ky; }, [kx](int j) { return j / kx; });
    return 1;
}

int CDib::ResizeFrom(short nSrcWidth, short nSrcHeight, const BYTE* lpSamples) {
    // The rows written are one byte per pixel: refuse images whose rows cannot hold them, and
    // anything that would make the reads leave the samples.
    if (!lpSamples || nSrcWidth <= 0 || nSrcHeight <= 0) return 0;
    if (!DibRowsComplete(*this) || m_nRowBytes < m_nWidth) return 0;

    const int w = nSrcWidth, h = nSrcHeight;
    const int W = m_nWidth, H = m_nHeight;
    // Steps in 1/1024 of a source sample, from single-precision scale factors.
    const float fy = float(H) / float(h);
    const float fx = float(W) / float(w);
    const long long sy = (long long)(1024 / fy + 0.5);
    const long long sx = (long long)(1024 / fx + 0.5);

    long long Y = 0;
    for (int i = 0; i < H; ++i, Y += sy) {
        long long y0 = Y >> 10, ty = Y & 1023;
        // The last source row has no row above it; a rounded-up step can even pass it.
        if (y0 >= h - 1) {
            y0 = h - 1;
            ty = 0;
        }
        const BYTE* src0 = lpSamples + size_t(y0) * w;
        const BYTE* src1 = ty ? src0 + w : nullptr;
        BYTE* out = StoredRow(i);
        long long X = 0;
        for (int j = 0; j < W; ++j, X += sx) {
            long long x0 = X >> 10, tx = X & 1023;
            if (x0 >= w - 1) {
                x0 = w - 1;
                tx = 0;
            }
            long long p00 = src0[x0];
            long long p10 = tx ? src0[x0 + 1] : 0;
            long long p01 = ty ? src1[x0] : 0;
            long long p11 = tx && ty ? src1[x0 + 1] : 0;
            long long v = (p00 << 20) + (p01 - p00) * ty * 1024 + (p10 - p00) * tx * 1024 +
                          (p00 + p11 - p10 - p01) * tx * ty;
            out[j] = BYTE(v >> 20);
        }
    }
    return H;
}
