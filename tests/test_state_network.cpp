// The network of one parameter: hand-worked parameters, and an independent enumeration through
// powers of the map (f^65536 sends every state onto its cycle).
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "cipher/ChaoticMap.h"
#include "security/StateNetwork.h"

namespace {

// Everything about one parameter, found without peeling: the powers f^(2^j) by repeated
// composition, the cyclic states as the image of f^65536, each state's transient as the fewest
// steps that land on a cyclic state (by binary lifting), its cycle by walking from there.
struct PowerEnumeration {
    std::vector<std::vector<WORD>> powers;  // powers[j][x] = f^(2^j)(x)
    std::vector<bool> cyclic;
    std::vector<DWORD> transient;
    std::vector<WORD> cycleSmallest;
    std::map<WORD, DWORD> cycleLength;  // by smallest state
    std::vector<DWORD> inDegrees;

    explicit PowerEnumeration(WORD p) : cyclic(kMapStates), transient(kMapStates), cycleSmallest(kMapStates) {
        powers.assign(17, std::vector<WORD>(kMapStates));
        for (DWORD x = 0; x < kMapStates; ++x) powers[0][x] = ChaoticMap(x, p);
        for (int j = 1; j <= 16; ++j)
            for (DWORD x = 0; x < kMapStates; ++x) powers[j][x] = powers[j - 1][powers[j - 1][x]];
        for (DWORD x = 0; x < kMapStates; ++x) cyclic[powers[16][x]] = true;
        // Each cycle walked once, from its first state found.
        std::vector<bool> walked(kMapStates, false);
        for (DWORD x = 0; x < kMapStates; ++x) {
            if (!cyclic[x] || walked[x]) continue;
            std::vector<WORD> members;
            for (WORD y = WORD(x); !walked[y]; y = powers[0][y]) {
                walked[y] = true;
                members.push_back(y);
            }
            WORD smallest = *std::min_element(members.begin(), members.end());
            for (WORD y : members) cycleSmallest[y] = smallest;
            cycleLength[smallest] = DWORD(members.size());
        }
        for (DWORD x = 0; x < kMapStates; ++x) {
            // The largest number of steps that stays off the cycles, bit by bit.
            DWORD x1 = x, steps = 0;
            if (!cyclic[x1]) {
                for (int j = 16; j >= 0; --j)
                    if (!cyclic[powers[j][x1]]) {
                        x1 = powers[j][x1];
                        steps += DWORD(1) << j;
                    }
                x1 = powers[0][x1];
                ++steps;
            }
            transient[x] = steps;
            cycleSmallest[x] = cycleSmallest[x1];
        }
        std::vector<DWORD> degree(kMapStates, 0);
        for (DWORD x = 0; x < kMapStates; ++x) ++degree[powers[0][x]];
        inDegrees.assign(*std::max_element(degree.begin(), degree.end()) + 1, 0);
        for (DWORD d : degree) ++inDegrees[d];
    }
};

}  // namespace

TEST(StateNetwork, ZeroParameterIsTheIdentity) {
    StateNetwork net = BuildStateNetwork(0);
    EXPECT_EQ(net.counts.nCycles, kMapStates);
    EXPECT_EQ(net.counts.nFixedPoints, kMapStates);
    EXPECT_EQ(net.counts.nLongestCycle, 1u);
    EXPECT_EQ(net.counts.nLongestTransient, 0u);
    EXPECT_EQ(net.counts.nZeroBasin, 1u);
    EXPECT_EQ(net.inDegrees, (std::vector<DWORD>{0, kMapStates}));
}

TEST(StateNetwork, HalfIsTheDoublingMapThatEmptiesIntoZero) {
    // x -> 2x mod 65536: a state whose lowest set bit is bit k reaches 0 after 16 - k steps.
    StateNetwork net = BuildStateNetwork(32768);
    ASSERT_EQ(net.cycles.size(), 1u);
    EXPECT_EQ(net.cycles[0].wSmallest, 0);
    EXPECT_EQ(net.cycles[0].nBasin, kMapStates);
    EXPECT_EQ(net.counts.nLongestTransient, 16u);
    // Sum over j of (j + 1) 2^j for j = 0 .. 15 is 15 * 2^16 + 1.
    EXPECT_DOUBLE_EQ(net.counts.dMeanTransient, 983041.0 / 65536.0);
    // Even states have two preimages (y/2 and y/2 + 32768), odd ones none.
    EXPECT_EQ(net.inDegrees, (std::vector<DWORD>{32768, 0, 32768}));
}

TEST(StateNetwork, SmallestAndLargestParametersStepDownOrStand) {
    // p = 1 sends x to x - 1: one long chain into 0.
    StateNetwork down = BuildStateNetwork(1);
    EXPECT_EQ(down.counts.nCycles, 1u);
    EXPECT_EQ(down.counts.nLongestTransient, 65535u);
    EXPECT_DOUBLE_EQ(down.counts.dMeanTransient, 32767.5);
    EXPECT_EQ(down.inDegrees, (std::vector<DWORD>{1, 65534, 1}));
    // p = 65535 leaves every state but 65535 where it is; 65535 goes to 0.
    StateNetwork stand = BuildStateNetwork(65535);
    EXPECT_EQ(stand.counts.nFixedPoints, 65535u);
    EXPECT_EQ(stand.counts.nLongestTransient, 1u);
    EXPECT_EQ(stand.counts.nZeroBasin, 2u);
    EXPECT_EQ(stand.inDegrees, (std::vector<DWORD>{1, 65534, 1}));
}

TEST(StateNetwork, AgreesWithAnEnumerationThroughPowersOfTheMap) {
    for (WORD p : {WORD(1000), WORD(12345), WORD(30000), WORD(32767), WORD(40000), WORD(65000)}) {
        SCOPED_TRACE(p);
        PowerEnumeration brute(p);
        CStateGraph graph;
        graph.Build(p);
        DWORD nMismatches = 0;
        for (DWORD x = 0; x < kMapStates; ++x) {
            nMismatches += graph.Next(WORD(x)) != brute.powers[0][x];
            nMismatches += graph.IsCyclic(WORD(x)) != brute.cyclic[x];
            nMismatches += graph.Transient(WORD(x)) != brute.transient[x];
            nMismatches += graph.CycleOf(WORD(x)).wSmallest != brute.cycleSmallest[x];
        }
        EXPECT_EQ(nMismatches, 0u);
        ASSERT_EQ(graph.Cycles().size(), brute.cycleLength.size());
        std::vector<DWORD> basins(kMapStates, 0);
        for (DWORD x = 0; x < kMapStates; ++x) ++basins[brute.cycleSmallest[x]];
        size_t i = 0;
        for (const auto& [smallest, length] : brute.cycleLength) {
            const MapCycle& cycle = graph.Cycles()[i++];
            EXPECT_EQ(cycle.wSmallest, smallest);
            EXPECT_EQ(cycle.nLength, length);
            EXPECT_EQ(cycle.nBasin, basins[smallest]);
        }
        EXPECT_EQ(graph.InDegrees(), brute.inDegrees);
        NetworkCounts counts = graph.Counts();
        EXPECT_EQ(counts.nLongestTransient, *std::max_element(brute.transient.begin(), brute.transient.end()));
        EXPECT_EQ(counts.nZeroBasin, basins[0]);
    }
}

TEST(StateNetwork, SweepGivesEachParameterItsOwnCounts) {
    std::vector<NetworkCounts> sweep = SweepStateNetworks(30000, 30000 + 7 * 129, 7, 2);
    ASSERT_EQ(sweep.size(), 130u);
    for (size_t i : {size_t(0), size_t(63), size_t(64), size_t(129)}) {
        NetworkCounts one = BuildStateNetwork(WORD(30000 + 7 * i)).counts;
        EXPECT_EQ(sweep[i].wParam, one.wParam);
        EXPECT_EQ(sweep[i].nCycles, one.nCycles);
        EXPECT_EQ(sweep[i].nLongestCycle, one.nLongestCycle);
        EXPECT_EQ(sweep[i].dMeanTransient, one.dMeanTransient);
    }
    EXPECT_TRUE(SweepStateNetworks(10, 5, 1).empty());
    EXPECT_TRUE(SweepStateNetworks(0, 65536, 1).empty());
}
