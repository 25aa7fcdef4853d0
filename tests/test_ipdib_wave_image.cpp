// The wavelet image operations: array sizes, the extended image, decomposition and reconstruction
// of images, and arrays rendered as images.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <vector>

#include "ipdib/reference/Literal.h"
#include "tests/support/Images.h"
#include "tests/support/Transforms.h"

using namespace moro_test;

namespace {

// Pixels top-down, row by row.
std::vector<std::vector<int>> PictureRows(const CDib& dib) {
    std::vector<std::vector<int>> rows;
    for (int y = 0; y < dib.m_nHeight; ++y) rows.emplace_back(dib.PictureRow(y), dib.PictureRow(y) + dib.m_nWidth);
    return rows;
}

using Rows = std::vector<std::vector<int>>;

}  // namespace

TEST(WaveImage, PowersPadsAndExtendedSizes) {
    EXPECT_EQ(IntPower(2, 10), 1024);
    EXPECT_EQ(IntPower(-2, 3), -8);
    EXPECT_EQ(IntPower(3, 0), 1);
    EXPECT_EQ(IntPower(3, -2), 1);
    EXPECT_EQ(IntPower(0, 4), 0);
    EXPECT_EQ(IntPower(0, 0), 0);
    EXPECT_EQ(IntPower(2, 31), 0);  // does not fit
    EXPECT_EQ(IntPower(10, 12), 0);

    const int kCases[][5] = {{256, 2, 3, 8, 272}, {100, 8, 2, 14, 128}, {101, 8, 3, 29, 160}, {32, 8, 3, 28, 88}};
    for (const auto& c : kCases) {
        EXPECT_EQ(WaveletPad(c[0], c[1], c[2]), c[3]) << c[0];
        EXPECT_EQ(WaveletExtendedSize(c[0], c[1], c[2]), c[4]) << c[0];
    }
    EXPECT_EQ(WaveletPad(100, 8, 31), -1);
    EXPECT_EQ(WaveletExtendedSize(INT_MAX - 10, 18, 10), -1);
    EXPECT_EQ(WaveletPad(-4, 2, 1), -1);
}

TEST(WaveImage, PaddingOfAnImage) {
    CIPDib dib;
    ASSERT_TRUE(dib.Create(256, 256, 8));
    EXPECT_FALSE(dib.ComputeWaveletPadding(3));  // no bank yet
    EXPECT_EQ(dib.m_nWaveLevels, -1);
    ASSERT_TRUE(dib.SetWavelet("haar"));
    ASSERT_TRUE(dib.ComputeWaveletPadding(3));
    EXPECT_EQ(dib.m_nWavePadX, 8);
    EXPECT_EQ(dib.m_nWaveExtHeight, 272);
    ASSERT_TRUE(dib.Create(100, 100, 8));
    ASSERT_TRUE(dib.SetWavelet("db4"));
    ASSERT_TRUE(dib.ComputeWaveletPadding(2));
    EXPECT_EQ(dib.m_nWavePadY, 14);
    EXPECT_EQ(dib.m_nWaveExtWidth, 128);
    EXPECT_FALSE(dib.ComputeWaveletPadding(11));
    EXPECT_EQ(dib.m_nWaveLevels, 2);
}

TEST(WaveImage, ExtendingByEachType) {
    CIPDib dib, ext;
    ASSERT_TRUE(dib.Create(3, 2, 8));
    const BYTE top[3] = {1, 2, 3}, bottom[3] = {4, 5, 6};
    std::memcpy(dib.PictureRow(0), top, 3);
    std::memcpy(dib.PictureRow(1), bottom, 3);
    // Two columns and one row on each side, and one more column on the right for the odd width.
    ASSERT_TRUE(dib.ExtendImage(ext, 2, 1, 0));
    EXPECT_EQ(PictureRows(ext), (Rows{{0, 0, 0, 0, 0, 0, 0, 0}, {0, 0, 1, 2, 3, 0, 0, 0}, {0, 0, 4, 5, 6, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0, 0}}));
    ASSERT_TRUE(dib.ExtendImage(ext, 2, 1, 1));
    EXPECT_EQ(PictureRows(ext), (Rows{{6, 5, 4, 5, 6, 5, 4, 0}, {3, 2, 1, 2, 3, 2, 1, 0}, {6, 5, 4, 5, 6, 5, 4, 0}, {3, 2, 1, 2, 3, 2, 1, 0}}));
    ASSERT_TRUE(dib.ExtendImage(ext, 2, 1, 2));
    EXPECT_EQ(PictureRows(ext), (Rows{{1, 1, 1, 2, 3, 3, 3, 3}, {1, 1, 1, 2, 3, 3, 3, 3}, {4, 4, 4, 5, 6, 6, 6, 6}, {4, 4, 4, 5, 6, 6, 6, 6}}));
    ASSERT_TRUE(dib.ExtendImage(ext, 2, 1, 7));
    EXPECT_EQ(PictureRows(ext), (Rows{{5, 6, 4, 5, 6, 4, 5, 6}, {2, 3, 1, 2, 3, 1, 2, 3}, {5, 6, 4, 5, 6, 4, 5, 6}, {2, 3, 1, 2, 3, 1, 2, 3}}));
    // The mirror reaches one row beyond a two-row image; rows further out are zero.
    ASSERT_TRUE(dib.ExtendImage(ext, 0, 3, 1));
    EXPECT_EQ(PictureRows(ext), (Rows{{0, 0, 0, 0}, {0, 0, 0, 0}, {4, 5, 6, 5}, {1, 2, 3, 2}, {4, 5, 6, 5}, {1, 2, 3, 2},
                                      {0, 0, 0, 0}, {0, 0, 0, 0}}));
    // Onto the image itself; and refusals, which leave the destination as it was.
    CIPDib self;
    self.Copy(dib);
    ASSERT_TRUE(self.ExtendImage(self, 1, 1, 2));
    EXPECT_EQ(self.m_nWidth, 6);
    EXPECT_EQ(self.PictureRow(0)[0], 1);
    EXPECT_FALSE(dib.ExtendImage(ext, -1, 0, 0));
    EXPECT_FALSE(dib.ExtendImage(ext, INT_MAX / 2, 0, 0));
    EXPECT_EQ(ext.m_nHeight, 8);
}

TEST(WaveImage, DecomposeIsTheExtendedImageThroughTheStepByStepCore) {
    CIPDib dib, ext;
    RandomGrey(dib, 37, 21, 6);
    ASSERT_TRUE(dib.SetWavelet("bior3.5"));
    dib.m_nBorderMode = 2;  // the decomposition reads zeros beyond the extension whatever this says
    ASSERT_TRUE(dib.ComputeWaveletPadding(2));
    std::vector<double> data(size_t(dib.m_nWaveExtWidth) * dib.m_nWaveExtHeight, -1.0);
    ASSERT_TRUE(dib.WaveletDecompose(data.data(), 2, 1));

    ASSERT_TRUE(dib.ExtendImage(ext, dib.m_nWavePadX, dib.m_nWavePadY, 1));
    ASSERT_TRUE(ext.SetWavelet("bior3.5"));
    ext.m_nBorderMode = 0;
    std::vector<double> want(data.size());
    for (int r = 0; r < ext.m_nHeight; ++r)
        for (int c = 0; c < ext.m_nWidth; ++c) want[size_t(r) * ext.m_nWidth + c] = ext.StoredRow(r)[c];
    literal::WaveletDecomposeLevels(ext, want.data(), ext.m_nWidth, ext.m_nHeight, 2);
    EXPECT_TRUE(SameBits(data, want));
    EXPECT_EQ(dib.m_nBorderMode, 2);
}

TEST(WaveImage, DecomposeAndReconstructGiveBackTheImage) {
    struct Case {
        const char* bank;
        int w, h, levels, type;
    };
    for (const Case& k : {Case{"db4", 32, 32, 3, 1}, Case{"bior2.2", 37, 21, 2, 2}, Case{"haar", 5, 9, 1, 0},
                          Case{"coif2", 20, 13, 2, 3}}) {
        SCOPED_TRACE(k.bank);
        CIPDib dib, back;
        RandomGrey(dib, k.w, k.h, 12);
        ASSERT_TRUE(dib.SetWavelet(k.bank));
        ASSERT_TRUE(dib.ComputeWaveletPadding(k.levels));
        if (k.w == 32) {
            EXPECT_EQ(dib.m_nWaveExtWidth, 88);
        }
        std::vector<double> data(size_t(dib.m_nWaveExtWidth) * dib.m_nWaveExtHeight);
        ASSERT_TRUE(dib.WaveletDecompose(data.data(), k.levels, k.type));
        ASSERT_TRUE(dib.WaveletReconstruct(back, data.data(), k.levels, 0));
        EXPECT_EQ(PictureRows(back), PictureRows(dib));
    }
}

TEST(WaveImage, ReconstructionRefusesLevelsTheLayoutDoesNotHave) {
    CIPDib dib, out;
    RandomGrey(dib, 16, 16, 2);
    ASSERT_TRUE(out.Create(2, 2, 8, nullptr, 9));
    std::vector<double> data(64 * 64, 0.0);
    EXPECT_FALSE(dib.WaveletReconstruct(out, data.data(), 1, 0));  // no decomposition laid out
    ASSERT_TRUE(dib.SetWavelet("haar"));
    ASSERT_TRUE(dib.WaveletDecompose(data.data(), 2, 0));
    EXPECT_FALSE(dib.WaveletReconstruct(out, data.data(), 3, 0));
    EXPECT_FALSE(dib.WaveletReconstruct(out, data.data(), -1, 0));
    EXPECT_FALSE(dib.WaveletReconstructUnextended(out, data.data(), 5, 0));  // 16 / 32 is 0
    EXPECT_EQ(out.m_nWidth, 2);
    EXPECT_EQ(out.StoredRow(0)[0], 9);
    // Fewer levels than were made is a partial reconstruction, and allowed.
    EXPECT_TRUE(dib.WaveletReconstruct(out, data.data(), 1, 0));
    EXPECT_EQ(out.m_nWidth, 16);

    // Without extension: a pyramid of the image's own size.
    std::vector<double> own(16 * 16);
    dib.m_nBorderMode = 1;
    ASSERT_TRUE(dib.WaveletDecomposeLevels(own.data(), 2));
    ASSERT_TRUE(dib.WaveletReconstructUnextended(out, own.data(), 2, 0));
    EXPECT_EQ(PictureRows(out), PictureRows(dib));
}

TEST(WaveImage, DoublesRenderedByMode) {
    CIPDib out;
    std::vector<double> v = {-1.5, 1.5, 0, -256, 300, 254.75, -2, 4};
    ASSERT_EQ(out.DoublesToImage(out, v.data(), 4, 2, 2), 1);
    EXPECT_EQ(PictureRows(out), (Rows{{255, 255, 127, 130}, {127, 129, 128, 0}}));  // storage row 0 at the bottom
    std::vector<double> w = {-3.25, 300, 7.75, 0.25};
    ASSERT_EQ(out.DoublesToImage(out, w.data(), 2, 2, 0), 1);
    EXPECT_EQ(out.StoredRow(0)[0], 0);
    EXPECT_EQ(out.StoredRow(1)[0], 8);
    ASSERT_EQ(out.DoublesToImage(out, w.data(), 2, 2, 1), 1);
    EXPECT_EQ(out.StoredRow(0)[0], 3);
    EXPECT_EQ(w[0], 3.25);  // written back
    // Scaled by 255 / (max - min), here 255 / 296.75.
    ASSERT_EQ(out.DoublesToImage(out, w.data(), 2, 2, 3), 1);
    EXPECT_EQ(out.StoredRow(0)[1], 255);
    EXPECT_EQ(out.StoredRow(1)[0], 7);
    ASSERT_EQ(out.DoublesToImage(out, w.data(), 2, 2, 9), 1);
    EXPECT_EQ(PictureRows(out), (Rows{{0, 0}, {0, 0}}));
    EXPECT_EQ(out.DoublesToImage(out, nullptr, 2, 2, 0), 0);
}

TEST(WaveImage, DoublesRoundedWithTheirDrawsAndUndefinedValuesBlack) {
    CIPDib out;
    // 255 renders as 255.5 in the signed mode: one draw, and 255 whichever way it goes.
    for (unsigned seed : {1u, 2u, 3u, 4u}) {
        crt::srand(seed);
        std::vector<double> v = {255, 2.5, 7.25};
        uint32_t before = crt::GetRandState();
        ASSERT_EQ(out.DoublesToImage(out, v.data(), 3, 1, 2), 1);
        EXPECT_EQ(DrawsSince(before), 1);
        EXPECT_EQ(out.StoredRow(0)[0], 255);
        before = crt::GetRandState();
        ASSERT_EQ(out.DoublesToImage(out, v.data(), 3, 1, 0), 1);
        EXPECT_EQ(DrawsSince(before), 1);  // 2.5
    }
    // A constant array has no range: positive values are white, zeros black; NaN is black.
    std::vector<double> flat = {4, 4, 4, 4}, zero = {0, 0, NAN, 0};
    uint32_t before = crt::GetRandState();
    ASSERT_EQ(out.DoublesToImage(out, flat.data(), 2, 2, 3), 1);
    EXPECT_EQ(PictureRows(out), (Rows{{255, 255}, {255, 255}}));
    for (int mode = 0; mode <= 3; ++mode) {
        ASSERT_EQ(out.DoublesToImage(out, zero.data(), 2, 2, mode), 1);
        const int z = mode == 2 ? 128 : 0;  // the signed rendering puts 0 at mid-grey
        EXPECT_EQ(PictureRows(out), (Rows{{0, z}, {z, z}})) << mode;
    }
    EXPECT_EQ(DrawsSince(before), 0);
}

TEST(WaveImage, IntsRenderedByMode) {
    CIPDib out;
    std::vector<int> v = {-1, 1, 0, -257, 300, 255, -256, 7};
    ASSERT_EQ(out.IntsToImage(out, v.data(), 8, 1, 2), 1);
    EXPECT_EQ(PictureRows(out), (Rows{{127, 129, 128, 0, 255, 255, 0, 131}}));
    ASSERT_EQ(out.IntsToImage(out, v.data(), 8, 1, 0), 1);
    EXPECT_EQ(PictureRows(out), (Rows{{0, 1, 0, 0, 255, 255, 0, 7}}));
    std::vector<int> extreme = {INT_MIN, INT_MAX, 0, 100};
    ASSERT_EQ(out.IntsToImage(out, extreme.data(), 4, 1, 3), 1);  // max - min overflows an int
    EXPECT_EQ(PictureRows(out), (Rows{{0, 127, 0, 0}}));
    ASSERT_EQ(out.IntsToImage(out, extreme.data(), 4, 1, 1), 1);
    EXPECT_EQ(PictureRows(out), (Rows{{255, 255, 0, 100}}));
    EXPECT_EQ(extreme[0], INT_MAX);
    std::vector<int> flat = {0, 5};
    ASSERT_EQ(out.IntsToImage(out, flat.data(), 1, 1, 3), 1);
    EXPECT_EQ(out.StoredRow(0)[0], 0);
}
