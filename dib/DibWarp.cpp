// Subsampling by whole steps, and the quadratic warp of a whole image or of a rectangle inside it.
#include <cstring>

#include "dib/DibSample.h"

int CDib::Subsample(CDib& dest, int nXStep, int nYStep) {
    if (m_nBitCount != 8 && m_nBitCount != 24) return 0;
    if (!DibRowsComplete(*this)) return 0;
    if (nXStep == 1 && nYStep == 1) {
        dest.Copy(*this);
        return DibHolds(dest, m_nWidth, m_nHeight, m_nBitCount) ? 1 : 0;
    }
    // A step of 0 has no size to divide by, and a negative one would walk off the image.
    if (nXStep < 1 || nYStep < 1) return 0;
    const int W = m_nWidth / nXStep, H = m_nHeight / nYStep;
    if (W <= 0 || H <= 0) return 0;
    if (&dest == this) return BuildInPlace([&](CDib& built) { return Subsample(built, nXStep, nYStep); });
    if (!DibHolds(dest, W, H, m_nBitCount) && !CreateWithPaletteOf(dest, *this, W, H, 0)) return 0;

    const size_t c = m_nBitCount / 8;
    for (int i = 0; i < H; ++i) {
        const BYTE* src = StoredRow(i * nYStep);
        BYTE* out = dest.StoredRow(i);
        for (int j = 0; j < W; ++j) std::memcpy(out + c * j, src + c * size_t(j) * nXStep, c);
    }
    return 1;
}

void CDib::Warp(CDib& dest) {
    if (m_nBitCount != 8 && m_nBitCount != 24) return;
    if (!DibRowsComplete(*this)) return;
    if (&dest == this) {
        BuildInPlace([&](CDib& built) { Warp(built); return 1; });
        return;
    }
    if (!DibHolds(dest, m_nWidth, m_nHeight, m_nBitCount) &&
        !CreateWithPaletteOf(dest, *this, m_nWidth, m_nHeight, -1))
        return;
    // Rows and columns near stored row 0 and column 0 are spread out, those far from them pressed
    // together: position i of the destination comes from i * i / size of the source.
    const double h = m_nHeight, w = m_nWidth;
    SampleBilinear(*this, dest, [h](int i) { return double(i) * i / h; }, [w](int j) { return double(j) * j / w; });
}

bool CDib::WarpRectFits(const CDib& image, const CRect& rect) {
    bool bWhole = rect.left == 0 && rect.top == 0 && rect.right == image.m_nWidth && rect.bottom == image.m_nHeight;
    return bWhole || CopyRectFits(image, rect);
}

void CDib::WarpRect(CDib& dest, const CRect& rect) {
    if (m_nBitCount != 8 && m_nBitCount != 24) return;
    if (!DibRowsComplete(*this) || !WarpRectFits(*this, rect)) return;
    if (&dest == this) {
        BuildInPlace([&](CDib& built) { WarpRect(built, rect); return 1; });
        return;
    }
    if (rect.Width() == m_nWidth && rect.Height() == m_nHeight) {
        Warp(dest);
        return;
    }
    // The rectangle, right and bottom included, is cut out and warped; the warped piece is then
    // pasted back, resampled to the rectangle's size, into a copy of the image.  Each step
    // stops the whole at its first failure, with the code on the destination.
    CDib piece;
    auto failed = [&]() {
        if (piece.m_nError) dest.m_nError = piece.m_nError;
    };
    if (!piece.CopyRect(*this, rect)) return failed();
    piece.Warp(dest);
    if (!DibHolds(dest, piece.m_nWidth, piece.m_nHeight, m_nBitCount)) return;
    piece.Copy(*this);
    if (!piece.IsValid()) return failed();
    piece.Paste(dest, rect);
    if (piece.m_nError) return failed();
    dest.Copy(piece);
}
