// Pasting an image, resampled, into a rectangle of another, and the weighted cross-fade of two.
#include <cmath>
#include <cstring>

#include "dib/DibSample.h"

namespace {

// Blend weights beyond this would take the sums out of the range of an int; weights are meant to
// lie from 0 to 1.
constexpr double kMaxBlendWeight = 1 << 20;

// The image itself when it already has the rectangle's size, otherwise its Resize into `resized`;
// null when that fails (its code is then stored in `report`).
const CDib* AtSize(const CDib& image, const CRect& rect, CDib& resized, CDib& report) {
    if (image.m_nWidth == rect.Width() && image.m_nHeight == rect.Height()) return &image;
    // Resize changes its source only when the source is its own destination, never here.
    if (const_cast<CDib&>(image).Resize(resized, rect)) return &resized;
    if (resized.m_nError) report.m_nError = resized.m_nError;
    return nullptr;
}

}  // namespace

bool CDib::PasteRectFits(const CDib& image, const CRect& rect) {
    // Picture rows top + 1 to bottom and columns left to right - 1 are written.
    return rect.left >= 0 && rect.top >= 0 && rect.left < rect.right && rect.top < rect.bottom &&
           rect.right <= image.m_nWidth && rect.bottom <= image.m_nHeight - 1;
}

void CDib::Paste(const CDib& source, const CRect& rect) {
    if (m_nBitCount != 8 && m_nBitCount != 24) return;
    if (!DibRowsComplete(*this) || !DibRowsComplete(source)) return;
    if (source.m_nBitCount != m_nBitCount || !PasteRectFits(*this, rect)) return;
    CDib resized;
    const CDib* from = AtSize(source, rect, resized, *this);
    if (!from) return;
    const size_t c = m_nBitCount / 8;
    for (int k = 0; k < rect.Height(); ++k)
        std::memcpy(PictureRow(rect.bottom - k) + c * rect.left, from->StoredRow(k), c * rect.Width());
}

bool CDib::BlendRectFits(const CDib& a, const CRect& rect) {
    return rect.left >= 0 && rect.top >= 0 && rect.left < rect.right && rect.top < rect.bottom &&
           rect.right <= a.m_nWidth && rect.bottom <= a.m_nHeight;
}

void CDib::Blend(const CDib& a, const CDib& b, const CRect& rect, double dWeight) {
    if (a.m_nBitCount != 8 && a.m_nBitCount != 24) return;
    if (!DibRowsComplete(a) || !DibRowsComplete(b) || b.m_nBitCount != a.m_nBitCount) return;
    if (!BlendRectFits(a, rect) || !(std::fabs(dWeight) <= kMaxBlendWeight)) return;
    if (&a == this || &b == this) {
        BuildInPlace([&](CDib& built) { built.Blend(a, b, rect, dWeight); return 1; });
        return;
    }
    const int W = rect.Width(), H = rect.Height();
    if (!CreateWithHeaderOf(*this, a, W, H, -1)) return;
    CDib resizedA, resizedB;
    const CDib* pa = AtSize(a, rect, resizedA, *this);
    if (!pa) return;
    const CDib* pb = AtSize(b, rect, resizedB, *this);
    if (!pb) return;

    // Rounded in stored-row order from row 0, each row's samples left to right; the low byte of
    // the rounded sum is kept as it is.
    const size_t nSamples = size_t(W) * (m_nBitCount / 8);
    for (int i = 0; i < H; ++i) {
        const BYTE* rowA = pa->StoredRow(i);
        const BYTE* rowB = pb->StoredRow(i);
        BYTE* out = StoredRow(i);
        for (size_t k = 0; k < nSamples; ++k) out[k] = BYTE(RoundHalfRandom(rowA[k] * dWeight + rowB[k] * (1 - dWeight)));
    }
}
