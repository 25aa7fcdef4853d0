// How the image operations make the images they fill, and the bilinear sampling shared by the
// resampling and the warps.  Private to dib/.
#pragma once

#include "dib/DibBounds.h"
#include "dib/ImageMath.h"

// Makes dest a W x H image at the source's depth, with the source's palette (all 256 entries for
// 8 bits, see DibFullPalette).
inline BOOL CreateWithPaletteOf(CDib& dest, const CDib& source, int nWidth, int nHeight, int nFill) {
    RGBQUAD palette[256];
    const void* lpPalette = nullptr;
    if (source.m_nBitCount == 8) {
        DibFullPalette(source, palette);
        lpPalette = palette;
    }
    return dest.Create(nWidth, nHeight, source.m_nBitCount, lpPalette, nFill);
}

// Makes dest a W x H image at the source's depth from an info header that names as many palette
// entries as the source's does, with the source's palette; fill as Create takes it.  FALSE (and
// nothing changed) when the source's block does not hold that palette.
inline BOOL CreateWithHeaderOf(CDib& dest, const CDib& source, int nWidth, int nHeight, int nFill) {
    const DWORD nClrUsed = source.m_lpInfoHeader->biClrUsed;
    const size_t nColors = nClrUsed ? nClrUsed : size_t(DibDefaultColors(source.m_nBitCount));
    if (54 + 4 * nColors > source.m_dwBufSize) return FALSE;
    BITMAPINFOHEADER bih = {};
    bih.biSize = sizeof bih;
    bih.biWidth = nWidth;
    bih.biHeight = nHeight;
    bih.biPlanes = 1;
    bih.biBitCount = WORD(source.m_nBitCount);
    bih.biCompression = BI_RGB;
    bih.biClrUsed = nClrUsed;
    return dest.Create(&bih, source.m_lpPalette, nFill);
}

// Fills every pixel of dest (8 or 24 bits, as the source) with the bilinear samples of the source
// at the position rowPos(i), colPos(j) for destination stored row i and column j (positions in
// stored-row coordinates, 0 or more), each rounded at random and clamped to a byte.  The samples
// are rounded in stored-row order from row 0, each row's samples left to right: with random
// rounding at exact halves, that order decides which draw each sample gets.
template <class RowPos, class ColPos>
void SampleBilinear(const CDib& src, CDib& dest, RowPos rowPos, ColPos colPos) {
    const int c = src.m_nBitCount == 8 ? 1 : 3;
    const int nLastX = src.m_nWidth - 1, nLastY = src.m_nHeight - 1;
    for (int i = 0; i < dest.m_nHeight; ++i) {
        const double fy = rowPos(i);
        int y0 = int(fy);
        const double wy = 1 - (fy - y0);
        if (y0 > nLastY) y0 = nLastY;  // never past the last row, whatever the rounding
        const BYTE* row0 = src.StoredRow(y0);
        const BYTE* row1 = y0 < nLastY ? row0 + src.m_nRowBytes : row0;
        BYTE* out = dest.StoredRow(i);
        for (int j = 0; j < dest.m_nWidth; ++j) {
            const double fx = colPos(j);
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
}
