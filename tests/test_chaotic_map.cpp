// The chaotic map's worked values and the S-box ranking rule.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "cipher/ChaoticMap.h"
#include "platform/Rand.h"

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

TEST(BuildSBox, WorkedExamples) {
    WORD values[256];
    BYTE sbox[256];
    std::fill(values, values + 256, 0);
    BuildSBox(values, sbox);
    for (int k = 0; k < 256; ++k) ASSERT_EQ(sbox[k], 255 - k) << "equal values: descending indices";

    std::iota(values, values + 256, 0);
    BuildSBox(values, sbox);
    for (int k = 0; k < 256; ++k) ASSERT_EQ(sbox[k], k);

    std::fill(values, values + 256, 5);
    values[10] = values[20] = 9;
    values[3] = 1;
    BuildSBox(values, sbox);
    EXPECT_EQ(sbox[255], 10);
    EXPECT_EQ(sbox[254], 20);
    EXPECT_EQ(sbox[0], 3);
    EXPECT_EQ(sbox[1], 255);
    EXPECT_EQ(sbox[253], 0);
}

TEST(BuildSBox, AlwaysAPermutationInRankOrder) {
    crt::srand(7);
    for (int round = 0; round < 50; ++round) {
        WORD values[256];
        for (WORD& v : values) v = WORD(crt::rand() % (round + 2));  // many ties
        BYTE sbox[256];
        BuildSBox(values, sbox);
        bool seen[256] = {};
        for (int k = 0; k < 256; ++k) seen[sbox[k]] = true;
        ASSERT_TRUE(std::all_of(seen, seen + 256, [](bool b) { return b; }));
        for (int k = 1; k < 256; ++k) {
            ASSERT_LE(values[sbox[k - 1]], values[sbox[k]]);
            if (values[sbox[k - 1]] == values[sbox[k]]) {
                ASSERT_GT(sbox[k - 1], sbox[k]);
            }
        }
    }
}
