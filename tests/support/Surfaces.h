// Test support for the drawing tests: device contexts over surfaces of their own, and packed DIBs
// built in memory with a known palette.
#pragma once

#include <vector>

#include "platform/Afx.h"

namespace moro_test {

// What a new surface is filled with.
constexpr DWORD kWhite = 0x00FFFFFF;

// A device context over a new white surface, deleted with the object.
struct SurfaceDC {
    HDC hdc;
    SurfaceDC(int w, int h) : hdc(platform::CreateSurfaceDC(w, h)) {}
    ~SurfaceDC() { DeleteDC(hdc); }
    SurfaceDC(const SurfaceDC&) = delete;
    SurfaceDC& operator=(const SurfaceDC&) = delete;
    platform::Surface& s() { return *platform::GetSurface(hdc); }
};

// A packed DIB (header, palette, rows) built in memory.  Pixels are set by picture row (from the
// top), so the tests say what they mean and the helper does the bottom-up storage.
struct TestDib {
    std::vector<BYTE> block;
    int width, height, bits, colors;

    // nColors < 0: the full palette of the depth, written as biClrUsed 0.
    TestDib(int w, int h, int nBits, int nColors = -1);
    size_t RowBytes() const { return size_t((width * bits + 31) / 32 * 4); }
    BITMAPINFOHEADER& Header() { return *reinterpret_cast<BITMAPINFOHEADER*>(block.data()); }
    BITMAPINFO* Bmi() { return reinterpret_cast<BITMAPINFO*>(block.data()); }
    BYTE* Bits() { return block.data() + 40 + 4 * size_t(colors); }
    void SetColor(int i, DWORD rgb);
    BYTE* Row(int pictureRow) { return Bits() + RowBytes() * size_t(height - 1 - pictureRow); }
    void Set(int x, int pictureRow, DWORD value);
};

// Colour of index i in the palettes of the drawing tests: distinct for every index.
DWORD PaletteColor(int i);

}  // namespace moro_test
