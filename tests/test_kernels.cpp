// The cipher's kernels (the scalar ones in Frame.cpp, KernelsAvx2.cpp, KernelsAvx512.cpp) and the
// fast cipher built on them, against the step-by-step one: every kernel this processor can run
// must give the same image, the same whole key state and the same generator state after every
// operation.  Also the exact reciprocal that stands in for the map's division.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "cipher/Cipher.h"
#include "cipher/Isa.h"
#include "cipher/Kernels.h"
#include "cipher/reference/Literal.h"
#include "platform/Rand.h"
#include "tests/support/Kernels.h"
#include "tests/support/Keys.h"

namespace {
using namespace cipher;
using moro_test::StressKey;
using moro_test::TestRng;

// A seeded key with its S-box built, as after a first encryption.
KeyState SeededKeyWithSBox(unsigned seed) {
    KeyState key = moro_test::SeededKey(seed);
    BuildSBox(key.states, key.sbox);
    return key;
}

void ExpectSameKey(const KeyState& fast, const KeyState& ref, const std::string& where) {
    EXPECT_EQ(fast.x0, ref.x0) << where;
    EXPECT_EQ(fast.p0, ref.p0) << where;
    for (int i = 0; i < 256; ++i) {
        ASSERT_EQ(fast.states[i], ref.states[i]) << where << ": state " << i;
        ASSERT_EQ(fast.params[i], ref.params[i]) << where << ": param " << i;
        ASSERT_EQ(fast.periods[i], ref.periods[i]) << where << ": period " << i;
        ASSERT_EQ(fast.counters[i], ref.counters[i]) << where << ": counter " << i;
        ASSERT_EQ(fast.sbox[i], ref.sbox[i]) << where << ": sbox " << i;
    }
}

void ExpectSameImage(const CDib& fast, const CDib& ref, const std::string& where) {
    ASSERT_EQ(fast.IsValid(), ref.IsValid()) << where;
    if (!fast.IsValid()) return;
    size_t n = size_t(fast.m_nHeight) * size_t(fast.m_nRowBytes);
    for (size_t i = 0; i < n; ++i)
        if (fast.m_lpBits[i] != ref.m_lpBits[i]) FAIL() << where << ": first different byte " << i << " of " << n;
}

enum Op { OP_STREAM, OP_SUBST, OP_FRAME_STREAM, OP_FRAME_WHOLE };
const char* const kOpNames[] = {"EncryptStream", "EncryptSubst", "EncryptFrame(stream only)",
                                "EncryptFrame(whole system)"};

// One image and one key, twice: the fast operations on one copy, the literal ones on the other.
struct Twin {
    CDib fastDib, refDib;
    KeyState fastKey, refKey;
    uint32_t rand;

    Twin(const KeyState& key, int width, int height, int bits, uint64_t fill) : fastKey(key), refKey(key) {
        rand = uint32_t(fill) * 2654435761u;
        if (width > 0 && height > 0) {
            EXPECT_TRUE(fastDib.Create(width, height, bits, nullptr, 0));
            TestRng rng(fill);
            size_t n = size_t(fastDib.m_nHeight) * size_t(fastDib.m_nRowBytes);
            for (size_t i = 0; i < n; i += 4) {
                uint32_t v = rng.Next();
                std::memcpy(fastDib.m_lpBits + i, &v, std::min<size_t>(4, n - i));
            }
            refDib.Copy(fastDib);
        }
    }

    // Applies op to both and compares everything.
    void Run(Op op, const std::string& where) {
        crt::SetRandState(rand);
        switch (op) {
            case OP_STREAM: literal::EncryptStream(refKey, refDib); break;
            case OP_SUBST: literal::EncryptSubst(refKey, refDib); break;
            case OP_FRAME_STREAM: literal::EncryptFrame(refKey, refDib, true); break;
            case OP_FRAME_WHOLE: literal::EncryptFrame(refKey, refDib, false); break;
        }
        uint32_t refRand = crt::GetRandState();
        crt::SetRandState(rand);
        switch (op) {
            case OP_STREAM: EncryptStream(fastKey, fastDib); break;
            case OP_SUBST: EncryptSubst(fastKey, fastDib); break;
            case OP_FRAME_STREAM: EncryptFrame(fastKey, fastDib, true); break;
            case OP_FRAME_WHOLE: EncryptFrame(fastKey, fastDib, false); break;
        }
        std::string at = where + ", " + kOpNames[op];
        EXPECT_EQ(crt::GetRandState(), refRand) << at << ": generator state";
        rand = refRand;
        ExpectSameKey(fastKey, refKey, at);
        ExpectSameImage(fastDib, refDib, at);
    }
};

class FastCipher : public moro_test::EveryKernel {};

std::string Describe(const char* what, unsigned seed, int w, int h, int bits) {
    return std::string(what) + " key " + std::to_string(seed) + ", " + std::to_string(w) + " x " +
           std::to_string(h) + " x " + std::to_string(bits);
}

struct Size {
    int width, height, bits;
};
// Odd widths leave fill bytes; 1 x 1 is less than a block; others end in a partial block.
const Size kSizes[] = {{1, 1, 8}, {3, 1, 24}, {5, 7, 8}, {17, 3, 24}, {255, 2, 8}, {256, 1, 8},
                       {129, 9, 24}, {512, 5, 8}, {333, 41, 24}, {1000, 20, 8}};

TEST_P(FastCipher, EachOperationOverKeysAndSizes) {
    for (unsigned seed = 1; seed <= 12; ++seed) {
        for (const Size& s : kSizes) {
            for (int op = OP_STREAM; op <= OP_FRAME_WHOLE; ++op) {
                bool stress = seed % 2 == 0;
                KeyState key = stress ? StressKey(seed) : SeededKeyWithSBox(seed);
                Twin twin(key, s.width, s.height, s.bits, seed * 31 + op);
                twin.Run(Op(op), Describe(stress ? "stress" : "seeded", seed, s.width, s.height, s.bits));
                if (HasFatalFailure()) return;
            }
        }
    }
}

TEST_P(FastCipher, RandomSequencesOfOperations) {
    for (unsigned seed = 100; seed < 116; ++seed) {
        TestRng rng(seed);
        const Size& s = kSizes[rng.Below(std::size(kSizes))];
        KeyState key = seed % 2 ? StressKey(seed) : SeededKeyWithSBox(seed);
        Twin twin(key, s.width, s.height, s.bits, seed);
        for (int step = 0; step < 12; ++step) {
            Op op = Op(rng.Below(4));
            twin.Run(op, Describe("sequence", seed, s.width, s.height, s.bits) + ", step " + std::to_string(step));
            if (HasFatalFailure()) return;
        }
    }
}

TEST_P(FastCipher, NoImageChangesOnlyTheKeyAsTheLiteralFormDoes) {
    KeyState key = StressKey(5);
    for (int i = 0; i < 256; ++i) key.states[i] = WORD(key.states[i] ^ 0x5A5A);  // S-box now stale
    for (int op = OP_STREAM; op <= OP_FRAME_WHOLE; ++op) {
        Twin twin(key, 0, 0, 8, 1);
        twin.Run(Op(op), "no image");
    }
}

TEST_P(FastCipher, CountersWrapInsideAFrame) {
    // Every lane wraps within the first two blocks; period 1 lanes are perturbed at every step,
    // others just after the wrap and again a period later.
    KeyState key = SeededKeyWithSBox(21);
    for (int i = 0; i < 256; ++i) {
        key.counters[i] = WORD(65535 - i % 2);
        key.periods[i] = WORD(i % 5 == 0 ? 1 : i % 3 == 0 ? 256 : 1 + i % 17);
    }
    Twin twin(key, 1024, 3, 8, 7);
    twin.Run(OP_FRAME_STREAM, "wrap");
    twin.Run(OP_FRAME_WHOLE, "wrap");
    for (int i = 0; i < 256; ++i) ASSERT_LT(twin.fastKey.counters[i], 100) << "lane " << i << " wrapped";
}

TEST_P(FastCipher, PeriodsBeyondABlock) {
    KeyState key = StressKey(12);
    TestRng rng(12);
    for (int i = 0; i < 256; ++i) key.periods[i] = WORD(i % 3 ? 1 + rng.Word() % 65535 : 200 + rng.Below(900));
    Twin twin(key, 2000, 40, 24, 12);
    twin.Run(OP_FRAME_STREAM, "long periods");
    twin.Run(OP_FRAME_WHOLE, "long periods");
}

TEST_P(FastCipher, UnusualPeriodsAndARepeatingSBox) {
    // Periods beyond 256 and 0 (never perturbed) and an S-box that is no permutation: a key state
    // InitKey does not make, still to be encrypted exactly as the literal form does.
    KeyState key = StressKey(8);
    TestRng rng(8);
    for (int i = 0; i < 256; ++i) key.periods[i] = WORD(i % 7 == 0 ? 0 : i % 7 == 1 ? rng.Word() : 300 + i);
    key.periods[3] = 65535;
    key.counters[3] = 65534;
    Twin twin(key, 777, 13, 24, 9);
    twin.Run(OP_FRAME_STREAM, "long periods");
    for (int i = 0; i < 256; ++i) twin.fastKey.sbox[i] = twin.refKey.sbox[i] = BYTE(i % 100);
    twin.Run(OP_FRAME_STREAM, "repeating S-box");
    twin.Run(OP_SUBST, "repeating S-box");
}

TEST_P(FastCipher, LargeImagesEachOperationOnce) {
    // 1024 x 1024 x 24 bits is larger than every cache level below the last; the 4096 x 4096
    // frame pass is 98304 blocks, so each lane's counter wraps inside it even from 0.
    {
        Twin twin(SeededKeyWithSBox(33), 1024, 1024, 24, 3);
        for (int op = OP_STREAM; op <= OP_FRAME_WHOLE; ++op) twin.Run(Op(op), "1024 x 1024 x 24");
    }
    if (GetParam() == GetBestCipherIsa()) {
        // Half the lanes start just before a wrap and so wrap twice; long periods too.
        KeyState key = SeededKeyWithSBox(34);
        for (int i = 0; i < 256; i += 2) key.counters[i] = WORD(65535 - i);
        key.periods[7] = 4000;
        key.periods[9] = 65535;
        Twin twin(key, 4096, 4096, 24, 4);
        twin.Run(OP_FRAME_STREAM, "4096 x 4096 x 24");
        twin.Run(OP_SUBST, "4096 x 4096 x 24");
    }
}

TEST_P(FastCipher, MapKernelsAgreeWithTheMapForEveryParameter) {
    // One block per call through the frame kernel with no perturbation and zero pixels: the
    // pixels become the new states.  Every parameter, with the states where the quotient is most
    // likely to round the wrong way (next to p, at the ends) and a spread of others.
    const Kernels& kernels = ActiveKernels();
    alignas(64) BYTE consts[kFrameConstBytes];
    alignas(64) WORD params[256], S[256], X[256] = {};
    alignas(64) BYTE data[kBlockBytes];
    TestRng rng(77);
    for (unsigned p0 = 0; p0 < 65536; p0 += 256) {
        for (int k = 0; k < 256; ++k) params[k] = WORD(p0 + k);
        kernels.PrepareFrame(params, consts);
        for (int round = 0; round < 24; ++round) {
            for (int k = 0; k < 256; ++k) {
                unsigned p = params[k];
                unsigned pick[] = {0, 1, p - 1, p, p + 1, 65535, 65534, p - 2, rng.Word(), rng.Word()};
                S[k] = WORD(round < 8 ? pick[round] : rng.Below(3) ? rng.Word() : p + rng.Below(9) - 4);
            }
            WORD before[256];
            std::memcpy(before, S, sizeof S);
            std::memset(data, 0, sizeof data);
            kernels.RunFrame(consts, S, X, data, 1, nullptr, false);
            for (int k = 0; k < 256; ++k) {
                WORD expected = ChaoticMap(before[k], params[k]);
                ASSERT_EQ(S[k], expected) << "x " << before[k] << ", p " << params[k];
                ASSERT_EQ(data[2 * k] | (data[2 * k + 1] << 8), expected);
            }
        }
    }
}

TEST_P(FastCipher, SubstitutionOfEveryByteValueAtEveryAlignment) {
    BYTE sbox[256];
    TestRng rng(5);
    for (int i = 0; i < 256; ++i) sbox[i] = BYTE(i);
    for (int i = 255; i > 0; --i) std::swap(sbox[i], sbox[rng.Below(i + 1)]);
    std::vector<BYTE> buf(1200), expected(1200);
    for (size_t start = 0; start < 70; start += 3)
        for (size_t n : {size_t(0), size_t(1), size_t(63), size_t(64), size_t(257), size_t(1100)}) {
            for (size_t i = 0; i < buf.size(); ++i) buf[i] = expected[i] = BYTE(i * 7 + start);
            for (size_t i = start; i < start + n && i < buf.size(); ++i) expected[i] = sbox[expected[i]];
            ActiveKernels().Subst(buf.data() + start, std::min(n, buf.size() - start), sbox);
            ASSERT_EQ(buf, expected) << "start " << start << ", " << n << " bytes";
        }
}

// Mode 1 keys by what their index generator does: runs on, falls to 0 (then only lane 0 steps),
// or falls to 0 with lane 0 falling to 0 as well (the rest of the image then stays as it is).
enum GeneratorKind { GEN_RUNS_ON, GEN_COLLAPSES, GEN_BOTH_COLLAPSE };

GeneratorKind Classify(const KeyState& key) {
    WORD x = key.x0;
    for (int n = 0; n < 65537 && x != 0; ++n) x = ChaoticMap(x, key.p0);
    if (x != 0) return GEN_RUNS_ON;
    WORD s = key.states[0];
    for (int n = 0; n < 65537 && s != 0; ++n) s = ChaoticMap(s, key.params[0]);
    return s == 0 ? GEN_BOTH_COLLAPSE : GEN_COLLAPSES;
}

TEST_P(FastCipher, ModeOneForEveryKindOfIndexGenerator) {
    int found[3] = {};
    for (unsigned seed = 1; seed < 400 && (found[0] < 2 || found[1] < 2 || found[2] < 2); ++seed) {
        KeyState key = SeededKeyWithSBox(seed);
        GeneratorKind kind = Classify(key);
        if (found[kind] >= 2) continue;
        ++found[kind];
        // 256 x 256 x 8 is 32768 words, past the tail and cycle of most generators; then twice on a
        // 24-bit image so that the second run starts inside the cycles.
        Twin small(key, 256, 256, 8, seed);
        small.Run(OP_STREAM, "kind " + std::to_string(kind) + ", seed " + std::to_string(seed));
        Twin wide(key, 300, 150, 24, seed);
        wide.Run(OP_STREAM, "kind " + std::to_string(kind) + ", seed " + std::to_string(seed));
        wide.Run(OP_STREAM, "again, kind " + std::to_string(kind) + ", seed " + std::to_string(seed));
        if (HasFatalFailure()) return;
    }
    EXPECT_EQ(found[GEN_RUNS_ON], 2);
    EXPECT_EQ(found[GEN_COLLAPSES], 2);
    EXPECT_EQ(found[GEN_BOTH_COLLAPSE], 2);
}

TEST_P(FastCipher, ModeOneWithConstantAndShortCycles) {
    // p0 = 0 holds x0 still, so one lane takes every step; p0 = 1 or 65535 and states at 0 or at
    // their parameter give the shortest cycles and immediate collapses.
    struct Case {
        WORD x0, p0, state0, param0;
    } cases[] = {{1234, 0, 40000, 30000}, {77, 0, 5, 0}, {0, 12345, 0, 9}, {65535, 65535, 100, 100},
                 {300, 1, 65535, 1}, {30000, 30000, 2, 65535}, {9, 65535, 65535, 65535}};
    for (const Case& c : cases) {
        KeyState key = SeededKeyWithSBox(c.x0 + c.p0);
        key.x0 = c.x0;
        key.p0 = c.p0;
        key.states[0] = c.state0;
        key.params[0] = c.param0;
        key.states[c.x0 & 0xFF] = c.state0;
        key.params[c.x0 & 0xFF] = c.param0;
        Twin twin(key, 700, 61, 24, c.x0);
        std::string where = "x0 " + std::to_string(c.x0) + ", p0 " + std::to_string(c.p0);
        twin.Run(OP_STREAM, where);
        twin.Run(OP_STREAM, where + ", again");
        if (HasFatalFailure()) return;
    }
}

// Each kernel sorts in its own way; ties (few distinct values) and crowded high bytes are where
// a sort would go wrong.
TEST_P(FastCipher, SBoxHasTheSelectionsRanking) {
    TestRng rng(3);
    for (int round = 0; round < 300; ++round) {
        WORD values[256];
        unsigned spread = round < 100 ? round + 1 : round < 200 ? 65536 : 256 * (round - 199);
        for (WORD& v : values) v = WORD(rng.Next() % spread);
        if (round % 10 == 0) values[rng.Below(256)] = 65535;
        if (round % 7 == 0)  // all in one high byte, or the high bytes in descending order
            for (int j = 0; j < 256; ++j) values[j] = WORD(round % 2 ? 0x4100 | (values[j] & 0xFF) : (255 - j) << 8 | (values[j] & 0xFF));
        BYTE fast[256], ref[256];
        BuildSBox(values, fast);
        literal::BuildSBox(values, ref);
        ASSERT_EQ(std::memcmp(fast, ref, 256), 0) << "round " << round;
    }
}

INSTANTIATE_FOR_EVERY_KERNEL(FastCipher);

TEST(ExactReciprocal, AgreesWithDivisionForEveryParameter) {
    // The worst numerators for a multiply-shift are the largest ones, just below the divisor.
    for (unsigned p = 0; p < 65536; ++p) {
        cipher::LaneRecip r = cipher::MakeRecip(WORD(p));
        for (unsigned x : {0u, 1u, p - 1, p, p + 1, p + 2, 65534u, 65535u, (p * 7u) & 0xFFFF, (p * 40503u) & 0xFFFF}) {
            x &= 0xFFFF;
            ASSERT_EQ(cipher::MapRecip(x, r), ChaoticMap(x, p)) << "x " << x << ", p " << p;
        }
    }
}

}  // namespace
