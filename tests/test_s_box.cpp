// The S-box ranking rule: worked examples, and a permutation in rank order whatever the ties.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "cipher/ChaoticMap.h"
#include "platform/Rand.h"

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

TEST(InvertSBox, UndoesEveryPermutationAndRefusesAnythingElse) {
    crt::srand(11);
    BYTE sbox[256], inverse[256];
    for (int i = 0; i < 256; ++i) sbox[i] = BYTE(i);
    for (int i = 255; i > 0; --i) std::swap(sbox[i], sbox[crt::rand() % (i + 1)]);
    ASSERT_TRUE(InvertSBox(sbox, inverse));
    for (int b = 0; b < 256; ++b) ASSERT_EQ(inverse[sbox[b]], b);
    // One value twice (and so one missing) anywhere, even as the last entry, is no permutation.
    for (int at : {0, 17, 255}) {
        BYTE broken[256];
        std::copy(sbox, sbox + 256, broken);
        broken[at] = broken[(at + 1) % 256];
        EXPECT_FALSE(IsPermutation(broken)) << at;
        EXPECT_FALSE(InvertSBox(broken, inverse)) << at;
    }
}
