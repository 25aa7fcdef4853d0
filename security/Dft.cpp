// The DFT of any length n through power-of-two transforms (Bluestein): with jk = (j^2 + k^2 -
// (j - k)^2) / 2, the transform becomes a convolution with the chirp e^(i pi k^2 / n), done as a
// cyclic convolution of at least 2n - 1 points.  A real sequence of even length is first packed
// into n / 2 complex values, which halves the work.  Twiddles and chirp are computed directly from
// their angles (never by repeated multiplication), and the chirp's angle from k^2 mod 2n in
// integers, so that no error grows with the length.
#include <cmath>
#include <complex>
#include <memory>

#include "security/Randomness.h"

namespace {

using Complex = std::complex<double>;

// In-place radix-2 transform of a power-of-two length, e^(-2 pi i jk / n) (or its conjugate).
class CPowerOfTwoFft {
public:
    void Prepare(size_t n) {
        if (n == m_n) return;
        m_n = n;
        m_twiddles.resize(n / 2);
        for (size_t k = 0; k < n / 2; ++k) {
            double angle = -2.0 * M_PI * double(k) / double(n);
            m_twiddles[k] = Complex(std::cos(angle), std::sin(angle));
        }
    }

    void Transform(std::vector<Complex>& a, bool bInverse) const {
        const size_t n = m_n;
        for (size_t i = 1, j = 0; i < n; ++i) {
            size_t bit = n >> 1;
            for (; j & bit; bit >>= 1) j ^= bit;
            j |= bit;
            if (i < j) std::swap(a[i], a[j]);
        }
        for (size_t len = 2; len <= n; len <<= 1) {
            const size_t half = len / 2, stride = n / len;
            for (size_t start = 0; start < n; start += len) {
                for (size_t k = 0; k < half; ++k) {
                    Complex w = m_twiddles[k * stride];
                    if (bInverse) w = std::conj(w);
                    Complex u = a[start + k], v = a[start + k + half] * w;
                    a[start + k] = u + v;
                    a[start + k + half] = u - v;
                }
            }
        }
    }

private:
    size_t m_n = 0;
    std::vector<Complex> m_twiddles;
};

// A complex DFT of any length, reusing its chirp and its transformed kernel between calls of the
// same length.
class CAnyLengthDft {
public:
    void Transform(std::vector<Complex>& x) {
        const size_t n = x.size();
        if (n <= 1) return;
        if ((n & (n - 1)) == 0) {
            m_direct.Prepare(n);
            m_direct.Transform(x, false);
            return;
        }
        Prepare(n);
        std::fill(m_work.begin(), m_work.end(), Complex(0, 0));
        for (size_t k = 0; k < n; ++k) m_work[k] = x[k] * std::conj(m_chirp[k]);
        m_fft.Transform(m_work, false);
        for (size_t i = 0; i < m_size; ++i) m_work[i] *= m_kernel[i];
        m_fft.Transform(m_work, true);
        const double scale = 1.0 / double(m_size);
        for (size_t j = 0; j < n; ++j) x[j] = m_work[j] * std::conj(m_chirp[j]) * scale;
    }

private:
    void Prepare(size_t n) {
        if (n == m_n) return;
        m_n = n;
        m_size = 1;
        while (m_size < 2 * n - 1) m_size <<= 1;
        m_fft.Prepare(m_size);
        // chirp[k] = e^(i pi k^2 / n); k^2 is taken mod 2n, where the angle repeats.
        m_chirp.resize(n);
        for (size_t k = 0; k < n; ++k) {
            unsigned long long k2 = (unsigned long long)k * k % (2ull * n);
            double angle = M_PI * double(k2) / double(n);
            m_chirp[k] = Complex(std::cos(angle), std::sin(angle));
        }
        m_kernel.assign(m_size, Complex(0, 0));
        m_kernel[0] = m_chirp[0];
        for (size_t k = 1; k < n; ++k) m_kernel[k] = m_kernel[m_size - k] = m_chirp[k];
        m_fft.Transform(m_kernel, false);
        m_work.resize(m_size);
    }

    size_t m_n = 0, m_size = 0;
    CPowerOfTwoFft m_direct;  // lengths that are powers of two
    CPowerOfTwoFft m_fft;     // the convolution's, of m_size points
    std::vector<Complex> m_chirp, m_kernel, m_work;
};

}  // namespace

std::vector<double> DftMagnitudes(std::span<const double> x, size_t nCount) {
    const size_t n = x.size();
    nCount = std::min(nCount, n);
    std::vector<double> magnitudes(nCount);
    if (n == 0) return magnitudes;
    // Each thread keeps its transform, so a run of sequences of one length prepares it once.
    thread_local std::unique_ptr<CAnyLengthDft> dft;
    if (!dft) dft = std::make_unique<CAnyLengthDft>();
    if (n % 2 != 0) {
        std::vector<Complex> z(x.begin(), x.end());
        dft->Transform(z);
        for (size_t j = 0; j < nCount; ++j) magnitudes[j] = std::abs(z[j]);
        return magnitudes;
    }
    // z_k = x_2k + i x_2k+1, Z its DFT of length h = n / 2; then with E and O the transforms of the
    // even and odd samples, E_j = (Z_j + conj Z_(h-j)) / 2, O_j = (Z_j - conj Z_(h-j)) / 2i and
    // X_j = E_j + e^(-2 pi i j / n) O_j for j < h.
    const size_t h = n / 2;
    std::vector<Complex> z(h);
    for (size_t k = 0; k < h; ++k) z[k] = Complex(x[2 * k], x[2 * k + 1]);
    dft->Transform(z);
    for (size_t j = 0; j < nCount; ++j) {
        const size_t jj = j % h;  // X_h = E_0 - O_0, and beyond h the same pattern
        Complex zj = z[jj], zc = std::conj(z[(h - jj) % h]);
        Complex even = (zj + zc) * 0.5, odd = (zj - zc) * Complex(0, -0.5);
        double angle = -2.0 * M_PI * double(j) / double(n);
        magnitudes[j] = std::abs(even + Complex(std::cos(angle), std::sin(angle)) * odd);
    }
    return magnitudes;
}
