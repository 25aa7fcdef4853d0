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

double NormalQuantile(double p) {
    if (!(p > 0.0 && p < 1.0)) return std::numeric_limits<double>::quiet_NaN();
    // Worked in the lower tail, where erfc keeps its relative precision; the upper is its mirror.
    if (p > 0.5) return -NormalQuantile(1.0 - p);
    // A rational approximation good to about 1e-9 as the start ...
    static const double a[] = {-3.969683028665376e+01, 2.209460984245205e+02, -2.759285104469687e+02,
                               1.383577518672690e+02, -3.066479806614716e+01, 2.506628277459239e+00};
    static const double b[] = {-5.447609879822406e+01, 1.615858368580409e+02, -1.556989798598866e+02,
                               6.680131188771972e+01, -1.328068155288572e+01};
    static const double c[] = {-7.784894002430293e-03, -3.223964580411365e-01, -2.400758277161838e+00,
                               -2.549732539343734e+00, 4.374664141464968e+00, 2.938163982698783e+00};
    static const double d[] = {7.784695709041462e-03, 3.224671290700398e-01, 2.445134137142996e+00, 3.754408661907416e+00};
    double x;
    if (p < 0.02425) {
        double q = std::sqrt(-2.0 * std::log(p));
        x = (((((c[0] * q + c[1]) * q + c[2]) * q + c[3]) * q + c[4]) * q + c[5]) /
            ((((d[0] * q + d[1]) * q + d[2]) * q + d[3]) * q + 1.0);
    } else {
        double q = p - 0.5, r = q * q;
        x = (((((a[0] * r + a[1]) * r + a[2]) * r + a[3]) * r + a[4]) * r + a[5]) * q /
            (((((b[0] * r + b[1]) * r + b[2]) * r + b[3]) * r + b[4]) * r + 1.0);
    }
    // ... then Halley's steps on the distribution function itself to the last bit.
    for (int i = 0; i < 3; ++i) {
        double e = NormalCdf(x) - p;
        double u = e * std::sqrt(2.0 * M_PI) * std::exp(x * x / 2.0);
        x -= u / (1.0 + x * u / 2.0);
    }
    return x;
}

double ChiSquareUpperQuantile(double df, double alpha) {
    if (!(df > 0.0) || !(alpha > 0.0 && alpha < 1.0)) return std::numeric_limits<double>::quiet_NaN();
    // Q falls from 1 to 0 as x grows: bisection on a bracket widened until it holds the answer.
    double lo = 0.0, hi = df + 10.0 * std::sqrt(2.0 * df) + 10.0;
    while (GammaQ(df / 2.0, hi / 2.0) > alpha) hi *= 2.0;
    for (int i = 0; i < 200; ++i) {
        double mid = 0.5 * (lo + hi);
        if (mid <= lo || mid >= hi) break;
        (GammaQ(df / 2.0, mid / 2.0) > alpha ? lo : hi) = mid;
    }
    return 0.5 * (lo + hi);
}
