// The nine tests.  Counts are kept in integers and turned into double only for the statistic, so
// the statistics do not depend on the order of summation; the formulas follow the published
// definitions, evaluated left to right.
#include <algorithm>
#include <cmath>

#include "security/Randomness.h"

namespace {

// Counts of the overlapping m-bit patterns of the sequence read as a circle (the first m - 1
// bits appended at the end); a pattern's first bit is its most significant.
std::vector<uint64_t> CircularPatternCounts(Bits bits, int m) {
    std::vector<uint64_t> counts(size_t(1) << m, 0);
    const size_t n = bits.size();
    if (n == 0 || m == 0) {
        counts[0] = n;
        return counts;
    }
    const uint32_t mask = uint32_t((uint64_t(1) << m) - 1);
    uint32_t pattern = 0;
    for (int i = 0; i < m - 1; ++i) pattern = (pattern << 1) | bits[size_t(i) % n];
    for (size_t i = 0; i < n; ++i) {
        pattern = ((pattern << 1) | bits[(i + size_t(m) - 1) % n]) & mask;
        ++counts[pattern];
    }
    return counts;
}

// Halves the pattern length: on a circle every (m - 1)-bit pattern is followed by some bit.
std::vector<uint64_t> Marginal(const std::vector<uint64_t>& counts) {
    std::vector<uint64_t> shorter(counts.size() / 2);
    for (size_t p = 0; p < shorter.size(); ++p) shorter[p] = counts[2 * p] + counts[2 * p + 1];
    return shorter;
}

// psi^2 = 2^m / n sum of counts^2 - n.
double Psi(const std::vector<uint64_t>& counts, size_t n) {
    if (counts.size() < 2) return 0.0;  // m <= 0
    uint64_t nSquares = 0;
    for (uint64_t c : counts) nSquares += c * c;
    return double(counts.size()) / double(n) * double(nSquares) - double(n);
}

double Phi(const std::vector<uint64_t>& counts, size_t n) {
    if (counts.size() < 2) return 0.0;
    double sum = 0.0;
    for (uint64_t c : counts) {
        if (c == 0) continue;
        double share = double(c) / double(n);
        sum += share * std::log(share);
    }
    return sum;
}

double ChiSquare(const std::vector<size_t>& counts, const std::vector<double>& probabilities, size_t n) {
    double chi = 0.0;
    for (size_t i = 0; i < counts.size(); ++i) {
        double expected = double(n) * probabilities[i];
        chi += (double(counts[i]) - expected) * (double(counts[i]) - expected) / expected;
    }
    return chi;
}

// Rank over GF(2) of rows of at most 64 bits.
int Rank(std::vector<uint64_t> rows, int nCols) {
    int rank = 0;
    for (int col = 0; col < nCols && rank < int(rows.size()); ++col) {
        const uint64_t bit = uint64_t(1) << col;
        size_t pivot = size_t(rank);
        while (pivot < rows.size() && !(rows[pivot] & bit)) ++pivot;
        if (pivot == rows.size()) continue;
        std::swap(rows[size_t(rank)], rows[pivot]);
        for (size_t r = 0; r < rows.size(); ++r)
            if (r != size_t(rank) && (rows[r] & bit)) rows[r] ^= rows[size_t(rank)];
        ++rank;
    }
    return rank;
}

struct RunClasses {
    size_t nBlockBits;
    size_t nShortest, nLongest;  // longest runs up to nShortest and from nLongest on share a class
    std::vector<double> published;
};

const RunClasses kRunClasses[] = {
    {8, 1, 4, {0.2148, 0.3672, 0.2305, 0.1875}},
    {128, 4, 9, {0.1174, 0.2430, 0.2493, 0.1752, 0.1027, 0.1124}},
    {10000, 10, 16, {0.0882, 0.2092, 0.2483, 0.1933, 0.1208, 0.0675, 0.0727}},
};

}  // namespace

FrequencyResult FrequencyTest(Bits bits) {
    FrequencyResult r;
    for (uint8_t b : bits) r.nSum += b ? 1 : -1;
    const double n = double(bits.size());
    r.dPValue = std::erfc(double(std::llabs(r.nSum)) / std::sqrt(n) / std::sqrt(2.0));
    return r;
}

BlockFrequencyResult BlockFrequencyTest(Bits bits, size_t nBlockBits) {
    BlockFrequencyResult r;
    if (nBlockBits == 0) return r;
    r.nBlocks = bits.size() / nBlockBits;
    // 4 M (ones / M - 1/2)^2 = (2 ones - M)^2 / M.
    uint64_t nSquares = 0;
    for (size_t b = 0; b < r.nBlocks; ++b) {
        long long nOnes = 0;
        for (size_t i = 0; i < nBlockBits; ++i) nOnes += bits[b * nBlockBits + i];
        long long d = 2 * nOnes - (long long)nBlockBits;
        nSquares += uint64_t(d * d);
    }
    r.dChiSquare = double(nSquares) / double(nBlockBits);
    r.dPValue = GammaQ(double(r.nBlocks) / 2.0, r.dChiSquare / 2.0);
    return r;
}

RunsResult RunsTest(Bits bits) {
    RunsResult r;
    const size_t n = bits.size();
    if (n == 0) return r;
    size_t nOnes = 0;
    for (uint8_t b : bits) nOnes += b;
    r.dOnes = double(nOnes) / double(n);
    r.nRuns = 1;
    for (size_t i = 1; i < n; ++i) r.nRuns += bits[i] != bits[i - 1];
    // Too far from one half and the runs say nothing more than the frequency test.
    r.bApplicable = !(std::fabs(r.dOnes - 0.5) > 2.0 / std::sqrt(double(n)));
    if (!r.bApplicable) return r;
    const double pq = r.dOnes * (1.0 - r.dOnes);
    r.dPValue = std::erfc(std::fabs(double(r.nRuns) - 2.0 * double(n) * pq) / (2.0 * std::sqrt(2.0 * double(n)) * pq));
    return r;
}

double LongestRunAtMost(size_t nBits, size_t nRun) {
    // ways[j]: the chance that the bits so far end in a run of exactly j ones, none above nRun.
    std::vector<double> ways(nRun + 1, 0.0), next(nRun + 1);
    ways[0] = 1.0;
    for (size_t i = 0; i < nBits; ++i) {
        double total = 0.0;
        for (double w : ways) total += w;
        next[0] = total / 2.0;
        for (size_t j = 1; j <= nRun; ++j) next[j] = ways[j - 1] / 2.0;
        ways.swap(next);
    }
    double total = 0.0;
    for (double w : ways) total += w;
    return total;
}

LongestRunResult LongestRunTest(Bits bits, RunTable table) {
    LongestRunResult r;
    const size_t n = bits.size();
    if (n < 128) return r;
    const RunClasses& classes = n < 6272 ? kRunClasses[0] : n < 750000 ? kRunClasses[1] : kRunClasses[2];
    r.nBlockBits = classes.nBlockBits;
    const size_t nClasses = classes.nLongest - classes.nShortest + 1, nBlocks = n / r.nBlockBits;
    r.counts.assign(nClasses, 0);
    for (size_t b = 0; b < nBlocks; ++b) {
        size_t nRun = 0, nLongest = 0;
        for (size_t i = 0; i < r.nBlockBits; ++i) {
            nRun = bits[b * r.nBlockBits + i] ? nRun + 1 : 0;
            nLongest = std::max(nLongest, nRun);
        }
        nLongest = std::clamp(nLongest, classes.nShortest, classes.nLongest);
        ++r.counts[nLongest - classes.nShortest];
    }
    if (table == RunTable::Published) {
        r.probabilities = classes.published;
    } else {
        double below = 0.0;
        for (size_t c = 0; c + 1 < nClasses; ++c) {
            double atMost = LongestRunAtMost(r.nBlockBits, classes.nShortest + c);
            r.probabilities.push_back(atMost - below);
            below = atMost;
        }
        r.probabilities.push_back(1.0 - below);
    }
    r.dChiSquare = ChiSquare(r.counts, r.probabilities, nBlocks);
    r.dPValue = GammaQ(double(nClasses - 1) / 2.0, r.dChiSquare / 2.0);
    return r;
}

double RankProbability(int nRows, int nCols, int r) {
    // 2^(r (M + Q - r) - M Q) times the product over i < r of
    // (1 - 2^(i - Q)) (1 - 2^(i - M)) / (1 - 2^(i - r)).
    double product = 1.0;
    for (int i = 0; i < r; ++i)
        product *= (1.0 - std::ldexp(1.0, i - nCols)) * (1.0 - std::ldexp(1.0, i - nRows)) / (1.0 - std::ldexp(1.0, i - r));
    return std::ldexp(product, r * (nRows + nCols - r) - nRows * nCols);
}

RankResult RankTest(Bits bits, int nRows, int nCols) {
    RankResult r;
    if (nRows < 1 || nCols < 1 || nCols > 64) return r;
    const size_t nMatrixBits = size_t(nRows) * size_t(nCols);
    r.nMatrices = bits.size() / nMatrixBits;
    const int nFull = std::min(nRows, nCols);
    std::vector<uint64_t> rows(static_cast<size_t>(nRows), 0);
    for (size_t m = 0; m < r.nMatrices; ++m) {
        const uint8_t* p = bits.data() + m * nMatrixBits;
        for (int i = 0; i < nRows; ++i) {
            uint64_t row = 0;
            for (int j = 0; j < nCols; ++j) row |= uint64_t(p[size_t(i) * size_t(nCols) + size_t(j)] & 1) << j;
            rows[size_t(i)] = row;
        }
        int rank = Rank(rows, nCols);
        r.nFull += rank == nFull;
        r.nOneLess += rank == nFull - 1;
    }
    r.probabilities[0] = RankProbability(nRows, nCols, nFull);
    r.probabilities[1] = RankProbability(nRows, nCols, nFull - 1);
    r.probabilities[2] = 1.0 - r.probabilities[0] - r.probabilities[1];
    if (r.nMatrices == 0) return r;
    r.dChiSquare = ChiSquare({r.nFull, r.nOneLess, r.nMatrices - r.nFull - r.nOneLess},
                             {r.probabilities[0], r.probabilities[1], r.probabilities[2]}, r.nMatrices);
    r.dPValue = std::exp(-r.dChiSquare / 2.0);
    return r;
}

DftResult DftTest(Bits bits) {
    DftResult r;
    const size_t n = bits.size();
    if (n < 2) return r;
    std::vector<double> x(n);
    for (size_t i = 0; i < n; ++i) x[i] = bits[i] ? 1.0 : -1.0;
    std::vector<double> peaks = DftMagnitudes(x, n / 2);
    r.dThreshold = std::sqrt(std::log(1.0 / 0.05) * double(n));
    for (double m : peaks) r.nBelow += m < r.dThreshold;
    r.dExpected = 0.95 * double(n) / 2.0;
    r.dD = (double(r.nBelow) - r.dExpected) / std::sqrt(double(n) * 0.95 * 0.05 / 4.0);
    r.dPValue = std::erfc(std::fabs(r.dD) / std::sqrt(2.0));
    return r;
}

SerialResult SerialTest(Bits bits, int m) {
    SerialResult r;
    const size_t n = bits.size();
    if (m < 1 || m > 30 || n == 0) return r;
    std::vector<uint64_t> counts = CircularPatternCounts(bits, m);
    for (int k = 0; k < 3 && m - k >= 1; ++k) {
        r.psi[size_t(k)] = Psi(counts, n);
        counts = Marginal(counts);
    }
    r.dDelta = r.psi[0] - r.psi[1];
    r.dDelta2 = r.psi[0] - 2.0 * r.psi[1] + r.psi[2];
    r.dPValue1 = GammaQ(std::ldexp(1.0, m - 2), r.dDelta / 2.0);
    r.dPValue2 = GammaQ(std::ldexp(1.0, m - 3), r.dDelta2 / 2.0);
    return r;
}

ApproximateEntropyResult ApproximateEntropyTest(Bits bits, int m) {
    ApproximateEntropyResult r;
    const size_t n = bits.size();
    if (m < 0 || m > 29 || n == 0) return r;
    std::vector<uint64_t> longer = CircularPatternCounts(bits, m + 1);
    r.phi[1] = Phi(longer, n);
    r.phi[0] = Phi(Marginal(longer), n);
    r.dApEn = r.phi[0] - r.phi[1];
    r.dChiSquare = 2.0 * double(n) * (std::log(2.0) - r.dApEn);
    r.dPValue = GammaQ(std::ldexp(1.0, m - 1), r.dChiSquare / 2.0);
    return r;
}

CusumResult CumulativeSumsTest(Bits bits, bool bBackward) {
    CusumResult r;
    const long long n = (long long)bits.size();
    if (n == 0) return r;
    long long nSum = 0;
    for (long long i = 0; i < n; ++i) {
        nSum += bits[size_t(bBackward ? n - 1 - i : i)] ? 1 : -1;
        r.nMaxExcursion = std::max(r.nMaxExcursion, std::llabs(nSum));
    }
    // The summation bounds in integers, quotients truncated toward zero.
    const long long z = r.nMaxExcursion;
    const double root = std::sqrt(double(n));
    double sum1 = 0.0, sum2 = 0.0;
    for (long long k = (-n / z + 1) / 4; k <= (n / z - 1) / 4; ++k)
        sum1 += NormalCdf(double(4 * k + 1) * double(z) / root) - NormalCdf(double(4 * k - 1) * double(z) / root);
    for (long long k = (-n / z - 3) / 4; k <= (n / z - 1) / 4; ++k)
        sum2 += NormalCdf(double(4 * k + 3) * double(z) / root) - NormalCdf(double(4 * k + 1) * double(z) / root);
    r.dPValue = 1.0 - sum1 + sum2;
    return r;
}
