// Erosion and dilation: against the step-by-step form over random black-and-white images and
// masks (even sizes too), the white square of the worked example, and the refusals.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "ipdib/reference/Literal.h"
#include "tests/support/Filters.h"

using namespace moro_test;

namespace {

// A white 4 x 4 square at columns and rows 3 .. 6 of a black 10 x 10 image.
void MakeSquare(CIPDib& dib) {
    dib.Create(10, 10, 8, nullptr, 0);
    for (int y = 3; y <= 6; ++y)
        for (int x = 3; x <= 6; ++x) dib.SetPixel(x, y, 255);
}

int WhiteCount(const CIPDib& dib, int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) n += dib.GetPixel(x, y) == 255;
    return n;
}

}  // namespace

TEST(Morphology, MatchesTheStepByStepForm) {
    std::mt19937 rng(51);
    for (int nCase = 0; nCase < 200; ++nCase) {
        CIPDib dib, slow;
        int w = 1 + int(rng() % (nCase % 3 ? 13 : 50)), h = 1 + int(rng() % 11);  // rows past 16 bytes too
        int mw = int(rng() % 6), mh = int(rng() % 6);
        MakeRandomGrey(dib, w, h, rng);
        for (int r = 0; r < h; ++r)
            for (int x = 0; x < w; ++x) {
                BYTE& p = dib.StoredRow(r)[x];
                p = p < 100 ? 0 : p < 200 ? 255 : p;  // mostly black and white, some grey
            }
        slow.Copy(dib);
        std::vector<BYTE> mask = RandomMask(mw, mh, rng);
        int bBlack = int(rng() % 2);
        if (nCase % 2) {
            dib.Erode(mask.data(), mw, mh, bBlack);
            literal::Erode(slow, mask.data(), mw, mh, bBlack);
        } else {
            dib.Dilate(mask.data(), mw, mh, bBlack);
            literal::Dilate(slow, mask.data(), mw, mh, bBlack);
        }
        ASSERT_EQ(Pixels(dib), Pixels(slow)) << nCase;
    }
}

TEST(Morphology, WhiteSquareShrinksAndGrows) {
    std::vector<BYTE> ones(9, 1);
    CIPDib dib;
    MakeSquare(dib);
    dib.m_bHistValid = 1;
    dib.Erode(ones.data(), 3, 3, 0);
    EXPECT_EQ(dib.m_bHistValid, 0);
    EXPECT_EQ(WhiteCount(dib, 0, 0, 9, 9), 4);
    EXPECT_EQ(WhiteCount(dib, 4, 4, 5, 5), 4);

    MakeSquare(dib);
    dib.Dilate(ones.data(), 3, 3, 0);
    EXPECT_EQ(WhiteCount(dib, 2, 2, 7, 7), 36);
    // The outside reads as white: the outermost rows and columns turn white as well.
    EXPECT_EQ(WhiteCount(dib, 0, 0, 9, 0) + WhiteCount(dib, 0, 9, 9, 9), 20);
    EXPECT_EQ(WhiteCount(dib, 0, 0, 9, 9), 36 + 36);
    EXPECT_EQ(dib.GetPixel(1, 1), 0);

    // Black objects: the roles swap, so eroding the black background grows the square.
    MakeSquare(dib);
    CIPDib grown;
    grown.Copy(dib);
    grown.Erode(ones.data(), 3, 3, 1);
    dib.Dilate(ones.data(), 3, 3, 0);
    EXPECT_EQ(Pixels(grown), Pixels(dib));
}

TEST(Morphology, EmptyMasksAndRefusals) {
    CIPDib dib;
    MakeSquare(dib);
    std::vector<BYTE> zeros(9, 0);
    dib.Erode(zeros.data(), 3, 3, 0);  // nothing is ever hit: all white
    EXPECT_EQ(WhiteCount(dib, 0, 0, 9, 9), 100);

    MakeSquare(dib);
    std::vector<BYTE> before = Pixels(dib);
    dib.Erode(zeros.data(), -3, 3, 0);
    dib.Dilate(nullptr, 3, 3, 0);
    dib.Dilate(zeros.data(), 65537, 65537, 0);
    EXPECT_EQ(Pixels(dib), before);
}
