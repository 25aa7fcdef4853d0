// The figures of an analysis report, drawn with the plot images of this folder (the histograms
// with the image library's own chart) and titled with the image library's text.
#include <algorithm>
#include <cmath>
#include <functional>

#include "security/Analysis.h"
#include "security/HistChart.h"
#include "security/Plot.h"
#include "security/Text.h"

const char* const kAnalysisFigures[4] = {"images.png", "histograms.png", "correlation.png", "key-sensitivity.png"};

namespace {

using security::Format;
using ColourFn = std::function<COLORREF(int x, int y)>;

constexpr int kTitle = 14;                 // font height of titles
constexpr int kTitleBand = kTitle + 8;     // the band above a panel that holds its title
constexpr int kGap = 16;
const char* const kFace = "DejaVu Sans";

void Title(CPlot& plot, int x, int top, const std::string& text) {
    plot.Image().DrawString(x, top + kTitle + 2, text.c_str(), kTitle, kPlotBlack, kFace);
}

// A picture pixel of an 8- or 24-bit image as a colour, through the palette of an 8-bit one.
COLORREF ColourAt(const CDib& dib, int x, int y) {
    const int v = dib.GetPixel(x, y);
    if (dib.m_nBitCount == 24) return COLORREF(v);
    if (dib.m_lpPalette && v < dib.m_nColors) {
        const RGBQUAD& q = dib.m_lpPalette[v];
        return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
    }
    return RGB(v, v, v);
}

// The side of a tile showing a W x H image within nMax pixels (never enlarged).
double TileScale(const AnalysisResult& r, int nMax) {
    return std::min(1.0, double(nMax) / double(std::max(r.nWidth, r.nHeight)));
}

// A W x H picture scaled by s (nearest pixel) with its top-left corner at (left, top).
void Tile(CPlot& plot, int left, int top, int W, int H, double s, const ColourFn& colour) {
    const int tw = std::max(1, int(std::lround(W * s))), th = std::max(1, int(std::lround(H * s)));
    for (int y = 0; y < th; ++y)
        for (int x = 0; x < tw; ++x) plot.Pixel(left + x, top + y, colour(int(int64_t(x) * W / tw), int(int64_t(y) * H / th)));
}

ColourFn ImageColours(const CDib& dib) {
    return [&dib](int x, int y) { return ColourAt(dib, x, y); };
}

// |a - b| byte by byte: grey for an 8-bit image (its indices), by channel for a 24-bit one.
ColourFn DifferenceColours(const CDib& a, const CDib& b) {
    return [&a, &b](int x, int y) {
        const int u = a.GetPixel(x, y), v = b.GetPixel(x, y);
        auto d = [&](int shift) { return std::abs(((u >> shift) & 0xFF) - ((v >> shift) & 0xFF)); };
        return a.m_nBitCount == 8 ? RGB(d(0), d(0), d(0)) : RGB(d(0), d(8), d(16));
    };
}

bool Save(CPlot& plot, const std::string& dir, const char* name, std::string& error) {
    const std::string path = dir + "/" + name;
    if (plot.SavePng(path.c_str())) return true;
    error = "cannot write '" + path + "'";
    return false;
}

bool ImagesFigure(const AnalysisResult& r, CPlot& plot) {
    const double s = TileScale(r, 320);
    const int tw = std::max(1, int(std::lround(r.nWidth * s))), th = std::max(1, int(std::lround(r.nHeight * s)));
    const int cell = std::max(tw, 150) + kGap;
    if (!plot.Create(kGap + 3 * cell, kTitleBand + th + 2 * kGap)) return false;
    const CDib* images[] = {r.pPlain.get(), r.pCipher.get(), r.pDecrypted.get()};
    const char* titles[] = {"plain", "cipher", r.bDecryptsExactly ? "decrypted (exact)" : "decrypted (differs)"};
    for (int i = 0; i < 3; ++i) {
        const int left = kGap + i * cell;
        Title(plot, left, kGap / 2, titles[i]);
        Tile(plot, left, kGap / 2 + kTitleBand, r.nWidth, r.nHeight, s, ImageColours(*images[i]));
    }
    return true;
}

// The image library's chart of one plane's histogram (CIPDib::DrawHist, as moro-cli chart draws
// it) under a title, its top-left corner at (left, top).
bool HistogramPanel(CPlot& plot, int left, int top, const std::vector<BYTE>& plane, int W, int H, const std::string& title) {
    CIPDib image;
    CDib chart;
    if (!PlaneChartImage(plane, W, H, image) || !RenderHistChart(image, chart)) return false;
    Title(plot, left, top, title);
    for (int y = 0; y < chart.m_nHeight; ++y)
        for (int x = 0; x < chart.m_nWidth; ++x) plot.Pixel(left + x, top + kTitleBand + y, COLORREF(chart.GetPixel(x, y)));
    return true;
}

// One row per channel, as the other figures: the plain image's chart, then the cipher image's.
bool HistogramsFigure(const AnalysisResult& r, CPlot& plot) {
    const int nRows = int(r.channels.size()), panelH = kTitleBand + kHistChartHeight + kGap, panelW = kHistChartWidth + kGap;
    if (!plot.Create(kGap + 2 * panelW, nRows * panelH + kGap)) return false;
    ImagePlanes plain, cipher;
    if (!GetPlanes(*r.pPlain, plain) || !GetPlanes(*r.pCipher, cipher)) return false;
    for (int c = 0; c < nRows; ++c) {
        const int top = kGap / 2 + c * panelH;
        if (!HistogramPanel(plot, kGap, top, plain.planes[c], r.nWidth, r.nHeight,
                            Format("plain, %s: chi-square %.1f", r.channels[c].c_str(), r.plain[c].dChiSquare)) ||
            !HistogramPanel(plot, kGap + panelW, top, cipher.planes[c], r.nWidth, r.nHeight,
                            Format("cipher, %s: chi-square %.1f", r.channels[c].c_str(), r.cipher[c].dChiSquare)))
            return false;
    }
    return true;
}

bool CorrelationFigure(const AnalysisResult& r, CPlot& plot) {
    const int nRows = 2 * int(r.channels.size()), cellW = 256 + 3 * kGap, cellH = kTitleBand + 256 + 2 * kGap;
    if (!plot.Create(kGap + 3 * cellW, nRows * cellH + kGap)) return false;
    for (size_t c = 0; c < r.channels.size(); ++c) {
        for (int side = 0; side < 2; ++side) {
            const PlaneStats& s = side == 0 ? r.plain[c] : r.cipher[c];
            const CDib& dib = side == 0 ? *r.pPlain : *r.pCipher;
            ImagePlanes planes;
            GetPlanes(dib, planes);
            const std::vector<BYTE>& plane = planes.planes[c];
            const int top = kGap / 2 + (int(c) * 2 + side) * cellH;
            for (int n = 0; n < 3; ++n) {
                const int left = 2 * kGap + n * cellW;
                PlotArea a{left, top + kTitleBand, left + 255, top + kTitleBand + 255, 0, 256, 0, 256};
                Title(plot, left, top,
                      Format("%s %s, %s: r = %.4f", side == 0 ? "plain" : "cipher", r.channels[c].c_str(),
                             GetNeighbourName(kNeighbours[n]), s.dCorrelationSampled[n]));
                plot.Frame(a, 4, 4);
                const size_t offset = size_t(NeighbourDy(kNeighbours[n])) * size_t(r.nWidth) + size_t(NeighbourDx(kNeighbours[n]));
                for (uint32_t i : r.pairs[n]) plot.Point(a, plane[i] + 0.5, plane[i + offset] + 0.5, side == 0 ? kPlotBlue : kPlotRed);
            }
        }
    }
    return true;
}

bool KeyFigure(const AnalysisResult& r, CPlot& plot) {
    const double s = TileScale(r, 256);
    const int tw = std::max(1, int(std::lround(r.nWidth * s))), th = std::max(1, int(std::lround(r.nHeight * s)));
    const int cellW = std::max(tw, 200) + kGap, cellH = kTitleBand + th + kGap;
    if (!plot.Create(kGap + 4 * cellW, kGap + int(r.flips.size()) * cellH)) return false;
    for (size_t i = 0; i < r.flips.size(); ++i) {
        const KeyFlip& f = r.flips[i];
        const int top = kGap / 2 + int(i) * cellH;
        const std::string name = f.nLane < 0 ? f.component : Format("%s[%d]", f.component.c_str(), f.nLane);
        const std::string titles[] = {"C1", "C2: bit " + std::to_string(f.nBit) + " of " + name, "|C1 - C2|",
                                      "C1 decrypted with it"};
        const ColourFn colours[] = {ImageColours(*r.pCipher), ImageColours(*f.pCipher),
                                    DifferenceColours(*r.pCipher, *f.pCipher), ImageColours(*f.pDecrypted)};
        for (int col = 0; col < 4; ++col) {
            const int left = kGap + col * cellW;
            Title(plot, left, top, titles[col]);
            Tile(plot, left, top + kTitleBand, r.nWidth, r.nHeight, s, colours[col]);
        }
    }
    return true;
}

}  // namespace

bool SaveAnalysisFigures(const AnalysisResult& r, const std::string& dir, std::string& error) {
    bool (*const makers[4])(const AnalysisResult&, CPlot&) = {ImagesFigure, HistogramsFigure, CorrelationFigure, KeyFigure};
    for (int i = 0; i < 4; ++i) {
        CPlot plot;
        if (!makers[i](r, plot)) {
            error = std::string("no memory for '") + kAnalysisFigures[i] + "'";
            return false;
        }
        if (!Save(plot, dir, kAnalysisFigures[i], error)) return false;
    }
    return true;
}
