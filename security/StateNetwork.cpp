// The network is enumerated in linear time: states without preimages are peeled off repeatedly
// (each peeled state may leave its image without preimages in turn); what is never peeled lies on
// a cycle.  Walking the peeled states back from the cycles then gives every state its distance to
// its cycle and the cycle it ends on.
#include "security/StateNetwork.h"

#include <algorithm>
#include <memory>

#include "security/Parallel.h"

CStateGraph::CStateGraph()
    : m_next(kMapStates), m_transient(kMapStates), m_cycleOf(kMapStates), m_pending(kMapStates), m_order(kMapStates) {}

void CStateGraph::Build(WORD wParam) {
    m_wParam = wParam;
    // The two pieces of the map separately, so that the loops carry no branch, and each division
    // by a constant as a multiplication: for 0 <= a < d <= 65536,
    // floor(a 2^16 / d) = (a ceil(2^48 / d)) >> 32.
    const DWORD p = wParam;
    const uint64_t one = uint64_t(1) << 48;
    if (p > 0) {
        const uint64_t r1 = (one + p - 1) / p;
        for (DWORD x = 0; x < p; ++x) m_next[x] = WORD((x * r1) >> 32);
    }
    const uint64_t r2 = (one + (kMapStates - p) - 1) / (kMapStates - p);
    for (DWORD x = p; x < kMapStates; ++x) m_next[x] = WORD(((x - p) * r2) >> 32);

    std::fill(m_pending.begin(), m_pending.end(), 0);
    for (DWORD x = 0; x < kMapStates; ++x) ++m_pending[m_next[x]];
    m_inDegrees.assign(1, 0);
    for (DWORD x = 0; x < kMapStates; ++x) {
        DWORD d = m_pending[x];
        if (d >= m_inDegrees.size()) m_inDegrees.resize(d + 1, 0);
        ++m_inDegrees[d];
    }

    // Peel: m_order[0 .. nPeeled) are the transient states, each before its image.
    size_t nPeeled = 0;
    for (DWORD x = 0; x < kMapStates; ++x)
        if (m_pending[x] == 0) m_order[nPeeled++] = WORD(x);
    for (size_t i = 0; i < nPeeled; ++i) {
        WORD y = m_next[m_order[i]];
        if (--m_pending[y] == 0) m_order[nPeeled++] = y;
    }

    // The cycles, each found from its smallest state by scanning upwards.  A state still pending
    // lies on a cycle; its count is cleared once the cycle is walked.
    m_cycles.clear();
    for (DWORD x = 0; x < kMapStates; ++x) {
        if (m_pending[x] == 0) continue;
        MapCycle cycle;
        cycle.wSmallest = WORD(x);
        const DWORD id = DWORD(m_cycles.size());
        WORD y = WORD(x);
        do {
            m_pending[y] = 0;
            m_transient[y] = 0;
            m_cycleOf[y] = id;
            ++cycle.nLength;
            y = m_next[y];
        } while (y != x);
        m_cycles.push_back(cycle);
    }

    // Images before their preimages: the reverse of the peeling order.
    for (size_t i = nPeeled; i-- > 0;) {
        WORD x = m_order[i], y = m_next[x];
        m_transient[x] = WORD(m_transient[y] + 1);
        m_cycleOf[x] = m_cycleOf[y];
    }
    // Neighbouring states mostly end on the same cycle: four counts in turn keep the increments
    // from waiting on each other.
    m_basins.assign(4 * m_cycles.size(), 0);
    for (DWORD x = 0; x < kMapStates; ++x) ++m_basins[4 * m_cycleOf[x] + (x & 3)];
    for (size_t c = 0; c < m_cycles.size(); ++c)
        m_cycles[c].nBasin = m_basins[4 * c] + m_basins[4 * c + 1] + m_basins[4 * c + 2] + m_basins[4 * c + 3];
}

NetworkCounts CStateGraph::Counts() const {
    NetworkCounts c;
    c.wParam = m_wParam;
    c.nCycles = DWORD(m_cycles.size());
    for (const MapCycle& cycle : m_cycles) {
        if (cycle.nLength == 1) ++c.nFixedPoints;
        c.nLongestCycle = std::max(c.nLongestCycle, cycle.nLength);
        c.nCyclicStates += cycle.nLength;
    }
    uint64_t nSum = 0;
    for (DWORD x = 0; x < kMapStates; ++x) {
        nSum += m_transient[x];
        c.nLongestTransient = std::max<DWORD>(c.nLongestTransient, m_transient[x]);
    }
    c.dMeanTransient = double(nSum) / double(kMapStates);
    c.nZeroBasin = CycleOf(0).nBasin;
    return c;
}

StateNetwork BuildStateNetwork(WORD wParam) {
    CStateGraph graph;
    graph.Build(wParam);
    StateNetwork net;
    net.counts = graph.Counts();
    net.cycles = graph.Cycles();
    net.inDegrees = graph.InDegrees();
    return net;
}

std::vector<NetworkCounts> SweepStateNetworks(DWORD nFirst, DWORD nLast, DWORD nStep, unsigned nThreads) {
    std::vector<NetworkCounts> counts;
    if (nStep == 0 || nFirst > nLast || nLast >= kMapStates) return counts;
    counts.resize((nLast - nFirst) / nStep + 1);
    // A graph per thread, made on first use; pieces of 64 parameters keep the claims rare.
    const size_t nPieces = (counts.size() + 63) / 64;
    std::vector<std::unique_ptr<CStateGraph>> graphs(ThreadCount(nThreads, nPieces));
    ParallelFor(nPieces, nThreads, [&](size_t piece, unsigned t) {
        if (!graphs[t]) graphs[t] = std::make_unique<CStateGraph>();
        for (size_t i = piece * 64; i < std::min(counts.size(), piece * 64 + 64); ++i) {
            graphs[t]->Build(WORD(nFirst + i * nStep));
            counts[i] = graphs[t]->Counts();
        }
    });
    return counts;
}
