// Decryption, on every kernel: each step and sequences of up to 40 steps undone exactly, on 1, 4, 8
// and 24-bit images with odd widths, with lanes perturbed and counters wrapping; each inverse
// leaves the key and the generator where its encryption left them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "cipher/Cipher.h"
#include "platform/Rand.h"
#include "tests/support/Kernels.h"
#include "tests/support/Keys.h"

using namespace moro_test;

namespace {

void FillRandom(CDib& dib, int width, int height, int bits, TestRng& rng) {
    ASSERT_TRUE(dib.Create(width, height, bits, nullptr, 0));
    size_t n = size_t(dib.m_nHeight) * size_t(dib.m_nRowBytes);
    for (size_t i = 0; i < n; ++i) dib.m_lpBits[i] = BYTE(rng.Next());
}

bool SameRows(const CDib& a, const CDib& b) {
    size_t n = size_t(a.m_nHeight) * size_t(a.m_nRowBytes);
    return a.m_dwBufSize == b.m_dwBufSize && std::memcmp(a.m_lpBuf, b.m_lpBuf, a.m_dwBufSize) == 0 && n > 0;
}

bool SameKey(const KeyState& a, const KeyState& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

struct Size {
    int width, height, bits;
};
// Odd widths leave fill bytes in every row; the larger ones end in a partial block of the frame.
const Size kSizes[] = {{1, 1, 1}, {13, 5, 1}, {333, 21, 1}, {3, 3, 4}, {171, 17, 4}, {1, 2, 8},
                       {77, 9, 8}, {1001, 31, 8}, {5, 1, 24}, {129, 7, 24}, {511, 40, 24}};

// Keys made as the program makes them (S-box built, or still the identity) and keys at the edges:
// periods of 1, counters a few steps before wrapping, p0 = 0.
KeyState KeyFor(unsigned seed) {
    if (seed % 3 == 0) return StressKey(seed);
    KeyState key = SeededKey(seed);
    if (seed % 3 == 1) BuildSBox(key.states, key.sbox);
    return key;
}

class Decryption : public EveryKernel {};

TEST_P(Decryption, EachStepUndoneWithKeyAndGeneratorAsTheEncryptionLeftThem) {
    int changed = 0, cases = 0;
    for (unsigned seed = 1; seed <= 6; ++seed) {
        for (const Size& s : kSizes) {
            for (int step = STEP_STREAM; step <= STEP_INIT; ++step) {
                TestRng rng(seed * 977 + step);
                CDib plain, data;
                FillRandom(plain, s.width, s.height, s.bits, rng);
                data.Copy(plain);
                const KeyState key = KeyFor(seed);
                const uint32_t rand = rng.Next();
                KeyState encKey = key, decKey = key;
                crt::SetRandState(rand);
                EncryptStep(encKey, data, CipherStep(step));
                const uint32_t encRand = crt::GetRandState();
                changed += !SameRows(plain, data);
                ++cases;

                crt::SetRandState(rand);
                switch (CipherStep(step)) {
                    case STEP_STREAM: DecryptStream(decKey, data); break;
                    case STEP_SUBST: ASSERT_TRUE(DecryptSubst(decKey, data)); break;
                    case STEP_FRAME: DecryptFrame(decKey, data, false); break;
                    case STEP_FRAME_STREAM: DecryptFrame(decKey, data, true); break;
                    case STEP_INIT: InitKey(decKey); break;
                }
                std::string where = std::string(GetCipherStepName(CipherStep(step))) + ", key " + std::to_string(seed) +
                                    ", " + std::to_string(s.width) + " x " + std::to_string(s.height) + " x " +
                                    std::to_string(s.bits);
                ASSERT_TRUE(SameRows(plain, data)) << where;
                ASSERT_TRUE(SameKey(decKey, encKey)) << where;
                ASSERT_EQ(crt::GetRandState(), encRand) << where;
            }
        }
    }
    // Steps that change pixels (all but init, and subst through an identity S-box) really did.
    EXPECT_GT(changed, cases / 2);
}

TEST_P(Decryption, SequencesOfUpToFortyStepsOnEveryDepth) {
    for (unsigned seed = 1; seed <= 24; ++seed) {
        TestRng rng(seed);
        const Size& s = kSizes[rng.Below(std::size(kSizes))];
        std::vector<CipherStep> steps(1 + rng.Below(seed % 4 == 0 ? 40 : 12));
        for (CipherStep& step : steps) step = CipherStep(rng.Below(kCipherStepCount));
        CDib plain, data;
        FillRandom(plain, s.width, s.height, s.bits, rng);
        data.Copy(plain);
        const KeyState key = KeyFor(seed);
        const uint32_t rand = rng.Next();

        crt::SetRandState(rand);
        KeyState k = key;
        for (CipherStep step : steps) EncryptStep(k, data, step);
        const uint32_t afterEncryption = crt::GetRandState();
        ASSERT_TRUE(DecryptSteps(key, rand, steps, data));
        std::string names;
        for (CipherStep step : steps) names += std::string(GetCipherStepName(step)) + ",";
        ASSERT_TRUE(SameRows(plain, data)) << "seed " << seed << ": " << names;
        EXPECT_EQ(crt::GetRandState(), afterEncryption) << "the program's generator is left alone";
    }
}

TEST_P(Decryption, FramePassesWhoseCountersWrapAndLanesPerturbEveryStep) {
    // 1200 blocks: every lane wraps inside the first pass, period-1 lanes draw at every step, and
    // the second pass starts from counters the first one moved.
    KeyState key = SeededKey(5);
    for (int i = 0; i < 256; ++i) {
        key.counters[i] = WORD(65535 - i * 3);
        key.periods[i] = WORD(i % 4 == 0 ? 1 : i % 4 == 1 ? 256 : 1 + i % 37);
    }
    const std::vector<CipherStep> steps = {STEP_FRAME, STEP_FRAME_STREAM, STEP_SUBST, STEP_FRAME, STEP_STREAM};
    TestRng rng(9);
    CDib plain, data;
    FillRandom(plain, 1001, 307, 8, rng);  // 1001-byte rows padded to 1004: 1200.75 blocks
    data.Copy(plain);
    crt::SetRandState(77);
    KeyState k = key;
    for (CipherStep step : steps) EncryptStep(k, data, step);
    ASSERT_TRUE(DecryptSteps(key, 77, steps, data));
    EXPECT_TRUE(SameRows(plain, data));
}

INSTANTIATE_FOR_EVERY_KERNEL(Decryption);

TEST(DecryptSteps, AnSBoxThatIsNoPermutationStopsASubstitutionBeforeAnythingChanges) {
    // A hand-made key: a substitution through it lost information, so nothing is undone.  The
    // stream-only frame pass does not substitute and is undone as usual with the same key.
    KeyState key = SeededKey(3);
    for (int i = 0; i < 256; ++i) key.sbox[i] = BYTE(i % 100);
    TestRng rng(3);
    CDib plain, data;
    FillRandom(plain, 35, 9, 24, rng);
    data.Copy(plain);
    crt::SetRandState(5);
    KeyState k = key;
    EncryptStep(k, data, STEP_FRAME_STREAM);
    EncryptStep(k, data, STEP_SUBST);
    CDib encrypted;
    encrypted.Copy(data);
    crt::SetRandState(1234);
    EXPECT_FALSE(DecryptSteps(key, 5, {STEP_FRAME_STREAM, STEP_SUBST}, data));
    EXPECT_TRUE(SameRows(encrypted, data));
    EXPECT_EQ(crt::GetRandState(), 1234u);

    data.Copy(plain);
    crt::SetRandState(5);
    k = key;
    EncryptStep(k, data, STEP_FRAME_STREAM);
    EXPECT_TRUE(DecryptSteps(key, 5, {STEP_FRAME_STREAM}, data));
    EXPECT_TRUE(SameRows(plain, data));
}

TEST(DecryptSteps, NoStepsOrNoImageChangeNothing) {
    TestRng rng(4);
    CDib plain, data, empty;
    FillRandom(plain, 9, 9, 8, rng);
    data.Copy(plain);
    EXPECT_TRUE(DecryptSteps(SeededKey(1), 1, {}, data));
    EXPECT_TRUE(SameRows(plain, data));
    EXPECT_TRUE(DecryptSteps(SeededKey(1), 1, {STEP_STREAM, STEP_FRAME, STEP_INIT, STEP_SUBST}, empty));
    EXPECT_FALSE(empty.IsValid());
}

TEST(CipherSteps, NamesAsMoroCliAndKeyFilesUseThem) {
    const char* const names[] = {"stream", "subst", "frame", "frame-stream", "init"};
    for (int i = 0; i < kCipherStepCount; ++i) {
        CipherStep step = STEP_INIT;
        ASSERT_TRUE(FindCipherStep(names[i], step));
        EXPECT_EQ(step, CipherStep(i));
        EXPECT_STREQ(GetCipherStepName(step), names[i]);
    }
    CipherStep step;
    for (const char* bad : {"", "Stream", "frame-", "stream ", "rot13"}) EXPECT_FALSE(FindCipherStep(bad, step)) << bad;
}

}  // namespace
