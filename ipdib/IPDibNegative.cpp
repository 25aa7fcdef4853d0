// The negative: a colour image inverts its pixels, a palette image its palette.
#include "ipdib/FilterInternal.h"

void CIPDib::InvertPixels() {
    if ((m_nBitCount != 8 && m_nBitCount != 24) || !DibRowsComplete(*this)) return;
    for (int r = 0; r < m_nHeight; ++r) {
        BYTE* row = StoredRow(r);
        for (int t = 0; t < m_nRowBytes; ++t) row[t] = BYTE(255 - row[t]);
    }
    m_bHistValid = 0;
}

void CIPDib::Negative() {
    if (m_nBitCount == 24) {
        InvertPixels();
        return;
    }
    if (m_lpBuf && m_lpPalette) {
        // Only the entries that lie inside the image block.
        long long nAvail = m_dwBufSize > 54 ? ((long long)m_dwBufSize - 54) / 4 : 0;
        long long nEntries = m_nColors < 0 ? 0 : m_nColors < nAvail ? m_nColors : nAvail;
        for (long long e = 0; e < nEntries; ++e) {
            RGBQUAD& q = m_lpPalette[e];
            q.rgbBlue = BYTE(255 - q.rgbBlue);
            q.rgbGreen = BYTE(255 - q.rgbGreen);
            q.rgbRed = BYTE(255 - q.rgbRed);
        }
    }
    m_bHistValid = 0;
}
