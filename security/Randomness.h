// Statistical tests of randomness on a sequence of bits (one bit per byte, 0 or 1), the nine of
// the usual suite that apply to a key stream of any length: frequency, frequency within blocks,
// runs, longest run of ones, binary matrix rank, discrete Fourier transform, serial, approximate
// entropy and cumulative sums.  Each gives a P-value; a sequence passes at P >= 0.01.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

// ---- probability functions (Probability.cpp) ----

// ln Gamma(a) for a > 0.  Unlike std::lgamma it writes no global sign, so threads may share it.
double LogGamma(double a);
// The regularised incomplete gamma functions P(a, x) and Q(a, x) = 1 - P(a, x), a > 0, x >= 0.
double GammaP(double a, double x);
double GammaQ(double a, double x);
// The standard normal distribution function.
double NormalCdf(double x);
// Its inverse: z with NormalCdf(z) = p, 0 < p < 1, to full double precision.
double NormalQuantile(double p);
// The chi-square value that df degrees of freedom exceed with probability alpha (0 < alpha < 1):
// x with GammaQ(df / 2, x / 2) = alpha.
double ChiSquareUpperQuantile(double df, double alpha);

// ---- discrete Fourier transform (Dft.cpp) ----

// |X_j| for j < nCount, where X is the DFT of the real sequence x of any length:
// X_j = sum over k of x_k e^(-2 pi i j k / n).  Lengths that are not powers of two go through a
// power-of-two transform of at least twice the length.
std::vector<double> DftMagnitudes(std::span<const double> x, size_t nCount);

// ---- the tests (RandomnessTests.cpp) ----

using Bits = std::span<const uint8_t>;

struct FrequencyResult {
    long long nSum = 0;  // ones minus zeros
    double dPValue = 0;
};
FrequencyResult FrequencyTest(Bits bits);

struct BlockFrequencyResult {
    size_t nBlocks = 0;  // whole blocks of nBlockBits; the bits after the last are not used
    double dChiSquare = 0;
    double dPValue = 0;
};
BlockFrequencyResult BlockFrequencyTest(Bits bits, size_t nBlockBits);

struct RunsResult {
    double dOnes = 0;        // share of ones
    size_t nRuns = 0;
    bool bApplicable = false;  // the share of ones is close enough to one half; else P is 0
    double dPValue = 0;
};
RunsResult RunsTest(Bits bits);

// Class probabilities of the longest run: the four-decimal tables everyone publishes, or the exact
// ones (the tables round them, which moves P-values in the fourth decimal).
enum class RunTable { Published, Exact };
struct LongestRunResult {
    size_t nBlockBits = 0;         // 8, 128 or 10,000 by the length
    std::vector<size_t> counts;    // blocks per class of longest run, shortest class first
    std::vector<double> probabilities;
    double dChiSquare = 0;
    double dPValue = 0;
};
// Needs at least 128 bits (nBlockBits stays 0 below).
LongestRunResult LongestRunTest(Bits bits, RunTable table = RunTable::Published);
// The chance that the longest run of ones in nBits random bits is at most nRun.
double LongestRunAtMost(size_t nBits, size_t nRun);

struct RankResult {
    size_t nMatrices = 0;
    size_t nFull = 0, nOneLess = 0;  // matrices of full rank, and of full rank minus one
    std::array<double, 3> probabilities{};  // of full, one less, and lower rank
    double dChiSquare = 0;
    double dPValue = 0;
};
// nRows x nCols matrices filled row by row from consecutive bits.
RankResult RankTest(Bits bits, int nRows = 32, int nCols = 32);
// The chance that a random nRows x nCols matrix over GF(2) has rank r.
double RankProbability(int nRows, int nCols, int r);

struct DftResult {
    double dThreshold = 0;  // sqrt(ln(1 / 0.05) n)
    double dExpected = 0;   // N0: 0.95 n / 2 peaks below the threshold
    size_t nBelow = 0;      // N1: peaks |X_j|, j < n / 2, below it
    double dD = 0;
    double dPValue = 0;
};
DftResult DftTest(Bits bits);

struct SerialResult {
    std::array<double, 3> psi{};  // psi^2 for m, m - 1, m - 2 bits
    double dDelta = 0, dDelta2 = 0;
    double dPValue1 = 0, dPValue2 = 0;
};
SerialResult SerialTest(Bits bits, int m);

struct ApproximateEntropyResult {
    std::array<double, 2> phi{};  // for m and m + 1 bits
    double dApEn = 0;
    double dChiSquare = 0;
    double dPValue = 0;
};
ApproximateEntropyResult ApproximateEntropyTest(Bits bits, int m);

struct CusumResult {
    long long nMaxExcursion = 0;  // z: the largest absolute partial sum
    double dPValue = 0;
};
CusumResult CumulativeSumsTest(Bits bits, bool bBackward);

// ---- the suite on key streams (RandomnessSuite.cpp) ----

// Parameters for n bits, as the tests recommend: blocks of at least 20 bits and more than 1 % of
// the sequence (fewer than 100 blocks); serial m < log2 n - 2 and approximate entropy
// m < log2 n - 5, at most 16 and 10.
struct SuiteParameters {
    size_t nBlockBits = 128;
    int nSerialBits = 16;
    int nEntropyBits = 10;
};
SuiteParameters ChooseParameters(size_t nBits);

// One P-value of a test; the serial test and the cumulative sums give two.
struct SuiteOutcome {
    std::string name;       // "frequency", "serial 1", ...
    std::string parameter;  // "M = 128", "m = 16", or ""
    bool bApplicable = false;  // the sequence is long enough
    double dPValue = 0;
};
constexpr double kAlpha = 0.01;
std::vector<SuiteOutcome> RunSuite(Bits bits, const SuiteParameters& params);

// Many sequences: per test, the share passing and whether it lies in the band
// p +- 3 sqrt(p (1 - p) / m), p = 1 - alpha, m sequences; and whether the P-values are uniform
// (ten bins, chi-square, uniform at P >= 0.0001; needs at least 55 sequences).
struct SuiteSummary {
    std::string name, parameter;
    size_t nSequences = 0;   // those the test applied to
    size_t nPassed = 0;
    double dLow = 0, dHigh = 0;  // the acceptance band of the share passing
    bool bProportionOk = false;
    std::array<size_t, 10> bins{};  // P-values in [0, 0.1), [0.1, 0.2), ...
    double dUniformity = 0;  // P-value of the bins' chi-square; NaN below 55 sequences
    bool bUniformityOk = false;
};
std::vector<SuiteSummary> SummariseSuite(const std::vector<std::vector<SuiteOutcome>>& runs);

std::string SuiteTable(const std::vector<SuiteOutcome>& outcomes);
std::string SummaryTable(const std::vector<SuiteSummary>& summary);
nlohmann::json SuiteJson(const std::vector<SuiteOutcome>& outcomes);
nlohmann::json SummaryJson(const std::vector<SuiteSummary>& summary);
