// Inside the cipher: the exact reciprocal form of the chaotic map and the kernels that the
// instruction-set choice switches between.  Not for callers outside cipher/.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "cipher/Cipher.h"
#include "platform/Types.h"

namespace cipher {

// A division by a lane's constant divisor as a multiply and a shift.  For 0 <= a < d <= 65536,
// floor(a * 2^16 / d) == (a * ceil(2^48 / d)) >> 32, and the product stays below 2^64.
struct LaneRecip {
    uint32_t p;   // the parameter: x < p takes the first piece
    uint64_t r1;  // ceil(2^48 / p), unused when p == 0
    uint64_t r2;  // ceil(2^48 / (65536 - p))
};

inline LaneRecip MakeRecip(WORD p) {
    const uint64_t one = uint64_t(1) << 48;
    LaneRecip c;
    c.p = p;
    c.r1 = p ? (one + p - 1) / p : 0;
    c.r2 = (one + (65536u - p) - 1) / (65536u - p);
    return c;
}

// ChaoticMap(x, c.p) for x < 65536.
// The piece is picked with masks, not a branch: x < p is a coin toss for a chaotic state, and a
// mispredicted branch costs more than the whole step.
inline uint32_t MapRecip(uint32_t x, const LaneRecip& c) {
    uint64_t first = 0 - uint64_t(x < c.p);  // all ones on the first piece
    uint64_t a = x - (c.p & ~uint32_t(first));
    uint64_t r = c.r2 ^ ((c.r1 ^ c.r2) & first);
    return uint32_t((a * r) >> 32);
}

// The program's random generator stepped in place: rand() % 256 of the next draw.
inline uint32_t DrawByte(uint32_t& state) {
    state = state * 214013u + 2531011u;
    return (state >> 16) & 0xFF;
}

// A frame pass works on blocks of 256 words.  Its S-box is a permutation, so within a block each
// lane steps exactly once, at its position k (sbox[k] is the lane): the key state is rearranged
// into position order and the 256 positions of a block are independent of each other.
constexpr size_t kBlockWords = 256;
constexpr size_t kBlockBytes = 2 * kBlockWords;
// Blocks handed to a kernel at a time, with their perturbations worked out beforehand.
constexpr size_t kBatchBlocks = 16;
// Room for any kernel's per-position constants.
constexpr size_t kFrameConstBytes = 8192;

// What a frame kernel does to a block's bytes besides the XOR, as a template argument: run is
// called with std::integral_constant<FrameSubst, ...> for what sbox and bSubstFirst ask for.
enum FrameSubst { FRAME_XOR_ONLY, FRAME_SUBST_AFTER, FRAME_SUBST_BEFORE };
template <class Run>
auto WithFrameSubst(const BYTE* sbox, bool bSubstFirst, Run run) {
    if (!sbox) return run(std::integral_constant<FrameSubst, FRAME_XOR_ONLY>());
    if (bSubstFirst) return run(std::integral_constant<FrameSubst, FRAME_SUBST_BEFORE>());
    return run(std::integral_constant<FrameSubst, FRAME_SUBST_AFTER>());
}

struct Kernels {
    // Lays out the per-position map constants the way RunFrame reads them; params are in
    // position order.
    void (*PrepareFrame)(const WORD params[256], void* consts);
    // nBlocks consecutive blocks at data.  For every position k of every block b:
    // S[k] = ChaoticMap(S[k], param) ^ X[b * 256 + k], then word k of the block ^= S[k].  If sbox
    // is not null, each byte of a block is replaced by sbox[byte]: after the XOR, or before it when
    // bSubstFirst (decryption, with the inverse S-box, undoing the two in reverse order).
    void (*RunFrame)(const void* consts, WORD S[256], const WORD* X, BYTE* data, size_t nBlocks,
                     const BYTE* sbox, bool bSubstFirst);
    // data[i] = sbox[data[i]] for n bytes.
    void (*Subst)(BYTE* data, size_t n, const BYTE sbox[256]);

    // Kernels that find the perturbed steps themselves (null where a kernel does not): as RunFrame,
    // but X is replaced by countdowns.  D[k] counts the steps of position k up to its next
    // perturbation (at least 1) and is reloaded with T[k] after it; the perturbations take the
    // values draws[0], draws[1], ... in block and position order.  Returns the number of values
    // taken.  draws must hold 32 more values than can be taken.
    size_t (*RunFrameCountdown)(const void* consts, WORD S[256], WORD D[256], const WORD T[256],
                                const WORD* draws, BYTE* data, size_t nBlocks, const BYTE* sbox,
                                bool bSubstFirst);
    // Fills out[0 .. n) (n a multiple of 16) with the next n values of rand() % 256, advancing state.
    void (*DrawBytes)(uint32_t& state, WORD* out, size_t n);
    // BuildSBox: the same ranking, each kernel with its own sort.
    void (*BuildSBox)(const WORD values[256], BYTE sbox[256]);
};

// BuildSBox without vector instructions (a counting sort on the high byte).
void BuildSBoxCounting(const WORD values[256], BYTE sbox[256]);

const Kernels& GetScalarKernels();
// Null where the kernel is not built (not an x86 target).
const Kernels* GetAvx2Kernels();
const Kernels* GetAvx512Kernels();
// The kernels of the current instruction-set choice.
const Kernels& ActiveKernels();

// The passes over a run of words, for the modes and their inverses.  A frame pass restarts the
// S-box's lane order at data, so a pass split into pieces of whole blocks is the same pass.
void FramePass(KeyState& key, BYTE* data, size_t words, const BYTE* sbox, bool bSubstFirst);
// The key as a pass over that many words leaves it, without the words: replaying a run's keys.
void AdvanceFrame(KeyState& key, size_t words, bool bStreamOnly);
void AdvanceStream(KeyState& key, size_t words);

// The vector kernels widen 16-bit states to 32-bit lanes with unpacklo/unpackhi, which take words
// 0-3 and 4-7 of every 128-bit lane, and narrow them back with packus, which undoes exactly that.
// Their per-position constants are stored in that widened order: for a register of nLanes 32-bit
// lanes, element j of half h of group g belongs to this position.
inline size_t WidenedPosition(size_t g, size_t h, size_t j, size_t nLanes) {
    return g * 2 * nLanes + (j / 4) * 8 + h * 4 + (j % 4);
}

// The float form of the map's constants used by the vector kernels.  The reciprocals are rounded
// up by a little more than float's error, so that a * r is never below the true quotient and less
// than 1/16 above it: truncated, it is the quotient or one more, and one remainder test fixes it.
struct FloatLane {
    uint32_t p;
    float r1, r2;  // just above 65536 / p and 65536 / (65536 - p) (r1 = 0 when p == 0)
    float d1, d2;  // p / 65536 and (65536 - p) / 65536, exact
};

constexpr double kReciprocalScale = 65536.0 * (1.0 + 1.0 / (1 << 21));  // exact in a double

inline float ReciprocalAbove(double divisor) {
    double v = kReciprocalScale / divisor;
    float f = float(v);
    if (double(f) < v) f = __builtin_nextafterf(f, __builtin_inff());
    return f;
}

inline FloatLane MakeFloatLane(WORD p) {
    FloatLane f;
    f.p = p;
    f.r1 = p ? ReciprocalAbove(p) : 0.0f;
    f.r2 = ReciprocalAbove(65536.0 - p);
    f.d1 = float(p / 65536.0);
    f.d2 = float((65536.0 - p) / 65536.0);
    return f;
}

// The generator's state after n more draws: state -> state * 214013 + 2531011, n times, composed
// by squaring.
inline uint32_t AdvanceRand(uint32_t state, uint64_t n) {
    uint32_t mul = 214013u, add = 2531011u;  // the step applied 2^i times
    while (n) {
        if (n & 1) state = state * mul + add;
        add = add * mul + add;
        mul = mul * mul;
        n >>= 1;
    }
    return state;
}

}  // namespace cipher
