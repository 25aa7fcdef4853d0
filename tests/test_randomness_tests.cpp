// The nine randomness tests on the worked examples of the test suite's documentation and on the
// first million bits of e, pi, sqrt 2 and sqrt 3 (computed here to a million bits with MPFR).
//
// Where the documentation's own numbers are wrong, the tests assert the correct value and say so:
// - Longest run: its worked text rounds the class probabilities to four decimals (0.180598), its
//   example uses exact ones (0.180609); the published table of four-decimal values is the default.
// - Rank: the 3 x 3 example uses the probabilities of large matrices (0.2888, 0.5776, 0.1336);
//   with the exact 3 x 3 probabilities the P-value is 0.820961, not 0.741948.
// - Discrete Fourier transform: both examples print a count of peaks below the threshold that the
//   definition cannot give (4 of 5 and 46 of 50); the true counts 5 and 48 give 0.468160 and
//   0.646355 instead of 0.029523 and 0.168669.
// - Serial: the first example prints 0.9057 and 0.8805; its own later text has the right values
//   0.808792 and 0.670320.
// - Approximate entropy: the first example prints the bracket 0.502193 as chi-square; the
//   chi-square is 10.043859, and the printed P-value 0.261961 belongs to it.
// - Cumulative sums: 0.4116588 for the small example; summation bounds truncated toward zero (as
//   the reference code does) give 0.4116586.
// - Appendix: the two cumulative-sums cells of e are off by one in the sixth decimal.
#include <gtest/gtest.h>

#include <mpfr.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "security/Randomness.h"

namespace {

std::vector<uint8_t> B(const std::string& text) {
    std::vector<uint8_t> bits;
    for (char c : text) bits.push_back(uint8_t(c - '0'));
    return bits;
}

// The 100 bits of the documentation's examples (the first bits of pi) and the 128 of the
// longest-run example.
const std::vector<uint8_t> kE100 = B("11001001000011111101101010100010001000010110100011"
                                     "00001000110100110001001100011001100010100010111000");
const std::vector<uint8_t> kE128 = B("11001100000101010110110001001100111000000000001001"
                                     "00110101010001000100111101011010000000110101111100"
                                     "1100111001101101100010110010");

constexpr double kPrinted = 1e-6;  // the documentation prints six decimals

enum class Constant { E, Pi, Sqrt2, Sqrt3 };

// The first nBits bits of the constant's binary expansion, its integer part included (e is
// 10.10110111..., pi 11.00100100..., the roots 1.0110... and 1.1011...).
std::vector<uint8_t> ConstantBits(Constant c, size_t nBits) {
    mpfr_t x;
    mpfr_init2(x, mpfr_prec_t(nBits + 64));
    int nIntegerBits = 1;
    switch (c) {
        case Constant::E:
            mpfr_set_ui(x, 1, MPFR_RNDN);
            mpfr_exp(x, x, MPFR_RNDN);
            nIntegerBits = 2;
            break;
        case Constant::Pi:
            mpfr_const_pi(x, MPFR_RNDN);
            nIntegerBits = 2;
            break;
        case Constant::Sqrt2: mpfr_sqrt_ui(x, 2, MPFR_RNDN); break;
        case Constant::Sqrt3: mpfr_sqrt_ui(x, 3, MPFR_RNDN); break;
    }
    mpfr_mul_2ui(x, x, (unsigned long)(nBits - size_t(nIntegerBits)), MPFR_RNDN);
    mpz_t z;
    mpz_init(z);
    mpfr_get_z(z, x, MPFR_RNDZ);
    std::vector<uint8_t> bits(nBits);
    for (size_t i = 0; i < nBits; ++i) bits[i] = uint8_t(mpz_tstbit(z, mp_bitcnt_t(nBits - 1 - i)));
    mpz_clear(z);
    mpfr_clear(x);
    return bits;
}

const std::vector<uint8_t>& Million(Constant c) {
    static std::vector<uint8_t> cache[4];
    std::vector<uint8_t>& bits = cache[int(c)];
    if (bits.empty()) bits = ConstantBits(c, 1000000);
    return bits;
}

}  // namespace

TEST(RandomnessWorkedExamples, Frequency) {
    EXPECT_NEAR(FrequencyTest(B("1011010101")).dPValue, 0.527089, kPrinted);
    FrequencyResult r = FrequencyTest(kE100);
    EXPECT_EQ(r.nSum, -16);
    EXPECT_NEAR(r.dPValue, 0.109599, kPrinted);
}

TEST(RandomnessWorkedExamples, BlockFrequency) {
    BlockFrequencyResult r = BlockFrequencyTest(B("0110011010"), 3);
    EXPECT_EQ(r.nBlocks, 3u);
    EXPECT_DOUBLE_EQ(r.dChiSquare, 1.0);
    EXPECT_NEAR(r.dPValue, 0.801252, kPrinted);
    r = BlockFrequencyTest(kE100, 10);
    EXPECT_DOUBLE_EQ(r.dChiSquare, 7.2);
    EXPECT_NEAR(r.dPValue, 0.706438, kPrinted);
}

TEST(RandomnessWorkedExamples, Runs) {
    RunsResult r = RunsTest(B("1001101011"));
    EXPECT_EQ(r.nRuns, 7u);
    EXPECT_TRUE(r.bApplicable);
    EXPECT_NEAR(r.dPValue, 0.147232, kPrinted);
    r = RunsTest(kE100);
    EXPECT_DOUBLE_EQ(r.dOnes, 0.42);
    EXPECT_EQ(r.nRuns, 52u);
    EXPECT_NEAR(r.dPValue, 0.500798, kPrinted);
    // 71 ones in 100 bits: |0.71 - 0.5| > 2 / sqrt(100), so the test does not apply and P is 0;
    // 70 ones sit on the bound, which still applies.
    std::vector<uint8_t> bits(100, 0);
    std::fill(bits.begin(), bits.begin() + 71, 1);
    r = RunsTest(bits);
    EXPECT_FALSE(r.bApplicable);
    EXPECT_EQ(r.dPValue, 0.0);
    bits[70] = 0;
    EXPECT_TRUE(RunsTest(bits).bApplicable);
}

TEST(RandomnessWorkedExamples, LongestRunWithPublishedAndExactProbabilities) {
    LongestRunResult r = LongestRunTest(kE128);
    EXPECT_EQ(r.nBlockBits, 8u);
    EXPECT_EQ(r.counts, (std::vector<size_t>{4, 9, 3, 0}));
    EXPECT_NEAR(r.dChiSquare, 4.882605, kPrinted);
    EXPECT_NEAR(r.dPValue, 0.180598, kPrinted);
    r = LongestRunTest(kE128, RunTable::Exact);
    EXPECT_EQ(r.probabilities, (std::vector<double>{55.0 / 256, 94.0 / 256, 59.0 / 256, 48.0 / 256}));
    EXPECT_NEAR(r.dChiSquare, 4.882457, kPrinted);
    EXPECT_NEAR(r.dPValue, 0.180609, kPrinted);
    // The published tables are the exact probabilities to four decimals, though not all rounded:
    // a longest run of 6 in 128 bits has chance 0.249363, published as 0.2493.
    LongestRunResult mid = LongestRunTest(std::vector<uint8_t>(6272, 0), RunTable::Exact);
    const std::vector<double> published128 = {0.1174, 0.2430, 0.2493, 0.1752, 0.1027, 0.1124};
    ASSERT_EQ(mid.probabilities.size(), published128.size());
    for (size_t i = 0; i < published128.size(); ++i) EXPECT_NEAR(mid.probabilities[i], published128[i], 1e-4) << i;
    EXPECT_NEAR(mid.probabilities[2], 0.249363, kPrinted);
}

TEST(RandomnessWorkedExamples, RankOfSmallAndLargeMatrices) {
    RankResult r = RankTest(B("01011001001010101101"), 3, 3);
    EXPECT_EQ(r.nMatrices, 2u);
    EXPECT_EQ(r.nFull, 1u);
    EXPECT_EQ(r.nOneLess, 1u);
    EXPECT_NEAR(r.probabilities[0], 0.328125, 1e-12);
    EXPECT_NEAR(r.probabilities[1], 0.57421875, 1e-12);
    EXPECT_NEAR(r.dChiSquare, 0.394558, kPrinted);
    EXPECT_NEAR(r.dPValue, 0.820961, kPrinted);
    // The documentation's 0.741948 comes from these counts with the large-matrix probabilities.
    const double table[3] = {0.2888, 0.5776, 0.1336};
    const double counts[3] = {1, 1, 0};
    double chi = 0;
    for (int i = 0; i < 3; ++i) chi += (counts[i] - 2 * table[i]) * (counts[i] - 2 * table[i]) / (2 * table[i]);
    EXPECT_NEAR(chi, 0.596953, kPrinted);
    EXPECT_NEAR(std::exp(-chi / 2), 0.741948, kPrinted);

    std::vector<uint8_t> e(Million(Constant::E).begin(), Million(Constant::E).begin() + 100000);
    r = RankTest(e);
    EXPECT_EQ(r.nMatrices, 97u);
    EXPECT_EQ(r.nFull, 23u);
    EXPECT_EQ(r.nOneLess, 60u);
    EXPECT_NEAR(r.probabilities[0], 0.288788, kPrinted);
    EXPECT_NEAR(r.probabilities[1], 0.577576, kPrinted);
    EXPECT_NEAR(r.dChiSquare, 1.2619656, 1e-7);
    EXPECT_NEAR(r.dPValue, 0.532069, kPrinted);
}

TEST(RandomnessWorkedExamples, DiscreteFourierTransformCountsThePeaksTheDefinitionGives) {
    DftResult r = DftTest(B("1001010011"));
    EXPECT_EQ(r.nBelow, 5u);  // printed: 4
    EXPECT_DOUBLE_EQ(r.dExpected, 4.75);
    EXPECT_NEAR(r.dD, 0.725476, kPrinted);
    EXPECT_NEAR(r.dPValue, 0.468160, kPrinted);
    r = DftTest(kE100);
    EXPECT_EQ(r.nBelow, 48u);  // printed: 46
    EXPECT_NEAR(r.dThreshold, 17.308184, kPrinted);
    EXPECT_NEAR(r.dD, 0.458831, kPrinted);
    EXPECT_NEAR(r.dPValue, 0.646355, kPrinted);
}

TEST(RandomnessWorkedExamples, Serial) {
    SerialResult r = SerialTest(B("0011011101"), 3);
    EXPECT_NEAR(r.psi[0], 2.8, 1e-12);
    EXPECT_NEAR(r.psi[1], 1.2, 1e-12);
    EXPECT_NEAR(r.psi[2], 0.4, 1e-12);
    EXPECT_NEAR(r.dDelta, 1.6, 1e-12);
    EXPECT_NEAR(r.dDelta2, 0.8, 1e-12);
    EXPECT_NEAR(r.dPValue1, 0.808792, kPrinted);  // printed in the example: 0.9057
    EXPECT_NEAR(r.dPValue2, 0.670320, kPrinted);  // printed in the example: 0.8805
    r = SerialTest(Million(Constant::E), 2);
    EXPECT_NEAR(r.psi[0], 0.343128, kPrinted);
    EXPECT_NEAR(r.psi[1], 0.003364, kPrinted);
    EXPECT_NEAR(r.dDelta, 0.339764, kPrinted);
    EXPECT_NEAR(r.dDelta2, 0.336400, kPrinted);
    EXPECT_NEAR(r.dPValue1, 0.843764, kPrinted);
    EXPECT_NEAR(r.dPValue2, 0.561915, kPrinted);
}

TEST(RandomnessWorkedExamples, ApproximateEntropy) {
    ApproximateEntropyResult r = ApproximateEntropyTest(B("0100110101"), 3);
    EXPECT_NEAR(r.phi[0], -1.643418, kPrinted);
    EXPECT_NEAR(r.phi[1], -1.834372, kPrinted);
    EXPECT_NEAR(r.dApEn, 0.190954, kPrinted);
    EXPECT_NEAR(r.dChiSquare, 10.043859, kPrinted);  // printed: 0.502193, the bracket alone
    EXPECT_NEAR(r.dPValue, 0.261961, kPrinted);
    r = ApproximateEntropyTest(kE100, 2);
    EXPECT_NEAR(r.dApEn, 0.665393, kPrinted);
    EXPECT_NEAR(r.dChiSquare, 5.550792, kPrinted);
    EXPECT_NEAR(r.dPValue, 0.235301, kPrinted);
}

TEST(RandomnessWorkedExamples, CumulativeSumsForwardAndBackward) {
    CusumResult r = CumulativeSumsTest(B("1011010111"), false);
    EXPECT_EQ(r.nMaxExcursion, 4);
    EXPECT_NEAR(r.dPValue, 0.4116588, 1e-6);
    EXPECT_NEAR(r.dPValue, 0.4116586, 1e-7);
    r = CumulativeSumsTest(kE100, false);
    EXPECT_EQ(r.nMaxExcursion, 16);
    EXPECT_NEAR(r.dPValue, 0.219194, kPrinted);
    r = CumulativeSumsTest(kE100, true);
    EXPECT_EQ(r.nMaxExcursion, 19);
    EXPECT_NEAR(r.dPValue, 0.114866, kPrinted);
}

TEST(RandomnessAppendix, FirstMillionBitsOfFourConstants) {
    // Block frequency M = 128, serial m = 16, approximate entropy m = 10, as the appendix runs them.
    struct Row {
        Constant c;
        const char* name;
        double frequency, block, cusumForward, cusumBackward, runs, longestRun, rank, dft, entropy, serial;
    } rows[] = {
        {Constant::E, "e", 0.953749, 0.211072, 0.669887, 0.724266, 0.561917, 0.718945, 0.306156, 0.847187, 0.700073, 0.766182},
        {Constant::Pi, "pi", 0.578211, 0.380615, 0.628308, 0.663369, 0.419268, 0.024390, 0.083553, 0.010186, 0.361595, 0.143005},
        {Constant::Sqrt2, "sqrt 2", 0.811881, 0.833222, 0.879009, 0.957206, 0.313427, 0.012117, 0.823810, 0.581909, 0.884740, 0.861925},
        {Constant::Sqrt3, "sqrt 3", 0.610051, 0.473961, 0.917121, 0.689519, 0.261123, 0.446726, 0.314498, 0.776046, 0.180481, 0.157500},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::vector<uint8_t>& bits = Million(row.c);
        // The e cells of the cumulative sums are one off in the sixth decimal.
        const double cusum = row.c == Constant::E ? 2e-6 : kPrinted;
        EXPECT_NEAR(FrequencyTest(bits).dPValue, row.frequency, kPrinted);
        EXPECT_NEAR(BlockFrequencyTest(bits, 128).dPValue, row.block, kPrinted);
        EXPECT_NEAR(CumulativeSumsTest(bits, false).dPValue, row.cusumForward, cusum);
        EXPECT_NEAR(CumulativeSumsTest(bits, true).dPValue, row.cusumBackward, cusum);
        EXPECT_NEAR(RunsTest(bits).dPValue, row.runs, kPrinted);
        EXPECT_NEAR(LongestRunTest(bits).dPValue, row.longestRun, kPrinted);
        EXPECT_NEAR(RankTest(bits).dPValue, row.rank, kPrinted);
        EXPECT_NEAR(DftTest(bits).dPValue, row.dft, kPrinted);
        EXPECT_NEAR(ApproximateEntropyTest(bits, 10).dPValue, row.entropy, kPrinted);
        EXPECT_NEAR(SerialTest(bits, 16).dPValue1, row.serial, kPrinted);
    }
    // Intermediates of e, and the values the exact longest-run probabilities and the second
    // serial P-value give.
    const std::vector<uint8_t>& e = Million(Constant::E);
    EXPECT_EQ(FrequencyTest(e).nSum, 58);
    EXPECT_EQ(RunsTest(e).nRuns, 499710u);
    EXPECT_EQ(DftTest(e).nBelow, 475021u);
    EXPECT_EQ(CumulativeSumsTest(e, false).nMaxExcursion, 956);
    EXPECT_EQ(CumulativeSumsTest(e, true).nMaxExcursion, 898);
    EXPECT_NEAR(LongestRunTest(e, RunTable::Exact).dPValue, 0.718366, kPrinted);
    EXPECT_EQ(LongestRunTest(e).counts, (std::vector<size_t>{11, 18, 23, 16, 16, 9, 7}));
    EXPECT_NEAR(SerialTest(e, 16).dPValue2, 0.462921, kPrinted);
    EXPECT_NEAR(ApproximateEntropyTest(e, 10).dChiSquare, 999.784330, kPrinted);
}
