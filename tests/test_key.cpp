// Making a key: the order and number of its draws from the generator, and the ranges of its parts.
#include <gtest/gtest.h>

#include "cipher/Cipher.h"
#include "tests/support/Keys.h"

using namespace moro_test;

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
