// The program's one random generator: the sequence it must reproduce, its state, and its range.
#include <gtest/gtest.h>

#include <cstdint>

#include "platform/Rand.h"

TEST(Rand, ReproducesTheWindowsSequence) {
    crt::srand(1);
    EXPECT_EQ(crt::rand(), 41);
    EXPECT_EQ(crt::rand(), 18467);
    EXPECT_EQ(crt::rand(), 6334);
    EXPECT_EQ(crt::rand(), 26500);
    EXPECT_EQ(crt::rand(), 19169);
    // The state is the whole generator: restoring it replays the sequence.
    uint32_t state = crt::GetRandState();
    int a = crt::rand(), b = crt::rand();
    crt::SetRandState(state);
    EXPECT_EQ(crt::rand(), a);
    EXPECT_EQ(crt::rand(), b);
}

TEST(Rand, StaysInFifteenBits) {
    crt::srand(12345);
    for (int i = 0; i < 100000; ++i) {
        int r = crt::rand();
        ASSERT_GE(r, 0);
        ASSERT_LE(r, 0x7FFF);
    }
}
