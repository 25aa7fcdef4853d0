// How far apart two images are: NPCR and UACI with their critical values, and the encryption
// quality figures between a plain image and its cipher.
#include <cmath>
#include <cstdlib>

#include "security/ImageStats.h"
#include "security/Randomness.h"

DiffMeasure CompareImages(std::span<const BYTE> a, std::span<const BYTE> b) {
    uint64_t nDiffer = 0, nDistance = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        // In int: 8-bit arithmetic would wrap 0 - 255 round to 1.
        const int d = std::abs(int(a[i]) - int(b[i]));
        nDiffer += d != 0;
        nDistance += unsigned(d);
    }
    const double T = double(a.size());
    return {double(nDiffer) / T * 100.0, double(nDistance) / (kMaxValue * T) * 100.0};
}

namespace {
// One row's differing pixels and distances by stored channel, N bytes a pixel.
template <int N>
void CompareRow(const BYTE* p, const BYTE* q, int nWidth, uint64_t* nDiffer, uint64_t* nDistance) {
    for (int x = 0; x < nWidth * N; x += N)
        for (int c = 0; c < N; ++c) {
            const int d = std::abs(int(p[x + c]) - int(q[x + c]));
            nDiffer[c] += d != 0;
            nDistance[c] += unsigned(d);
        }
}
}  // namespace

std::vector<DiffMeasure> CompareImages(const CDib& a, const CDib& b) {
    const int nChannels = a.m_nBitCount / 8;
    uint64_t nDiffer[3] = {}, nDistance[3] = {};
    for (int y = 0; y < a.m_nHeight; ++y) {
        if (nChannels == 1)
            CompareRow<1>(a.PictureRow(y), b.PictureRow(y), a.m_nWidth, nDiffer, nDistance);
        else
            CompareRow<3>(a.PictureRow(y), b.PictureRow(y), a.m_nWidth, nDiffer, nDistance);
    }
    const double T = double(a.m_nWidth) * double(a.m_nHeight);
    std::vector<DiffMeasure> m;
    // Stored blue, green, red; reported red first.
    for (int c = nChannels - 1; c >= 0; --c)
        m.push_back({double(nDiffer[c]) / T * 100.0, double(nDistance[c]) / (kMaxValue * T) * 100.0});
    return m;
}

double NpcrMean() { return kMaxValue / (kMaxValue + 1.0) * 100.0; }
double UaciMean() { return (kMaxValue + 2.0) / (3.0 * kMaxValue + 3.0) * 100.0; }

DiffCritical DifferentialCritical(uint64_t nPixels, double dAlpha) {
    const double F = kMaxValue, T = double(nPixels);
    const double muN = F / (F + 1.0);
    const double sigmaN = std::sqrt(F / ((F + 1.0) * (F + 1.0) * T));
    const double muU = (F + 2.0) / (3.0 * F + 3.0);
    const double sigmaU = std::sqrt((F + 2.0) * (F * F + 2.0 * F + 3.0) / (18.0 * (F + 1.0) * (F + 1.0) * F * T));
    // z(1 - alpha) = -z(alpha), taken in the lower tail where it is most precise.
    const double zN = -NormalQuantile(dAlpha), zU = -NormalQuantile(dAlpha / 2.0);
    DiffCritical c;
    c.dAlpha = dAlpha;
    c.dNpcr = (muN - zN * sigmaN) * 100.0;
    c.dUaciLow = (muU - zU * sigmaU) * 100.0;
    c.dUaciHigh = (muU + zU * sigmaU) * 100.0;
    return c;
}

EncryptionQuality MeasureQuality(std::span<const BYTE> plain, std::span<const BYTE> cipher) {
    EncryptionQuality q;
    const uint64_t nPixels = plain.size();
    const double T = double(nPixels);
    Histogram hPlain{}, hCipher{}, hDistance{};
    uint64_t nSquares = 0;
    double idealSum = 0;
    for (size_t i = 0; i < plain.size(); ++i) {
        const int d = int(plain[i]) - int(cipher[i]);
        nSquares += uint64_t(d * d);
        ++hPlain[plain[i]];
        ++hCipher[cipher[i]];
        ++hDistance[std::abs(d)];
    }
    // A value c uniform on 0..F and independent of p gives E (p - c)^2 = (p - F/2)^2 + ((F+1)^2 - 1) / 12;
    // summed by value, since it depends on p alone.
    for (int v = 0; v < 256; ++v) {
        const double e = double(v) - kMaxValue / 2.0;
        idealSum += double(hPlain[v]) * (e * e);
    }
    q.dMse = double(nSquares) / T;
    q.dPsnr = 10.0 * std::log10(kMaxValue * kMaxValue / q.dMse);
    q.dIdealMse = idealSum / T + ((kMaxValue + 1.0) * (kMaxValue + 1.0) - 1.0) / 12.0;
    q.dIdealPsnr = 10.0 * std::log10(kMaxValue * kMaxValue / q.dIdealMse);
    // The area between the two histograms by the trapezium rule, over T.
    double area = 0;
    for (int v = 0; v < 256; ++v) {
        const double d = std::fabs(double(hCipher[v]) - double(hPlain[v]));
        area += v == 0 || v == 255 ? d / 2.0 : d;
    }
    q.dHistogramDeviation = area / T;
    const double mean = T / 256.0;
    for (uint64_t h : hDistance) q.dIrregularDeviation += std::fabs(double(h) - mean);
    return q;
}
