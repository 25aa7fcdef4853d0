// The statistics of one plane against values worked out by hand, the published figures and
// images with known answers.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "security/ImageStats.h"

namespace {

// Uniform random bytes from a fixed seed (not the program's generator: its low bits are weak).
std::vector<BYTE> RandomPlane(size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    std::vector<BYTE> p(n);
    for (BYTE& b : p) b = BYTE(gen() >> 24);
    return p;
}

}  // namespace

TEST(ImageStats, PlanesOfEightAndTwentyFourBitImagesTopRowFirst) {
    CDib grey, colour, nibbles;
    ASSERT_TRUE(grey.Create(3, 2, 8, nullptr, 0));
    grey.SetPixel(2, 0, 7);  // top right
    ImagePlanes p;
    ASSERT_TRUE(GetPlanes(grey, p));
    ASSERT_EQ(p.planes.size(), 1u);
    EXPECT_EQ(p.names[0], "index");
    EXPECT_EQ(p.planes[0], (std::vector<BYTE>{0, 0, 7, 0, 0, 0}));

    ASSERT_TRUE(colour.Create(2, 2, 24, nullptr, 0));
    colour.SetPixel(1, 1, int(RGB(10, 20, 30)));  // bottom right
    ASSERT_TRUE(GetPlanes(colour, p));
    ASSERT_EQ(p.names, (std::vector<std::string>{"red", "green", "blue"}));
    EXPECT_EQ(p.planes[0], (std::vector<BYTE>{0, 0, 0, 10}));
    EXPECT_EQ(p.planes[2], (std::vector<BYTE>{0, 0, 0, 30}));
    // Written back into another image of the same shape, pixel for pixel.
    CDib copy;
    ASSERT_TRUE(copy.Create(2, 2, 24, nullptr, 255));
    PutPlanes(p, copy);
    EXPECT_EQ(copy.GetPixel(1, 1), int(RGB(10, 20, 30)));
    EXPECT_EQ(copy.GetPixel(0, 0), 0);

    ASSERT_TRUE(nibbles.Create(4, 4, 4, nullptr, 0));
    EXPECT_FALSE(GetPlanes(nibbles, p));
    EXPECT_FALSE(GetPlanes(CDib(), p));
}

TEST(ImageStats, ChiSquareAndEntropyWorkedByHand) {
    // Every value twice: perfectly even, 8 bits.
    std::vector<BYTE> even(512);
    for (size_t i = 0; i < even.size(); ++i) even[i] = BYTE(i);
    Histogram h = CountValues(even);
    EXPECT_EQ(h[0], 2u);
    EXPECT_DOUBLE_EQ(ChiSquareUniform(h), 0.0);
    EXPECT_DOUBLE_EQ(Entropy(h), 8.0);
    // 256 zeros: one bin holds all (255^2 / 1) and 255 bins none (1 each).
    h = CountValues(std::vector<BYTE>(256, 0));
    EXPECT_DOUBLE_EQ(ChiSquareUniform(h), 65025.0 + 255.0);
    EXPECT_DOUBLE_EQ(Entropy(h), 0.0);
    // Four values once each.
    EXPECT_DOUBLE_EQ(Entropy(CountValues(std::vector<BYTE>{0, 1, 2, 250})), 2.0);
    // 1, 1, 2: -(2/3) log2(2/3) - (1/3) log2(1/3).
    EXPECT_NEAR(Entropy(CountValues(std::vector<BYTE>{1, 1, 2})), 0.9182958340544896, 1e-15);
}

TEST(ImageStats, CriticalValuesOfTheChiSquareAndTheEntropy) {
    EXPECT_NEAR(ChiSquareCritical(0.05), 293.2478, 5e-5);
    EXPECT_NEAR(ChiSquareCritical(0.01), 310.4574, 5e-5);
    EXPECT_NEAR(ChiSquareCritical(0.001), 330.5197, 5e-5);
    EXPECT_NEAR(ChiSquarePValue(ChiSquareCritical(0.01)), 0.01, 1e-12);
    // The least entropy that uniform values keep at 5 %: 8 - chi2 / (2 T ln 2).
    EXPECT_NEAR(EntropyCritical(65536, 0.05), 8.0 - 293.2478 / (2.0 * 65536 * std::log(2.0)), 1e-9);
}

TEST(ImageStats, ExpectedEntropyAndItsSpreadForAnySize) {
    EXPECT_NEAR(ExpectedEntropy(65536), 7.99719, 5e-6);
    EXPECT_NEAR(ExpectedEntropy(262144), 7.99930, 5e-6);
    // Summed over the counts in 40-digit arithmetic.
    EXPECT_NEAR(ExpectedEntropy(1936), 7.9024693166465564402, 1e-14);
    EXPECT_NEAR(EntropySigma(1936), 0.0086942258392957803081, 1e-14);
    EXPECT_NEAR(EntropySigma(1936), 0.008694, 5e-7);
    // By hand: one byte has entropy 0; two bytes are equal (H = 0) with probability 1/256, else
    // H = 1, so E H = 255/256 and sigma = sqrt(p (1 - p)) with p = 1/256.
    EXPECT_DOUBLE_EQ(ExpectedEntropy(1), 0.0);
    EXPECT_NEAR(ExpectedEntropy(2), 255.0 / 256.0, 1e-15);
    EXPECT_NEAR(EntropySigma(2), std::sqrt(255.0) / 256.0, 1e-14);
    // The large-sample form 8 - 255 / (2 T ln 2) takes over as T grows (its error falls as 1 / T^2).
    const double T = 4096.0 * 4096.0;
    EXPECT_NEAR(ExpectedEntropy(uint64_t(T)), 8.0 - 255.0 / (2.0 * T * std::log(2.0)), 1e-10);
}

TEST(ImageStats, LocalEntropyIntervalDividesBySquareRootOfK) {
    Interval i = LocalEntropyInterval(30, 1936, 0.05);
    const double half = 1.9599639845400532 * 0.0086942258392957803 / std::sqrt(30.0);
    EXPECT_NEAR(i.dLow, 7.9024693166465564 - half, 1e-13);
    EXPECT_NEAR(i.dHigh, 7.9024693166465564 + half, 1e-13);
    EXPECT_NEAR(half / 1.959963984540054, 0.001587, 5e-7);
    // The interval widely quoted ([7.901901305, 7.903037329]) is much narrower: it lies inside.
    EXPECT_LT(i.dLow, 7.901901305);
    EXPECT_GT(i.dHigh, 7.903037329);
}

TEST(ImageStats, LocalEntropyOfChosenBlocks) {
    // 88 x 44: the left block constant, the right one counting 0, 1, 2 ... 255, 0, 1 ...
    const int W = 88;
    std::vector<BYTE> plane(size_t(W) * 44, 9);
    int n = 0;
    for (int y = 0; y < 44; ++y)
        for (int x = 44; x < 88; ++x) plane[size_t(y) * W + x] = BYTE(n++);
    LocalEntropyResult r = LocalEntropy(plane, W, {0, 44}, {0, 0}, 44);
    ASSERT_EQ(r.values.size(), 2u);
    EXPECT_DOUBLE_EQ(r.values[0], 0.0);
    // 1936 = 7 x 256 + 144: 144 values 8 times, 112 values 7 times.
    const double p8 = 8.0 / 1936, p7 = 7.0 / 1936;
    EXPECT_NEAR(r.values[1], -144 * p8 * std::log2(p8) - 112 * p7 * std::log2(p7), 1e-13);
    EXPECT_NEAR(r.dMean, r.values[1] / 2, 1e-15);
    EXPECT_TRUE(std::isnan(LocalEntropy(plane, W, {}, {}, 44).dMean));
}

TEST(ImageStats, CorrelationOfImagesWithKnownAnswers) {
    // A ramp x + y: every neighbour is its pixel plus 1 (or 2): r = 1 in every direction.
    const int W = 40, H = 30;
    std::vector<BYTE> ramp(size_t(W) * H), checker(ramp.size()), constant(ramp.size(), 5);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            ramp[size_t(y) * W + x] = BYTE(x + y);
            checker[size_t(y) * W + x] = BYTE((x + y) % 2 ? 255 : 0);
        }
    for (Neighbour n : kNeighbours) EXPECT_NEAR(CorrelationAll(ramp, W, H, n), 1.0, 1e-15) << GetNeighbourName(n);
    EXPECT_NEAR(CorrelationAll(checker, W, H, Neighbour::Horizontal), -1.0, 1e-15);
    EXPECT_NEAR(CorrelationAll(checker, W, H, Neighbour::Vertical), -1.0, 1e-15);
    EXPECT_NEAR(CorrelationAll(checker, W, H, Neighbour::Diagonal), 1.0, 1e-15);
    EXPECT_TRUE(std::isnan(CorrelationAll(constant, W, H, Neighbour::Horizontal)));
    // Chosen pairs: (0, 255) and (255, 0) from the checker board: r = -1; one pair alone has no spread.
    EXPECT_NEAR(CorrelationOf(checker, W, Neighbour::Horizontal, {0, 1}), -1.0, 1e-15);
    EXPECT_TRUE(std::isnan(CorrelationOf(checker, W, Neighbour::Horizontal, {0})));
    std::vector<BYTE> row = {1, 2, 4, 3, 3};
    // Pairs from indices 0 (1, 2), 1 (2, 4) and 3 (3, 3): x mean 2, y mean 3,
    // cov = ((-1)(-1) + 0 + (1)(0)) / 3 = 1/3, D(x) = 2/3, D(y) = 2/3: r = 0.5.
    EXPECT_NEAR(CorrelationOf(row, 5, Neighbour::Horizontal, {0, 1, 3}), 0.5, 1e-15);
    EXPECT_NEAR(CorrelationBound(5000, 0.05), 1.959963984540054 / std::sqrt(5000.0), 1e-15);
}

TEST(ImageStats, UniformRandomBytesLookRandom) {
    const int W = 512, H = 512;
    std::vector<BYTE> plane = RandomPlane(size_t(W) * H, 2024);
    Histogram h = CountValues(plane);
    EXPECT_LT(ChiSquareUniform(h), ChiSquareCritical(0.001));
    EXPECT_GT(Entropy(h), EntropyCritical(uint64_t(W) * H, 0.001));
    EXPECT_NEAR(Entropy(h), ExpectedEntropy(uint64_t(W) * H), 0.0005);
    for (Neighbour n : kNeighbours) EXPECT_LT(std::fabs(CorrelationAll(plane, W, H, n)), CorrelationBound(W * H, 0.001));
}
