// Key diagnoses against mode 1 itself: the words the cipher leaves as they were in an all-zero
// image, and the lanes a word-by-word run steps.
#include <gtest/gtest.h>

#include <random>

#include "cipher/Cipher.h"
#include "platform/Rand.h"
#include "security/KeyDiagnosis.h"
#include "tests/support/Keys.h"

namespace {

// What a word-by-word run of mode 1 does: each lane's steps and the first word it XORs 0 onto.
struct LiteralRun {
    std::array<uint64_t, 256> steps{};
    std::array<uint64_t, 256> firstZero;
    uint64_t nZeroWords = 0;

    LiteralRun(KeyState key, uint64_t nWords) {
        firstZero.fill(kNever);
        for (uint64_t n = 0; n < nWords; ++n) {
            key.x0 = ChaoticMap(key.x0, key.p0);
            int i = key.x0 & 0xFF;
            key.states[i] = ChaoticMap(key.states[i], key.params[i]);
            ++steps[i];
            if (key.states[i] != 0) continue;
            ++nZeroWords;
            if (firstZero[i] == kNever) firstZero[i] = n;
        }
    }
};

// An all-zero 8-bit image of nRows rows of nRowBytes bytes, encrypted by mode 1: the words still
// zero are those XORed with 0.
uint64_t ZeroWordsLeftByTheCipher(const KeyState& key, int nRowBytes, int nRows) {
    CDib dib;
    EXPECT_TRUE(dib.Create(nRowBytes, nRows, 8, nullptr, 0));
    KeyState k = key;
    EncryptStream(k, dib);
    uint64_t n = 0;
    for (int r = 0; r < nRows; ++r)
        for (int w = 0; w < nRowBytes / 2; ++w) n += dib.StoredRow(r)[2 * w] == 0 && dib.StoredRow(r)[2 * w + 1] == 0;
    return n;
}

}  // namespace

TEST(KeyDiagnosis, KeysAreThoseOfTheProgramsGeneratorWithoutTouchingIt) {
    for (uint32_t seed : {0u, 1u, 19u, 12345u, 0xFFFFFFFFu}) {
        KeyState expected = moro_test::SeededKey(seed);
        const uint32_t nAfterInit = crt::GetRandState();
        crt::srand(777);
        CKeyRand rand(seed);
        KeyState key;
        MakeKey(key, rand);
        EXPECT_EQ(crt::GetRandState(), 777u);
        EXPECT_EQ(rand.State(), nAfterInit);
        EXPECT_EQ(key.x0, expected.x0);
        EXPECT_EQ(key.p0, expected.p0);
        EXPECT_TRUE(std::equal(key.states, key.states + 256, expected.states));
        EXPECT_TRUE(std::equal(key.params, key.params + 256, expected.params));
        EXPECT_TRUE(std::equal(key.periods, key.periods + 256, expected.periods));
    }
}

TEST(KeyDiagnosis, OrbitsFromNetworksAgreeWithOrbitsFollowedOneByOne) {
    // Parameter 30000 has enough starts to be answered from its network, the others one by one.
    std::mt19937 random(5);
    std::vector<OrbitQuery> queries = {{0, 0}, {0, 1234}, {65535, 65535}, {32768, 1}, {1, 65535}};
    for (int i = 0; i < 12; ++i) queries.push_back({30000, WORD(random())});
    for (int i = 0; i < 12; ++i) queries.push_back({WORD(random()), WORD(random())});
    std::vector<OrbitInfo> orbits = FollowOrbits(queries, 2);
    for (size_t i = 0; i < queries.size(); ++i) {
        OrbitInfo one = FollowOrbit(queries[i].wStart, queries[i].wParam);
        EXPECT_EQ(orbits[i].nTransient, one.nTransient) << i;
        EXPECT_EQ(orbits[i].nCycle, one.nCycle) << i;
        EXPECT_EQ(orbits[i].bZero, one.bZero) << i;
    }
    // Hand-worked: the identity keeps every state; the doubling map empties any state into 0
    // within 16 steps; x - 1 walks 65535 down to 0.
    EXPECT_EQ(orbits[1].nCycle, 1u);
    EXPECT_FALSE(orbits[1].bZero);
    EXPECT_TRUE(orbits[3].bZero);
    EXPECT_EQ(orbits[3].nTransient, 16u);
    EXPECT_EQ(orbits[4].nTransient, 65535u);
}

TEST(KeyDiagnosis, SeedsWhoseGeneratorFallsToZero) {
    // Seed 19: the generator reaches 0 after 2966 steps, so word 2965 on steps lane 0 only, which
    // reaches 0 after 5401 of its own steps; seed 5 falls to 0 later, lane 0 too.  Seeds 1 and 3
    // never fall (a long cycle, and a short one of 196 states).
    struct Case {
        uint32_t seed;
        bool bZero;
        DWORD nTransient, nCycle;
    } cases[] = {{19, true, 2966, 1}, {5, true, 33844, 1}, {1, false, 0, 3384}, {3, false, 2858, 196}};
    for (const Case& c : cases) {
        KeyState key = moro_test::SeededKey(c.seed);
        KeyDiagnosis d = DiagnoseKey(key, 32768);
        EXPECT_EQ(d.generator.bZero, c.bZero) << c.seed;
        EXPECT_EQ(d.generator.nTransient, c.nTransient) << c.seed;
        EXPECT_EQ(d.generator.nCycle, c.nCycle) << c.seed;
        if (c.bZero) {
            EXPECT_EQ(d.nOnlyLane, 0) << c.seed;
        }
    }
    KeyDiagnosis d = DiagnoseKey(moro_test::SeededKey(19), 32768);
    EXPECT_TRUE(d.lanes[0].bZero);
    EXPECT_EQ(d.lanes[0].nTransient, 5401u);
    EXPECT_EQ(d.nGeneratorOnCycleWord, 2965u);
    // Three quarters of a 256 x 256 8-bit image stays as it was.
    EXPECT_GT(d.nZeroWords, 24000u);
    // From lane 0's first 0 on, every word is lane 0's.
    EXPECT_EQ(d.nZeroWords, 32768 - d.laneFirstZeroWord[0]);
}

TEST(KeyDiagnosis, UnencryptedWordsAreThoseTheCipherLeaves) {
    // Sizes inside the generator's tail, across its first cycle and many cycles past it.
    struct Case {
        uint32_t seed;
        int nRowBytes, nRows;
    } cases[] = {{19, 256, 256}, {19, 64, 4}, {5, 1000, 200}, {3, 800, 500}, {11, 800, 500}, {2, 512, 300}, {38, 256, 256}};
    bool bRestCovered = false;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.seed);
        KeyState key = moro_test::SeededKey(c.seed);
        uint64_t nWords = uint64_t(c.nRowBytes) * c.nRows / 2;
        KeyDiagnosis d = DiagnoseKey(key, nWords);
        LiteralRun run(key, nWords);
        EXPECT_EQ(d.nZeroWords, ZeroWordsLeftByTheCipher(key, c.nRowBytes, c.nRows));
        EXPECT_EQ(d.nZeroWords, run.nZeroWords);
        EXPECT_EQ(d.laneSteps, run.steps);
        EXPECT_EQ(d.laneFirstZeroWord, run.firstZero);
        uint64_t nFirst = *std::min_element(run.firstZero.begin(), run.firstZero.end());
        EXPECT_EQ(d.nFirstZeroWord, nFirst);
        for (uint64_t w : run.firstZero)
            bRestCovered = bRestCovered || (w != kNever && w >= d.generator.nTransient + d.generator.nCycle);
    }
    // Some lane first XORs 0 after the generator's first pass round its cycle.
    EXPECT_TRUE(bRestCovered);
}

TEST(KeyDiagnosis, SweepCountsWhatEachKeyShows) {
    const uint32_t nFirst = 3, nKeys = 12;
    const uint64_t nWords = 32768;
    KeySweep one = SweepKeys(nFirst, nKeys, nWords, 1);
    KeySweep two = SweepKeys(nFirst, nKeys, nWords, 2);
    DWORD nGeneratorZero = 0, nLaneZero = 0, nLeaving = 0;
    uint64_t nZeroWords = 0;
    for (uint32_t s = nFirst; s < nFirst + nKeys; ++s) {
        KeyState key = moro_test::SeededKey(s);
        bool bGenerator = FollowOrbit(key.x0, key.p0).bZero;
        nGeneratorZero += bGenerator;
        nLaneZero += bGenerator && FollowOrbit(key.states[0], key.params[0]).bZero;
        LiteralRun run(key, nWords);
        nLeaving += run.nZeroWords > 0;
        nZeroWords += run.nZeroWords;
    }
    for (const KeySweep* s : {&one, &two}) {
        EXPECT_EQ(s->nKeys, nKeys);
        EXPECT_EQ(s->nGeneratorZero, nGeneratorZero);
        EXPECT_EQ(s->nOnlyLaneZero, nLaneZero);
        EXPECT_EQ(s->nKeysLeavingWords, nLeaving);
        EXPECT_DOUBLE_EQ(s->dMeanZeroShare, double(nZeroWords) / double(nWords * nKeys));
    }
    EXPECT_EQ(one.zeroLanes, two.zeroLanes);
    EXPECT_EQ(one.laneCycles, two.laneCycles);
    EXPECT_EQ(one.zeroShares, two.zeroShares);
    // Seeds 5 and 7 fall to 0, with lane 0 after them.
    EXPECT_EQ(nLaneZero, 2u);
}
