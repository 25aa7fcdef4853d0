#include "security/Plot.h"

#include <algorithm>
#include <cmath>

BOOL CPlot::Create(int nWidth, int nHeight) { return m_dib.Create(nWidth, nHeight, 24, nullptr, 255); }

int CPlot::PixelX(const PlotArea& a, double x) const {
    double t = (x - a.dX0) / (a.dX1 - a.dX0);
    return a.nLeft + int(std::lround(t * double(a.nRight - a.nLeft)));
}

int CPlot::PixelY(const PlotArea& a, double y) const {
    double t = (y - a.dY0) / (a.dY1 - a.dY0);
    return a.nBottom - int(std::lround(t * double(a.nBottom - a.nTop)));
}

void CPlot::Pixel(int x, int y, COLORREF c) {
    if (x >= 0 && y >= 0 && x < m_dib.m_nWidth && y < m_dib.m_nHeight) m_dib.SetPixel(x, y, int(c));
}

void CPlot::Shade(int x, int y, double dLevel, COLORREF ink) {
    dLevel = std::clamp(dLevel, 0.0, 1.0);
    auto mix = [&](int channel) { return int(std::lround(255.0 - dLevel * (255.0 - double(channel)))); };
    Pixel(x, y, RGB(mix(GetRValue(ink)), mix(GetGValue(ink)), mix(GetBValue(ink))));
}

void CPlot::Frame(const PlotArea& a, int nTicksX, int nTicksY) {
    const int l = a.nLeft - 1, r = a.nRight + 1, t = a.nTop - 1, b = a.nBottom + 1;
    for (int x = l; x <= r; ++x) {
        Pixel(x, t, kPlotGrey);
        Pixel(x, b, kPlotGrey);
    }
    for (int y = t; y <= b; ++y) {
        Pixel(l, y, kPlotGrey);
        Pixel(r, y, kPlotGrey);
    }
    for (int i = 0; i <= nTicksX && nTicksX > 0; ++i) {
        int x = a.nLeft + (a.nRight - a.nLeft) * i / nTicksX;
        for (int d = 1; d <= 4; ++d) Pixel(x, b + d, kPlotGrey);
    }
    for (int i = 0; i <= nTicksY && nTicksY > 0; ++i) {
        int y = a.nBottom - (a.nBottom - a.nTop) * i / nTicksY;
        for (int d = 1; d <= 4; ++d) Pixel(l - d, y, kPlotGrey);
    }
}

void CPlot::FillRect(const PlotArea& a, int x0, int y0, int x1, int y1, COLORREF c) {
    x0 = std::max(x0, a.nLeft);
    x1 = std::min(x1, a.nRight);
    y0 = std::max(y0, a.nTop);
    y1 = std::min(y1, a.nBottom);
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) Pixel(x, y, c);
}

void CPlot::HorizontalLine(const PlotArea& a, double y, COLORREF c, bool bDotted) {
    const int py = PixelY(a, y);
    if (py < a.nTop || py > a.nBottom) return;
    for (int x = a.nLeft; x <= a.nRight; ++x)
        if (!bDotted || (x - a.nLeft) % 4 < 2) Pixel(x, py, c);
}

void CPlot::Bar(const PlotArea& a, double x0, double x1, double yBase, double y, COLORREF c) {
    const int px0 = PixelX(a, x0), px1 = std::max(px0, PixelX(a, x1) - 1);
    const int pyBase = PixelY(a, yBase), py = PixelY(a, y);
    FillRect(a, px0, std::min(pyBase, py), px1, std::max(pyBase, py), c);
}

void CPlot::Point(const PlotArea& a, double x, double y, COLORREF c, int nSize) {
    const int px = PixelX(a, x) - nSize / 2, py = PixelY(a, y) - nSize / 2;
    FillRect(a, px, py, px + nSize - 1, py + nSize - 1, c);
}
