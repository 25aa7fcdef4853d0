// Histogram charts through a memory DC of the platform layer.
#include "security/HistChart.h"

#include <cstring>

const CRect kHistChartRect(16, 16, 16 + 256, 16 + 200);

bool PlaneChartImage(const std::vector<BYTE>& plane, int nWidth, int nHeight, CIPDib& image) {
    if (nWidth <= 0 || nHeight <= 0 || plane.size() < size_t(nWidth) * size_t(nHeight)) return false;
    RGBQUAD grey[256];
    for (int i = 0; i < 256; ++i) grey[i] = RGBQUAD{BYTE(i), BYTE(i), BYTE(i), 0};
    if (!image.Create(nWidth, nHeight, 8, grey, 0)) return false;
    for (int y = 0; y < nHeight; ++y) std::memcpy(image.PictureRow(y), plane.data() + size_t(y) * size_t(nWidth), size_t(nWidth));
    image.ForgetAnalysis();
    image.CalcGrayHist();
    return true;
}

void DrawHistChart(CIPDib& image, CDC* pDC, const CRect& rect, int nMode) {
    if (!image.m_bHistValid) image.CalcGrayHist();
    image.DrawHist(pDC, rect, image.m_dHist, nMode);
}

bool RenderHistChart(CIPDib& image, CDib& out, int nMode) {
    CDC dc;
    CBitmap bitmap;
    CBrush white(RGB(255, 255, 255));
    if (!dc.CreateCompatibleDC(nullptr) || !bitmap.CreateBitmap(kHistChartWidth, kHistChartHeight, 1, 32, nullptr)) return false;
    CBitmap* pOld = dc.SelectObject(&bitmap);
    CRect all(0, 0, kHistChartWidth, kHistChartHeight);
    dc.FillRect(&all, &white);
    DrawHistChart(image, &dc, kHistChartRect, nMode);
    dc.SelectObject(pOld);
    out.CreateFromDDB(&bitmap);
    return out.IsValid();
}
