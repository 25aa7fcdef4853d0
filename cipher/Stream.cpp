// Mode 1 at speed.  The index generator's sequence depends only on x0 and p0: a tail, then a cycle
// (a 16-bit state repeats within 65537 steps).  Once the cycle is found the lane indices are
// replayed from it instead of being recomputed.  When the cycle is a single value (the fixed point
// 0, or p0 = 0) one lane takes every remaining step, and that lane's own sequence is a tail and a
// cycle too, so its key stream is replayed as well.  Every division is an exact reciprocal.
#include <algorithm>
#include <memory>

#include "cipher/Cipher.h"
#include "cipher/Kernels.h"
#include "cipher/Rows.h"

namespace cipher {
namespace {

// Where each 16-bit value was first seen in the sequence being followed.  The table is never
// cleared: an entry counts only if it points before the current step at that same value, so stale
// entries from another sequence are harmless.
struct CCycleScratch {
    uint32_t first[65536] = {};
    WORD seq[65536];
};

CCycleScratch& Scratch() {
    thread_local std::unique_ptr<CCycleScratch> scratch;
    if (!scratch) scratch = std::make_unique<CCycleScratch>();
    return *scratch;
}

// Follows x = map(x) for at most limit steps, storing each new value in seq and calling step(n, x)
// for it.  Stops at the first repeated value: returns the number of distinct values n and sets
// start to the index where the repeated value (the cycle's first value) was seen; start = n when
// the limit came first.
template <class Step>
size_t FollowUntilRepeat(uint32_t& x, const LaneRecip& map, size_t limit, CCycleScratch& sc,
                         size_t& start, Step step) {
    size_t n = 0;
    for (; n < limit; ++n) {
        uint32_t next = MapRecip(x, map);
        uint32_t f = sc.first[next];
        if (f < n && sc.seq[f] == next) {
            start = f;
            return n;
        }
        x = next;
        sc.first[x] = uint32_t(n);
        sc.seq[n] = WORD(x);
        step(n, x);
    }
    start = n;
    return n;
}

void XorWord(BYTE* p, uint32_t s) { StoreWord(p, WORD(LoadWord(p) ^ s)); }

// The remaining words all step the one lane `state`.  Without data (kData false) only the key
// moves on.
template <bool kData>
void ReplaySingleLane(WORD& state, const LaneRecip& lane, BYTE* p, size_t words, CCycleScratch& sc) {
    uint32_t y = state;
    size_t mu = 0;
    size_t n = FollowUntilRepeat(y, lane, words, sc, mu, [&](size_t t, uint32_t v) {
        if constexpr (kData) XorWord(p + 2 * t, v);
    });
    if (n == words) {
        state = WORD(y);
        return;
    }
    const size_t lambda = n - mu;
    const WORD* cycle = sc.seq + mu;
    p += 2 * n;
    words -= n;
    state = cycle[(words - 1) % lambda];
    if (!kData || (lambda == 1 && cycle[0] == 0)) return;  // collapsed to 0: the rest stays as it is
    // Repeat the cycle into a run long enough for the XOR loop to stream.
    WORD run[4096];
    size_t runLen = lambda <= 4096 ? 4096 / lambda * lambda : 0;
    for (size_t i = 0; i < runLen; ++i) run[i] = cycle[i % lambda];
    const WORD* pattern = runLen ? run : cycle;
    size_t patternLen = runLen ? runLen : lambda;
    for (size_t done = 0; done < words;) {
        size_t len = std::min(patternLen, words - done);
        BYTE* q = p + 2 * done;
        for (size_t i = 0; i < len; ++i) XorWord(q + 2 * i, pattern[i]);
        done += len;
    }
}

// Mode 1 over words at p, after its S-box is built; without data (kData false, p null) only the
// key moves on, as far as the same number of words moves it.
template <bool kData>
void StreamPass(KeyState& key, BYTE* p, const size_t words) {
    LaneRecip lanes[256];
    for (int i = 0; i < 256; ++i) lanes[i] = MakeRecip(key.params[i]);
    const LaneRecip generator = MakeRecip(key.p0);
    uint32_t states[256];
    std::copy(key.states, key.states + 256, states);
    auto stepLane = [&](size_t n, uint32_t x) {
        int i = x & 0xFF;
        uint32_t s = MapRecip(states[i], lanes[i]);
        states[i] = s;
        if constexpr (kData) XorWord(p + 2 * n, s);
    };

    // The tail and the first pass of the cycle, stepping the generator itself.
    CCycleScratch& sc = Scratch();
    uint32_t x = key.x0;
    size_t mu = 0;
    size_t n = FollowUntilRepeat(x, generator, words, sc, mu, stepLane);
    if (n < words) {
        const size_t lambda = n - mu;
        const WORD* cycle = sc.seq + mu;
        const size_t left = words - n;
        x = cycle[(left - 1) % lambda];
        if (lambda == 1) {
            int i = cycle[0] & 0xFF;
            WORD s = WORD(states[i]);
            ReplaySingleLane<kData>(s, lanes[i], kData ? p + 2 * n : nullptr, left, sc);
            states[i] = s;
        } else {
            BYTE index[65536];
            for (size_t c = 0; c < lambda; ++c) index[c] = BYTE(cycle[c]);
            BYTE* q = kData ? p + 2 * n : nullptr;
            for (size_t done = 0; done < left;) {
                size_t len = std::min(lambda, left - done);
                for (size_t c = 0; c < len; ++c) {
                    int i = index[c];
                    uint32_t s = MapRecip(states[i], lanes[i]);
                    states[i] = s;
                    if constexpr (kData) {
                        XorWord(q, s);
                        q += 2;
                    }
                }
                done += len;
            }
        }
    }
    key.x0 = WORD(x);
    for (int i = 0; i < 256; ++i) key.states[i] = WORD(states[i]);
}
}  // namespace

void AdvanceStream(KeyState& key, size_t words) {
    BuildSBox(key.states, key.sbox);
    if (words) StreamPass<false>(key, nullptr, words);
}
}  // namespace cipher

void EncryptStream(KeyState& key, CDib& dib) {
    BuildSBox(key.states, key.sbox);
    if (!cipher::HasRows(dib)) return;
    cipher::StreamPass<true>(key, dib.m_lpBits, cipher::RowBytesTotal(dib) / 2);
}

void DecryptStream(KeyState& key, CDib& dib) {
    // The key stream depends on the key alone, so the same XOR takes it off again.
    EncryptStream(key, dib);
}

