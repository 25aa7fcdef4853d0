// The histogram chart: a 256-column bar chart of a histogram drawn into a device context, with
// a dotted grid, level labels, the peak as a percentage and a frame.
#include <cstdio>

#include "ipdib/IPDibInternal.h"

namespace {

// Rectangles are kept within this distance of the origin, so that no coordinate the chart
// works out (a frame one pixel outside, a bar as tall as the values ask) leaves the int range.
constexpr long long kCoordLimit = 1LL << 29;

bool Within(long long v) { return v >= -kCoordLimit && v <= kCoordLimit; }

void Line(CDC* pDC, int x0, int y0, int x1, int y1) {
    pDC->MoveTo(x0, y0);
    pDC->LineTo(x1, y1);
}

void Text(CDC* pDC, int x, int y, const char* lpszFormat, auto value) {
    char text[400];  // "%f" of the largest double is 316 characters
    int n = std::snprintf(text, sizeof text, lpszFormat, value);
    if (n > 0) pDC->TextOut(x, y, text, n < int(sizeof text) ? n : int(sizeof text) - 1);
}

}  // namespace

void CIPDib::DrawHist(CDC* pDC, CRect rect, const double* pValues, int nMode) {
    if (m_nBitCount != 8 || !pDC) return;
    if (!Within(rect.left) || !Within(rect.right) || !Within(rect.top) || !Within(rect.bottom)) return;
    const int nWidth = rect.right - rect.left;
    if (nWidth < 256) {
        ShowMessage(DibMsg::ChartTooSmall);
        return;
    }
    const int off = nWidth / 2 - 128;
    const int left = rect.left + off, right = rect.right - off, top = rect.top, bottom = rect.bottom;
    const int H = bottom - top;

    CPen dotted(PS_DOT, 1, RGB(0, 0, 255));
    CPen* pOldPen = pDC->SelectObject(&dotted);
    pDC->SetTextColor(RGB(255, 0, 0));
    for (int i = 0; i <= 8; ++i) {
        const int x = left + 32 * i;
        Line(pDC, x, bottom, x, top);
        Text(pDC, x, bottom, "%d", 32 * i);
        const int y = bottom - int(double(i * (long long)H) / 8.0);
        Line(pDC, left, y, left + 255, y);
    }
    Text(pDC, left, top, "%f%%", m_dHistMax * 100.0);
    pDC->SelectObject(pOldPen);
    dotted.DeleteObject();

    pDC->MoveTo(left - 1, top - 1);
    pDC->LineTo(left - 1, bottom + 1);
    pDC->LineTo(right + 1, bottom + 1);
    pDC->LineTo(right + 1, top - 1);
    pDC->LineTo(left - 1, top - 1);

    if ((m_dHistMax == 0 && nMode != 1) || !pValues) return;
    const double s = nMode == 0 ? H / m_dHistMax : H / 256.0;
    // Bars are inverted where they cross the grid and the labels, so both stay readable.
    pDC->SetROP2(R2_NOTXORPEN);
    for (int i = 0; i < 256; ++i) {
        const double dv = s * pValues[i];
        // Truncated; a NaN draws nothing and a bar taller than any surface stops at the limit.
        const int v = dv >= double(kCoordLimit) ? int(kCoordLimit) : dv > 0 ? int(dv) : 0;
        if (v > 0) Line(pDC, left + i, bottom - 1, left + i, bottom - v);
    }
    pDC->SetROP2(R2_COPYPEN);
}
