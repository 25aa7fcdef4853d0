// The bimodal threshold, binarisation and the background polarity test.
#include <gtest/gtest.h>

#include <vector>

#include "ipdib/IPDib.h"
#include "platform/Heap.h"
#include "tests/support/IPDibImages.h"
#include "tests/support/Recorder.h"

using namespace moro_test;

namespace {

// A light image with a dark square in the middle (or the reverse), 100 x 100.
void Square(CIPDib& dib, int nBackground, int nSquare) {
    std::vector<int> bytes(100 * 100, nBackground);
    for (int y = 30; y < 70; ++y)
        for (int x = 30; x < 70; ++x) bytes[size_t(y) * 100 + x] = nSquare;
    MakeGrey(dib, 100, 100, bytes);
}

}  // namespace

TEST(BimodalThreshold, TwoPeaksTheDistanceAndTheEnds) {
    CIPDib dib;
    MakeGrey(dib, 1, 1, {0});
    std::vector<double> h(256, 0.0);
    h[40] = 0.5;
    h[200] = 0.3;
    EXPECT_EQ(dib.FindBimodalThreshold(h.data(), 50), 120);
    EXPECT_EQ(dib.m_nPeak1, 40);
    EXPECT_EQ(dib.m_nPeak2, 200);
    EXPECT_EQ(dib.FindBimodalThreshold(h.data(), 200), -1);  // no level is far enough
    EXPECT_EQ(dib.m_nPeak2, -1);

    // A slope is not a peak, however high; level 255 has one neighbour and needs no test.
    h.assign(256, 0.0);
    h[10] = 0.6;
    for (int j = 0; j < 6; ++j) h[250 + j] = 0.1 + 0.05 * j;
    EXPECT_EQ(dib.FindBimodalThreshold(h.data(), 50), (10 + 255) / 2);
    h[100] = 0.5;  // a peak, higher than level 255
    EXPECT_EQ(dib.FindBimodalThreshold(h.data(), 50), 55);

    // Nothing above 0: the first peak keeps its old level.
    h.assign(256, 0.0);
    h[0] = 0.0;
    dib.m_nPeak1 = 77;
    EXPECT_EQ(dib.FindBimodalThreshold(h.data(), 0), -1);
    EXPECT_EQ(dib.m_nPeak1, 77);

    CIPDib colour;
    MakeColour(colour, 1, 1, {{1, 2, 3}});
    colour.m_nPeak2 = 5;
    EXPECT_EQ(colour.FindBimodalThreshold(h.data(), 0), -1);
    EXPECT_EQ(colour.m_nPeak2, 5);  // refused: untouched
    EXPECT_EQ(dib.FindBimodalThreshold(nullptr, 0), -1);
}

TEST(Binarize, TheThresholdGoesWhiteUnlessStrict) {
    CIPDib dib;
    MakeGrey(dib, 3, 1, {99, 100, 101});
    dib.m_bHistValid = 1;
    dib.Binarize(100, 0);
    EXPECT_EQ(std::vector<int>(dib.StoredRow(0), dib.StoredRow(0) + 3), (std::vector<int>{0, 255, 255}));
    EXPECT_EQ(dib.m_bHistValid, 0);
    MakeGrey(dib, 3, 1, {99, 100, 101});
    dib.Binarize(100, 1);
    EXPECT_EQ(std::vector<int>(dib.StoredRow(0), dib.StoredRow(0) + 3), (std::vector<int>{0, 0, 255}));

    CIPDib colour, empty;
    MakeColour(colour, 1, 1, {{1, 200, 3}});
    colour.Binarize(100, 0);
    EXPECT_EQ(PixelAt(colour, 0, 0), (Bgr{1, 200, 3}));
    empty.Binarize(0, 0);
    EXPECT_FALSE(empty.IsValid());
}

TEST(Polarity, ASquareOnABackgroundAndItsInverse) {
    CIPDib light, dark;
    Square(light, 200, 40);
    Square(dark, 40, 200);
    const std::vector<BYTE> before(light.StoredRow(0), light.StoredRow(0) + 100);
    EXPECT_EQ(light.IsLightBackground(), 1);
    EXPECT_EQ(dark.IsLightBackground(), 0);
    EXPECT_EQ(std::vector<BYTE>(light.StoredRow(0), light.StoredRow(0) + 100), before);  // not changed

    CIPDib colour;
    MakeColour(colour, 1, 1, {{1, 2, 3}});
    EXPECT_EQ(colour.IsLightBackground(), -1);
    CIPDib empty;
    EXPECT_EQ(empty.IsLightBackground(), -1);

    // The copy it works on cannot be made: refused, with the copy's error.
    ClearMessages();
    light.m_nError = 0;
    platform::FailHeapAllocations(1000);
    int nResult = light.IsLightBackground();
    platform::FailHeapAllocations(0);
    EXPECT_EQ(nResult, -1);
    EXPECT_NE(light.m_nError, 0);
    EXPECT_EQ(std::vector<BYTE>(light.StoredRow(0), light.StoredRow(0) + 100), before);
}

TEST(Polarity, DrawsAsTheEqualisationOfItsCopyDoes) {
    // 1 pixel of 512 at level 0: equalising draws once for each of the levels 0 to 254.
    std::vector<int> bytes(512, 255);
    bytes[0] = 0;
    CIPDib dib;
    MakeGrey(dib, 32, 16, bytes);
    crt::srand(5);
    uint32_t before = crt::GetRandState();
    EXPECT_EQ(dib.IsLightBackground(), 1);
    EXPECT_EQ(DrawsSince(before), 255);
}

TEST(Polarity, ImagesUnderFivePixelsLetOnlyTheWindowsThatExistVote) {
    // 4 x 4: the windows are 0 pixels wide and high, and those at the right edge or in the top
    // row are empty; the other four vote: three light against the centre's dark.
    CIPDib dib;
    MakeGrey(dib, 4, 4, std::vector<int>(16, 220));
    EXPECT_EQ(dib.IsLightBackground(), 1);
    MakeGrey(dib, 1, 1, {3});
    EXPECT_GE(dib.IsLightBackground(), 0);
    MakeGrey(dib, 2, 1, {0, 255});
    EXPECT_GE(dib.IsLightBackground(), 0);
}
