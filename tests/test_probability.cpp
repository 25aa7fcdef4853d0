// The probability functions against values known in closed form and the standard library.
#include <gtest/gtest.h>

#include <cmath>

#include "security/Randomness.h"

TEST(Probability, LogGammaMatchesTheStandardLibrary) {
    for (double a : {1e-3, 0.5, 1.0, 1.5, 2.0, 3.7, 9.99, 10.0, 12.5, 100.0, 512.0, 16384.0, 1e7}) {
        double expected = std::lgamma(a);
        EXPECT_NEAR(LogGamma(a), expected, 1e-14 * std::max(1.0, std::fabs(expected))) << a;
    }
    EXPECT_NEAR(LogGamma(0.5), 0.5 * std::log(M_PI), 1e-14);
}

TEST(Probability, IncompleteGammaInClosedForms) {
    // Q(1, x) = e^-x; Q(1/2, x) = erfc(sqrt x); Q(n, x) = e^-x sum_{k<n} x^k / k!.
    for (double x : {0.01, 0.5, 1.0, 2.0, 7.5, 30.0}) {
        EXPECT_NEAR(GammaQ(1.0, x), std::exp(-x), 1e-15) << x;
        EXPECT_NEAR(GammaQ(0.5, x), std::erfc(std::sqrt(x)), 1e-14) << x;
        double term = 1.0, sum = 0.0;
        for (int k = 0; k < 5; ++k) {
            sum += term;
            term *= x / (k + 1);
        }
        EXPECT_NEAR(GammaQ(5.0, x), std::exp(-x) * sum, 1e-14) << x;
        EXPECT_NEAR(GammaP(5.0, x) + GammaQ(5.0, x), 1.0, 1e-15) << x;
    }
    EXPECT_EQ(GammaQ(3.0, 0.0), 1.0);
    EXPECT_EQ(GammaP(3.0, 0.0), 0.0);
    EXPECT_TRUE(std::isnan(GammaQ(0.0, 1.0)));
    EXPECT_TRUE(std::isnan(GammaQ(1.0, -1.0)));
}

TEST(Probability, IncompleteGammaForLargeShapes) {
    // The median of a gamma distribution of large shape a lies near a - 1/3, so Q(a, a) is
    // 0.5 - 1 / (3 sqrt(2 pi a)) up to terms in 1 / a.
    const double a = 16384.0;
    EXPECT_NEAR(GammaQ(a, a), 0.5 - 1.0 / (3.0 * std::sqrt(2.0 * M_PI * a)), 1e-5);
    // Q falls from 1 to 0 across a few standard deviations (128 here), without a jump where the
    // series gives way to the continued fraction.
    EXPECT_GT(GammaQ(a, a - 500.0), 0.9999);
    EXPECT_LT(GammaQ(a, a + 500.0), 1e-4);
    EXPECT_NEAR(GammaQ(a, a + 0.999), GammaQ(a, a + 1.001), 1e-4);
}

TEST(Probability, NormalDistribution) {
    EXPECT_DOUBLE_EQ(NormalCdf(0.0), 0.5);
    EXPECT_NEAR(NormalCdf(1.959963984540054), 0.975, 1e-15);
    EXPECT_NEAR(NormalCdf(-3.0) + NormalCdf(3.0), 1.0, 1e-15);
}

TEST(Probability, NormalAndChiSquareQuantiles) {
    EXPECT_NEAR(NormalQuantile(0.975), 1.9599639845400532, 1e-14);
    EXPECT_NEAR(NormalQuantile(0.05), -1.6448536269514729, 1e-14);
    EXPECT_NEAR(NormalQuantile(0.0005), -3.2905267314918953, 1e-14);
    EXPECT_NEAR(NormalQuantile(1e-12), -7.034483825301132, 1e-12);
    EXPECT_DOUBLE_EQ(NormalQuantile(0.5), 0.0);
    EXPECT_TRUE(std::isnan(NormalQuantile(0.0)) && std::isnan(NormalQuantile(1.0)));
    for (double p : {1e-9, 0.001, 0.3, 0.7, 0.999}) EXPECT_NEAR(NormalCdf(NormalQuantile(p)), p, p * 1e-14);
    // Two degrees of freedom: Q = exp(-x / 2), so x = -2 ln alpha.
    EXPECT_NEAR(ChiSquareUpperQuantile(2.0, 0.05), -2.0 * std::log(0.05), 1e-12);
    EXPECT_NEAR(ChiSquareUpperQuantile(1.0, 0.05), 1.959963984540054 * 1.959963984540054, 1e-11);
    EXPECT_TRUE(std::isnan(ChiSquareUpperQuantile(255.0, 0.0)));
}
