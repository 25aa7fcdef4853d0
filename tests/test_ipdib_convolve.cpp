// Neighbourhood access and convolution: the border modes at every edge and corner, the kernel's
// point reflection, the four display mappings with their random draws, and the fast forms
// against the step-by-step ones over random images, kernels, border modes and rectangles.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "ipdib/reference/Literal.h"
#include "platform/Isa.h"
#include "platform/Rand.h"
#include "tests/support/Filters.h"

using namespace moro_test;

namespace {

// Where (x + dx, y + dy) is read under each mode, on a 4 x 3 numbered image: the value is
// 10 y' + x' + 1, 0 for none.
int Read(CIPDib& dib, int nMode, int x, int y, int dx, int dy) {
    dib.m_nBorderMode = nMode;
    return dib.GetNeighbour(x, y, dx, dy);
}

int At(int x, int y) { return 10 * y + x + 1; }

// The responses of a kernel over a whole image, as ConvolveToArray gives them.
std::vector<double> Responses(CIPDib& dib, std::vector<double> k, int n) {
    std::vector<double> out(size_t(dib.m_nRowBytes) * size_t(dib.m_nHeight), -7.0);
    dib.ConvolveToArray(k.data(), n, out.data());
    return out;
}

}  // namespace

TEST(Neighbours, EveryBorderModeAtEveryCorner) {
    CIPDib dib;
    MakeNumbered(dib, 4, 3);
    struct Corner {
        int x, y, dx, dy;
        int mirror, hold, wrap;
    } corners[] = {
        {0, 0, -1, -1, At(1, 1), At(0, 0), At(3, 2)},  // top-left
        {3, 0, 1, -1, At(2, 1), At(3, 0), At(0, 2)},   // top-right
        {0, 2, -1, 1, At(1, 1), At(0, 2), At(3, 0)},   // bottom-left
        {3, 2, 1, 1, At(2, 1), At(3, 2), At(0, 0)},    // bottom-right
    };
    for (const Corner& c : corners) {
        EXPECT_EQ(Read(dib, 1, c.x, c.y, c.dx, c.dy), c.mirror) << c.x << "," << c.y;
        EXPECT_EQ(Read(dib, 2, c.x, c.y, c.dx, c.dy), c.hold) << c.x << "," << c.y;
        EXPECT_EQ(Read(dib, 3, c.x, c.y, c.dx, c.dy), c.wrap) << c.x << "," << c.y;
        EXPECT_EQ(Read(dib, 0, c.x, c.y, c.dx, c.dy), 0);
        EXPECT_EQ(Read(dib, 7, c.x, c.y, c.dx, c.dy), 0);
    }
}

TEST(Neighbours, EachAxisIsHandledOnItsOwn) {
    CIPDib dib;
    MakeNumbered(dib, 4, 3);
    // Left and right edges, the row inside: only x is mended.
    EXPECT_EQ(Read(dib, 1, 0, 1, -2, 1), At(2, 2));
    EXPECT_EQ(Read(dib, 2, 3, 1, 2, -1), At(3, 0));
    EXPECT_EQ(Read(dib, 3, 3, 1, 1, 0), At(0, 1));
    // Top and bottom edges.
    EXPECT_EQ(Read(dib, 1, 2, 0, -1, -1), At(1, 1));
    EXPECT_EQ(Read(dib, 2, 2, 2, 1, 2), At(3, 2));
    EXPECT_EQ(Read(dib, 3, 1, 2, 0, 1), At(1, 0));
    // Inside, every mode reads the pixel itself.
    for (int nMode = 0; nMode < 4; ++nMode) EXPECT_EQ(Read(dib, nMode, 1, 1, 1, -1), At(2, 0));
}

TEST(Neighbours, WindowsLargerThanTheImageReadZeroWhereNoRuleReaches) {
    CIPDib dib;
    MakeNumbered(dib, 4, 3);
    EXPECT_EQ(Read(dib, 1, 0, 0, -5, 0), 0);   // the mirror x = 5 is outside too
    EXPECT_EQ(Read(dib, 3, 0, 0, -9, 0), 0);   // wraps only once
    EXPECT_EQ(Read(dib, 3, 0, 0, -4, 0), At(0, 0));
    EXPECT_EQ(Read(dib, 2, 0, 0, -1000000, 2000000000), At(0, 0));
    EXPECT_EQ(Read(dib, 1, 0, 0, 2147483647, 0), 0);
    // The centre itself must be inside, and the image 8-bit.
    EXPECT_EQ(Read(dib, 2, -1, 0, 1, 0), 0);
    EXPECT_EQ(Read(dib, 2, 0, 3, 0, -1), 0);
    CIPDib colour;
    colour.Create(4, 3, 24, nullptr, 9);
    EXPECT_EQ(colour.GetNeighbour(1, 1, 0, 0), 0);
    CIPDib empty;
    EXPECT_EQ(empty.GetNeighbour(0, 0, 0, 0), 0);
}

TEST(Convolution, BoxKernelAtTheTopLeftFollowsTheBorderMode) {
    CIPDib dib;
    MakeNumbered(dib, 4, 3);
    std::vector<double> box(9, 1.0);
    size_t nTopLeft = size_t(2) * size_t(dib.m_nRowBytes);  // stored row 2 is picture row 0
    double dInside = At(0, 0) + At(1, 0) + At(0, 1) + At(1, 1);
    dib.m_nBorderMode = 1;  // (-1, -1) reads (1, 1)
    EXPECT_EQ(Responses(dib, box, 3)[nTopLeft], At(0, 0) + 2 * At(1, 0) + 2 * At(0, 1) + 4 * At(1, 1));
    dib.m_nBorderMode = 2;  // (-1, -1) reads (0, 0)
    EXPECT_EQ(Responses(dib, box, 3)[nTopLeft], 4 * At(0, 0) + 2 * At(1, 0) + 2 * At(0, 1) + At(1, 1));
    dib.m_nBorderMode = 3;  // (-1, -1) reads (3, 2)
    EXPECT_EQ(Responses(dib, box, 3)[nTopLeft], dInside + At(3, 2) + At(3, 0) + At(3, 1) + At(0, 2) + At(1, 2));
    dib.m_nBorderMode = 0;
    EXPECT_EQ(Responses(dib, box, 3)[nTopLeft], dInside);
}

TEST(Convolution, ReversalIsTheFullPointReflectionIncludingElementZero) {
    CIPDib dib;
    MakeNumbered(dib, 5, 4);
    dib.m_bNoFlipKernel = 0;
    std::vector<double> k = {2.5, 0, 0, 0, 0, 0, 0, 0, -1.5};
    std::vector<double> out(size_t(dib.m_nRowBytes) * 4);
    dib.ConvolveToArray(k.data(), 3, out.data());
    EXPECT_EQ(k, (std::vector<double>{-1.5, 0, 0, 0, 0, 0, 0, 0, 2.5}));
    // Element 8 (dx 1, dy 1) now holds 2.5: at (1, 1), 2.5 x p(2, 2) - 1.5 x p(0, 0).
    EXPECT_EQ(out[size_t(2) * size_t(dib.m_nRowBytes) + 1], 2.5 * At(2, 2) + -1.5 * At(0, 0));
    dib.ConvolveToArray(k.data(), 3, out.data());
    EXPECT_EQ(k[0], 2.5);  // a second call reverses it back
}

TEST(Convolution, ReflectedShiftMovesTheImageRight) {
    CIPDib dib;
    MakeNumbered(dib, 5, 3);
    CIPDib original;
    original.Copy(dib);
    dib.m_bNoFlipKernel = 0;
    std::vector<double> k(9, 0.0);
    k[(1 + 1) * 3 + (0 + 1)] = 1.0;  // dx 1, dy 0
    dib.ConvolveImage(k.data(), 3, 0);
    for (int y = 0; y < 3; ++y) {
        for (int x = 1; x < 5; ++x) EXPECT_EQ(dib.GetPixel(x, y), original.GetPixel(x - 1, y));
        EXPECT_EQ(dib.GetPixel(0, y), original.GetPixel(1, y));  // mirrored at the left edge
    }
    EXPECT_EQ(k[(-1 + 1) * 3 + 1], 1.0);
    EXPECT_EQ(k[7], 0.0);
}

TEST(Convolution, IdentityLeavesTheImageAndBadSizesDoNothing) {
    std::mt19937 rng(5);
    CIPDib dib;
    MakeRandomGrey(dib, 9, 7, rng);
    std::vector<BYTE> before = Pixels(dib);
    std::vector<double> identity(9, 0.0);
    identity[4] = 1.0;
    uint32_t nState = crt::GetRandState();
    dib.ConvolveImage(identity.data(), 3, 0);
    EXPECT_EQ(Pixels(dib), before);
    EXPECT_EQ(crt::GetRandState(), nState);

    std::vector<double> k(16, 1.0), out(size_t(dib.m_nRowBytes) * 7, -7.0);
    dib.m_bNoFlipKernel = 0;
    k[0] = 3;
    for (int n : {4, 0, -1, -3}) {
        dib.ConvolveImage(k.data(), n, 0);
        dib.ConvolveToArray(k.data(), n, out.data());
        dib.ConvolveRectToArray(k.data(), n, CRect(0, 0, 1, 1), out.data());
    }
    EXPECT_EQ(Pixels(dib), before);
    EXPECT_EQ(out, std::vector<double>(out.size(), -7.0));
    EXPECT_EQ(k[0], 3);  // refused calls do not reverse the kernel
}

TEST(Convolution, RectanglesOutsideTheImageAreRefused) {
    std::mt19937 rng(6);
    CIPDib dib, dest;
    MakeRandomGrey(dib, 6, 5, rng);
    MakeRandomGrey(dest, 2, 2, rng);
    std::vector<BYTE> destBefore = Pixels(dest);
    std::vector<double> k(9, 1.0), out(64, -7.0);
    for (CRect rect : {CRect(-1, 0, 2, 2), CRect(0, -1, 2, 2), CRect(0, 0, 6, 2), CRect(0, 0, 2, 5), CRect(3, 0, 2, 2),
                       CRect(0, 3, 2, 2)}) {
        dib.ConvolveRectToArray(k.data(), 3, rect, out.data());
        dib.ConvolveRectToImage(k.data(), 3, rect, dest, 0);
    }
    EXPECT_EQ(out, std::vector<double>(64, -7.0));
    EXPECT_EQ(dest.m_nWidth, 2);
    EXPECT_EQ(Pixels(dest), destBefore);
}

// Every instruction set this processor has: the plain C++ form and the best vector form.
std::vector<MoroIsa> IsasToTry() {
    std::vector<MoroIsa> isas = {MORO_ISA_SCALAR};
    if (GetBestIsa() != MORO_ISA_SCALAR) isas.push_back(GetBestIsa());
    return isas;
}

TEST(Convolution, ArraysMatchTheStepByStepFormBitForBit) {
    std::mt19937 rng(11);
    std::vector<MoroIsa> isas = IsasToTry();
    for (int nCase = 0; nCase < 160; ++nCase) {
        ASSERT_TRUE(SetIsa(isas[size_t(nCase) % isas.size()]));
        CIPDib dib;
        int w = 1 + int(rng() % (nCase % 4 ? 13 : 70)), h = 1 + int(rng() % 11), n = 1 + 2 * int(rng() % 5);
        MakeRandomGrey(dib, w, h, rng);
        dib.m_nBorderMode = int(rng() % 5);
        dib.m_bNoFlipKernel = int(rng() % 2);
        std::vector<double> k = RandomKernel(n, rng), kLiteral = k;
        std::vector<double> fast(size_t(dib.m_nRowBytes) * size_t(h), 0.0), slow = fast;
        dib.ConvolveToArray(k.data(), n, fast.data());
        literal::ConvolveToArray(dib, kLiteral.data(), n, slow.data());
        ASSERT_TRUE(SameBits(fast, slow)) << "case " << nCase;
        ASSERT_EQ(k, kLiteral);

        int l = int(rng() % unsigned(w)), t = int(rng() % unsigned(h));
        CRect rect(l, t, l + int(rng() % unsigned(w - l)), t + int(rng() % unsigned(h - t)));
        size_t nRect = size_t(rect.Width() + 1) * size_t(rect.Height() + 1);
        std::vector<double> fastRect(nRect, 0.0), slowRect = fastRect;
        dib.ConvolveRectToArray(k.data(), n, rect, fastRect.data());
        literal::ConvolveRectToArray(dib, kLiteral.data(), n, rect, slowRect.data());
        ASSERT_TRUE(SameBits(fastRect, slowRect)) << "case " << nCase;
    }
    SetIsa(GetBestIsa());
}

TEST(Convolution, PixelsAndRandomDrawsMatchTheStepByStepForm) {
    std::mt19937 rng(12);
    for (int nCase = 0; nCase < 120; ++nCase) {
        CIPDib dib;
        int w = 1 + int(rng() % 12), h = 1 + int(rng() % 9), n = 1 + 2 * int(rng() % 3), nMode = int(rng() % 5);
        MakeRandomGrey(dib, w, h, rng, 1 + int(rng() % 256));
        dib.m_nBorderMode = int(rng() % 4);
        dib.m_bNoFlipKernel = int(rng() % 2);
        std::vector<double> k = RandomKernel(n, rng), kLiteral = k;
        std::vector<BYTE> fast(size_t(dib.m_nRowBytes) * size_t(h), 0x5A), slow = fast;
        crt::srand(unsigned(nCase));
        literal::ConvolveToPixels(dib, kLiteral.data(), n, slow.data(), nMode);
        uint32_t nAfter = crt::GetRandState();
        crt::srand(unsigned(nCase));
        dib.ConvolveToPixels(k.data(), n, fast.data(), nMode);
        ASSERT_EQ(fast, slow) << "case " << nCase << " mode " << nMode;
        ASSERT_EQ(crt::GetRandState(), nAfter) << "case " << nCase;
    }
}

TEST(Convolution, ExactHalvesDrawOncePerPixelInStorageOrder) {
    // Odd levels halved: every response is an exact half.
    CIPDib dib;
    dib.Create(5, 3, 8, nullptr, 0);
    for (int r = 0; r < 3; ++r)
        for (int x = 0; x < 5; ++x) dib.StoredRow(r)[x] = BYTE(2 * (5 * r + x) + 1);
    std::vector<double> half(1, 0.5);
    crt::srand(77);
    std::vector<int> draws;
    for (int i = 0; i < 15; ++i) draws.push_back(crt::rand());
    uint32_t nAfter = crt::GetRandState();
    crt::srand(77);
    dib.ConvolveImage(half.data(), 1, 0);
    EXPECT_EQ(crt::GetRandState(), nAfter);
    for (int r = 0; r < 3; ++r)
        for (int x = 0; x < 5; ++x) {
            int i = 5 * r + x;
            EXPECT_EQ(dib.StoredRow(r)[x], i + (draws[size_t(i)] <= 0x3FFF ? 0 : 1)) << i;
        }
}

TEST(Convolution, DisplayMappings) {
    // A 1 x 1 kernel of weight w on an image of ones: each response is w.
    auto render = [](double w, int nMode) {
        CIPDib dib;
        dib.Create(1, 1, 8, nullptr, 1);
        std::vector<double> k(1, w);
        dib.ConvolveImage(k.data(), 1, nMode);
        return int(dib.StoredRow(0)[0]);
    };
    EXPECT_EQ(render(-1, 2), 127);
    EXPECT_EQ(render(1, 2), 129);
    EXPECT_EQ(render(0, 2), 128);
    EXPECT_EQ(render(300, 2), 255);
    EXPECT_EQ(render(-300, 2), 0);
    EXPECT_EQ(render(-256, 2), 0);
    EXPECT_EQ(render(100, 2), 178);
    crt::srand(3);
    crt::rand();
    uint32_t nOneDraw = crt::GetRandState();
    crt::srand(3);
    EXPECT_EQ(render(255, 2), 255);  // 255.5 stays white whichever way it rounds
    EXPECT_EQ(crt::GetRandState(), nOneDraw);
    EXPECT_EQ(render(-40, 1), 40);
    EXPECT_EQ(render(-400, 1), 255);
    EXPECT_EQ(render(-4, 0), 0);
    EXPECT_EQ(render(1e300 * 1e300, 0), 255);
    EXPECT_EQ(render(0.0 * (1e300 * 1e300), 0), 0);  // not a number: 0, no draw
    EXPECT_EQ(render(42, 9), 1);                      // no such mode: not written
}

TEST(Convolution, StretchedRangeAndItsEmptyCase) {
    CIPDib dib;
    MakeNumbered(dib, 3, 2);
    std::vector<double> k(1, -2.0);
    CIPDib flat;
    flat.Copy(dib);
    dib.ConvolveImage(k.data(), 1, 3);
    EXPECT_EQ(dib.GetPixel(0, 0), 255);  // the smallest pixel gives the largest response
    EXPECT_EQ(dib.GetPixel(2, 1), 0);
    flat.Create(3, 2, 8, nullptr, 9);
    uint32_t nState = crt::GetRandState();
    flat.ConvolveImage(k.data(), 1, 3);  // all responses equal: 0, no draws
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(flat.GetPixel(x, y), 0);
    EXPECT_EQ(crt::GetRandState(), nState);
}

TEST(Convolution, RectangleImageIsUprightAndMayReplaceItsSource) {
    std::mt19937 rng(21);
    CIPDib dib;
    MakeRandomGrey(dib, 8, 6, rng);
    dib.m_bHistValid = 1;
    std::vector<double> identity(9, 0.0);
    identity[4] = 1.0;
    CRect rect(2, 1, 6, 3);
    CIPDib dest;
    dest.m_bHistValid = 1;
    dib.ConvolveRectToImage(identity.data(), 3, rect, dest, 0);
    ASSERT_EQ(dest.m_nWidth, 5);
    ASSERT_EQ(dest.m_nHeight, 3);
    EXPECT_EQ(dest.m_nBitCount, 8);
    EXPECT_EQ(dest.m_bHistValid, 0);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(dest.GetPixel(x, y), dib.GetPixel(2 + x, 1 + y));

    dib.ConvolveRectToImage(identity.data(), 3, rect, dib, 0);
    ASSERT_EQ(dib.m_nWidth, 5);
    EXPECT_EQ(Pixels(dib), Pixels(dest));
    EXPECT_EQ(dib.m_bHistValid, 0);
}

TEST(Convolution, ConvolvingTheImageClearsTheHistogramFlag) {
    CIPDib dib;
    MakeNumbered(dib, 3, 3);
    dib.m_bHistValid = 1;
    std::vector<double> k(9, 1.0 / 9);
    dib.ConvolveImage(k.data(), 3, 0);
    EXPECT_EQ(dib.m_bHistValid, 0);
}
