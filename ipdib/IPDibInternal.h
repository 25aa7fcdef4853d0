// What the analysis and point operations of CIPDib share: which images they can work on, and the
// two weighted sums that make a colour grey.
#pragma once

#include <cstddef>

#include "dib/DibBounds.h"
#include "dib/ImageMath.h"
#include "ipdib/IPDib.h"

namespace ipdib {

// True when the image holds every one of its rows, so that a loop over them stays in the block.
inline bool HoldsPixels(const CDib& dib) { return dib.IsValid() && DibRowsComplete(dib); }
inline bool Holds8Bit(const CDib& dib) { return dib.m_nBitCount == 8 && HoldsPixels(dib); }
inline bool Holds8Or24Bit(const CDib& dib) {
    return (dib.m_nBitCount == 8 || dib.m_nBitCount == 24) && HoldsPixels(dib);
}
// Bytes of pixels in a row, without the padding.
inline size_t PixelBytes(const CDib& dib) { return size_t(dib.m_nWidth) * size_t(dib.m_nBitCount / 8); }

// Palette entries the image block really holds (at most m_nColors and 256).
inline int PaletteEntries(const CDib& dib) {
    if (!dib.m_lpBuf || !dib.m_lpPalette || dib.m_dwBufSize <= 54) return 0;
    long long n = dib.m_nColors < 0 ? 0 : dib.m_nColors > 256 ? 256 : dib.m_nColors;
    long long nAvail = (dib.m_dwBufSize - 54) / 4;
    return int(n < nAvail ? n : nAvail);
}

// The grey level of the measuring operations and of the 8-bit channel mix, blue first.  The
// order of the additions matters at exact halves: keep it.
inline double GreyBlueFirst(int b, int g, int r) { return kGreyBlue * b + kGreyGreen * g + kGreyRed * r; }
// The grey level of the grey conversion, red first.
inline double GreyRedFirst(int r, int g, int b) { return kGreyRed * r + kGreyGreen * g + kGreyBlue * b; }
inline double ClampLevel(double v) { return v < 0.0 ? 0.0 : v > 255.0 ? 255.0 : v; }

}  // namespace ipdib
