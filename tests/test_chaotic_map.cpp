// The chaotic map's worked values and the bits it takes part in.
#include <gtest/gtest.h>

#include "cipher/ChaoticMap.h"

TEST(ChaoticMap, WorkedValues) {
    struct Case {
        unsigned x, p, expected;
    } cases[] = {{1000, 30000, 2184},  {30000, 30000, 0},  {40000, 30000, 18442}, {65535, 30000, 65534},
                 {16384, 32768, 32768}, {49152, 32768, 32768}, {12345, 0, 12345}, {65535, 65535, 0},
                 {32767, 1, 32766},    {1, 32767, 2}};
    for (const Case& c : cases) EXPECT_EQ(ChaoticMap(c.x, c.p), c.expected) << c.x << ", " << c.p;
}

TEST(ChaoticMap, ZeroStateFixedAndZeroParameterIdentity) {
    for (unsigned v = 0; v < 65536; v += 257) {
        EXPECT_EQ(ChaoticMap(0, v), 0);
        EXPECT_EQ(ChaoticMap(v, 0), v);
    }
}

TEST(ChaoticMap, OnlyTheLowSixteenBitsTakePart) {
    EXPECT_EQ(ChaoticMap(0x10000u + 1000, 0x70000u + 30000), 2184);
    EXPECT_EQ(ChaoticMap(0xFFFFFFFFu, 30000), 65534);
}
