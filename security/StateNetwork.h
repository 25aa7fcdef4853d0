// The state-mapping network of the chaotic map for one parameter.  In 16-bit fixed point the map
// sends each of the 65,536 states to exactly one state, so every orbit ends in a cycle: the
// network is a few cycles with trees of transient states hanging into them.  Among them is always
// the fixed point 0 (the map sends 0 to 0 for every parameter).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/Types.h"

constexpr DWORD kMapStates = 65536;

struct MapCycle {
    WORD wSmallest = 0;  // the cycle's smallest state, which names it
    DWORD nLength = 0;
    DWORD nBasin = 0;    // states whose orbit ends on this cycle, its own included
};

// The figures of one parameter's network.
struct NetworkCounts {
    WORD wParam = 0;
    DWORD nCycles = 0;
    DWORD nFixedPoints = 0;
    DWORD nLongestCycle = 0;
    DWORD nCyclicStates = 0;      // states that lie on a cycle
    DWORD nLongestTransient = 0;  // most steps any state takes to reach its cycle
    double dMeanTransient = 0;    // over all 65,536 states
    DWORD nZeroBasin = 0;         // states that end at 0, 0 included
};

struct StateNetwork {
    NetworkCounts counts;
    std::vector<MapCycle> cycles;  // in ascending order of their smallest state
    std::vector<DWORD> inDegrees;  // inDegrees[d]: states with exactly d preimages
};

// The network of ChaoticMap(., p) in a form that answers questions about single states: where a
// state goes, how many steps it takes to reach its cycle, which cycle that is.  One enumeration
// of all states costs well under a millisecond; build one per thread and reuse it.
class CStateGraph {
public:
    CStateGraph();
    void Build(WORD wParam);

    WORD Param() const { return m_wParam; }
    WORD Next(WORD x) const { return m_next[x]; }
    // Steps from x to the first state of its orbit that lies on a cycle (0 for a cyclic state).
    DWORD Transient(WORD x) const { return m_transient[x]; }
    const MapCycle& CycleOf(WORD x) const { return m_cycles[m_cycleOf[x]]; }
    bool IsCyclic(WORD x) const { return m_transient[x] == 0; }
    const std::vector<MapCycle>& Cycles() const { return m_cycles; }
    // inDegrees[d]: states with exactly d preimages.
    const std::vector<DWORD>& InDegrees() const { return m_inDegrees; }
    NetworkCounts Counts() const;

private:
    WORD m_wParam = 0;
    std::vector<WORD> m_next;
    std::vector<WORD> m_transient;
    std::vector<DWORD> m_cycleOf;
    std::vector<DWORD> m_pending;  // preimages not yet peeled off, while building
    std::vector<WORD> m_order;     // transient states, leaves first
    std::vector<MapCycle> m_cycles;
    std::vector<DWORD> m_basins;   // per cycle, four interleaved counts
    std::vector<DWORD> m_inDegrees;
};

// The whole network of one parameter.
StateNetwork BuildStateNetwork(WORD wParam);

// The figures of the parameters first, first + step, ... up to last, computed on nThreads threads
// (0: one per core).
std::vector<NetworkCounts> SweepStateNetworks(DWORD nFirst, DWORD nLast, DWORD nStep, unsigned nThreads = 0);

