// Fonts and text: the cell a font height gives, where the alignment puts the text, opaque and
// transparent backgrounds, faces that are not installed, Chinese text, and bad input.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>

#include "platform/Afx.h"
#include "tests/support/Surfaces.h"

using namespace moro_test;

namespace {

// Bounds of the pixels that differ from `background`: left, top, right, bottom (inclusive);
// left > right when there are none.
RECT Inked(platform::Surface& s, DWORD background) {
    RECT r = {s.Width(), s.Height(), -1, -1};
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x)
            if (s.Pixel(x, y) != background) {
                r.left = std::min<LONG>(r.left, x);
                r.top = std::min<LONG>(r.top, y);
                r.right = std::max<LONG>(r.right, x);
                r.bottom = std::max<LONG>(r.bottom, y);
            }
    return r;
}

std::set<DWORD> Colours(platform::Surface& s) {
    std::set<DWORD> colours;
    for (int i = 0; i < s.Width() * s.Height(); ++i) colours.insert(s.Pixels()[i]);
    return colours;
}

// Text drawn in black, transparently, at the top left of a new white surface.
std::vector<DWORD> Draw(const char* face, const char* text, int height = 20) {
    SurfaceDC dc(120, 40);
    HFONT font = CreateFont(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_TT_PRECIS, 0, 0, 0, face);
    HGDIOBJ old = SelectObject(dc.hdc, font);
    SetBkMode(dc.hdc, TRANSPARENT);
    TextOut(dc.hdc, 2, 2, text, int(std::strlen(text)));
    SelectObject(dc.hdc, old);
    DeleteObject(font);
    return std::vector<DWORD>(dc.s().Pixels(), dc.s().Pixels() + 120 * 40);
}

}  // namespace

TEST(TextOut, ANewDCDrawsBlackOnAnOpaqueWhiteCellOfTheSystemFont) {
    SurfaceDC dc(100, 30);
    dc.s().Fill(0x00336699);
    SIZE size;
    ASSERT_TRUE(GetTextExtentPoint32(dc.hdc, "MORO", 4, &size));
    EXPECT_EQ(size.cy, 16);
    EXPECT_GT(size.cx, 16);
    ASSERT_TRUE(TextOut(dc.hdc, 5, 3, "MORO", 4));
    RECT ink = Inked(dc.s(), 0x00336699);
    EXPECT_EQ(ink.left, 5);
    EXPECT_EQ(ink.top, 3);
    EXPECT_EQ(ink.right, 5 + size.cx - 1);
    EXPECT_EQ(ink.bottom, 3 + 16 - 1);
    // Crisp glyphs: the cell holds only the text and background colours.
    EXPECT_EQ(Colours(dc.s()), (std::set<DWORD>{0x00336699, 0, kWhite}));
}

TEST(TextOut, PositiveHeightsAreTheCellAndNegativeOnesTheCharacters) {
    SurfaceDC dc(10, 10);
    for (int height : {9, 12, 20, 33}) {
        CFont font;
        ASSERT_TRUE(font.CreateFont(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_TT_PRECIS, 0, 0, 0, "Arial"));
        CDC* pDC = CDC::FromHandle(dc.hdc);
        CFont* old = pDC->SelectObject(&font);
        TEXTMETRIC tm;
        ASSERT_TRUE(pDC->GetTextMetrics(&tm));
        EXPECT_EQ(tm.tmHeight, height);
        EXPECT_EQ(tm.tmAscent + tm.tmDescent, height);
        EXPECT_EQ(pDC->GetTextExtent("Ag", 2).cy, height);
        pDC->SelectObject(old);

        CFont em;
        ASSERT_TRUE(em.CreateFont(-height, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_TT_PRECIS, 0, 0, 0, "Arial"));
        pDC->SelectObject(&em);
        ASSERT_TRUE(pDC->GetTextMetrics(&tm));
        EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, height);
        pDC->SelectObject(old);
    }
}

TEST(TextOut, AlignmentPlacesTheTextAroundItsReferencePoint) {
    SurfaceDC dc(120, 60);
    SetBkMode(dc.hdc, TRANSPARENT);
    SetTextColor(dc.hdc, RGB(0, 0, 255));
    EXPECT_EQ(SetTextAlign(dc.hdc, TA_RIGHT | TA_BASELINE), TA_LEFT | TA_TOP);
    TEXTMETRIC tm;
    ASSERT_TRUE(GetTextMetrics(dc.hdc, &tm));
    ASSERT_TRUE(TextOut(dc.hdc, 100, 40, "HHH", 3));
    RECT ink = Inked(dc.s(), kWhite);
    EXPECT_LE(ink.right, 99);
    EXPECT_GE(ink.right, 95);
    EXPECT_EQ(ink.bottom, 39);  // 'H' stands on the base line
    EXPECT_GE(ink.top, 40 - tm.tmAscent);
    EXPECT_EQ(Colours(dc.s()), (std::set<DWORD>{kWhite, 0x000000FF}));
}

TEST(TextOut, FacesThatAreNotInstalledFallBackToOneThatHasTheText) {
    // The Chinese name of the installed CJK face, and two names that are not installed.
    std::vector<DWORD> installed = Draw("文泉驿正黑", "加密图像");
    std::vector<DWORD> blank = Draw("", "");
    EXPECT_NE(installed, blank);
    EXPECT_EQ(Draw("宋体", "加密图像"), installed);
    EXPECT_EQ(Draw("NoSuchFace", "加密图像"), installed);
    // A Latin face with Chinese characters draws them from a face that has them.
    std::vector<DWORD> latin = Draw("DejaVu Serif", "A");
    std::vector<DWORD> mixed = Draw("DejaVu Serif", "A加");
    EXPECT_NE(mixed, latin);
    for (int y = 0; y < 40; ++y)  // the 'A' (about 14 pixels wide from x = 2) is the same
        ASSERT_TRUE(std::equal(&mixed[y * 120], &mixed[y * 120 + 12], &latin[y * 120])) << y;
    EXPECT_NE(std::count(latin.begin(), latin.end(), 0u), 0);
}

TEST(TextOut, AntialiasedFontsBlendTheirEdges) {
    SurfaceDC dc(80, 30);
    SetBkMode(dc.hdc, TRANSPARENT);
    LOGFONT lf = {};
    lf.lfHeight = 24;
    lf.lfQuality = ANTIALIASED_QUALITY;
    std::strcpy(lf.lfFaceName, "DejaVu Sans");
    HFONT font = CreateFontIndirect(&lf);
    SelectObject(dc.hdc, font);
    ASSERT_TRUE(TextOut(dc.hdc, 2, 2, "Sw", 2));
    EXPECT_GT(Colours(dc.s()).size(), 4u);
    // The font stays while it is selected.
    EXPECT_FALSE(DeleteObject(font));
    SelectObject(dc.hdc, GetStockObject(SYSTEM_FONT));
    EXPECT_TRUE(DeleteObject(font));
}

TEST(TextOut, BadInputIsRefusedOrDrawnSafely) {
    SurfaceDC dc(60, 20);
    EXPECT_FALSE(TextOut(nullptr, 0, 0, "x", 1));
    EXPECT_FALSE(TextOut(dc.hdc, 0, 0, "x", -1));
    EXPECT_FALSE(TextOut(dc.hdc, 0, 0, nullptr, 3));
    EXPECT_TRUE(TextOut(dc.hdc, 0, 0, nullptr, 0));
    // Broken UTF-8 (a lone continuation byte, a cut sequence, an overlong form) draws as
    // replacement characters, and the count is respected: nothing past it is read.
    const char broken[] = {'\x80', 'a', '\xE4', '\xB8', '\xC0', '\xAF', 'Z'};
    EXPECT_TRUE(TextOut(dc.hdc, 0, 0, broken, 6));
    EXPECT_TRUE(TextOut(dc.hdc, INT32_MIN, INT32_MAX, "far away", 8));

    // A face name that fills the whole field ends at the last whole character.
    LOGFONT lf = {};
    std::string name;
    while (name.size() < LF_FACESIZE) name += "宋";
    std::memcpy(lf.lfFaceName, name.data(), LF_FACESIZE);
    HFONT font = CreateFontIndirect(&lf);
    LOGFONT back;
    ASSERT_EQ(GetObject(font, sizeof back, &back), int(sizeof back));
    EXPECT_EQ(std::string(back.lfFaceName), name.substr(0, 30));
    DeleteObject(font);
}

