// Drawing into the pixels of 8- and 24-bit images: lines, rectangle outlines, circles, and text
// rendered off screen and taken over by colour matching.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "dib/DibBounds.h"
#include "dib/ImageMath.h"

namespace {

// The grey level of a colour, as an 8-bit image receives it; rounded at random at exact halves.
int GreyOf(COLORREF colour) {
    double v = kGreyRed * GetRValue(colour) + kGreyGreen * GetGValue(colour) + kGreyBlue * GetBValue(colour);
    if (v < 0) return 0;
    if (v > 255) return 255;
    return RoundHalfRandom(v);
}

// Paints pixels of an 8- or 24-bit image in one colour (its grey level on an 8-bit image, worked
// out once, when the painter is made) and skips the points that fall outside the image.
class CPainter {
public:
    CPainter(CDib& dib, COLORREF colour) : m_dib(dib), m_colour(colour) {
        m_bReady = (dib.m_nBitCount == 8 || dib.m_nBitCount == 24) && DibRowsComplete(dib);
        if (m_bReady && dib.m_nBitCount == 8) m_nGrey = GreyOf(colour);
    }
    bool Ready() const { return m_bReady; }
    int Grey() const { return m_nGrey; }
    // A point given as doubles, truncated toward zero as the drawing formulas take it: a column
    // and a stored row.
    void PaintAt(double x, double r) {
        x = std::trunc(x);
        r = std::trunc(r);
        if (x >= 0 && x < m_dib.m_nWidth && r >= 0 && r < m_dib.m_nHeight) Put(int(x), int(r));
    }
    void PaintAt(long long x, long long r) {
        if (x >= 0 && x < m_dib.m_nWidth && r >= 0 && r < m_dib.m_nHeight) Put(int(x), int(r));
    }
    // A point the caller knows to lie inside.
    void Put(int x, int r) {
        BYTE* row = m_dib.StoredRow(r);
        if (m_dib.m_nBitCount == 8) {
            row[x] = BYTE(m_nGrey);
            return;
        }
        BYTE* p = row + size_t(3) * x;
        p[0] = GetBValue(m_colour);
        p[1] = GetGValue(m_colour);
        p[2] = GetRValue(m_colour);
    }

private:
    CDib& m_dib;
    COLORREF m_colour;
    bool m_bReady;
    int m_nGrey = 0;
};

}  // namespace

void CDib::DrawLine(int x1, int y1, int x2, int y2, COLORREF colour) {
    CPainter painter(*this, colour);
    if (!painter.Ready() || x1 == x2) return;  // a vertical line paints nothing
    // Sampled along x: about one point per pixel of the line's length, the last column left out.
    const long long r1 = (long long)m_nHeight - 1 - y1, r2 = (long long)m_nHeight - 1 - y2;
    const long long xmin = std::min(x1, x2), xmax = std::max(x1, x2);
    const long long dx = xmax - xmin + 1, dy = std::llabs(r2 - r1) + 1;
    const double n = std::trunc(std::sqrt(double(dx) * double(dx) + double(dy) * double(dy)));
    const double step = double(dx - 1) / n;
    const double slope = double(r2 - r1) / double((long long)x2 - x1);
    for (double t = double(xmin); t < double(xmax);) {
        painter.PaintAt(t, double(r1) + slope * (t - double(x1)));
        const double next = t + step;
        if (next == t) break;  // the step is lost in t's rounding: the line would never end
        t = next;
    }
}

void CDib::DrawRect(const CRect& rect, COLORREF colour) {
    CPainter painter(*this, colour);
    if (!painter.Ready()) return;
    const long long rt = (long long)m_nHeight - 1 - rect.top, rb = (long long)m_nHeight - 1 - rect.bottom;
    const long long x0 = std::min(rect.left, rect.right), x1 = std::max(rect.left, rect.right);
    const long long r0 = std::min(rt, rb), r1 = std::max(rt, rb);
    const long long W = x1 - x0;
    // Only the columns and rows that lie inside are walked, however far the corners are.
    for (long long x = std::max(x0, 0LL); x <= std::min(x0 + W - 1, (long long)m_nWidth - 1); ++x) {
        painter.PaintAt(x, r0);
        painter.PaintAt(x, r1);
    }
    for (long long r = std::max(r0 + 1, 0LL); r <= std::min(r1 - 1, (long long)m_nHeight - 1); ++r) {
        painter.PaintAt(x0, r);
        painter.PaintAt(x0 + W - 1, r);
    }
}

void CDib::DrawCircle(int nCentreX, int nCentreY, int nRadius, COLORREF colour) {
    CPainter painter(*this, colour);
    // A negative radius would turn the angle backwards, never to reach a full turn.
    if (!painter.Ready() || nRadius < 0) return;
    const double rc = double((long long)m_nHeight - 1 - nCentreY);
    if (nRadius == 0) {
        painter.PaintAt(double(nCentreX), rc);
        return;
    }
    // Steps of 2 pi / (6 radius), about one pixel of arc, and half that in the left and right
    // quarters (where |cos a| >= |sin a|); 6 is the whole part of 2 pi.
    const double kTwoPi = 2 * M_PI;
    const double dLarge = kTwoPi / (6.0 * nRadius);
    const double dSmall = dLarge / 2;
    for (double a = 0; a < kTwoPi;) {
        const double dx = nRadius * std::cos(a), dy = nRadius * std::sin(a);
        painter.PaintAt(nCentreX + dx, rc + dy);
        a = std::fabs(dx) >= std::fabs(dy) ? a + dSmall : a + dLarge;
    }
}

void CDib::DrawString(int x, int y, const char* lpszText, int nFontHeight, COLORREF colour, const char* lpszFace) {
    CPainter painter(*this, colour);
    if (!painter.Ready() || !lpszText) return;
    if (x < 0 || y < 0 || x >= m_nWidth || y >= m_nHeight) return;
    // The text is drawn at the top of a bitmap whose bottom row lands on picture row y.
    const int r = m_nHeight - 1 - y;
    const int W = m_nWidth - x;
    const long long H = std::min((long long)r + nFontHeight, (long long)m_nHeight - 1) - r + 1;
    if (H <= 0) return;

    CDC screen, mem;
    CBitmap bitmap;
    if (!screen.CreateDC("DISPLAY", nullptr, nullptr, nullptr) || !mem.CreateCompatibleDC(&screen) ||
        !bitmap.CreateCompatibleBitmap(&screen, W, int(H))) {
        m_nError = DIB_ERR_MEMORY;
        return;
    }
    CBitmap* pOldBitmap = mem.SelectObject(&bitmap);
    CBrush inverse(RGB(255 - GetRValue(colour), 255 - GetGValue(colour), 255 - GetBValue(colour)));
    CRect all(0, 0, W, int(H));
    mem.FillRect(&all, &inverse);

    CFont font;
    font.CreateFont(nFontHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_TT_PRECIS,
                    CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, lpszFace ? lpszFace : "");
    CFont* pOldFont = mem.SelectObject(&font);
    COLORREF oldColour = mem.SetTextColor(colour);
    mem.SetBkMode(TRANSPARENT);
    mem.TextOut(0, 0, lpszText, int(strnlen(lpszText, 0x7FFFFFFF)));
    mem.SetTextColor(oldColour);

    // Every bitmap pixel nearer to the text colour than to its inverse becomes the text colour;
    // 8-bit images compare grey levels.  Stored rows from r upward, each left to right.
    const int nSum = GetRValue(colour) + GetGValue(colour) + GetBValue(colour);
    for (int s = 0; s < int(H); ++s) {
        for (int i = 0; i < W; ++i) {
            COLORREF u = mem.GetPixel(i, int(H) - 1 - s);
            bool bText;
            if (m_nBitCount == 8) {
                int v = GreyOf(u), G = painter.Grey();
                bText = std::abs(v - G) < std::abs(v + G - 255);
            } else {
                int d = std::abs((GetRValue(u) + GetGValue(u) + GetBValue(u)) - nSum) / 3;
                bText = d < 64;
            }
            if (bText) painter.Put(x + i, r + s);
        }
    }
    if (pOldFont) mem.SelectObject(pOldFont);
    if (pOldBitmap) mem.SelectObject(pOldBitmap);
}
