// The probability functions behind the P-values, in double precision.  The incomplete gamma
// function is summed as a series below x = a + 1 and as a continued fraction above it, where
// each converges fast; both stop when a term no longer changes the sum.
#include <cmath>
#include <limits>

#include "security/Randomness.h"

namespace {
constexpr double kEpsilon = 1e-16;
constexpr int kMaxTerms = 1000000;  // enough for a up to about 10^10

// x^a e^-x / Gamma(a), the factor both forms share, through logarithms: the parts alone
// overflow long before the product does.
double Prefactor(double a, double x) { return std::exp(a * std::log(x) - x - LogGamma(a)); }

double SeriesP(double a, double x) {
    double ap = a, term = 1.0 / a, sum = term;
    for (int n = 0; n < kMaxTerms; ++n) {
        ap += 1.0;
        term *= x / ap;
        sum += term;
        if (std::fabs(term) < std::fabs(sum) * kEpsilon) break;
    }
    return sum * Prefactor(a, x);
}

// Q(a, x) as the continued fraction 1 / (x + 1 - a - 1 (1 - a) / (x + 3 - a - ...)), evaluated
// from the front by the modified Lentz method.
double FractionQ(double a, double x) {
    const double tiny = std::numeric_limits<double>::min() / kEpsilon;
    double b = x + 1.0 - a, c = 1.0 / tiny, d = 1.0 / b, h = d;
    for (int i = 1; i < kMaxTerms; ++i) {
        double an = -i * (i - a);
        b += 2.0;
        d = an * d + b;
        if (std::fabs(d) < tiny) d = tiny;
        c = b + an / c;
        if (std::fabs(c) < tiny) c = tiny;
        d = 1.0 / d;
        double delta = d * c;
        h *= delta;
        if (std::fabs(delta - 1.0) < kEpsilon) break;
    }
    return h * Prefactor(a, x);
}
}  // namespace

double LogGamma(double a) {
    // Shift up to a >= 10, where Stirling's series to the 1/a^13 term is exact to double precision.
    double shift = 0.0;
    while (a < 10.0) {
        shift += std::log(a);
        a += 1.0;
    }
    const double r = 1.0 / a, r2 = r * r;
    const double series =
        r * (1.0 / 12 - r2 * (1.0 / 360 - r2 * (1.0 / 1260 - r2 * (1.0 / 1680 - r2 * (1.0 / 1188 - r2 * (691.0 / 360360 - r2 / 156.0))))));
    return (a - 0.5) * std::log(a) - a + 0.5 * std::log(2.0 * M_PI) + series - shift;
}

double GammaP(double a, double x) {
    if (!(a > 0.0) || !(x >= 0.0)) return std::numeric_limits<double>::quiet_NaN();
    if (x == 0.0) return 0.0;
    return x < a + 1.0 ? SeriesP(a, x) : 1.0 - FractionQ(a, x);
}

double GammaQ(double a, double x) {
    if (!(a > 0.0) || !(x >= 0.0)) return std::numeric_limits<double>::quiet_NaN();
    if (x == 0.0) return 1.0;
    return x < a + 1.0 ? 1.0 - SeriesP(a, x) : FractionQ(a, x);
}

double NormalCdf(double x) { return 0.5 * std::erfc(-x / std::sqrt(2.0)); }
