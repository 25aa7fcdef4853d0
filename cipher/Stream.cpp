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

// The remaining words all step the one lane `state`.
void ReplaySingleLane(WORD& state, const LaneRecip& lane, BYTE* p, size_t words, CCycleScratch& sc) {
    uint32_t y = state;
    size_t mu = 0;
    size_t n = FollowUntilRepeat(y, lane, words, sc, mu, [&](size_t t, uint32_t v) { XorWord(p + 2 * t, v); });
    if (n == words) {
        state = WORD(y);
        return;
    }
    const size_t lambda = n - mu;
    const WORD* cycle = sc.seq + mu;
    p += 2 * n;
    words -= n;
    state = cycle[(words - 1) % lambda];
    if (lambda == 1 && cycle[0] == 0) return;  // collapsed to 0: the rest stays as it is
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
// Where a lane stands after `steps` steps: its sequence is a tail and a cycle, so at most one pass
// over them is followed, whatever the count.
uint32_t AdvanceLane(uint32_t state, const LaneRecip& lane, uint64_t steps, CCycleScratch& sc) {
    size_t mu = 0;
    size_t n = FollowUntilRepeat(state, lane, steps, sc, mu, [](size_t, uint32_t) {});
    if (n == steps) return state;
    return sc.seq[mu + (steps - n - 1) % (n - mu)];
}
}  // namespace

void AdvanceStream(KeyState& key, size_t words) {
    BuildSBox(key.states, key.sbox);
    if (!words) return;
    // Each lane's state depends only on how often it steps, and those counts follow from the index
    // generator's tail and cycle, each counted once: no step of the pass is made one by one.
    CCycleScratch& sc = Scratch();
    uint64_t counts[256] = {};
    uint32_t x = key.x0;
    size_t mu = 0;
    size_t n = FollowUntilRepeat(x, MakeRecip(key.p0), words, sc, mu, [&](size_t, uint32_t v) { ++counts[v & 0xFF]; });
    if (n < words) {
        const size_t lambda = n - mu, left = words - n;
        const WORD* cycle = sc.seq + mu;
        for (size_t c = 0; c < lambda; ++c) counts[cycle[c] & 0xFF] += left / lambda + (c < left % lambda ? 1 : 0);
        x = cycle[(left - 1) % lambda];
    }
    key.x0 = WORD(x);
    for (int i = 0; i < 256; ++i)
        if (counts[i]) key.states[i] = WORD(AdvanceLane(key.states[i], MakeRecip(key.params[i]), counts[i], sc));
}
}  // namespace cipher

void EncryptStream(KeyState& key, CDib& dib) {
    using namespace cipher;
    BuildSBox(key.states, key.sbox);
    if (!HasRows(dib)) return;
    BYTE* p = dib.m_lpBits;
    const size_t words = RowBytesTotal(dib) / 2;

    LaneRecip lanes[256];
    for (int i = 0; i < 256; ++i) lanes[i] = MakeRecip(key.params[i]);
    const LaneRecip generator = MakeRecip(key.p0);
    uint32_t states[256];
    std::copy(key.states, key.states + 256, states);
    auto stepLane = [&](size_t n, uint32_t x) {
        int i = x & 0xFF;
        uint32_t s = MapRecip(states[i], lanes[i]);
        states[i] = s;
        XorWord(p + 2 * n, s);
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
            ReplaySingleLane(s, lanes[i], p + 2 * n, left, sc);
            states[i] = s;
        } else {
            BYTE index[65536];
            for (size_t c = 0; c < lambda; ++c) index[c] = BYTE(cycle[c]);
            BYTE* q = p + 2 * n;
            for (size_t done = 0; done < left;) {
                size_t len = std::min(lambda, left - done);
                for (size_t c = 0; c < len; ++c, q += 2) {
                    int i = index[c];
                    uint32_t s = MapRecip(states[i], lanes[i]);
                    states[i] = s;
                    XorWord(q, s);
                }
                done += len;
            }
        }
    }
    key.x0 = WORD(x);
    for (int i = 0; i < 256; ++i) key.states[i] = WORD(states[i]);
}

void DecryptStream(KeyState& key, CDib& dib) {
    // The key stream depends on the key alone, so the same XOR takes it off again.
    EncryptStream(key, dib);
}
