// The key state and the encryption modes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "cipher/Cipher.h"

namespace {
KeyState SeededKey(unsigned seed) {
    crt::srand(seed);
    KeyState key;
    InitKey(key);
    return key;
}
}  // namespace

TEST(InitKey, DrawsInOrderAndStaysInRange) {
    KeyState key = SeededKey(1);
    EXPECT_EQ(key.x0, 41);
    EXPECT_EQ(key.p0, 18467);
    EXPECT_EQ(key.params[0], 6334);
    EXPECT_EQ(key.states[0], 26500);
    EXPECT_EQ(key.periods[0], 19169 % 256 + 1);
    for (int i = 0; i < 256; ++i) {
        ASSERT_LT(key.states[i], 32768);
        ASSERT_LT(key.params[i], 32768);
        ASSERT_GE(key.periods[i], 1);
        ASSERT_LE(key.periods[i], 256);
        ASSERT_EQ(key.counters[i], 0);
        ASSERT_EQ(key.sbox[i], i) << "InitKey leaves the S-box alone";
    }
    uint32_t after = crt::GetRandState();
    crt::srand(1);
    for (int i = 0; i < 2 + 3 * 256; ++i) crt::rand();
    EXPECT_EQ(crt::GetRandState(), after) << "exactly 770 draws";
}

TEST(EncryptStream, SixteenStepsOnFourRowsOfEightBytes) {
    CDib dib;
    ASSERT_TRUE(dib.Create(8, 4, 8, nullptr, 0));
    KeyState key = SeededKey(3);
    KeyState expected = key;
    BuildSBox(expected.states, expected.sbox);
    WORD words[16];
    for (WORD& w : words) {
        expected.x0 = ChaoticMap(expected.x0, expected.p0);
        int i = expected.x0 & 0xFF;
        expected.states[i] = ChaoticMap(expected.states[i], expected.params[i]);
        w = expected.states[i];  // XOR onto zero pixels
    }
    EncryptStream(key, dib);
    EXPECT_EQ(std::memcmp(dib.m_lpBits, words, 32), 0);
    EXPECT_EQ(key.x0, expected.x0);
    EXPECT_EQ(std::memcmp(key.states, expected.states, sizeof key.states), 0);
    EXPECT_EQ(std::memcmp(key.sbox, expected.sbox, 256), 0);
}

TEST(EncryptSubst, UsesTheCurrentSBoxEachTime) {
    CDib dib;
    ASSERT_TRUE(dib.Create(4, 1, 8));
    for (int i = 0; i < 4; ++i) dib.m_lpBits[i] = BYTE(i);
    KeyState key;
    for (int i = 0; i < 256; ++i) key.sbox[i] = BYTE(i + 1);
    EncryptSubst(key, dib);
    EncryptSubst(key, dib);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(dib.m_lpBits[i], i + 2);
}

TEST(EncryptFrame, LaneOrderPeriodsAndCounterWrap) {
    CDib dib;
    ASSERT_TRUE(dib.Create(1024, 1, 8, nullptr, 0));  // 512 words: each lane twice
    KeyState key = SeededKey(5);
    for (int i = 0; i < 256; ++i) key.sbox[i] = BYTE(255 - i);
    key.periods[255] = 1;      // perturbed at every step
    key.counters[254] = 65535; // wraps to 0, which every period divides
    key.periods[254] = 7;
    KeyState ref = key;
    crt::srand(99);
    uint32_t randBefore = crt::GetRandState();
    EncryptFrame(key, dib, true);
    uint32_t randAfter = crt::GetRandState();

    crt::SetRandState(randBefore);
    const WORD* out = reinterpret_cast<const WORD*>(dib.m_lpBits);
    for (int n = 0; n < 512; ++n) {
        int pos = ref.sbox[n % 256];
        ref.states[pos] = ChaoticMap(ref.states[pos], ref.params[pos]);
        ref.counters[pos]++;
        if (ref.counters[pos] % ref.periods[pos] == 0) ref.states[pos] ^= WORD(crt::rand() % 256);
        ASSERT_EQ(out[n], ref.states[pos]) << "word " << n;
    }
    EXPECT_EQ(key.counters[254], 1) << "65535 wrapped through 0";
    EXPECT_EQ(key.counters[255], 2);
    EXPECT_EQ(crt::GetRandState(), randAfter) << "exactly the perturbation draws";
    EXPECT_EQ(std::memcmp(key.states, ref.states, sizeof key.states), 0);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(key.sbox[i], 255 - i) << "stream only keeps the S-box";
}

TEST(EncryptFrame, WholeSystemRebuildsAndSubstitutes) {
    CDib a, b;
    ASSERT_TRUE(a.Create(64, 8, 8, nullptr, 0));
    ASSERT_TRUE(b.Create(64, 8, 8, nullptr, 0));
    KeyState ka = SeededKey(11);
    KeyState kb = ka;
    EncryptFrame(ka, a, false);
    BuildSBox(kb.states, kb.sbox);
    EncryptFrame(kb, b, true);
    EncryptSubst(kb, b);
    EXPECT_EQ(std::memcmp(a.m_lpBits, b.m_lpBits, size_t(a.m_nImageSize)), 0);
}

TEST(Modes, EmptyImageChangesNothingButModeOneRebuildsTheSBox) {
    CDib empty;
    KeyState key = SeededKey(2);
    EncryptStream(key, empty);
    BYTE expected[256];
    BuildSBox(key.states, expected);
    EXPECT_EQ(std::memcmp(key.sbox, expected, 256), 0);
    EncryptSubst(key, empty);
    EncryptFrame(key, empty, false);
    EXPECT_FALSE(empty.IsValid());
}

TEST(MeasureSpeed, ZeroFramesRunNothingAndOneFrameIsFinite) {
    CDib dib;
    ASSERT_TRUE(dib.Create(256, 256, 8, nullptr, 0));
    KeyState key = SeededKey(4);
    EXPECT_EQ(MeasureSpeed(key, dib, true, 0), 0.0);
    EXPECT_EQ(dib.m_lpBits[0], 0) << "no frame ran";
    double speed = MeasureSpeed(key, dib, false, 1);
    EXPECT_GT(speed, 0.0);
    EXPECT_TRUE(std::isfinite(speed));
    EXPECT_EQ(FrameBits(dib), 524288.0);
}

TEST(MeasureSpeed, FrameBitsDoNotOverflow) {
    CDib dib;
    dib.m_lpBuf = reinterpret_cast<BYTE*>(&dib);  // only the geometry is read
    dib.m_nHeight = 16384;
    dib.m_nRowBytes = 16384 * 3;
    EXPECT_EQ(FrameBits(dib), 16384.0 * 16384.0 * 3 * 8);
    dib.m_lpBuf = nullptr;
}
