// Plots drawn pixel by pixel into a 24-bit image, to be saved as PNG.  They carry no text: a plot
// is a grey frame with tick marks around each panel, and whoever makes one says in words what its
// axes are.
#pragma once

#include <array>
#include <utility>
#include <vector>

#include "dib/Dib.h"

// A panel: a rectangle of the image in picture coordinates (edges included) and the data ranges
// drawn onto it, y upwards.
struct PlotArea {
    int nLeft = 0, nTop = 0, nRight = 0, nBottom = 0;
    double dX0 = 0, dX1 = 1, dY0 = 0, dY1 = 1;
};

class CPlot {
public:
    // A white image; FALSE when it cannot be made (the image's own error code says why).
    BOOL Create(int nWidth, int nHeight);
    CDib& Image() { return m_dib; }

    // The pixel of a data point (may lie outside the panel).
    int PixelX(const PlotArea& a, double x) const;
    int PixelY(const PlotArea& a, double y) const;

    // A pixel of the image, ignored outside it.
    void Pixel(int x, int y, COLORREF c);
    // A pixel between white (dLevel 0) and ink (dLevel 1).
    void Shade(int x, int y, double dLevel, COLORREF ink);
    // The frame one pixel outside the panel, with nTicksX and nTicksY evenly spaced ticks.
    void Frame(const PlotArea& a, int nTicksX, int nTicksY);
    // A horizontal line across the panel at y, dotted or solid.
    void HorizontalLine(const PlotArea& a, double y, COLORREF c, bool bDotted);
    // A bar from y = yBase to y over x0 .. x1, clipped to the panel.
    void Bar(const PlotArea& a, double x0, double x1, double yBase, double y, COLORREF c);
    // A data point as a square of nSize pixels, clipped to the panel.
    void Point(const PlotArea& a, double x, double y, COLORREF c, int nSize = 1);

    BOOL SavePng(const char* lpszPath) { return m_dib.SavePng(lpszPath); }

private:
    void FillRect(const PlotArea& a, int x0, int y0, int x1, int y1, COLORREF c);
    CDib m_dib;
};

constexpr COLORREF kPlotGrey = RGB(128, 128, 128);
constexpr COLORREF kPlotBlack = RGB(0, 0, 0);
constexpr COLORREF kPlotBlue = RGB(30, 80, 200);
constexpr COLORREF kPlotRed = RGB(200, 40, 30);

// ---- the key stream's plots (KeyStreamPlots.cpp) ----
// Each makes the plot's image afresh; FALSE when it cannot be made.

struct NetworkCounts;
struct StateNetwork;

// The orbit diagram of the map over the parameters nFirst .. nLast (1024 columns, one parameter
// each, evenly spaced).  Upper panel: the cycles that the orbits of 16 evenly spread states end
// on, state 0 at the bottom, darker where more of a pixel's 128 states lie on them, in red where
// a cycle is shorter than 1024 states.  Lower panel: for every parameter of sweep, log2
// of its number of cycles (blue) and of its longest cycle (red), 0 to 16.
BOOL PlotOrbitDiagram(CPlot& plot, DWORD nFirst, DWORD nLast, const std::vector<NetworkCounts>& sweep,
                      unsigned nThreads = 0);
// The cycles of one parameter by log2 of their length (bins 0 to 16, left to right).  Upper
// panel: how many cycles, scaled to the largest bin; lower panel: the share of all states that
// end on cycles of that length, 0 to 1.
BOOL PlotCycleLengths(CPlot& plot, const StateNetwork& net);
// The autocorrelation r(1 .. L) of nBits bits as bars about 0, with dotted lines at
// +-3 / sqrt(nBits), where nearly all of a random sequence's values lie.
BOOL PlotAutocorrelation(CPlot& plot, const std::vector<double>& r, size_t nBits);
