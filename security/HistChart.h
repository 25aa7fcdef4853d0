// The image library's histogram chart (CIPDib::DrawHist) of one plane of an image, drawn into a
// device context or into an image.  moro-cli chart, the analysis report's histograms and the
// window's analysis dialog all draw their charts through here.
#pragma once

#include <vector>

#include "ipdib/IPDib.h"

// The plane (W x H bytes, top row first) as an 8-bit grey image whose histogram CalcGrayHist
// has computed, so that m_dHist and m_dHistMax, which the chart draws and prints, are this
// plane's own; false when memory runs out.
bool PlaneChartImage(const std::vector<BYTE>& plane, int nWidth, int nHeight, CIPDib& image);

// The chart of an 8-bit image whose grey histogram has been computed, in rect of pDC (at least
// 256 wide; the level labels go under it and "256" just right of it): DrawHist of m_dHist.
// nMode 0 scales the highest bar to the height, 1 lets the height stand for 256.
void DrawHistChart(CIPDib& image, CDC* pDC, const CRect& rect, int nMode = 0);

// The chart as a bitmap of its own: kHistChartWidth x kHistChartHeight, white, the chart in
// kHistChartRect; a 24-bit image, or false with out left invalid when memory runs out.
constexpr int kHistChartWidth = 320, kHistChartHeight = 256;
extern const CRect kHistChartRect;
bool RenderHistChart(CIPDib& image, CDib& out, int nMode = 0);
