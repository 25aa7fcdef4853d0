// Mode 2 and the frame pass of the speed test: substitution through the current S-box, the lane
// order, periods and counter wrap of a frame, and the whole system as its three steps.
#include <gtest/gtest.h>

#include <cstring>

#include "cipher/Cipher.h"
#include "tests/support/Keys.h"

using namespace moro_test;

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
