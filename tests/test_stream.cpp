// Mode 1, the key stream: sixteen steps worked by hand, and an empty image that still rebuilds
// the S-box (and that the other modes leave alone).
#include <gtest/gtest.h>

#include <cstring>

#include "cipher/Cipher.h"
#include "tests/support/Keys.h"

using namespace moro_test;

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
