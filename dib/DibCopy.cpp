// Copying, cropping and flipping: images from device-dependent bitmaps, copies with the code
// stream, rectangles cut out of another image, and mirror images.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "dib/DibSample.h"

void CDib::CreateFromDDB(CBitmap* pBitmap) {
    if (!pBitmap) return;
    BITMAP bm;
    if (pBitmap->GetBitmap(&bm) != int(sizeof bm)) return;
    const int nDepth = bm.bmPlanes * bm.bmBitsPixel;
    if (nDepth != 8 && nDepth != 16 && nDepth != 24 && nDepth != 32) return;
    if (bm.bmWidth <= 0 || bm.bmHeight <= 0 || bm.bmWidthBytes <= 0) return;
    if (!Create(bm.bmWidth, bm.bmHeight, nDepth == 16 || nDepth == 32 ? 24 : nDepth, nullptr, 0)) return;

    const size_t nStride = size_t(bm.bmWidthBytes);
    BYTE* lpBits = AllocWork<BYTE>(nStride * size_t(bm.bmHeight));
    if (!lpBits) return;
    pBitmap->GetBitmapBits(DWORD(nStride * size_t(bm.bmHeight)), lpBits);

    // The bitmap's rows run top-down, the image's bottom-up.
    for (int y = 0; y < m_nHeight; ++y) {
        const BYTE* src = lpBits + size_t(y) * nStride;
        BYTE* out = PictureRow(y);
        if (nDepth == 8 || nDepth == 24) {
            std::memcpy(out, src, std::min(nStride, size_t(m_nRowBytes)));
            continue;
        }
        for (int x = 0; x < m_nWidth; ++x) {
            BYTE* p = out + size_t(3) * x;
            if (nDepth == 32) {
                std::memcpy(p, src + size_t(4) * x, 3);  // blue, green, red; the fourth byte goes
                continue;
            }
            // 5-6-5 words, read with the upper five of the six green bits.
            unsigned w = src[2 * x] | (src[2 * x + 1] << 8);
            p[0] = BYTE((w & 0x1F) * 8);
            p[1] = BYTE(((w >> 6) & 0x1F) * 8);
            p[2] = BYTE((w >> 11) * 8);
        }
    }
    free(lpBits);
}

void CDib::CopyFrom(const CDib& source) {
    // Copy carries the code-stream buffer as well, so the two copies are the same.
    Copy(source);
}

bool CDib::CopyRectFits(const CDib& source, const CRect& rect) {
    return rect.left >= 0 && rect.top >= 0 && rect.left <= rect.right && rect.top <= rect.bottom &&
           rect.right <= source.m_nWidth - 1 && rect.bottom <= source.m_nHeight - 1;
}

int CDib::CopyRect(const CDib& source, const CRect& rect) {
    if (&source == this) return BuildInPlace([&](CDib& built) { return built.CopyRect(*this, rect); });
    std::memcpy(&m_cprHeader, &source.m_cprHeader, sizeof m_cprHeader);
    m_nCprMode = source.m_nCprMode;
    if (source.m_nBitCount != 8 && source.m_nBitCount != 24) return 0;
    if (!DibRowsComplete(source) || !CopyRectFits(source, rect)) return 0;

    const int W = rect.right - rect.left + 1, H = rect.bottom - rect.top + 1;
    if (!DibHolds(*this, W, H, source.m_nBitCount) && !CreateWithHeaderOf(*this, source, W, H, -1)) return 0;
    const size_t c = source.m_nBitCount / 8;
    for (int k = 0; k < H; ++k)
        std::memcpy(StoredRow(k), source.PictureRow(rect.bottom - k) + c * rect.left, c * W);
    return 1;
}

void CDib::FlipVertical() {
    if (!DibRowsComplete(*this)) return;
    // Rows are exchanged in place, so no row buffer is needed and nothing can fail.
    for (int lo = 0, hi = m_nHeight - 1; lo < hi; ++lo, --hi)
        std::swap_ranges(StoredRow(lo), StoredRow(lo) + m_nRowBytes, StoredRow(hi));
}

void CDib::FlipHorizontal() {
    if (m_nBitCount < 8 || !DibRowsComplete(*this)) return;
    const int b = m_nBitCount / 8;
    if (size_t(b) * m_nWidth > size_t(m_nRowBytes)) return;
    for (int r = 0; r < m_nHeight; ++r) {
        BYTE* row = StoredRow(r);
        for (int j = 0; j < m_nWidth / 2; ++j)
            std::swap_ranges(row + size_t(b) * j, row + size_t(b) * (j + 1), row + size_t(b) * (m_nWidth - 1 - j));
    }
}
