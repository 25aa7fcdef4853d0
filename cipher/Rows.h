// The pixel rows of an image as one run of bytes: every row is a multiple of 4 bytes and the rows
// follow each other, so the modes need no row loop.
#pragma once

#include <cstring>

#include "dib/Dib.h"

namespace cipher {
inline bool HasRows(const CDib& dib) {
    return dib.m_lpBuf && dib.m_lpBits && dib.m_nHeight > 0 && dib.m_nRowBytes > 0;
}

inline size_t RowBytesTotal(const CDib& dib) { return size_t(dib.m_nHeight) * size_t(dib.m_nRowBytes); }

// Little-endian 16-bit words at any alignment.
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
inline WORD LoadWord(const BYTE* p) {
    WORD w;
    std::memcpy(&w, p, 2);
    return w;
}
inline void StoreWord(BYTE* p, WORD w) { std::memcpy(p, &w, 2); }
#else
inline WORD LoadWord(const BYTE* p) { return WORD(p[0] | (p[1] << 8)); }
inline void StoreWord(BYTE* p, WORD w) {
    p[0] = BYTE(w);
    p[1] = BYTE(w >> 8);
}
#endif
}  // namespace cipher
