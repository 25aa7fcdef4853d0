// Bilinear resampling: Resize into another image, and the fixed-point ResizeFrom.
#include <cstring>

#include "dib/DibBounds.h"
#include "dib/ImageMath.h"

int CDib::Resize(CDib& dest, const CRect& rect) {
    if (m_nBitCount != 8 && m_nBitCount != 24) return 0;
    if (rect.left < 0 || rect.top < 0 || rect.right < 0 || rect.bottom < 0) return 0;
    if (!DibRowsComplete(*this)) return 0;

    if (&dest == this) {
        // Resampling an image into itself would overwrite the source while it is read: go
        // through a temporary and keep this image's own CPR header.
        CDib temp;
        if (!Resize(temp, rect)) {
            if (temp.m_nError) m_nError = temp.m_nError;
            return 0;
        }
        CPRHEADER header = m_cprHeader;
        int nCprMode = m_nCprMode;
        Copy(temp);
        m_cprHeader = header;
        m_nCprMode = nCprMode;
        return m_lpBuf && m_nWidth == temp.m_nWidth && m_nHeight == temp.m_nHeight ? 1 : 0;
    }

    const int W = rect.Width(), H = rect.Height();
    bool bReuse = dest.m_lpBuf && dest.m_nWidth == W && dest.m_nHeight == H &&
                  dest.m_nBitCount == m_nBitCount && DibRowsComplete(dest);
    if (!bReuse) {
        // The new image has the full palette of its depth; entries this image does not have
        // are black, as its pixels with those indices are drawn.
        RGBQUAD palette[256] = {};
        const void* lpPalette = nullptr;
        if (m_nBitCount == 8) {
            size_t nEntries = size_t(m_nColors < 0 ? 0 : m_nColors > 256 ? 256 : m_nColors);
            size_t nAvail = m_dwBufSize > 54 ? (m_dwBufSize - 54) / 4 : 0;
            if (nEntries > nAvail) nEntries = nAvail;
            std::memcpy(palette, m_lpPalette, 4 * nEntries);
            lpPalette = palette;
        }
        if (!dest.Create(W, H, m_nBitCount, lpPalette, 0)) return 0;
    }

    const int c = m_nBitCount == 8 ? 1 : 3;
    const int nLastX = m_nWidth - 1, nLastY = m_nHeight - 1;
    const double kx = double(W) / m_nWidth;
    const double ky = double(H) / m_nHeight;
    for (int i = 0; i < H; ++i) {
        const double fy = i / ky;
        int y0 = int(fy);
        const double wy = 1 - (fy - y0);
        if (y0 > nLastY) y0 = nLastY;  // never past the last row, whatever the rounding
        const BYTE* row0 = StoredRow(y0);
        const BYTE* row1 = y0 < nLastY ? row0 + m_nRowBytes : row0;
        BYTE* out = dest.StoredRow(i);
        for (int j = 0; j < W; ++j) {
            const double fx = j / kx;
            int x0 = int(fx);
            const double wx = 1 - (fx - x0);
            if (x0 > nLastX) x0 = nLastX;
            const size_t p0 = size_t(x0) * c, p1 = p0 + c;
            for (int k = 0; k < c; ++k) {
                double v;
                if (x0 < nLastX && y0 < nLastY)
                    v = wx * wy * row0[p0 + k] + (1 - wx) * wy * row0[p1 + k] + wx * (1 - wy) * row1[p0 + k] +
                        (1 - wx) * (1 - wy) * row1[p1 + k];
                else if (y0 < nLastY)
                    v = wy * row0[p0 + k] + (1 - wy) * row1[p0 + k];
                else if (x0 < nLastX)
                    v = wx * row0[p0 + k] + (1 - wx) * row0[p1 + k];
                else
                    v = row0[p0 + k];
                out[size_t(j) * c + k] = BYTE(ClampByte(RoundHalfRandom(v)));
            }
        }
    }
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
