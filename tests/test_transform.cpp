// The codec's transform and quantisation: quantiser tables at every scale, the zigzag order, flat
// blocks through the whole chain, and the inverse transform on what a hostile stream can hold.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <vector>

#include "cpr/CprTables.h"
#include "dib/Dib.h"

TEST(CprTransform, QuantTableScales) {
    CDib dib;
    dib.BuildQuantTable(50);
    EXPECT_EQ(std::vector<WORD>(dib.m_wQuant, dib.m_wQuant + 64), std::vector<WORD>(kCprBaseQuant, kCprBaseQuant + 64));
    EXPECT_EQ(dib.m_wQuant[35], 58);
    dib.BuildQuantTable(100);
    EXPECT_EQ(dib.m_wQuant[0], 32);
    EXPECT_EQ(dib.m_wQuant[1], 22);
    EXPECT_EQ(dib.m_wQuant[2], 20);
    dib.BuildQuantTable(25);
    EXPECT_EQ(dib.m_wQuant[0], 8);
    EXPECT_EQ(dib.m_wQuant[1], 6);
    dib.BuildQuantTable(3);
    EXPECT_EQ(*std::min_element(dib.m_wQuant, dib.m_wQuant + 64), 1);
    dib.BuildQuantTable(2);
    for (int n = 0; n < 64; ++n) EXPECT_EQ(dib.m_wQuant[n] == 0, kCprBaseQuant[n] <= 12) << n;
    dib.BuildQuantTable(1);
    for (int n = 0; n < 64; ++n) EXPECT_EQ(dib.m_wQuant[n] == 0, kCprBaseQuant[n] < 25) << n;
}

TEST(CprTransform, ZigzagOrder) {
    CDib dib;
    for (int n = 0; n < 64; ++n) dib.m_nQuantized[n] = 100 + n;
    dib.ZigzagScan();
    EXPECT_EQ(dib.m_nZigzag[2], 108);  // row 1, column 0
    EXPECT_EQ(dib.m_nZigzag[5], 102);  // row 0, column 2
    EXPECT_EQ(dib.m_nZigzag[63], 163);
    dib.UnZigzag();
    for (int n = 0; n < 64; ++n) EXPECT_EQ(dib.m_nCoef[n], 100 + n);
}

TEST(CprTransform, FlatBlocksAndHalvesAwayFromZero) {
    CDib dib;
    dib.BuildQuantTable(50);
    for (int v : {0, 127, 128, 200, 201, 255}) {
        for (int& x : dib.m_nBlock) x = v - 128;
        dib.ForwardDCT();
        EXPECT_EQ(dib.m_nBlock[0], 8 * (v - 128)) << v;
        for (int n = 1; n < 64; ++n) ASSERT_EQ(dib.m_nBlock[n], 0) << v;
        dib.Quantize(dib.m_wQuant);
        int expected = (v - 128) >= 0 ? (v - 128 + 1) / 2 : -((128 - v + 1) / 2);
        EXPECT_EQ(dib.m_nQuantized[0], expected) << v;
        dib.ZigzagScan();
        dib.UnZigzag();
        dib.Dequantize();
        dib.InverseDCT();
        int decoded = std::clamp(int(short(dib.m_nCoef[0] & 0xFFFF)) + 128, 0, 255);
        for (int n = 0; n < 64; ++n) ASSERT_EQ(dib.m_nCoef[n], dib.m_nCoef[0]);
        if (v == 200) {
            EXPECT_EQ(decoded, 200);
        }
        if (v == 201) {
            EXPECT_EQ(decoded, 202);
        }
        if (v == 128) {
            EXPECT_EQ(decoded, 128);
        }
    }
    // x / q with halves away from zero.
    for (int& x : dib.m_nBlock) x = 0;
    dib.m_nBlock[0] = 8;
    dib.m_nBlock[1] = -8;
    dib.m_nBlock[2] = 7;
    WORD table[64];
    std::fill(table, table + 64, WORD(16));
    dib.Quantize(table);
    EXPECT_EQ(dib.m_nQuantized[0], 1);
    EXPECT_EQ(dib.m_nQuantized[1], -1);
    EXPECT_EQ(dib.m_nQuantized[2], 0);
}

TEST(CprTransform, InverseOfZeroIsMidGreyAndHugeCoefficientsDoNotOverflow) {
    CDib dib;
    std::fill(dib.m_nCoef, dib.m_nCoef + 64, 0);
    dib.InverseDCT();
    for (int n = 0; n < 64; ++n) EXPECT_EQ(dib.m_nCoef[n], 0);
    // What a hostile stream can make: the sanitizer build checks that nothing overflows.
    for (int n = 0; n < 64; ++n) dib.m_nCoef[n] = (n % 2 ? INT_MAX : INT_MIN + n);
    dib.InverseDCT();
}
