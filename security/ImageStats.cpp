// Histograms, chi-square, entropy, local entropy and the correlation of neighbours, with what a
// cipher giving uniform random values would show.
#include "security/ImageStats.h"

#include <cmath>
#include <limits>

#include "security/Randomness.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The probabilities of Binomial(n, p) from k = nLow on, normalised, the negligible tails left out.
// Built outwards from the mode by the ratio of neighbouring terms, then scaled to sum 1: no
// factorial of n is ever formed, so n may be in the millions.
struct Pmf {
    uint64_t nLow = 0;
    std::vector<double> p;
};

Pmf BinomialPmf(uint64_t n, double p) {
    constexpr double kNegligible = 1e-30;  // of the largest term
    const double odds = p / (1.0 - p);
    const uint64_t mode = std::min<uint64_t>(n, uint64_t(std::floor(double(n + 1) * p)));
    std::vector<double> up{1.0}, down;
    double v = 1.0;
    for (uint64_t k = mode; k < n; ++k) {
        v *= double(n - k) / double(k + 1) * odds;
        if (v < kNegligible) break;
        up.push_back(v);
    }
    v = 1.0;
    for (uint64_t k = mode; k > 0; --k) {
        v *= double(k) / double(n - k + 1) / odds;
        if (v < kNegligible) break;
        down.push_back(v);
    }
    Pmf pmf;
    pmf.nLow = mode - down.size();
    pmf.p.assign(down.rbegin(), down.rend());
    pmf.p.insert(pmf.p.end(), up.begin(), up.end());
    double sum = 0;
    for (double x : pmf.p) sum += x;
    for (double& x : pmf.p) x /= sum;
    return pmf;
}

// One bin's share of the entropy of T values when it holds n of them.
double BinEntropy(uint64_t n, uint64_t nTotal) {
    if (n == 0) return 0.0;
    double p = double(n) / double(nTotal);
    return -p * std::log2(p);
}

double BinMean(const Pmf& pmf, uint64_t nTotal) {
    double mean = 0;
    for (size_t i = 0; i < pmf.p.size(); ++i) mean += pmf.p[i] * BinEntropy(pmf.nLow + i, nTotal);
    return mean;
}

double Correlation(uint64_t n, uint64_t sx, uint64_t sy, uint64_t sxx, uint64_t syy, uint64_t sxy) {
    // N^2 cov and N^2 D exactly in integers, so the one rounding is in the quotient.
    const __int128 N = n, cov = N * sxy - __int128(sx) * sy;
    const __int128 dx = N * sxx - __int128(sx) * sx, dy = N * syy - __int128(sy) * sy;
    if (n == 0 || dx == 0 || dy == 0) return kNaN;
    return double(cov) / std::sqrt(double(dx) * double(dy));
}

}  // namespace

bool GetPlanes(const CDib& dib, ImagePlanes& out) {
    out = ImagePlanes();
    const int nBits = dib.m_nBitCount;
    if (!dib.m_lpBits || dib.m_nWidth <= 0 || dib.m_nHeight <= 0 || (nBits != 8 && nBits != 24)) return false;
    out.nWidth = dib.m_nWidth;
    out.nHeight = dib.m_nHeight;
    const int nChannels = nBits == 8 ? 1 : 3;
    out.names = nChannels == 1 ? std::vector<std::string>{"index"} : std::vector<std::string>{"red", "green", "blue"};
    out.planes.assign(nChannels, std::vector<BYTE>(out.Pixels()));
    for (int y = 0; y < out.nHeight; ++y) {
        const BYTE* row = dib.PictureRow(y);
        for (int c = 0; c < nChannels; ++c) {
            // A 24-bit pixel is stored blue, green, red.
            const int nOffset = nChannels == 1 ? 0 : 2 - c;
            BYTE* to = out.planes[c].data() + size_t(y) * size_t(out.nWidth);
            for (int x = 0; x < out.nWidth; ++x) to[x] = row[x * nChannels + nOffset];
        }
    }
    return true;
}

void PutPlanes(const ImagePlanes& planes, CDib& dib) {
    const int nChannels = int(planes.planes.size());
    for (int y = 0; y < planes.nHeight; ++y) {
        BYTE* row = dib.PictureRow(y);
        for (int c = 0; c < nChannels; ++c) {
            const int nOffset = nChannels == 1 ? 0 : 2 - c;
            const BYTE* from = planes.planes[c].data() + size_t(y) * size_t(planes.nWidth);
            for (int x = 0; x < planes.nWidth; ++x) row[x * nChannels + nOffset] = from[x];
        }
    }
}

Histogram CountValues(std::span<const BYTE> plane) {
    Histogram h{};
    for (BYTE v : plane) ++h[v];
    return h;
}

static uint64_t Total(const Histogram& h) {
    uint64_t n = 0;
    for (uint64_t c : h) n += c;
    return n;
}

double ChiSquareUniform(const Histogram& h) {
    const double e = double(Total(h)) / 256.0;
    double chi = 0;
    for (uint64_t o : h) {
        double d = double(o) - e;
        chi += d * d / e;
    }
    return chi;
}

double ChiSquareCritical(double dAlpha) { return ChiSquareUpperQuantile(255.0, dAlpha); }
double ChiSquarePValue(double dChiSquare) { return GammaQ(255.0 / 2.0, dChiSquare / 2.0); }

double Entropy(const Histogram& h) {
    const uint64_t n = Total(h);
    double H = 0;
    for (uint64_t o : h) H += BinEntropy(o, n);
    return H;
}

double ExpectedEntropy(uint64_t nPixels) {
    if (nPixels == 0) return 0.0;
    return 256.0 * BinMean(BinomialPmf(nPixels, 1.0 / 256.0), nPixels);
}

double EntropySigma(uint64_t nPixels) {
    if (nPixels == 0) return 0.0;
    // Var H = 256 Var h + 256 x 255 Cov(h_1, h_2), h_i the share of bin i; the counts of two
    // bins are bound together (they sum to at most T): given a in the first, the second holds
    // Binomial(T - a, p / (1 - p)).
    const double p = 1.0 / 256.0;
    const Pmf pmf = BinomialPmf(nPixels, p);
    const double mean = BinMean(pmf, nPixels);
    double var = 0, cov = 0;
    for (size_t i = 0; i < pmf.p.size(); ++i) {
        const uint64_t a = pmf.nLow + i;
        const double da = BinEntropy(a, nPixels) - mean;
        var += pmf.p[i] * da * da;
        const Pmf given = BinomialPmf(nPixels - a, p / (1.0 - p));
        double inner = 0;
        for (size_t j = 0; j < given.p.size(); ++j) inner += given.p[j] * (BinEntropy(given.nLow + j, nPixels) - mean);
        cov += pmf.p[i] * da * inner;
    }
    return std::sqrt(256.0 * var + 256.0 * 255.0 * cov);
}

double EntropyCritical(uint64_t nPixels, double dAlpha) {
    return 8.0 - ChiSquareUpperQuantile(255.0, dAlpha) / (2.0 * double(nPixels) * std::log(2.0));
}

LocalEntropyResult LocalEntropy(std::span<const BYTE> plane, int nWidth, const std::vector<int>& lefts,
                                const std::vector<int>& tops, int nSide) {
    LocalEntropyResult r;
    r.nSide = nSide;
    r.lefts = lefts;
    r.tops = tops;
    double sum = 0;
    for (size_t b = 0; b < lefts.size(); ++b) {
        Histogram h{};
        for (int y = tops[b]; y < tops[b] + nSide; ++y) {
            const BYTE* row = plane.data() + size_t(y) * size_t(nWidth) + size_t(lefts[b]);
            for (int x = 0; x < nSide; ++x) ++h[row[x]];
        }
        r.values.push_back(Entropy(h));
        sum += r.values.back();
    }
    r.dMean = lefts.empty() ? kNaN : sum / double(lefts.size());
    return r;
}

Interval LocalEntropyInterval(int nBlocks, uint64_t nBlockPixels, double dAlpha) {
    const double mean = ExpectedEntropy(nBlockPixels);
    const double half = -NormalQuantile(dAlpha / 2.0) * EntropySigma(nBlockPixels) / std::sqrt(double(nBlocks));
    return {mean - half, mean + half};
}

const char* GetNeighbourName(Neighbour n) {
    switch (n) {
        case Neighbour::Horizontal: return "horizontal";
        case Neighbour::Vertical: return "vertical";
        case Neighbour::Diagonal: return "diagonal";
    }
    return "?";
}
int NeighbourDx(Neighbour n) { return n == Neighbour::Vertical ? 0 : 1; }
int NeighbourDy(Neighbour n) { return n == Neighbour::Horizontal ? 0 : 1; }

double CorrelationAll(std::span<const BYTE> plane, int nWidth, int nHeight, Neighbour n) {
    const int dx = NeighbourDx(n), dy = NeighbourDy(n);
    uint64_t N = 0, sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;
    for (int y = 0; y + dy < nHeight; ++y) {
        const BYTE* a = plane.data() + size_t(y) * size_t(nWidth);
        const BYTE* b = a + size_t(dy) * size_t(nWidth) + size_t(dx);
        uint64_t rx = 0, ry = 0, rxx = 0, ryy = 0, rxy = 0;
        for (int x = 0; x + dx < nWidth; ++x) {
            const uint64_t u = a[x], v = b[x];
            rx += u;
            ry += v;
            rxx += u * u;
            ryy += v * v;
            rxy += u * v;
        }
        N += uint64_t(nWidth - dx);
        sx += rx, sy += ry, sxx += rxx, syy += ryy, sxy += rxy;
    }
    return Correlation(N, sx, sy, sxx, syy, sxy);
}

double CorrelationOf(std::span<const BYTE> plane, int nWidth, Neighbour n, const std::vector<uint32_t>& firsts) {
    const size_t offset = size_t(NeighbourDy(n)) * size_t(nWidth) + size_t(NeighbourDx(n));
    uint64_t sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;
    for (uint32_t i : firsts) {
        const uint64_t u = plane[i], v = plane[i + offset];
        sx += u, sy += v, sxx += u * u, syy += v * v, sxy += u * v;
    }
    return Correlation(firsts.size(), sx, sy, sxx, syy, sxy);
}

double CorrelationBound(uint64_t nPairs, double dAlpha) {
    return -NormalQuantile(dAlpha / 2.0) / std::sqrt(double(nPairs));
}
