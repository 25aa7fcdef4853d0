#include "tests/support/Snapshot.h"

namespace moro_test {

DibSnapshot Snapshot(const CDib& dib) {
    DibSnapshot s;
    if (dib.m_lpBuf) s.block.assign(dib.m_lpBuf, dib.m_lpBuf + dib.m_dwBufSize);
    s.dwBufSize = dib.m_dwBufSize;
    s.nWidth = dib.m_nWidth;
    s.nHeight = dib.m_nHeight;
    s.nBitCount = dib.m_nBitCount;
    s.nColors = dib.m_nColors;
    s.nRowBytes = dib.m_nRowBytes;
    s.nImageSize = dib.m_nImageSize;
    s.nBitsOffset = dib.m_lpBits ? dib.m_lpBits - dib.m_lpBuf : -1;
    s.nPaletteOffset = dib.m_lpPalette ? reinterpret_cast<const BYTE*>(dib.m_lpPalette) - dib.m_lpBuf : -1;
    return s;
}

}  // namespace moro_test
