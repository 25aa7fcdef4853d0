// Grey conversion, the channel mixes into an 8-bit image, look-up tables, contrast stretch,
// histogram equalisation, palette colours and the absolute difference of two images.
// Random rounding follows the stored rows from row 0, each row left to right, and palette
// entries in index order, so a seed gives the same bytes and leaves the generator in one state.
#include <cstdlib>

#include "ipdib/IPDibInternal.h"

using namespace ipdib;

namespace {

// The grey level an image already converted holds: its first non-zero channel.
BYTE FirstNonZero(BYTE a, BYTE b, BYTE c) { return a ? a : b ? b : c; }

// Clears the three channels and writes the grey level into those the mask selects (1 red,
// 2 green, 4 blue; 0 all three).
void PutGrey(BYTE byGrey, int nMask, BYTE& r, BYTE& g, BYTE& b) {
    r = nMask == 0 || (nMask & 1) ? byGrey : 0;
    g = nMask == 0 || (nMask & 2) ? byGrey : 0;
    b = nMask == 0 || (nMask & 4) ? byGrey : 0;
}

BYTE Rounded(double v) { return BYTE(RoundHalfRandom(v)); }

// One byte of the 8-bit image ConvertTo8Bit makes from the bytes of a 24-bit pixel.  Each mix
// weighs two channels by their shares of the grey weights, scaled to add up to 1.
BYTE Mix(int nMode, const BYTE* p) {
    const int b = p[0], g = p[1], r = p[2];
    switch (nMode) {
        case 0: return Rounded(GreyBlueFirst(b, g, r));
        case 1: return BYTE(b);
        case 2: return BYTE(g);
        case 3: return Rounded(0.66 * g + 0.34 * r);
        case 4: return BYTE(r);
        case 5: return Rounded(0.27 * b + 0.73 * r);
        case 6: return Rounded(0.16 * b + 0.84 * g);
        default: return 0;
    }
}

}  // namespace

void CIPDib::ConvertToGray(int nMask) {
    if (!IsValid()) return;
    if (m_nBitCount == 24) {
        if (!HoldsPixels(*this)) return;
        for (int row = 0; row < m_nHeight; ++row) {
            BYTE* p = StoredRow(row);
            for (int x = 0; x < m_nWidth; ++x, p += 3) {
                BYTE byGrey = m_bGrayed ? FirstNonZero(p[0], p[1], p[2]) : Rounded(GreyRedFirst(p[2], p[1], p[0]));
                PutGrey(byGrey, nMask, p[2], p[1], p[0]);
            }
        }
        m_bHistValid = 0;
    } else {
        const int nEntries = PaletteEntries(*this);
        for (int i = 0; i < nEntries; ++i) {
            RGBQUAD& q = m_lpPalette[i];
            BYTE byGrey = m_bGrayed ? FirstNonZero(q.rgbRed, q.rgbGreen, q.rgbBlue)
                                    : Rounded(GreyRedFirst(q.rgbRed, q.rgbGreen, q.rgbBlue));
            PutGrey(byGrey, nMask, q.rgbRed, q.rgbGreen, q.rgbBlue);
        }
    }
    m_bGrayed = 1;
}

void CIPDib::ConvertTo8Bit(CDib& dest, int nMode) {
    if (m_nBitCount != 24 || !HoldsPixels(*this)) return;
    auto build = [&](CDib& out) -> int {
        if (!out.Create(m_nWidth, m_nHeight, 8)) return 0;
        for (int row = 0; row < m_nHeight; ++row) {
            const BYTE* p = StoredRow(row);
            BYTE* q = out.StoredRow(row);
            for (int x = 0; x < m_nWidth; ++x, p += 3) q[x] = Mix(nMode, p);
        }
        return 1;
    };
    // Into itself the result is built aside: re-creating this image first would lose the source.
    int nDone = &dest == this ? BuildInPlace(build) : build(dest);
    // An image-processing destination has new pixels: its cached results no longer hold.
    if (nDone)
        if (CIPDib* pIP = dynamic_cast<CIPDib*>(&dest)) pIP->ForgetAnalysis();
}

void CIPDib::ApplyLut(const BYTE* pLut) {
    if (!pLut || !Holds8Or24Bit(*this)) return;
    const size_t nBytes = PixelBytes(*this);
    for (int row = 0; row < m_nHeight; ++row) {
        BYTE* p = StoredRow(row);
        for (size_t i = 0; i < nBytes; ++i) p[i] = pLut[p[i]];
    }
    m_bHistValid = 0;
}

void CIPDib::ApplyLut3(const BYTE* pBlue, const BYTE* pGreen, const BYTE* pRed) {
    if (m_nBitCount != 24 || !HoldsPixels(*this)) return;
    const BYTE* lut[3] = {pBlue, pGreen, pRed};
    for (int c = 0; c < 3; ++c) {
        if (!lut[c]) continue;
        for (int row = 0; row < m_nHeight; ++row) {
            BYTE* p = StoredRow(row) + c;
            for (int x = 0; x < m_nWidth; ++x, p += 3) *p = lut[c][*p];
        }
    }
    m_bHistValid = 0;
}

void CIPDib::StretchContrast() {
    if (!Holds8Or24Bit(*this)) return;
    int nMin = 255, nMax = 0;
    const size_t nBytes = PixelBytes(*this);
    for (int row = 0; row < m_nHeight; ++row) {
        const BYTE* p = StoredRow(row);
        for (size_t i = 0; i < nBytes; ++i) {
            if (p[i] < nMin) nMin = p[i];
            if (p[i] > nMax) nMax = p[i];
        }
    }
    BYTE lut[256];
    for (int v = 0; v < 256; ++v) {
        if (v < nMin) lut[v] = 0;
        else if (v > nMax) lut[v] = 255;
        // A flat image has no range to stretch: its one level stays as it is (not 0 / 0).
        else if (nMax == nMin) lut[v] = BYTE(v);
        else lut[v] = BYTE(int((v - nMin) * 255.0 / (nMax - nMin)));
    }
    ApplyLut(lut);
}

void CIPDib::EqualizeHist() {
    if (!Holds8Or24Bit(*this)) return;
    if (!m_bHistValid) CalcGrayHist();
    BYTE lut[256];
    for (int v = 0; v < 256; ++v) lut[v] = Rounded(ClampLevel(256.0 * m_dHistCum[v]));
    ApplyLut(lut);
}

void CIPDib::SetPalette(const RGBQUAD* pPalette) {
    if (!pPalette || !IsValid()) return;
    const int nEntries = PaletteEntries(*this);
    for (int i = 0; i < nEntries; ++i) {
        m_lpPalette[i].rgbBlue = pPalette[i].rgbBlue;
        m_lpPalette[i].rgbGreen = pPalette[i].rgbGreen;
        m_lpPalette[i].rgbRed = pPalette[i].rgbRed;
    }
    m_bHistValid = 0;
}

void CIPDib::AbsDiff(const CDib& other) {
    if (!Holds8Bit(*this) || !Holds8Bit(other) || other.m_nWidth != m_nWidth || other.m_nHeight != m_nHeight) return;
    for (int row = 0; row < m_nHeight; ++row) {
        BYTE* p = StoredRow(row);
        const BYTE* q = other.StoredRow(row);
        for (int x = 0; x < m_nWidth; ++x) p[x] = BYTE(std::abs(p[x] - q[x]));
    }
    m_bHistValid = 0;
}
