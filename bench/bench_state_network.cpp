// The state-mapping network of one parameter: the enumeration the library runs, beside a
// straightforward one that follows every state's orbit until a state repeats.
#include <benchmark/benchmark.h>

#include <vector>

#include "cipher/ChaoticMap.h"
#include "security/StateNetwork.h"

namespace {

// Parameters as keys draw them (below 32768), with short and long cycles.
const WORD kParams[] = {1000, 12345, 30000};

void NetworkLinear(benchmark::State& state) {
    CStateGraph graph;
    WORD p = kParams[state.range(0)];
    for (auto _ : state) {
        graph.Build(p);
        benchmark::DoNotOptimize(graph.Counts());
    }
}

// Every state followed until one repeats (a stamp per start marks what this orbit has seen): its
// transient, its cycle's length and smallest state, then the counts from those.
void NetworkFollowingEachOrbit(benchmark::State& state) {
    WORD p = kParams[state.range(0)];
    std::vector<DWORD> seenBy(kMapStates, 0), seenAt(kMapStates, 0);
    for (auto _ : state) {
        DWORD nStamp = 0, nLongestTransient = 0, nLongestCycle = 0;
        std::vector<bool> cycleSeen(kMapStates, false);
        DWORD nCycles = 0;
        for (DWORD x = 0; x < kMapStates; ++x) {
            ++nStamp;
            WORD y = WORD(x);
            DWORD n = 0;
            while (seenBy[y] != nStamp) {
                seenBy[y] = nStamp;
                seenAt[y] = n++;
                y = ChaoticMap(y, p);
            }
            DWORD mu = seenAt[y], lambda = n - mu;
            WORD smallest = y;
            for (WORD z = ChaoticMap(y, p); z != y; z = ChaoticMap(z, p)) smallest = std::min(smallest, z);
            if (!cycleSeen[smallest]) {
                cycleSeen[smallest] = true;
                ++nCycles;
            }
            nLongestTransient = std::max(nLongestTransient, mu);
            nLongestCycle = std::max(nLongestCycle, lambda);
        }
        benchmark::DoNotOptimize(nCycles + nLongestTransient + nLongestCycle);
    }
}

}  // namespace

BENCHMARK(NetworkLinear)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(NetworkFollowingEachOrbit)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
