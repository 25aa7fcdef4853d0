// The two-dimensional FFT: padded sizes, worked spectra, the fast transform against the step-by-step
// one bit for bit, round trips, refusals, and the spectrum rendered as an image.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "ipdib/reference/Literal.h"
#include "tests/support/Recorder.h"
#include "tests/support/Transforms.h"

using namespace moro_test;

namespace {

// The spectrum of an image as the step-by-step form makes it: the pixels zero-padded to w x h.
void LiteralSpectrum(const CIPDib& dib, int w, int h, std::vector<double>& re, std::vector<double>& im) {
    re.assign(size_t(w) * h, 0.0);
    im.assign(size_t(w) * h, 0.0);
    for (int r = 0; r < dib.m_nHeight; ++r)
        for (int c = 0; c < dib.m_nWidth; ++c) re[size_t(r) * w + c] = dib.StoredRow(r)[c];
    ASSERT_EQ(literal::FFT2D(re.data(), im.data(), w, h, 1), 1);
}

std::vector<double> Held(const double* p, const CIPDib& dib) {
    return std::vector<double>(p, p + size_t(dib.m_nFftWidth) * dib.m_nFftHeight);
}

}  // namespace

TEST(Fft, PaddedSizesAreTheNextPowersOfTwo) {
    const int sizes[][4] = {{100, 60, 128, 64}, {256, 256, 256, 256}, {1, 1, 1, 1}, {3, 129, 4, 256}};
    for (const auto& s : sizes) {
        CIPDib dib;
        RandomGrey(dib, s[0], s[1], 7);
        ASSERT_EQ(dib.FFT2(1), 1);
        EXPECT_EQ(dib.m_nFftWidth, s[2]);
        EXPECT_EQ(dib.m_nFftHeight, s[3]);
    }
    // Just above a power of two a size worked out with logarithms falls one power short and the
    // pixels would be copied past the arrays.
    for (int w : {262145, 524289}) {
        CIPDib dib;
        ASSERT_TRUE(dib.Create(w, 1, 8, nullptr, 3));
        ASSERT_EQ(dib.FFT2(1), 1) << w;
        EXPECT_EQ(dib.m_nFftWidth, w == 262145 ? 524288 : 1048576);
        EXPECT_EQ(dib.m_pFftRe[0], 3.0 * w / dib.m_nFftWidth);
    }
}

TEST(Fft, WorkedSpectra) {
    CIPDib one;
    ASSERT_TRUE(one.Create(1, 1, 8, nullptr, 77));
    ASSERT_EQ(one.FFT2(1), 1);
    EXPECT_EQ(one.m_pFftRe[0], 77.0);
    EXPECT_EQ(one.m_pFftIm[0], 0.0);

    CIPDib flat;
    ASSERT_TRUE(flat.Create(64, 64, 8, nullptr, 200));
    ASSERT_EQ(flat.FFT2(1), 1);
    for (size_t i = 0; i < 64 * 64; ++i) {
        ASSERT_EQ(flat.m_pFftRe[i], i ? 0.0 : 200.0) << i;
        ASSERT_EQ(flat.m_pFftIm[i], 0.0) << i;
    }
    EXPECT_EQ(flat.m_dFftMagMax, 200.0);
    EXPECT_EQ(flat.m_dFftMagMin, 0.0);

    CIPDib padded;
    ASSERT_TRUE(padded.Create(100, 60, 8, nullptr, 90));
    ASSERT_EQ(padded.FFT2(1), 1);
    EXPECT_NEAR(padded.m_pFftRe[0], 90.0 * 100 * 60 / (128 * 64), 1e-12);

    // One cosine along the rows: its two spectral lines carry half the amplitude each, to within
    // what the constant 3.1415927 leaves.
    CIPDib wave;
    ASSERT_TRUE(wave.Create(16, 1, 8));
    for (int c = 0; c < 16; ++c) wave.StoredRow(0)[c] = BYTE(std::lround(100 + 50 * std::cos(2 * M_PI * 2 * c / 16)));
    ASSERT_EQ(wave.FFT2(1), 1);
    EXPECT_NEAR(wave.m_pFftRe[2], 25.0, 0.2);  // the pixels are rounded
    EXPECT_NEAR(wave.m_pFftRe[14], 25.0, 0.2);
    EXPECT_NEAR(wave.m_pFftRe[1], 0.0, 0.2);
}

TEST(Fft, TheFastTransformGivesTheStepByStepSpectrumBitForBit) {
    IsaRestorer restore;
    const int sizes[][2] = {{1, 1}, {2, 5}, {7, 3}, {33, 17}, {100, 60}, {64, 64}, {5, 130}, {300, 2}, {200, 140}};
    for (MoroIsa isa : KernelForms()) {
        ASSERT_TRUE(SetIsa(isa));
        unsigned seed = 1;
        for (const auto& s : sizes) {
            SCOPED_TRACE(testing::Message() << GetIsaName(isa) << " " << s[0] << "x" << s[1]);
            CIPDib dib;
            RandomGrey(dib, s[0], s[1], seed++);
            ASSERT_EQ(dib.FFT2(1), 1);
            std::vector<double> re, im;
            LiteralSpectrum(dib, dib.m_nFftWidth, dib.m_nFftHeight, re, im);
            EXPECT_TRUE(SameBits(Held(dib.m_pFftRe, dib), re));
            EXPECT_TRUE(SameBits(Held(dib.m_pFftIm, dib), im));

            // The extremes are those of a scan in storage order.
            double magMax = 0, magMin = 0, reMin = 0, imMax = 0;
            for (size_t i = 0; i < re.size(); ++i) {
                double mag = std::sqrt(re[i] * re[i] + im[i] * im[i]);
                if (!i || mag > magMax) magMax = mag;
                if (!i || mag < magMin) magMin = mag;
                if (!i || re[i] < reMin) reMin = re[i];
                if (!i || im[i] > imMax) imMax = im[i];
            }
            EXPECT_TRUE(SameBits(&dib.m_dFftMagMax, &magMax, 1));
            EXPECT_TRUE(SameBits(&dib.m_dFftMagMin, &magMin, 1));
            EXPECT_TRUE(SameBits(&dib.m_dFftReMin, &reMin, 1));
            EXPECT_TRUE(SameBits(&dib.m_dFftImMax, &imMax, 1));

            // The inverse, twice over (the second transforms the first's result again).
            const std::vector<double> forwardRe = re, forwardIm = im;
            for (int pass = 0; pass < 2; ++pass) {
                ASSERT_EQ(dib.FFT2(-1), 1);
                ASSERT_EQ(literal::FFT2D(re.data(), im.data(), dib.m_nFftWidth, dib.m_nFftHeight, -1), 1);
                EXPECT_TRUE(SameBits(Held(dib.m_pFftRe, dib), re));
                EXPECT_TRUE(SameBits(Held(dib.m_pFftIm, dib), im));
            }
            // A new forward transform into the arrays as the inverse left them.
            ASSERT_EQ(dib.FFT2(1), 1);
            EXPECT_TRUE(SameBits(Held(dib.m_pFftRe, dib), forwardRe));
            EXPECT_TRUE(SameBits(Held(dib.m_pFftIm, dib), forwardIm));
        }
    }
}

TEST(Fft, ExtremesAreNumbersWhateverTheOrderOfTheLanes) {
    // The kernels find the largest and smallest values; a spectrum's -0 and +0 are settled by FFT2.
    IsaRestorer restore;
    std::vector<double> re(35), im(35);
    for (size_t i = 0; i < re.size(); ++i) {
        re[i] = i % 3 ? -0.0 : 0.0;
        im[i] = double(int(i * 7 % 11) - 5);
    }
    re[33] = -2;
    for (MoroIsa isa : KernelForms())
        for (size_t n : {size_t(1), size_t(3), size_t(16), size_t(35)}) {
            double e[6];
            ipdib::GetTransformKernels(isa).Extremes(re.data(), im.data(), n, e);
            double mx = im[0], mn = im[0], sq = 0;
            for (size_t i = 0; i < n; ++i) {
                mx = std::max(mx, im[i]);
                mn = std::min(mn, im[i]);
                sq = std::max(sq, re[i] * re[i] + im[i] * im[i]);
            }
            EXPECT_EQ(e[2], 0.0);
            EXPECT_EQ(e[3], n > 33 ? -2.0 : 0.0);
            EXPECT_EQ(e[4], mx);
            EXPECT_EQ(e[5], mn);
            EXPECT_EQ(e[0], sq);
        }
}

TEST(Fft, ForwardThenInverseGivesBackThePaddedPixels) {
    CIPDib dib;
    RandomGrey(dib, 100, 60, 3);
    ASSERT_EQ(dib.FFT2(1), 1);
    ASSERT_EQ(dib.FFT2(-1), 1);
    for (int r = 0; r < 64; ++r)
        for (int c = 0; c < 128; ++c) {
            double want = r < 60 && c < 100 ? dib.StoredRow(r)[c] : 0.0;
            ASSERT_NEAR(dib.m_pFftRe[r * 128 + c], want, 1e-11) << r << "," << c;
            ASSERT_NEAR(dib.m_pFftIm[r * 128 + c], 0.0, 1e-11);
        }
}

TEST(Fft, RefusalsAndFailures) {
    // A length that is not a power of two would never get out of the bit-reversal loop.
    for (int n : {0, -4, 3, 6, 12}) {
        double re[12] = {1, 2, 3}, im[12] = {};
        EXPECT_FALSE(FFT1D(re, im, n, 1)) << n;
        EXPECT_EQ(re[1], 2.0);
    }
    double re[4] = {1, 2, 3, 4}, im[4] = {};
    EXPECT_TRUE(FFT1D(re, im, 4, 1));
    EXPECT_EQ(re[0], 2.5);  // (1 + 2 + 3 + 4) / 4

    CIPDib dib;
    std::vector<double> a(12, 1.0), b(12, 0.0);
    EXPECT_EQ(dib.FFT2D(a.data(), b.data(), 3, 4, 1), 0);
    EXPECT_EQ(dib.FFT2D(nullptr, b.data(), 4, 2, 1), 0);
    EXPECT_EQ(a[0], 1.0);

    ClearMessages();
    ASSERT_TRUE(dib.Create(8, 8, 8));
    EXPECT_EQ(dib.FFT2(-1), 0);
    EXPECT_EQ(LastMessage(), "您尚未做过正向FFT2！");
    EXPECT_EQ(Messages().back().style, UINT(MB_ICONSTOP));
    EXPECT_EQ(dib.m_nError, 12);

    ClearMessages();
    CIPDib colour;
    ASSERT_TRUE(colour.Create(8, 8, 24));
    colour.m_nError = 0;
    EXPECT_EQ(colour.FFT2(1), 0);
    EXPECT_EQ(colour.FFT2(-1), 0);
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(colour.m_nError, 0);
    EXPECT_EQ(colour.m_pFftRe, nullptr);
}

// ---- rendering ----

namespace {

// A 4 x 2 image whose spectrum is set by hand; the extremes are those of the values given.
void HandSpectrum(CIPDib& dib, const std::vector<double>& re, const std::vector<double>& im) {
    ASSERT_TRUE(dib.Create(4, 2, 8));
    dib.m_nFftWidth = 4;
    dib.m_nFftHeight = 2;
    dib.m_pFftRe = static_cast<double*>(malloc(8 * sizeof(double)));
    dib.m_pFftIm = static_cast<double*>(malloc(8 * sizeof(double)));
    std::copy(re.begin(), re.end(), dib.m_pFftRe);
    std::copy(im.begin(), im.end(), dib.m_pFftIm);
    auto ext = [](const std::vector<double>& v, double& lo, double& hi) {
        lo = *std::min_element(v.begin(), v.end());
        hi = *std::max_element(v.begin(), v.end());
    };
    ext(re, dib.m_dFftReMin, dib.m_dFftReMax);
    ext(im, dib.m_dFftImMin, dib.m_dFftImMax);
    std::vector<double> mag;
    for (size_t i = 0; i < re.size(); ++i) mag.push_back(std::sqrt(re[i] * re[i] + im[i] * im[i]));
    ext(mag, dib.m_dFftMagMin, dib.m_dFftMagMax);
}

std::vector<int> StoredPixels(const CDib& dib) {
    std::vector<int> px;
    for (int r = 0; r < dib.m_nHeight; ++r)
        for (int c = 0; c < dib.m_nWidth; ++c) px.push_back(dib.StoredRow(r)[c]);
    return px;
}

}  // namespace

TEST(SpectrumToImage, ScalingModes) {
    CIPDib dib, out;
    HandSpectrum(dib, {0, 1, 2, 5, 10, 21, 30, 40}, {0, 0, 0, 0, 0, 0, 0, -3});
    // Real part, linear: d x 255 / 40.
    dib.SpectrumToImage(out, 0x24, 0, 0, 0);
    EXPECT_EQ(StoredPixels(out), (std::vector<int>{0, 6, 13, 32, 64, 134, 191, 255}));
    // Real part, logarithmic: 255 log10(10 d / 40); below a tenth of the range black.
    dib.SpectrumToImage(out, 0x22, 0, 0, 0);
    EXPECT_EQ(StoredPixels(out), (std::vector<int>{0, 0, 0, 25, 101, 184, 223, 255}));
    // Imaginary part: the window [-1, 0] keeps 0 and blackens -3; its absolute value is above.
    dib.SpectrumToImage(out, 0x40, 0, -1, 0);
    EXPECT_EQ(StoredPixels(out), (std::vector<int>(8, 0)));
    dib.SpectrumToImage(out, 0x48, 2, -1, 0);
    EXPECT_EQ(out.StoredRow(1)[3], 255);
    // Window on the magnitude: values above upper are white, the rest as they stand.
    dib.SpectrumToImage(out, 0x01, 25, 0, 0);
    EXPECT_EQ(StoredPixels(out), (std::vector<int>{0, 1, 2, 5, 10, 21, 255, 255}));
}

TEST(SpectrumToImage, UndefinedValuesAreBlackAndDrawNothing) {
    CIPDib dib, out;
    // A constant quantity has no range: logarithmic and linear renderings are black.
    HandSpectrum(dib, std::vector<double>(8, 7.0), std::vector<double>(8, 0.0));
    uint32_t before = crt::GetRandState();
    for (int mode : {0x22, 0x24, 0x42, 0x44})
        dib.SpectrumToImage(out, mode, 0, 0, 0);
    EXPECT_EQ(StoredPixels(out), (std::vector<int>(8, 0)));
    // Values that are not finite, in the window, store 0.
    dib.m_pFftRe[0] = NAN;
    dib.m_pFftRe[1] = INFINITY;
    dib.SpectrumToImage(out, 0x20, INFINITY, -1, 0);
    EXPECT_EQ(out.StoredRow(0)[0], 0);
    EXPECT_EQ(out.StoredRow(0)[1], 0);
    EXPECT_EQ(DrawsSince(before), 0);
}

TEST(SpectrumToImage, HalvesAreDrawnInSourceOrderAndCentringMirrorsEachHalf) {
    CIPDib dib, out, again;
    HandSpectrum(dib, {0.5, 1.5, 2.5, 3.5, 4, 5, 6, 7}, std::vector<double>(8, 0.0));
    crt::srand(5);
    uint32_t before = crt::GetRandState();
    dib.SpectrumToImage(out, 0x20, 255, 0, 0);
    EXPECT_EQ(DrawsSince(before), 4);
    crt::srand(5);
    dib.SpectrumToImage(again, 0x20, 255, 0, 1);
    // Columns 0..1 and 2..3 are each reversed (a half of one row stays); the draws follow the
    // source, so the same values come out in their new places.
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 4; ++j) EXPECT_EQ(again.StoredRow(i)[j < 2 ? 1 - j : 5 - j], out.StoredRow(i)[j]);
    EXPECT_EQ(out.StoredRow(1)[3], 7);
}

TEST(SpectrumToImage, SizesAndTheImageItself) {
    CIPDib dib, out;
    RandomGrey(dib, 100, 60, 9);
    CDib original;
    original.Copy(dib);
    ASSERT_EQ(dib.FFT2(1), 1);
    dib.SpectrumToImage(out, 0x02, 0, 0, 1);
    EXPECT_EQ(out.m_nWidth, 128);
    EXPECT_EQ(out.m_nHeight, 64);
    EXPECT_EQ(out.m_nBitCount, 8);
    // The zero frequency, the largest magnitude, lands in the middle.
    EXPECT_EQ(out.StoredRow(31)[63], 255);

    // After the inverse the real part is the image again: with 0x80, at its own size, uncentred.
    ASSERT_EQ(dib.FFT2(-1), 1);
    dib.SpectrumToImage(out, 0xA0, 255, 0, 1);
    ASSERT_EQ(out.m_nWidth, 100);
    EXPECT_EQ(StoredPixels(out), StoredPixels(original));

    // Onto the image itself: its own size, and with 0x80 the centring still applies.
    out.Copy(dib);
    out.m_bHistValid = 1;
    dib.SpectrumToImage(dib, 0xA0, 255, 0, 1);
    EXPECT_NE(StoredPixels(dib), StoredPixels(original));
    EXPECT_EQ(dib.StoredRow(29)[49], original.StoredRow(0)[0]);

    // An image replaced by a larger one since its transform is not rendered from the old spectrum.
    RandomGrey(dib, 200, 60, 4);
    out.Create(3, 3, 8);
    dib.SpectrumToImage(out, 0x80, 255, 0, 0);
    dib.SpectrumToImage(dib, 0x00, 255, 0, 0);
    EXPECT_EQ(out.m_nWidth, 3);
}
