// Orbits come from the networks of their parameters (one enumeration answers every start), and
// what mode 1 does to an image follows from the orbits without encrypting it: the generator's
// words are a tail and then its cycle over and over, and a lane that reaches 0 stays there, so a
// lane leaves as they were exactly the words it takes from its first 0 on.
#include "security/KeyDiagnosis.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "security/Parallel.h"
#include "security/StateNetwork.h"

void MakeKey(KeyState& key, CKeyRand& rand) {
    key.x0 = WORD(rand.Rand());
    key.p0 = WORD(rand.Rand());
    for (int i = 0; i < 256; ++i) {
        key.params[i] = WORD(rand.Rand());
        key.states[i] = WORD(rand.Rand());
        key.periods[i] = WORD(rand.Rand() % 256 + 1);
        key.counters[i] = 0;
    }
}

KeyState KeyOfSeed(uint32_t nSeed, uint32_t* pRandAfter) {
    CKeyRand rand(nSeed);
    KeyState key;
    MakeKey(key, rand);
    if (pRandAfter) *pRandAfter = rand.State();
    return key;
}

namespace {

// Follows single orbits, marking each state with the orbit's stamp and the step it was seen at,
// so the marks need no clearing between orbits.
class COrbitWalker {
public:
    OrbitInfo Follow(WORD wStart, WORD wParam) {
        if (++m_nStamp == 0) {  // the stamps wrapped: old marks could pass for new ones
            std::fill(m_stamp.begin(), m_stamp.end(), 0);
            m_nStamp = 1;
        }
        WORD x = wStart;
        DWORD n = 0;
        while (m_stamp[x] != m_nStamp) {
            m_stamp[x] = m_nStamp;
            m_seenAt[x] = n++;
            x = ChaoticMap(x, wParam);
        }
        OrbitInfo info;
        info.nTransient = m_seenAt[x];
        info.nCycle = n - info.nTransient;
        info.bZero = x == 0;  // 0 is a fixed point: a cycle through 0 is 0 alone
        return info;
    }

private:
    std::vector<DWORD> m_stamp = std::vector<DWORD>(kMapStates, 0);
    std::vector<DWORD> m_seenAt = std::vector<DWORD>(kMapStates, 0);
    DWORD m_nStamp = 0;
};

// An orbit costs about a fifth of a whole network: a parameter with fewer starts than this is
// answered orbit by orbit.
constexpr uint32_t kStartsForNetwork = 5;

struct CThreadScratch {
    CStateGraph graph;
    COrbitWalker walker;
};

}  // namespace

OrbitInfo FollowOrbit(WORD wStart, WORD wParam) { return COrbitWalker().Follow(wStart, wParam); }

std::vector<OrbitInfo> FollowOrbits(const std::vector<OrbitQuery>& queries, unsigned nThreads) {
    // The queries of each parameter side by side: byParam[first[p] .. first[p + 1]).
    std::vector<uint32_t> first(kMapStates + 1, 0);
    for (const OrbitQuery& q : queries) ++first[q.wParam + 1];
    for (DWORD p = 0; p < kMapStates; ++p) first[p + 1] += first[p];
    std::vector<uint32_t> byParam(queries.size()), fill(first.begin(), first.end() - 1);
    for (size_t i = 0; i < queries.size(); ++i) byParam[fill[queries[i].wParam]++] = uint32_t(i);
    std::vector<WORD> params;
    for (DWORD p = 0; p < kMapStates; ++p)
        if (first[p + 1] > first[p]) params.push_back(WORD(p));

    std::vector<OrbitInfo> orbits(queries.size());
    std::vector<std::unique_ptr<CThreadScratch>> scratch(ThreadCount(nThreads, params.size()));
    ParallelFor(params.size(), nThreads, [&](size_t k, unsigned t) {
        if (!scratch[t]) scratch[t] = std::make_unique<CThreadScratch>();
        const WORD p = params[k];
        if (first[p + 1] - first[p] < kStartsForNetwork) {
            for (uint32_t j = first[p]; j < first[p + 1]; ++j)
                orbits[byParam[j]] = scratch[t]->walker.Follow(queries[byParam[j]].wStart, p);
            return;
        }
        CStateGraph& graph = scratch[t]->graph;
        graph.Build(p);
        for (uint32_t j = first[p]; j < first[p + 1]; ++j) {
            const uint32_t i = byParam[j];
            const WORD x = queries[i].wStart;
            const MapCycle& cycle = graph.CycleOf(x);
            orbits[i].nTransient = graph.Transient(x);
            orbits[i].nCycle = cycle.nLength;
            orbits[i].bZero = cycle.wSmallest == 0;
        }
    });
    return orbits;
}

namespace {

// The generator's orbit as mode 1 uses it, and its cycle's words sorted by lane.
struct CModeOneScratch {
    std::vector<WORD> seq = std::vector<WORD>(kMapStates);          // x0, f(x0), ... to the cycle's end
    std::vector<WORD> cycleOffsets = std::vector<WORD>(kMapStates); // cycle offsets, grouped by lane
    std::array<DWORD, 257> laneStart{};                              // lane i: cycleOffsets[laneStart[i] ..)
};

// The queries of a key: its generator, then its 256 lanes.
void AddQueries(const KeyState& key, std::vector<OrbitQuery>& queries) {
    queries.push_back({key.p0, key.x0});
    for (int i = 0; i < 256; ++i) queries.push_back({key.params[i], key.states[i]});
}

// Word n of mode 1 steps the lane of the generator's value x(n + 1), where x(0) = x0.  With tail
// mu and cycle lambda, positions 1 .. mu + lambda - 1 are walked one by one; every later position
// k lies on the cycle at offset (k - mu) mod lambda, and the first of them has offset 0.
void Complete(const KeyState& key, const OrbitInfo* orbits, uint64_t nWords, CModeOneScratch& sc,
              KeyDiagnosis& d) {
    d.x0 = key.x0;
    d.p0 = key.p0;
    d.generator = orbits[0];
    for (int i = 0; i < 256; ++i) {
        d.laneStates[i] = key.states[i];
        d.laneParams[i] = key.params[i];
        d.lanes[i] = orbits[1 + i];
        d.nZeroLanes += d.lanes[i].bZero;
    }
    d.nWords = nWords;
    const DWORD mu = d.generator.nTransient, lambda = d.generator.nCycle;
    sc.seq[0] = key.x0;
    for (DWORD k = 1; k < mu + lambda; ++k) sc.seq[k] = ChaoticMap(sc.seq[k - 1], key.p0);
    d.wGeneratorCycleEntry = sc.seq[mu];

    // The cycle's offsets, lane by lane (offsets ascending within a lane).
    sc.laneStart.fill(0);
    for (DWORD j = 0; j < lambda; ++j) ++sc.laneStart[(sc.seq[mu + j] & 0xFF) + 1];
    for (int i = 0; i < 256; ++i) sc.laneStart[i + 1] += sc.laneStart[i];
    std::array<DWORD, 256> fill;
    std::copy(sc.laneStart.begin(), sc.laneStart.end() - 1, fill.begin());
    for (DWORD j = 0; j < lambda; ++j) sc.cycleOffsets[fill[sc.seq[mu + j] & 0xFF]++] = WORD(j);
    for (int i = 0; i < 256; ++i) {
        if (sc.laneStart[i + 1] == sc.laneStart[i]) continue;
        ++d.nCycleLanes;
        d.nOnlyLane = i;
    }
    if (d.nCycleLanes != 1) d.nOnlyLane = -1;
    // Position mu is the first on the cycle (position 1 when x0 itself is on it).
    const uint64_t nOnCycle = std::max<DWORD>(mu, 1) - 1;
    if (nOnCycle < nWords) d.nGeneratorOnCycleWord = nOnCycle;

    // A lane XORs 0 from its step t on: the step that reaches 0 (a lane that starts at 0 stays).
    std::array<uint64_t, 256> zeroStep;
    for (int i = 0; i < 256; ++i)
        zeroStep[i] = d.lanes[i].bZero ? std::max<uint64_t>(1, d.lanes[i].nTransient) : kNever;
    d.laneFirstZeroWord.fill(kNever);
    const uint64_t nWalked = std::min<uint64_t>(nWords, mu + lambda - 1);
    for (uint64_t k = 1; k <= nWalked; ++k) {
        int i = sc.seq[k] & 0xFF;
        if (++d.laneSteps[i] == zeroStep[i]) d.laneFirstZeroWord[i] = k - 1;
    }
    if (nWords > nWalked) {
        const uint64_t nRest = nWords - nWalked, nFull = nRest / lambda, nPart = nRest % lambda;
        for (int i = 0; i < 256; ++i) {
            const DWORD nOn = sc.laneStart[i + 1] - sc.laneStart[i];
            if (nOn == 0) continue;
            const WORD* offsets = sc.cycleOffsets.data() + sc.laneStart[i];
            const uint64_t nBefore = d.laneSteps[i];
            d.laneSteps[i] += nFull * nOn + uint64_t(std::lower_bound(offsets, offsets + nOn, nPart) - offsets);
            if (zeroStep[i] > nBefore && zeroStep[i] <= d.laneSteps[i]) {
                const uint64_t j = zeroStep[i] - nBefore - 1;  // occurrences on the cycle before it
                d.laneFirstZeroWord[i] = nWalked + (j / nOn) * lambda + offsets[j % nOn];
            }
        }
    }
    for (int i = 0; i < 256; ++i) {
        d.nSteppedLanes += d.laneSteps[i] > 0;
        if (d.laneFirstZeroWord[i] == kNever) continue;
        d.nZeroWords += d.laneSteps[i] - zeroStep[i] + 1;
        d.nFirstZeroWord = std::min(d.nFirstZeroWord, d.laneFirstZeroWord[i]);
    }
}

}  // namespace

std::vector<KeyDiagnosis> DiagnoseKeys(const std::vector<KeyState>& keys, uint64_t nWords, unsigned nThreads) {
    std::vector<OrbitQuery> queries;
    queries.reserve(keys.size() * 257);
    for (const KeyState& key : keys) AddQueries(key, queries);
    std::vector<OrbitInfo> orbits = FollowOrbits(queries, nThreads);
    std::vector<KeyDiagnosis> diagnoses(keys.size());
    std::vector<std::unique_ptr<CModeOneScratch>> scratch(ThreadCount(nThreads, keys.size()));
    ParallelFor(keys.size(), nThreads, [&](size_t k, unsigned t) {
        if (!scratch[t]) scratch[t] = std::make_unique<CModeOneScratch>();
        Complete(keys[k], orbits.data() + 257 * k, nWords, *scratch[t], diagnoses[k]);
    });
    return diagnoses;
}

KeyDiagnosis DiagnoseKey(const KeyState& key, uint64_t nWords) {
    return DiagnoseKeys(std::vector<KeyState>(1, key), nWords).front();
}

int Log2Bin(uint64_t n) {
    int bin = 0;
    for (; n; n >>= 1) ++bin;
    return std::min(bin, kLog2Bins - 1);
}

KeySweep SweepKeys(uint32_t nFirstSeed, uint32_t nKeys, uint64_t nWords, unsigned nThreads) {
    std::vector<KeyState> keys(nKeys);
    for (uint32_t k = 0; k < nKeys; ++k) keys[k] = KeyOfSeed(nFirstSeed + k);
    std::vector<OrbitQuery> queries;
    queries.reserve(size_t(nKeys) * 257);
    for (const KeyState& key : keys) AddQueries(key, queries);
    std::vector<OrbitInfo> orbits = FollowOrbits(queries, nThreads);

    // Each thread folds its keys into its own counts; the counts are added up at the end.
    const unsigned nUsed = ThreadCount(nThreads, nKeys);
    std::vector<KeySweep> parts(nUsed);
    std::vector<uint64_t> zeroWords(nUsed, 0);
    std::vector<std::unique_ptr<CModeOneScratch>> scratch(nUsed);
    ParallelFor(nKeys, nThreads, [&](size_t k, unsigned t) {
        if (!scratch[t]) scratch[t] = std::make_unique<CModeOneScratch>();
        KeyDiagnosis d;
        Complete(keys[k], orbits.data() + 257 * k, nWords, *scratch[t], d);
        KeySweep& s = parts[t];
        bool bFixed = d.generator.nCycle == 1;
        s.nGeneratorFixed += bFixed;
        s.nGeneratorZero += d.generator.bZero;
        s.nOnlyLaneZero += bFixed && d.lanes[d.nOnlyLane].bZero;
        s.nKeysLeavingWords += d.nZeroWords > 0;
        ++s.generatorTransients[Log2Bin(d.generator.nTransient)];
        ++s.generatorCycles[Log2Bin(d.generator.nCycle)];
        for (const OrbitInfo& lane : d.lanes) {
            ++s.laneTransients[Log2Bin(lane.nTransient)];
            ++s.laneCycles[Log2Bin(lane.nCycle)];
        }
        ++s.zeroLanes[d.nZeroLanes];
        zeroWords[t] += d.nZeroWords;
        if (d.nZeroWords == 0)
            ++s.zeroShares[0];
        else
            ++s.zeroShares[std::clamp(int(std::ceil(20.0 * double(d.nZeroWords) / double(nWords))), 1, 20)];
    });

    KeySweep sweep;
    sweep.nFirstSeed = nFirstSeed;
    sweep.nKeys = nKeys;
    sweep.nWords = nWords;
    uint64_t nZeroWords = 0;  // added as integers: the mean must not depend on the threads' order
    for (unsigned t = 0; t < nUsed; ++t) {
        const KeySweep& s = parts[t];
        sweep.nGeneratorFixed += s.nGeneratorFixed;
        sweep.nGeneratorZero += s.nGeneratorZero;
        sweep.nOnlyLaneZero += s.nOnlyLaneZero;
        sweep.nKeysLeavingWords += s.nKeysLeavingWords;
        auto add = [](auto& to, const auto& from) {
            for (size_t i = 0; i < to.size(); ++i) to[i] += from[i];
        };
        add(sweep.generatorTransients, s.generatorTransients);
        add(sweep.generatorCycles, s.generatorCycles);
        add(sweep.laneTransients, s.laneTransients);
        add(sweep.laneCycles, s.laneCycles);
        add(sweep.zeroLanes, s.zeroLanes);
        add(sweep.zeroShares, s.zeroShares);
        nZeroWords += zeroWords[t];
    }
    if (nKeys && nWords) sweep.dMeanZeroShare = double(nZeroWords) / (double(nWords) * double(nKeys));
    return sweep;
}
