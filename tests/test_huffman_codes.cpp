// The coder's Huffman codes, built from the standard tables: lengths and codes of the worked
// symbols, an AC table that covers every run and size once, and codes free of prefixes.
#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

#include "cpr/HuffmanTables.h"
#include "dib/Dib.h"

TEST(HuffmanCodes, StandardCodeLengthsAndCodes) {
    CDib dib;
    ASSERT_TRUE(dib.Create(8, 8, 8));
    const int dcSizes[12] = {2, 3, 3, 3, 3, 3, 4, 5, 6, 7, 8, 9};
    for (int c = 0; c < 12; ++c) EXPECT_EQ(dib.m_byDcSize[c], dcSizes[c]) << "category " << c;
    EXPECT_EQ(dib.m_wDcCode[0], 0b00);
    EXPECT_EQ(dib.m_wDcCode[1], 0b010);
    EXPECT_EQ(dib.m_wDcCode[5], 0b110);
    EXPECT_EQ(dib.m_wDcCode[6], 0b1110);
    EXPECT_EQ(dib.m_wDcCode[11], 0b111111110);
    EXPECT_EQ(dib.m_wAcCode[0x00], 0b1010);
    EXPECT_EQ(dib.m_byAcSize[0x00], 4);
    EXPECT_EQ(dib.m_wAcCode[0x01], 0b00);
    EXPECT_EQ(dib.m_wAcCode[0x02], 0b01);
    EXPECT_EQ(dib.m_byAcSize[0x01], 2);
    EXPECT_EQ(dib.m_wAcCode[0xF0], 0b11111111001);
    EXPECT_EQ(dib.m_byAcSize[0xF0], 11);
    EXPECT_EQ(dib.m_wAcCode[0xFA], 0xFFFE);
    EXPECT_EQ(dib.m_byAcSize[0xFA], 16);
    EXPECT_EQ(dib.m_byDcLengths[12], 0);
    EXPECT_EQ(dib.m_byAcLengths[162], 0);
}

TEST(HuffmanCodes, AcTableCoversEveryRunAndSizeOnce) {
    std::set<int> symbols(kAcHuffVal, kAcHuffVal + 162);
    EXPECT_EQ(symbols.size(), 162u);
    for (int run = 0; run < 16; ++run)
        for (int size = 1; size <= 10; ++size) EXPECT_TRUE(symbols.count(16 * run + size));
    EXPECT_TRUE(symbols.count(0x00));
    EXPECT_TRUE(symbols.count(0xF0));
}

TEST(HuffmanCodes, CodesArePrefixFree) {
    CDib dib;
    ASSERT_TRUE(dib.Create(8, 8, 8));
    // Kraft's sum of a complete code with the all-ones code left out: no code is a prefix of
    // another and none is all ones.
    std::vector<std::pair<WORD, int>> codes;
    for (int s : std::set<int>(kAcHuffVal, kAcHuffVal + 162)) codes.push_back({dib.m_wAcCode[s], dib.m_byAcSize[s]});
    for (size_t i = 0; i < codes.size(); ++i)
        for (size_t j = 0; j < codes.size(); ++j) {
            if (i == j) continue;
            auto [ci, li] = codes[i];
            auto [cj, lj] = codes[j];
            if (li <= lj) {
                ASSERT_NE(cj >> (lj - li), ci) << "prefix clash";
            }
        }
}
