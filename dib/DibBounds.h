// How much of an image block really holds what its header describes.  The display and the
// resampling read rows through these, so a record that was changed by hand, or a block shorter
// than its header claims, can never make them read or write outside the block.
#pragma once

#include "dib/Dib.h"

// Complete stored rows of m_nRowBytes that lie inside the image block from m_lpBits.
inline long long DibRowsInBlock(const CDib& dib) {
    if (!dib.m_lpBuf || !dib.m_lpBits || dib.m_nRowBytes <= 0) return 0;
    if (dib.m_lpBits < dib.m_lpBuf || dib.m_lpBits > dib.m_lpBuf + dib.m_dwBufSize) return 0;
    return (long long)(dib.m_lpBuf + dib.m_dwBufSize - dib.m_lpBits) / dib.m_nRowBytes;
}

// True when the image holds a block with all m_nHeight rows of a positive size inside it.
inline bool DibRowsComplete(const CDib& dib) {
    return dib.m_nWidth > 0 && dib.m_nHeight > 0 && DibRowsInBlock(dib) >= dib.m_nHeight;
}
