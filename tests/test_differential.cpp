// NPCR and UACI, their critical values against the published table and for other sizes, and the
// encryption quality figures, worked by hand.
#include <gtest/gtest.h>

#include <cmath>

#include "security/ImageStats.h"

TEST(Differential, NpcrAndUaciWithoutWrapAround) {
    const std::vector<BYTE> a = {0, 255, 10, 10}, b = {255, 0, 10, 11};
    DiffMeasure m = CompareImages(a, b);
    EXPECT_DOUBLE_EQ(m.dNpcr, 75.0);
    // 0 against 255 is 255 apart, not 1: (255 + 255 + 0 + 1) / (255 x 4).
    EXPECT_NEAR(m.dUaci, 511.0 / 1020.0 * 100.0, 1e-13);
    m = CompareImages(a, a);
    EXPECT_EQ(m.dNpcr, 0.0);
    EXPECT_EQ(m.dUaci, 0.0);
}

TEST(Differential, CriticalValuesOfThePublishedTable) {
    struct {
        uint64_t nPixels;
        double dAlpha, dNpcr, dLow, dHigh;
    } const table[] = {
        {256 * 256, 0.05, 99.5693, 33.2824, 33.6447},     {256 * 256, 0.01, 99.5527, 33.2255, 33.7016},
        {256 * 256, 0.001, 99.5341, 33.1594, 33.7677},    {512 * 512, 0.05, 99.5893, 33.3730, 33.5541},
        {512 * 512, 0.01, 99.5810, 33.3445, 33.5826},     {512 * 512, 0.001, 99.5717, 33.3115, 33.6156},
        {1024 * 1024, 0.05, 99.5994, 33.4183, 33.5088},   {1024 * 1024, 0.01, 99.5952, 33.4040, 33.5231},
        {1024 * 1024, 0.001, 99.5906, 33.3875, 33.5396},
    };
    for (const auto& row : table) {
        DiffCritical c = DifferentialCritical(row.nPixels, row.dAlpha);
        EXPECT_NEAR(c.dNpcr, row.dNpcr, 5e-5) << row.nPixels << " " << row.dAlpha;
        EXPECT_NEAR(c.dUaciLow, row.dLow, 5e-5) << row.nPixels << " " << row.dAlpha;
        EXPECT_NEAR(c.dUaciHigh, row.dHigh, 5e-5) << row.nPixels << " " << row.dAlpha;
    }
    EXPECT_DOUBLE_EQ(NpcrMean(), 99.609375);
    EXPECT_NEAR(UaciMean(), 257.0 / 768.0 * 100.0, 1e-13);
}

TEST(Differential, CriticalValuesForAnySize) {
    // 300 x 200, the formulas evaluated independently with quantiles found by bisection.
    DiffCritical c = DifferentialCritical(60000, 0.05);
    EXPECT_NEAR(c.dNpcr, 99.56748775890223, 1e-9);
    EXPECT_NEAR(c.dUaciLow, 33.274203001322874, 1e-9);
    c = DifferentialCritical(60000, 0.001);
    EXPECT_NEAR(c.dNpcr, 99.53068027389452, 1e-9);
    EXPECT_NEAR(c.dUaciLow, 33.14566646868696, 1e-9);
    // The band is symmetric about the mean and narrows as 1 / sqrt(T).
    c = DifferentialCritical(1, 0.05);
    DiffCritical big = DifferentialCritical(10000, 0.05);
    EXPECT_NEAR(c.dUaciHigh - UaciMean(), UaciMean() - c.dUaciLow, 1e-12);
    EXPECT_NEAR((c.dUaciHigh - c.dUaciLow) / (big.dUaciHigh - big.dUaciLow), 100.0, 1e-9);
    EXPECT_TRUE(big.NpcrPasses(99.7) && !big.NpcrPasses(99.0));
    EXPECT_TRUE(big.UaciPasses(UaciMean()) && !big.UaciPasses(32.0));
}

TEST(Differential, EncryptionQualityWorkedByHand) {
    // Plain 0, 0, 255, 255 and cipher 255, 0, 0, 255: the histograms agree, half the pixels
    // differ by 255.
    EncryptionQuality q = MeasureQuality(std::vector<BYTE>{0, 0, 255, 255}, std::vector<BYTE>{255, 0, 0, 255});
    EXPECT_DOUBLE_EQ(q.dMse, 32512.5);
    EXPECT_NEAR(q.dPsnr, 10.0 * std::log10(2.0), 1e-13);
    // (p - 127.5)^2 is 16256.25 for both values, plus (256^2 - 1) / 12.
    EXPECT_DOUBLE_EQ(q.dIdealMse, 16256.25 + 5461.25);
    EXPECT_DOUBLE_EQ(q.dHistogramDeviation, 0.0);
    // |P - C| is 255, 0, 255, 0: two bins of 2 and 254 empty ones, each 1/64 from the mean.
    EXPECT_DOUBLE_EQ(q.dIrregularDeviation, 2 * (2 - 1.0 / 64) + 254 / 64.0);

    // Plain all 0, cipher 1, 2, 3, 255: d_0 = 4 and d_255 = 1 count half.
    q = MeasureQuality(std::vector<BYTE>(4, 0), std::vector<BYTE>{1, 2, 3, 255});
    EXPECT_DOUBLE_EQ(q.dHistogramDeviation, ((4 + 1) / 2.0 + 3) / 4);
    EXPECT_DOUBLE_EQ(q.dMse, (1 + 4 + 9 + 65025) / 4.0);
    // An unchanged image: no error at all, an infinite PSNR.
    q = MeasureQuality(std::vector<BYTE>{7, 8}, std::vector<BYTE>{7, 8});
    EXPECT_EQ(q.dMse, 0.0);
    EXPECT_TRUE(std::isinf(q.dPsnr));
}

TEST(Differential, ImagesCompareChannelByChannelAsTheirPlanes) {
    CDib a, b;
    ASSERT_TRUE(a.Create(5, 3, 24, nullptr, 0));
    ASSERT_TRUE(b.Create(5, 3, 24, nullptr, 0));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            a.SetPixel(x, y, int(RGB(x * 50, y * 100, 7)));
            b.SetPixel(x, y, int(RGB(255 - x * 50, y * 100, x == 4 ? 0 : 7)));
        }
    ImagePlanes pa, pb;
    ASSERT_TRUE(GetPlanes(a, pa) && GetPlanes(b, pb));
    std::vector<DiffMeasure> m = CompareImages(a, b);
    ASSERT_EQ(m.size(), 3u);
    for (int c = 0; c < 3; ++c) {
        DiffMeasure e = CompareImages(pa.planes[c], pb.planes[c]);
        EXPECT_DOUBLE_EQ(m[c].dNpcr, e.dNpcr) << c;
        EXPECT_DOUBLE_EQ(m[c].dUaci, e.dUaci) << c;
    }
    EXPECT_DOUBLE_EQ(m[1].dNpcr, 0.0);           // green agrees
    EXPECT_DOUBLE_EQ(m[2].dNpcr, 100.0 / 5.0);   // blue differs in one column
}
