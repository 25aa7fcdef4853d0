// The wavelet core: reading beyond the ends, one level in two dimensions against the step-by-step
// form bit for bit, round trips, and the multi-level forms with their limits.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <random>
#include <vector>

#include "ipdib/reference/Literal.h"
#include "tests/support/Transforms.h"

using namespace moro_test;

namespace {

std::vector<double> RandomArray(int w, int h, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<double> a(size_t(w) * h);
    for (double& v : a) v = double(rng() % 256);
    return a;
}

}  // namespace

TEST(Wavelet, ReadingBeyondTheEnds) {
    CIPDib dib;
    const double x[3] = {5, 6, 7};
    const int kIndex[] = {-1, 3, 4, -3};
    const double kWant[4][4] = {{0, 0, 0, 0}, {6, 6, 5, 0}, {5, 7, 7, 5}, {6, 6, 7, 0}};  // by mode
    for (int mode = 0; mode <= 3; ++mode) {
        dib.m_nBorderMode = mode;
        EXPECT_EQ(dib.GetExtendedValue(x, 1, 2), 6.0);
        for (int i = 0; i < 4; ++i) EXPECT_EQ(dib.GetExtendedValue(x, kIndex[i], 2), kWant[mode][i]) << mode << " " << kIndex[i];
    }
    // One sample: mirroring and wrapping find nothing beyond it, holding repeats it.
    const double one[1] = {9};
    dib.m_nBorderMode = 1;
    EXPECT_EQ(dib.GetExtendedValue(one, -1, 0), 0.0);
    dib.m_nBorderMode = 2;
    EXPECT_EQ(dib.GetExtendedValue(one, 5, 0), 9.0);
    for (int mode : {1, 3}) {
        dib.m_nBorderMode = mode;
        EXPECT_EQ(dib.GetExtendedValue(x, INT_MIN, 2), 0.0);
        EXPECT_EQ(dib.GetExtendedValue(x, INT_MAX, 2), 0.0);
    }
}

TEST(Wavelet, HaarOnAConstantArray) {
    CIPDib dib;
    ASSERT_TRUE(dib.SetWavelet("haar"));
    std::vector<double> in(8 * 6, 100.0), out(in.size(), -1.0);
    ASSERT_TRUE(dib.WaveletDecompose2D(out.data(), in.data(), 8, 6));
    // 0.7071 x 0.7071 x 4 samples: the approximation is 1.99996164 times the constant, the
    // details exactly 0.
    const double row = 0.7071 * 100 + 0.7071 * 100, approx = 0.7071 * row + 0.7071 * row;
    for (int r = 0; r < 6; ++r)
        for (int c = 0; c < 8; ++c) EXPECT_EQ(out[r * 8 + c], r >= 3 && c < 4 ? approx : 0.0) << r << "," << c;
    EXPECT_NEAR(out[5 * 8], 199.996164, 1e-9);
}

TEST(Wavelet, OneLevelIsTheStepByStepFormBitForBit) {
    IsaRestorer restore;
    const int sizes[][2] = {{16, 16}, {9, 7}, {1, 5}, {6, 1}, {23, 18}, {2, 2}, {40, 3}};
    for (MoroIsa isa : KernelForms()) {
        ASSERT_TRUE(SetIsa(isa));
        unsigned seed = 11;
        for (int b = 0; b < CIPDib::WaveletCount(); ++b)
            for (int mode = 0; mode <= 4; ++mode) {
                const auto& s = sizes[(b + mode) % 7];
                SCOPED_TRACE(testing::Message() << GetIsaName(isa) << " " << CIPDib::WaveletName(b) << " mode " << mode
                                                << " " << s[0] << "x" << s[1]);
                CIPDib dib;
                ASSERT_TRUE(dib.SetWavelet(CIPDib::WaveletName(b)));
                dib.m_nBorderMode = mode;
                std::vector<double> in = RandomArray(s[0], s[1], seed++), out(in.size()), want(in.size());
                ASSERT_TRUE(dib.WaveletDecompose2D(out.data(), in.data(), s[0], s[1]));
                literal::WaveletDecompose2D(dib, want.data(), in.data(), s[0], s[1]);
                EXPECT_TRUE(SameBits(out, want));
                ASSERT_TRUE(dib.WaveletReconstruct2D(in.data(), out.data(), s[0], s[1]));
                literal::WaveletReconstruct2D(dib, out.data(), want.data(), s[0], s[1]);
                EXPECT_TRUE(SameBits(in, out));
            }
    }
}

TEST(Wavelet, OneLevelRoundTripsAwayFromTheBorders) {
    // Four-place coefficients are the only error; it is largest for bior6.8 and coif3.
    for (int b = 0; b < CIPDib::WaveletCount(); ++b) {
        CIPDib dib;
        ASSERT_TRUE(dib.SetWavelet(CIPDib::WaveletName(b)));
        const int L = dib.m_nWaveLoDLen;
        std::vector<double> in = RandomArray(64, 64, 5), coef(in.size()), back(in.size());
        ASSERT_TRUE(dib.WaveletDecompose2D(coef.data(), in.data(), 64, 64));
        ASSERT_TRUE(dib.WaveletReconstruct2D(back.data(), coef.data(), 64, 64));
        double worst = 0;
        for (int r = L; r < 64 - L; ++r)
            for (int c = L; c < 64 - L; ++c) worst = std::max(worst, std::fabs(back[r * 64 + c] - in[r * 64 + c]));
        EXPECT_LT(worst, 0.17) << CIPDib::WaveletName(b);
        if (b == 0) {
            EXPECT_LT(worst, 0.01);
        }
    }
}

TEST(Wavelet, SeveralLevelsAndTheirLimits) {
    CIPDib dib;
    RandomGrey(dib, 37, 20, 4);
    ASSERT_TRUE(dib.SetWavelet("db3"));
    std::vector<double> data(37 * 20, -1.0), want(data.size());
    // No levels: the pixels as they are.
    ASSERT_TRUE(dib.WaveletDecomposeLevels(data.data(), 0));
    for (int r = 0; r < 20; ++r)
        for (int c = 0; c < 37; ++c) ASSERT_EQ(data[r * 37 + c], dib.StoredRow(r)[c]);
    want = data;
    literal::WaveletDecomposeLevels(dib, want.data(), 37, 20, 3);
    ASSERT_TRUE(dib.WaveletDecomposeLevels(data.data(), 3));
    EXPECT_TRUE(SameBits(data, want));

    std::vector<double> back(data.size()), backWant(data.size());
    ASSERT_TRUE(dib.WaveletReconstructLevels(back.data(), data.data(), 37, 20, 3));
    literal::WaveletReconstructLevels(dib, backWant.data(), data.data(), 37, 20, 3);
    EXPECT_TRUE(SameBits(back, backWant));

    // Refused, with the arrays untouched: 11 levels, more halvings than the size allows, no bank.
    std::vector<double> keep = data;
    EXPECT_FALSE(dib.WaveletDecomposeLevels(data.data(), 11));
    EXPECT_FALSE(dib.WaveletDecomposeLevels(data.data(), 5));  // 20 / 32 is 0
    EXPECT_FALSE(dib.WaveletReconstructLevels(back.data(), keep.data(), 37, 20, -1));
    EXPECT_FALSE(dib.WaveletDecomposeLevels(nullptr, 1));
    CIPDib none;
    none.Copy(dib);
    EXPECT_FALSE(none.WaveletDecomposeLevels(data.data(), 1));
    EXPECT_FALSE(none.WaveletDecompose2D(back.data(), keep.data(), 37, 20));
    EXPECT_TRUE(SameBits(data, keep));
    CIPDib colour;
    ASSERT_TRUE(colour.Create(8, 8, 24));
    ASSERT_TRUE(colour.SetWavelet("haar"));
    EXPECT_FALSE(colour.WaveletDecomposeLevels(data.data(), 1));
}

TEST(Wavelet, SeveralLevelsRoundTripOnSizesThatHalveEvenly) {
    CIPDib dib;
    RandomGrey(dib, 64, 32, 8);
    // Haar's filters read nothing beyond the ends that is not zero, so the whole array comes back.
    ASSERT_TRUE(dib.SetWavelet("haar"));
    dib.m_nBorderMode = 1;
    std::vector<double> data(64 * 32), back(data.size());
    ASSERT_TRUE(dib.WaveletDecomposeLevels(data.data(), 3));
    ASSERT_TRUE(dib.WaveletReconstructLevels(back.data(), data.data(), 64, 32, 3));
    for (int r = 0; r < 32; ++r)
        for (int c = 0; c < 64; ++c) ASSERT_NEAR(back[r * 64 + c], dib.StoredRow(r)[c], 0.1) << r << "," << c;
}
