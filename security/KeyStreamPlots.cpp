#include <algorithm>
#include <cmath>
#include <memory>

#include "security/Parallel.h"
#include "security/Plot.h"
#include "security/StateNetwork.h"

namespace {
constexpr int kMargin = 24;
}  // namespace

BOOL PlotOrbitDiagram(CPlot& plot, DWORD nFirst, DWORD nLast, const std::vector<NetworkCounts>& sweep, unsigned nThreads) {
    constexpr int kColumns = 1024, kRows = 512, kLower = 160;
    if (nFirst > nLast || nLast >= kMapStates) return FALSE;
    if (!plot.Create(kColumns + 2 * kMargin, kRows + kLower + 3 * kMargin)) return FALSE;
    const double dLast = double(std::max(nLast, nFirst + 1));  // one parameter still spans the panel
    PlotArea upper{kMargin, kMargin, kMargin + kColumns - 1, kMargin + kRows - 1, double(nFirst), dLast, 0.0,
                   double(kMapStates - 1)};
    PlotArea lower{kMargin, 2 * kMargin + kRows, kMargin + kColumns - 1, 2 * kMargin + kRows + kLower - 1,
                   double(nFirst), dLast, 0.0, 16.0};

    // The cycles that orbits from 16 evenly spread states end on, as states per pixel row of each
    // column, counted on all cores.  Long cycles fill their column in grey; states of short cycles
    // (under 1024 states), such as 0 alone, are marked in red.
    constexpr int kStatesPerRow = int(kMapStates) / kRows;
    constexpr DWORD kShortCycle = 1024;
    std::vector<uint16_t> counts(size_t(kColumns) * kRows, 0);
    std::vector<uint8_t> shortCycle(size_t(kColumns) * kRows, 0);
    std::vector<std::unique_ptr<CStateGraph>> graphs(ThreadCount(nThreads, kColumns));
    ParallelFor(kColumns, nThreads, [&](size_t c, unsigned t) {
        if (!graphs[t]) graphs[t] = std::make_unique<CStateGraph>();
        CStateGraph& graph = *graphs[t];
        const DWORD p = nFirst + DWORD((uint64_t(nLast - nFirst) * c + (kColumns - 1) / 2) / (kColumns - 1));
        graph.Build(WORD(p));
        std::vector<bool> drawn(graph.Cycles().size(), false);
        uint16_t* column = counts.data() + c * kRows;
        for (DWORD start = 2048; start < kMapStates; start += 4096) {
            const MapCycle& cycle = graph.CycleOf(WORD(start));
            const size_t id = size_t(&cycle - graph.Cycles().data());
            if (drawn[id]) continue;
            drawn[id] = true;
            WORD x = cycle.wSmallest;
            do {
                ++column[x / kStatesPerRow];
                if (cycle.nLength < kShortCycle) shortCycle[c * kRows + x / kStatesPerRow] = 1;
                x = graph.Next(x);
            } while (x != cycle.wSmallest);
        }
    });
    for (int c = 0; c < kColumns; ++c)
        for (int r = 0; r < kRows; ++r) {
            const size_t i = size_t(c) * kRows + size_t(r);
            if (shortCycle[i])
                plot.Pixel(upper.nLeft + c, upper.nBottom - r, kPlotRed);
            else if (counts[i])  // even one state in a pixel must show
                plot.Shade(upper.nLeft + c, upper.nBottom - r, 0.1 + 0.9 * double(counts[i]) / kStatesPerRow, kPlotBlack);
        }
    plot.Frame(upper, 16, 8);

    for (const NetworkCounts& n : sweep) {
        if (n.wParam < nFirst || n.wParam > nLast) continue;
        plot.Point(lower, double(n.wParam), std::log2(double(std::max<DWORD>(1, n.nCycles))), kPlotBlue);
        plot.Point(lower, double(n.wParam), std::log2(double(std::max<DWORD>(1, n.nLongestCycle))), kPlotRed);
    }
    plot.Frame(lower, 16, 4);
    return TRUE;
}

BOOL PlotCycleLengths(CPlot& plot, const StateNetwork& net) {
    constexpr int kBins = 17, kBarWidth = 32, kPanel = 240;
    if (!plot.Create(kBins * kBarWidth + 2 * kMargin, 2 * kPanel + 3 * kMargin)) return FALSE;
    std::array<double, kBins> cycles{}, states{};
    for (const MapCycle& c : net.cycles) {
        int bin = std::min(kBins - 1, int(std::log2(double(c.nLength))));
        cycles[size_t(bin)] += 1.0;
        states[size_t(bin)] += double(c.nBasin) / double(kMapStates);
    }
    const double most = std::max(1.0, *std::max_element(cycles.begin(), cycles.end()));
    PlotArea upper{kMargin, kMargin, kMargin + kBins * kBarWidth - 1, kMargin + kPanel - 1, 0.0, double(kBins), 0.0, most};
    PlotArea lower{kMargin, 2 * kMargin + kPanel, kMargin + kBins * kBarWidth - 1, 2 * kMargin + 2 * kPanel - 1,
                   0.0, double(kBins), 0.0, 1.0};
    for (int b = 0; b < kBins; ++b) {
        // A gap of a fifth between bars; any cycle at all gives a visible bar.
        if (cycles[size_t(b)] > 0) plot.Bar(upper, b + 0.1, b + 0.9, 0.0, std::max(cycles[size_t(b)], most / 100), kPlotBlue);
        if (states[size_t(b)] > 0) plot.Bar(lower, b + 0.1, b + 0.9, 0.0, std::max(states[size_t(b)], 0.01), kPlotRed);
    }
    plot.Frame(upper, kBins, 4);
    plot.Frame(lower, kBins, 4);
    return TRUE;
}

BOOL PlotAutocorrelation(CPlot& plot, const std::vector<double>& r, size_t nBits) {
    constexpr int kWidth = 1024, kHeight = 400;
    if (!plot.Create(kWidth + 2 * kMargin, kHeight + 2 * kMargin)) return FALSE;
    const double band = nBits ? 3.0 / std::sqrt(double(nBits)) : 1.0;
    double top = 2.0 * band;
    for (double v : r) top = std::max(top, std::fabs(v) * 1.05);
    top = std::min(top, 1.0);
    PlotArea a{kMargin, kMargin, kMargin + kWidth - 1, kMargin + kHeight - 1, 0.5, double(r.size()) + 0.5, -top, top};
    for (size_t k = 0; k < r.size(); ++k) {
        const COLORREF c = std::fabs(r[k]) > band ? kPlotRed : kPlotBlue;
        plot.Bar(a, double(k) + 0.5, double(k) + 1.5, 0.0, r[k], c);
    }
    plot.HorizontalLine(a, 0.0, kPlotGrey, false);
    plot.HorizontalLine(a, band, kPlotGrey, true);
    plot.HorizontalLine(a, -band, kPlotGrey, true);
    plot.Frame(a, 16, 4);
    return TRUE;
}
