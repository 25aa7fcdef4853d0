// How much of an image block really holds what its header describes.  The display and the
// resampling read rows through these, so a record that was changed by hand, or a block shorter
// than its header claims, can never make them read or write outside the block.
#pragma once

#include "dib/Dib.h"

// Complete rows of nRowBytes that lie inside the image block from m_lpBits.
inline long long DibRowsInBlock(const CDib& dib, long long nRowBytes) {
    if (!dib.m_lpBuf || !dib.m_lpBits || nRowBytes <= 0) return 0;
    if (dib.m_lpBits < dib.m_lpBuf || dib.m_lpBits > dib.m_lpBuf + dib.m_dwBufSize) return 0;
    return (long long)(dib.m_lpBuf + dib.m_dwBufSize - dib.m_lpBits) / nRowBytes;
}

// Complete stored rows of m_nRowBytes that lie inside the image block from m_lpBits.
inline long long DibRowsInBlock(const CDib& dib) { return DibRowsInBlock(dib, dib.m_nRowBytes); }

// True when the image holds a block with all m_nHeight rows of a positive size inside it.
inline bool DibRowsComplete(const CDib& dib) {
    return dib.m_nWidth > 0 && dib.m_nHeight > 0 && DibRowsInBlock(dib) >= dib.m_nHeight;
}

// What of the block the drawing calls may read, judged by the info header in the block (which is
// what they are handed): the header and its palette must lie inside the block.  Returns the
// complete scan lines behind m_lpBits, at most the header's height (0 if none or unusable).
inline long long DibDrawableLines(const CDib& dib) {
    if (!dib.m_lpBuf || dib.m_dwBufSize < 54 || !dib.m_lpBits) return 0;
    const BITMAPINFOHEADER* bih = dib.m_lpInfoHeader;
    if (bih->biSize < sizeof(BITMAPINFOHEADER) || bih->biWidth <= 0 || bih->biHeight <= 0) return 0;
    unsigned long long nEntries = 0;
    if (bih->biBitCount <= 8) {
        unsigned long long nMax = 1ull << bih->biBitCount;
        nEntries = bih->biClrUsed && bih->biClrUsed < nMax ? bih->biClrUsed : nMax;
    }
    if (14ull + bih->biSize + 4 * nEntries > dib.m_dwBufSize) return 0;
    long long nLines = DibRowsInBlock(dib, DibRowBytes(bih->biWidth, bih->biBitCount));
    return nLines < bih->biHeight ? nLines : bih->biHeight;
}

// Whether a compressed file of nFileBytes can really hold a width x height image of nBits per
// pixel.  Deflate and block coding compress a flat picture about a thousand to one at best; a
// header that claims more is a damaged or hostile file, refused before anything is allocated, so
// that a small file can never cost gigabytes.
inline bool DibDecodedSizeBelievable(unsigned long long nWidth, unsigned long long nHeight, int nBits,
                                     unsigned long long nFileBytes) {
    constexpr unsigned long long kSlack = 32ull << 20, kRatio = 1100;
    if (nWidth == 0 || nHeight == 0 || nWidth > 0x7FFFFFFF || nHeight > 0x7FFFFFFF) return false;
    unsigned long long nBytes = (nWidth * nBits + 7) / 8 * nHeight;
    return nBytes <= kSlack + kRatio * nFileBytes;
}

// True when the image holds a complete bitmap of exactly this size and depth, so an operation
// may write its result into it in place.
inline bool DibHolds(const CDib& dib, int nWidth, int nHeight, int nBitCount) {
    return dib.m_lpBuf && dib.m_nWidth == nWidth && dib.m_nHeight == nHeight && dib.m_nBitCount == nBitCount &&
           DibRowsComplete(dib);
}

// The palette of an 8-bit image as the 256 entries a new 8-bit image takes: what the image has,
// as far as its block holds it, and black beyond (as its pixels with those indices are drawn).
inline void DibFullPalette(const CDib& dib, RGBQUAD (&palette)[256]) {
    for (RGBQUAD& q : palette) q = RGBQUAD{0, 0, 0, 0};
    if (!dib.m_lpBuf || !dib.m_lpPalette) return;
    size_t nEntries = size_t(dib.m_nColors < 0 ? 0 : dib.m_nColors > 256 ? 256 : dib.m_nColors);
    size_t nAvail = dib.m_dwBufSize > 54 ? (dib.m_dwBufSize - 54) / 4 : 0;
    for (size_t i = 0; i < nEntries && i < nAvail; ++i) palette[i] = dib.m_lpPalette[i];
}
