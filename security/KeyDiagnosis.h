// What a key's orbits do to mode 1.  Mode 1 steps the index generator once per word and then the
// lane its low byte names; both are orbits of the 16-bit map, so each ends in a cycle, and the
// cycle may be the fixed point 0.  A generator that ends on a fixed point steps one lane for the
// rest of the image; a lane that ends at 0 XORs 0 onto every later word it takes, leaving those
// words as they were.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "cipher/Cipher.h"

// ---- keys (KeyDiagnosis.cpp) ----

// A private copy of the program's random generator (the same rule as crt::rand), so that keys
// for many seeds can be made on many threads without touching the program's one generator.
class CKeyRand {
public:
    explicit CKeyRand(uint32_t nSeed) : m_nState(nSeed) {}
    int Rand() {
        m_nState = m_nState * 214013u + 2531011u;
        return int((m_nState >> 16) & 0x7FFF);
    }
    uint32_t State() const { return m_nState; }

private:
    uint32_t m_nState;
};

// The key InitKey makes from the generator rand (for CKeyRand(s): the key that srand(s) and
// InitKey make); rand is left where InitKey leaves the generator.
void MakeKey(KeyState& key, CKeyRand& rand);
// The key of srand(nSeed) and InitKey; *pRandAfter, if given, receives where the generator is left.
KeyState KeyOfSeed(uint32_t nSeed, uint32_t* pRandAfter = nullptr);

// ---- orbits and the diagnosis (KeyDiagnosis.cpp) ----

struct OrbitInfo {
    DWORD nTransient = 0;  // steps before the orbit enters its cycle
    DWORD nCycle = 0;      // the cycle's length
    bool bZero = false;    // the cycle is the fixed point 0, first reached after nTransient steps
};

constexpr uint64_t kNever = ~uint64_t(0);

struct KeyDiagnosis {
    WORD x0 = 0, p0 = 0;          // the key's, as diagnosed
    std::array<WORD, 256> laneStates{}, laneParams{};
    OrbitInfo generator;          // x0 under p0
    WORD wGeneratorCycleEntry = 0;  // the generator's first state on its cycle
    DWORD nCycleLanes = 0;        // distinct lanes on the generator's cycle
    int nOnlyLane = -1;           // when that is one lane, which one
    std::array<OrbitInfo, 256> lanes{};
    DWORD nZeroLanes = 0;         // lanes whose orbit ends at 0

    // Mode 1 over nWords words, starting from this key.
    uint64_t nWords = 0;
    uint64_t nGeneratorOnCycleWord = kNever;  // first word stepped from the generator's cycle
    uint64_t nZeroWords = 0;                  // words XORed with 0, left as they were
    uint64_t nFirstZeroWord = kNever;
    DWORD nSteppedLanes = 0;                  // lanes stepped at least once
    std::array<uint64_t, 256> laneSteps{};
    std::array<uint64_t, 256> laneFirstZeroWord{};  // kNever when the lane never XORs 0 here
};

// One orbit.
OrbitInfo FollowOrbit(WORD wStart, WORD wParam);

// The orbits of many (parameter, start) pairs, on nThreads threads (0: one per core).  Pairs are
// grouped by parameter and each parameter's network is enumerated once, so a batch of keys costs
// at most one enumeration per distinct parameter.
struct OrbitQuery {
    WORD wParam;
    WORD wStart;
};
std::vector<OrbitInfo> FollowOrbits(const std::vector<OrbitQuery>& queries, unsigned nThreads = 0);

// The diagnosis of a key for an image of nWords 16-bit words (rows' bytes / 2).
KeyDiagnosis DiagnoseKey(const KeyState& key, uint64_t nWords);
// The same for many keys at once.
std::vector<KeyDiagnosis> DiagnoseKeys(const std::vector<KeyState>& keys, uint64_t nWords, unsigned nThreads = 0);

// ---- many keys (KeyDiagnosis.cpp) ----

// Counts over log2 bins: bin 0 holds 0, bin k holds values from 2^(k-1) to 2^k - 1.
constexpr int kLog2Bins = 18;
int Log2Bin(uint64_t n);

struct KeySweep {
    uint32_t nFirstSeed = 0;
    uint32_t nKeys = 0;
    uint64_t nWords = 0;
    DWORD nGeneratorFixed = 0;     // generator ends on a fixed point: one lane takes every word
    DWORD nGeneratorZero = 0;      // that fixed point is 0: lane 0 takes every word
    DWORD nOnlyLaneZero = 0;       // and that one lane ends at 0: all words after are left
    DWORD nKeysLeavingWords = 0;   // keys that leave at least one of the nWords words
    double dMeanZeroShare = 0;     // mean share of the words left, over the keys
    std::array<DWORD, kLog2Bins> generatorTransients{}, generatorCycles{};
    std::array<DWORD, kLog2Bins> laneTransients{}, laneCycles{};  // over all lanes of all keys
    std::array<DWORD, 257> zeroLanes{};    // keys by their number of lanes that end at 0
    std::array<DWORD, 21> zeroShares{};    // keys by share of words left: 0, (0, 5 %], (5, 10 %] ...
};

// The keys of seeds nFirstSeed, nFirstSeed + 1, ... (nKeys of them, each as srand(seed) and
// InitKey make it), each diagnosed for nWords words, on nThreads threads (0: one per core).
KeySweep SweepKeys(uint32_t nFirstSeed, uint32_t nKeys, uint64_t nWords, unsigned nThreads = 0);

// ---- reports (KeyReport.cpp) ----

// One line for a user when mode 1 leaves words as they were: how many and why; "" when none.
std::string DescribeUnencrypted(const KeyDiagnosis& d);
// The same for words counted over several runs of mode 1, with the cause of one of them.
std::string DescribeUnencrypted(uint64_t nZeroWords, uint64_t nWords, const std::string& cause);
// Why mode 1 leaves words as they were ("lane 3 falls to 0 at word 17"); "" when it leaves none.
std::string UnencryptedCause(const KeyDiagnosis& d);
// The lanes as a short list of numbers and ranges ("0-3, 17, 200"), or "none".
std::string LaneList(const std::vector<int>& lanes);
// The lanes whose orbit ends at 0, and the lanes mode 1 steps at least once, in order.
std::vector<int> ZeroLanes(const KeyDiagnosis& d);
std::vector<int> SteppedLanes(const KeyDiagnosis& d);
// A diagnosis in words: the generator's orbit, the lanes ending at 0 and those stepped, and the
// words left as they were (a few lines); one row per lane; both, as a text table.
std::string KeyDiagnosisSummary(const KeyDiagnosis& d);
std::string KeyLaneTable(const KeyDiagnosis& d);
std::string KeyDiagnosisTable(const KeyDiagnosis& d);
// What moro-cli keystream prints under its heading, and moro-cli analyse and the window show for
// the key: the warning of DescribeUnencrypted when there is one, the summary, and with bLanes
// the row of every lane.
std::string KeyDiagnosisText(const KeyDiagnosis& d, bool bLanes);
// A diagnosis as JSON.
nlohmann::json KeyDiagnosisJson(const KeyDiagnosis& d);
std::string KeySweepTable(const KeySweep& sweep);
nlohmann::json KeySweepJson(const KeySweep& sweep);
