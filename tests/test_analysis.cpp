// The analysis of a run: what the sample seed chooses, the encryptions it makes, and what the
// record says about the cipher's known weaknesses.
#include <gtest/gtest.h>

#include <cmath>

#include <nlohmann/json.hpp>

#include "platform/Rand.h"
#include "security/Analysis.h"
#include "tests/support/Keys.h"

namespace {

// A smooth picture: a ramp with a square in it.
void MakePlain(CDib& dib, int W, int H, int nBits) {
    ASSERT_TRUE(dib.Create(W, H, nBits, nullptr, 0));
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const int v = (x > W / 3 && x < W / 2 && y > H / 3 && y < H / 2) ? 240 : (x + 2 * y) % 200;
            dib.SetPixel(x, y, nBits == 8 ? v : int(RGB(v, 255 - v, v / 2)));
        }
}

AnalysisOptions Fast(uint32_t seed) {
    AnalysisOptions o;
    o.nSampleSeed = seed;
    o.nSpeedFrames = 0;
    return o;
}

}  // namespace

TEST(Analysis, DrawBelowTakesTwoDrawsAndRejectsTheUnevenTop) {
    crt::srand(1);  // 41, 18467: (41 << 15 | 18467) = 1361955
    EXPECT_EQ(DrawBelow(1000), 1361955u % 1000);
    crt::srand(1);
    crt::rand(), crt::rand();
    const uint32_t after = crt::GetRandState();
    crt::srand(1);
    DrawBelow(7);
    EXPECT_EQ(crt::GetRandState(), after);
    EXPECT_EQ(DrawBelow(1), 0u);
}

TEST(Analysis, SampleBlocksDoNotOverlapAndFitTheImage) {
    crt::srand(77);
    const uint32_t before = crt::GetRandState();
    AnalysisOptions o = Fast(9);
    AnalysisSample s = DrawSample(256, 256, o);
    EXPECT_EQ(crt::GetRandState(), before);
    // 256 / 44 = 5: a 256 x 256 image holds 25 blocks, not 30.
    ASSERT_EQ(s.lefts.size(), 25u);
    for (size_t i = 0; i < s.lefts.size(); ++i) {
        EXPECT_LE(s.lefts[i] + 44, 256);
        EXPECT_LE(s.tops[i] + 44, 256);
        for (size_t j = 0; j < i; ++j)
            EXPECT_TRUE(std::abs(s.lefts[i] - s.lefts[j]) >= 44 || std::abs(s.tops[i] - s.tops[j]) >= 44) << i << " " << j;
    }
    EXPECT_EQ(DrawSample(512, 512, o).lefts.size(), 30u);
    EXPECT_TRUE(DrawSample(43, 500, o).lefts.empty());
    // Pairs keep their neighbour inside: the diagonal one never starts in the last row or column.
    for (uint32_t i : s.pairs[2]) {
        EXPECT_LT(i % 256, 255u);
        EXPECT_LT(i / 256, 255u);
    }
    EXPECT_EQ(s.pairs[0].size(), 5000u);
    EXPECT_EQ(s.positions.size(), 50u);
    // The same seed chooses the same; another seed otherwise.
    AnalysisSample again = DrawSample(256, 256, o);
    EXPECT_EQ(again.lefts, s.lefts);
    EXPECT_EQ(again.pairs[1], s.pairs[1]);
    o.nSampleSeed = 10;
    EXPECT_NE(DrawSample(256, 256, o).pairs[1], s.pairs[1]);
}

TEST(Analysis, ModeOneOnAGreyImage) {
    CDib plain;
    MakePlain(plain, 96, 64, 8);
    const KeyFile run = moro_test::SeededRun(3, {STEP_STREAM});
    crt::srand(5);
    AnalysisResult r;
    std::string error;
    ASSERT_TRUE(RunAnalysis(plain, run, Fast(3), r, error)) << error;
    const uint32_t before = 5;
    EXPECT_EQ(crt::GetRandState(), before);
    EXPECT_TRUE(r.bDecryptsExactly);
    ASSERT_EQ(r.channels.size(), 1u);
    EXPECT_GT(r.plain[0].dCorrelationAll[0], 0.5);
    EXPECT_LT(r.cipher[0].dChiSquare, r.plain[0].dChiSquare);
    EXPECT_EQ(r.cipher[0].local.values.size(), 2u);  // 96 x 64 holds two 44 x 44 blocks
    // First, middle, last, then 50 drawn.
    ASSERT_EQ(r.positions.size(), 53u);
    EXPECT_EQ(r.positions[0].x, 0);
    EXPECT_EQ(r.positions[1].x + 96 * r.positions[1].y, 96 * 64 / 2);
    EXPECT_EQ(r.positions[2].x, 95);
    EXPECT_EQ(r.positions[2].y, 63);
    // The key stream ignores the pixels: one changed plain pixel is one changed cipher pixel.
    for (const DiffPosition& p : r.positions) EXPECT_DOUBLE_EQ(p.channels[0].dNpcr, 100.0 / (96 * 64));
    EXPECT_DOUBLE_EQ(r.WorstDifferential().dNpcr, 100.0 / (96 * 64));
    ASSERT_EQ(r.flips.size(), 4u);
    // x0 picks every lane: its lowest bit changes nearly every pixel.
    EXPECT_GT(r.flips[0].cipher[0].dNpcr, 90.0);
    // Mode 1 is an XOR: the wrong key's decryption differs from the plain image where the ciphers differ.
    for (const KeyFlip& f : r.flips) EXPECT_DOUBLE_EQ(f.decrypted[0].dNpcr, f.cipher[0].dNpcr) << f.component;
    // The table says why the differential test fails.
    EXPECT_NE(AnalysisTable(r).find("fails by design"), std::string::npos);
}

TEST(Analysis, SameSeedSameRecordAndColourByChannel) {
    CDib plain;
    MakePlain(plain, 50, 47, 24);
    const KeyFile run = moro_test::SeededRun(11, {STEP_FRAME, STEP_SUBST});
    AnalysisResult a, b;
    std::string error;
    ASSERT_TRUE(RunAnalysis(plain, run, Fast(2), a, error));
    ASSERT_TRUE(RunAnalysis(plain, run, Fast(2), b, error));
    EXPECT_EQ(AnalysisJson(a), AnalysisJson(b));
    EXPECT_TRUE(a.bDecryptsExactly);
    ASSERT_EQ(a.channels.size(), 3u);
    for (const DiffPosition& p : a.positions) ASSERT_EQ(p.channels.size(), 3u);
    // A frame pass draws from the generator: the run's own state, so the differential
    // encryptions match the first one everywhere but at the changed pixel.
    for (const DiffPosition& p : a.positions)
        for (const DiffMeasure& m : p.channels) EXPECT_DOUBLE_EQ(m.dNpcr, 100.0 / (50 * 47));
    // The image holds one block; its interval is for one.
    EXPECT_EQ(a.cipher[0].local.values.size(), 1u);
}

TEST(Analysis, RefusesOtherDepths) {
    CDib nibbles;
    ASSERT_TRUE(nibbles.Create(8, 8, 4, nullptr, 0));
    AnalysisResult r;
    std::string error;
    EXPECT_FALSE(RunAnalysis(nibbles, moro_test::SeededRun(1, {STEP_STREAM}), Fast(1), r, error));
    EXPECT_NE(error.find("4 bits"), std::string::npos) << error;
}
