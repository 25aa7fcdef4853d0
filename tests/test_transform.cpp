// The codec's transform and quantisation: quantiser tables at every scale, the zigzag order, flat
// blocks through the whole chain, the inverse transform on what a hostile stream can hold, and
// the fast kernels against the literal forms.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <random>
#include <vector>

#include "cpr/Codec.h"
#include "cpr/CprTables.h"
#include "cpr/reference/Literal.h"
#include "dib/Dib.h"
#include "tests/support/CprIsas.h"

using namespace moro_test;

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

// ---- the fast kernels against the literal forms ----

TEST(CprTransformKernels, QuantiserIsExactForEveryCoefficientAndStep) {
    // Every step any scale's table can hold (at most 65535 / 50 rounded), every coefficient up
    // to the kernels' bound (forward transforms of samples stay below 2^11), on every kernel.
    std::vector<const cpr::Kernels*> kernels = {&cpr::GetScalarKernels()};
    if (IsCprIsaSupported(CPR_ISA_AVX2)) kernels.push_back(cpr::GetAvx2Kernels());
    alignas(32) int block[64];
    short out[64];
    int expected[64];
    for (int q = 1; q <= 1311; ++q) {
        WORD steps[64];
        std::fill(steps, steps + 64, WORD(q));
        cpr::QuantTable table;
        ASSERT_TRUE(cpr::MakeQuantTable(steps, table));
        for (int x0 = -cpr::kQuantMaxAbs; x0 <= cpr::kQuantMaxAbs; x0 += 64) {
            for (int n = 0; n < 64; ++n) {
                block[n] = std::min(x0 + n, cpr::kQuantMaxAbs);
                double v = double(block[n]) / double(q);
                expected[n] = block[n] >= 0 ? int(v + 0.5) : int(v - 0.5);
            }
            for (const cpr::Kernels* k : kernels) {
                uint64_t mask = k->Quantize(block, table, out);
                for (int n = 0; n < 64; ++n) {
                    ASSERT_EQ(out[n], expected[n]) << "x " << block[n] << " step " << q;
                    ASSERT_EQ((mask >> n) & 1, uint64_t(expected[n] != 0));
                }
            }
        }
    }
}

TEST(CprTransformKernels, ForwardKernelOnExtremeBlocks) {
    // Rows of samples 0 and 255 that drive one frequency to its least or greatest value, in every
    // combination over the rows: the largest values the forward kernel's passes can meet.  With
    // steps of 1 its output is the transform itself.
    WORD ones[64];
    std::fill(ones, ones + 64, WORD(1));
    cpr::QuantTable table;
    ASSERT_TRUE(cpr::MakeQuantTable(ones, table));
    ForEachCprIsa([&](CprIsa) {
        CDib lit;
        for (int u = 0; u < 8; ++u)
            for (int rows = 0; rows < 256; ++rows) {
                BYTE samples[64];
                for (int n = 0; n < 64; ++n) {
                    bool bPositive = std::cos((2 * (n % 8) + 1) * u * M_PI / 16) > 0;
                    samples[n] = bPositive != bool((rows >> (n / 8)) & 1) ? 255 : 0;
                    lit.m_nBlock[n] = samples[n] - 128;
                }
                short out[64];
                cpr::ActiveKernels().ForwardQuantize(samples, 8, table, out);
                literal::ForwardDCT(lit);
                for (int n = 0; n < 64; ++n) ASSERT_EQ(out[n], lit.m_nBlock[n]) << "frequency " << u << " rows " << rows;
            }
    });
}

TEST(CprTransformKernels, TransformsMatchTheLiteralForms) {
    std::mt19937 rng(17);
    ForEachCprIsa([&](CprIsa) {
        CDib fast, lit;
        for (int round = 0; round < 3000; ++round) {
            // Forward: level-shifted samples, flat, noisy or extreme.
            for (int n = 0; n < 64; ++n) {
                int v = round % 3 == 0 ? int(rng() % 256) : round % 3 == 1 ? 100 + int(rng() % 9) : (rng() % 2) * 255;
                fast.m_nBlock[n] = lit.m_nBlock[n] = v - 128;
            }
            fast.ForwardDCT();
            literal::ForwardDCT(lit);
            ASSERT_EQ(std::vector<int>(fast.m_nBlock, fast.m_nBlock + 64), std::vector<int>(lit.m_nBlock, lit.m_nBlock + 64));
            // Inverse: what valid streams hold, values about the 32-bit form's bound, and the
            // anything a hostile stream can hold.
            int limit = round % 4 == 0 ? 1200 : round % 4 == 1 ? cpr::kIdctMaxAbs + 2 : round % 4 == 2 ? 300 : INT_MAX;
            for (int n = 0; n < 64; ++n) {
                int v = int(int64_t(rng() % (uint64_t(limit) * 2 + 1)) - limit);
                if (round % 4 == 3 && rng() % 8 == 0) v = n % 2 ? INT_MAX : INT_MIN;
                if (rng() % 3 == 0) v = 0;
                fast.m_nCoef[n] = lit.m_nCoef[n] = v;
            }
            alignas(32) int coef[64];
            std::copy(fast.m_nCoef, fast.m_nCoef + 64, coef);
            fast.InverseDCT();
            literal::InverseDCT(lit);
            ASSERT_EQ(std::vector<int>(fast.m_nCoef, fast.m_nCoef + 64), std::vector<int>(lit.m_nCoef, lit.m_nCoef + 64))
                << "round " << round;
            BYTE samples[8 * 11];
            cpr::ActiveKernels().InverseStore(coef, samples, 11);
            for (int n = 0; n < 64; ++n) {
                ASSERT_EQ(samples[11 * (n / 8) + n % 8], cpr::SampleOf(lit.m_nCoef[n])) << n;
                ASSERT_EQ(coef[n], 0);
            }
        }
    });
}
