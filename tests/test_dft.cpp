// The transform of any length against the sum that defines it.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <random>

#include "security/Randomness.h"

namespace {
std::vector<double> DirectMagnitudes(const std::vector<double>& x) {
    const size_t n = x.size();
    std::vector<double> m(n);
    for (size_t j = 0; j < n; ++j) {
        std::complex<double> sum = 0;
        for (size_t k = 0; k < n; ++k) {
            double angle = -2.0 * M_PI * double((j * k) % n) / double(n);
            sum += x[k] * std::complex<double>(std::cos(angle), std::sin(angle));
        }
        m[j] = std::abs(sum);
    }
    return m;
}
}  // namespace

TEST(Dft, AgreesWithTheDefiningSumForEveryKindOfLength) {
    std::mt19937 random(3);
    // Powers of two, odd and even lengths, primes, and lengths where n / 2 is odd.
    for (size_t n : {1, 2, 3, 5, 8, 10, 31, 64, 97, 100, 126, 255, 256, 1000, 1031}) {
        std::vector<double> x(n);
        for (double& v : x) v = (random() & 1) ? 1.0 : -1.0;
        std::vector<double> expected = DirectMagnitudes(x);
        std::vector<double> fast = DftMagnitudes(x, n);
        ASSERT_EQ(fast.size(), n);
        for (size_t j = 0; j < n; ++j) EXPECT_NEAR(fast[j], expected[j], 1e-9 * std::sqrt(double(n))) << n << " " << j;
    }
}

TEST(Dft, RepeatedLengthsAndFewerPeaks) {
    // The same length twice reuses its prepared transform; asking for fewer peaks gives a prefix.
    std::vector<double> x(1000);
    for (size_t k = 0; k < x.size(); ++k) x[k] = std::cos(2.0 * M_PI * 7.0 * double(k) / 1000.0);
    std::vector<double> first = DftMagnitudes(x, 500), again = DftMagnitudes(x, 10);
    EXPECT_NEAR(first[7], 500.0, 1e-9);
    EXPECT_NEAR(first[8], 0.0, 1e-9);
    for (size_t j = 0; j < 10; ++j) EXPECT_EQ(again[j], first[j]);
    EXPECT_TRUE(DftMagnitudes(std::vector<double>(), 5).empty());
}
