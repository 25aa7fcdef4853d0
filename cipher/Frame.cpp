// The frame pass and the substitution, sped up without changing a single output bit.
//
// In a frame pass word n steps lane sbox[n mod 256].  When the S-box is a permutation (always, for
// a key this program built) the pass is a sequence of blocks of 256 words in which each lane steps
// once, at a fixed position.  The states are kept in position order, the kernels step all 256
// positions of a block side by side, and the perturbations are worked out ahead of the kernels:
// which steps are perturbed depends only on the counters and periods, never on the states, so the
// random draws can be taken in exactly the order, and exactly the number, of a word-by-word pass.
//
// Decryption is the same pass with the substitution undone before the XOR instead of done after
// it: the key stream, perturbations included, never depends on the data.
#include <algorithm>
#include <cstring>
#include <vector>

#include "cipher/Cipher.h"
#include "cipher/Kernels.h"
#include "cipher/Rows.h"
#include "platform/Rand.h"

namespace cipher {
namespace {

// For each future block, which positions are perturbed in it: a ring of 256-bit sets indexed by
// block number.  A lane's next perturbation is at most its period ahead, so a ring at least as long
// as the longest period never holds two blocks in one slot; a lane rescheduled exactly one ring
// length ahead lands in the slot being emptied, which is taken apart first.
class CPerturbSchedule {
public:
    CPerturbSchedule(const WORD periods[256], const WORD counters[256], uint32_t randState)
        : m_rand(randState) {
        unsigned longest = 1;
        for (int k = 0; k < 256; ++k) {
            m_periods[k] = periods[k];
            m_counters[k] = counters[k];
            longest = std::max<unsigned>(longest, periods[k]);
        }
        size_t slots = 256;
        while (slots < longest) slots *= 2;
        m_nMask = slots - 1;
        if (slots * 4 <= kSmallRing) {
            std::memset(m_small, 0, slots * 4 * sizeof(uint64_t));
            m_ring = m_small;
        } else {
            m_large.assign(slots * 4, 0);
            m_ring = m_large.data();
        }
        for (int k = 0; k < 256; ++k) {
            unsigned t = m_periods[k];
            if (t == 0) continue;  // never perturbed
            unsigned c = m_counters[k];
            // Steps until the counter next reaches a multiple of the period, or wraps to 0 first.
            unsigned d = std::min(t - c % t, 65536u - c);
            Add(k, d - 1);
        }
    }

    // Takes block b's perturbations (positions below nWords only: the last block may be partial),
    // draws one random byte for each in position order into X, and schedules each lane's next one.
    // Returns the number of entries written; their offsets from X, plus base, go to touched.
    size_t Take(size_t b, WORD* X, size_t nWords, WORD* touched, unsigned base = 0) {
        uint64_t* slot = m_ring + (b & m_nMask) * 4;
        uint64_t bits[4] = {slot[0], slot[1], slot[2], slot[3]};
        slot[0] = slot[1] = slot[2] = slot[3] = 0;
        if (nWords < kBlockWords)
            for (unsigned w = 0; w < 4; ++w)
                bits[w] &= nWords >= w * 64 + 64 ? ~uint64_t(0)
                           : nWords <= w * 64   ? 0
                                                : (uint64_t(1) << (nWords - w * 64)) - 1;
        // One loop over all of the block's perturbations, the next one picked without branches:
        // a loop per 64 positions would end at an unpredictable point four times per block.
        unsigned nonEmpty = unsigned(bits[0] != 0) | unsigned(bits[1] != 0) << 1 |
                            unsigned(bits[2] != 0) << 2 | unsigned(bits[3] != 0) << 3;
        size_t n = size_t(__builtin_popcountll(bits[0]) + __builtin_popcountll(bits[1]) +
                          __builtin_popcountll(bits[2]) + __builtin_popcountll(bits[3]));
        for (size_t e = 0; e < n; ++e) {
            unsigned w = unsigned(__builtin_ctz(nonEmpty));
            uint64_t word = bits[w];
            unsigned k = w * 64 + unsigned(__builtin_ctzll(word));
            word &= word - 1;
            bits[w] = word;
            nonEmpty &= ~(unsigned(word == 0) << w);
            X[k] = WORD(DrawByte(m_rand));
            touched[e] = WORD(base + k);
            // The counter after this step; the next perturbation is a period on, unless the
            // counter wraps to 0 (a multiple of every period) before that.
            unsigned c = unsigned(m_counters[k] + b + 1) & 0xFFFF;
            unsigned d = std::min<unsigned>(m_periods[k], 65536u - c);
            Add(k, b + d);
        }
        return n;
    }

    uint32_t RandState() const { return m_rand; }

private:
    void Add(unsigned k, size_t b) { m_ring[(b & m_nMask) * 4 + k / 64] |= uint64_t(1) << (k % 64); }

    static constexpr size_t kSmallRing = 512 * 4;
    uint32_t m_rand;
    size_t m_nMask = 0;
    uint64_t* m_ring = nullptr;
    unsigned m_periods[256];
    unsigned m_counters[256];
    uint64_t m_small[kSmallRing];
    std::vector<uint64_t> m_large;
};

// Word by word, for an S-box that repeats a lane (a key state filled in by hand): a lane may then
// step twice in one block and the blocks cannot be split by position.
void FrameSequential(KeyState& key, BYTE* p, size_t words) {
    LaneRecip lanes[256];
    for (int i = 0; i < 256; ++i) lanes[i] = MakeRecip(key.params[i]);
    uint32_t rand = crt::GetRandState();
    for (size_t n = 0; n < words; ++n, p += 2) {
        int pos = key.sbox[n & 0xFF];
        WORD s = WORD(MapRecip(key.states[pos], lanes[pos]));
        key.counters[pos] = WORD(key.counters[pos] + 1);
        if (key.periods[pos] != 0 && key.counters[pos] % key.periods[pos] == 0) s ^= WORD(DrawByte(rand));
        key.states[pos] = s;
        StoreWord(p, WORD(LoadWord(p) ^ s));
    }
    crt::SetRandState(rand);
}

void FrameBlocks(KeyState& key, BYTE* data, size_t words, const BYTE* sbox, bool bSubstFirst) {
    const Kernels& kernels = ActiveKernels();
    alignas(64) WORD S[256];
    alignas(64) WORD params[256];
    WORD periods[256], counters[256];
    for (int k = 0; k < 256; ++k) {
        int lane = key.sbox[k];
        S[k] = key.states[lane];
        params[k] = key.params[lane];
        periods[k] = key.periods[lane];
        counters[k] = key.counters[lane];
    }
    alignas(64) BYTE consts[kFrameConstBytes];
    kernels.PrepareFrame(params, consts);
    CPerturbSchedule schedule(periods, counters, crt::GetRandState());

    alignas(64) WORD X[kBatchBlocks * kBlockWords] = {};
    WORD touched[kBatchBlocks * kBlockWords];
    const size_t blocks = words / kBlockWords, rest = words % kBlockWords;
    for (size_t b0 = 0; b0 < blocks; b0 += kBatchBlocks) {
        size_t n = std::min(kBatchBlocks, blocks - b0), nTouched = 0;
        for (size_t j = 0; j < n; ++j)
            nTouched += schedule.Take(b0 + j, X + j * kBlockWords, kBlockWords, touched + nTouched,
                                      unsigned(j * kBlockWords));
        kernels.RunFrame(consts, S, X, data + b0 * kBlockBytes, n, sbox, bSubstFirst);
        for (size_t i = 0; i < nTouched; ++i) X[touched[i]] = 0;
    }
    if (rest) {
        // The partial last block runs as a whole block on copies; only its first rest positions
        // and words are kept.
        size_t n = schedule.Take(blocks, X, rest, touched);
        alignas(64) BYTE tail[kBlockBytes] = {};
        alignas(64) WORD tailS[256];
        std::memcpy(tail, data + blocks * kBlockBytes, rest * 2);
        std::memcpy(tailS, S, sizeof S);
        kernels.RunFrame(consts, tailS, X, tail, 1, sbox, bSubstFirst);
        std::memcpy(data + blocks * kBlockBytes, tail, rest * 2);
        std::memcpy(S, tailS, rest * sizeof(WORD));
        for (size_t i = 0; i < n; ++i) X[touched[i]] = 0;
    }
    crt::SetRandState(schedule.RandState());

    for (int k = 0; k < 256; ++k) {
        int lane = key.sbox[k];
        key.states[lane] = S[k];
        size_t steps = blocks + (size_t(k) < rest ? 1 : 0);
        key.counters[lane] = WORD(key.counters[lane] + steps);
    }
}
// The frame pass with kernels that count down to each perturbation themselves.  The values they
// take are drawn ahead in bulk; the generator is then set to where exactly the values taken leave
// it.  A counter wrapping to 0 is a perturbation whatever the countdown says (0 is a multiple of
// every period) and restarts the count: the blocks are run in stretches that end at each wrap.
bool FrameCountdown(KeyState& key, BYTE* data, size_t words, const BYTE* sbox, bool bSubstFirst,
                    const Kernels& kernels) {
    alignas(64) WORD S[256], D[256], T[256], params[256];
    WORD counters[256];
    for (int k = 0; k < 256; ++k) {
        int lane = key.sbox[k];
        if (key.periods[lane] == 0) return false;  // never perturbed: left to the word-by-word pass
        S[k] = key.states[lane];
        params[k] = key.params[lane];
        T[k] = key.periods[lane];
        counters[k] = key.counters[lane];
        unsigned t = T[k], c = counters[k];
        D[k] = WORD(std::min(t - c % t, 65536u - c));
    }
    alignas(64) BYTE consts[kFrameConstBytes];
    kernels.PrepareFrame(params, consts);

    const size_t blocks = words / kBlockWords, rest = words % kBlockWords;
    // Every wrap inside this frame, by block.
    std::vector<std::pair<size_t, WORD>> wraps;
    for (int k = 0; k < 256; ++k) {
        size_t steps = blocks + (size_t(k) < rest ? 1 : 0);
        for (size_t b = 65535u - counters[k]; b < steps; b += 65536) wraps.emplace_back(b, WORD(k));
    }
    if (!wraps.empty()) std::sort(wraps.begin(), wraps.end());

    // A stretch takes at most one value per period and lane, one more for the partial first
    // period and one for a wrap.
    constexpr size_t kStretch = 32, kDraws = 2048;
    size_t bound = 32;
    for (int k = 0; k < 256; ++k) bound += (T[k] > kStretch ? 0 : kStretch / T[k]) + 2;
    // Drawn a stretch or two at a time: a small image takes only a few values.
    alignas(64) WORD drawsSmall[kDraws];
    std::vector<WORD> drawsLarge;
    WORD* drawBuf = drawsSmall;
    size_t drawCap = kDraws;
    if (2 * bound + 64 > kDraws) {
        drawsLarge.resize(2 * bound + 64);
        drawBuf = drawsLarge.data();
        drawCap = drawsLarge.size();
    }
    const uint32_t randStart = crt::GetRandState();
    uint32_t drawState = randStart;
    size_t drawn = 0, taken = 0, at = 0;  // values in draws, values taken in all, next value's index
    auto ensure = [&]() {
        if (drawn - at >= bound) return;
        std::memmove(drawBuf, drawBuf + at, (drawn - at) * sizeof(WORD));
        drawn -= at;
        at = 0;
        size_t n = (drawCap - drawn) / 16 * 16;
        kernels.DrawBytes(drawState, drawBuf + drawn, n);
        drawn += n;
    };

    size_t next = 0, cur = 0;  // next wrap, next block
    auto wrapsAt = [&](size_t b) {
        for (; next < wraps.size() && wraps[next].first == b; ++next) D[wraps[next].second] = 1;
    };
    while (cur < blocks) {
        wrapsAt(cur);
        size_t end = std::min(blocks, cur + kStretch);
        if (next < wraps.size()) end = std::min(end, wraps[next].first);
        ensure();
        size_t n = kernels.RunFrameCountdown(consts, S, D, T, drawBuf + at, data + cur * kBlockBytes,
                                             end - cur, sbox, bSubstFirst);
        at += n;
        taken += n;
        cur = end;
    }
    if (rest) {
        // The partial last block runs as a whole block on copies; the positions past its end are
        // kept from coming due, and only its first rest positions and words are kept.
        wrapsAt(blocks);
        alignas(64) BYTE tail[kBlockBytes] = {};
        alignas(64) WORD tailS[256], tailD[256];
        std::memcpy(tail, data + blocks * kBlockBytes, rest * 2);
        std::memcpy(tailS, S, sizeof S);
        std::memcpy(tailD, D, sizeof D);
        for (size_t k = rest; k < 256; ++k) tailD[k] = 2;
        ensure();
        taken += kernels.RunFrameCountdown(consts, tailS, tailD, T, drawBuf + at, tail, 1, sbox, bSubstFirst);
        std::memcpy(data + blocks * kBlockBytes, tail, rest * 2);
        std::memcpy(S, tailS, rest * sizeof(WORD));
    }
    crt::SetRandState(AdvanceRand(randStart, taken));

    for (int k = 0; k < 256; ++k) {
        int lane = key.sbox[k];
        key.states[lane] = S[k];
        size_t steps = blocks + (size_t(k) < rest ? 1 : 0);
        key.counters[lane] = WORD(key.counters[lane] + steps);
    }
    return true;
}
}  // namespace

void FramePass(KeyState& key, BYTE* data, size_t words, const BYTE* sbox, bool bSubstFirst) {
    const Kernels& kernels = ActiveKernels();
    if (IsPermutation(key.sbox)) {
        // Each byte is final once its word is XORed (or ready for the XOR once substituted), so the
        // substitution is applied block by block in the same pass over memory.
        if (!kernels.RunFrameCountdown || !FrameCountdown(key, data, words, sbox, bSubstFirst, kernels))
            FrameBlocks(key, data, words, sbox, bSubstFirst);
        return;
    }
    if (sbox && bSubstFirst) kernels.Subst(data, 2 * words, sbox);
    FrameSequential(key, data, words);
    if (sbox && !bSubstFirst) kernels.Subst(data, 2 * words, sbox);
}

void AdvanceFrame(KeyState& key, size_t words, bool bStreamOnly) {
    if (!bStreamOnly) BuildSBox(key.states, key.sbox);
    // The key stream ignores the data, so the pass runs over a scratch buffer small enough to stay
    // in the cache, a whole number of blocks at a time so that the lane order carries on.
    constexpr size_t kChunkWords = 512 * kBlockWords;
    std::vector<BYTE> scratch(2 * std::min(words, kChunkWords));
    for (size_t done = 0; done < words;) {
        size_t n = std::min(kChunkWords, words - done);
        FramePass(key, scratch.data(), n, nullptr, false);
        done += n;
    }
}
}  // namespace cipher

void EncryptSubst(KeyState& key, CDib& dib) {
    if (!cipher::HasRows(dib)) return;
    cipher::ActiveKernels().Subst(dib.m_lpBits, cipher::RowBytesTotal(dib), key.sbox);
}

void EncryptFrame(KeyState& key, CDib& dib, bool bStreamOnly) {
    if (!bStreamOnly) BuildSBox(key.states, key.sbox);
    if (!cipher::HasRows(dib)) return;
    cipher::FramePass(key, dib.m_lpBits, cipher::RowBytesTotal(dib) / 2, bStreamOnly ? nullptr : key.sbox, false);
}

void DecryptFrame(KeyState& key, CDib& dib, bool bStreamOnly) {
    // The stream alone is an XOR with a key stream the data does not change: it undoes itself.
    if (bStreamOnly) {
        EncryptFrame(key, dib, true);
        return;
    }
    BuildSBox(key.states, key.sbox);
    if (!cipher::HasRows(dib)) return;
    BYTE inverse[256];
    InvertSBox(key.sbox, inverse);  // a built S-box is always a permutation
    cipher::FramePass(key, dib.m_lpBits, cipher::RowBytesTotal(dib) / 2, inverse, true);
}
