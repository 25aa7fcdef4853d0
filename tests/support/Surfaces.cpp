#include "tests/support/Surfaces.h"

namespace moro_test {

TestDib::TestDib(int w, int h, int nBits, int nColors) : width(w), height(h), bits(nBits) {
    colors = nColors >= 0 ? nColors : (nBits <= 8 ? 1 << nBits : 0);
    block.assign(40 + 4 * size_t(colors) + RowBytes() * h, 0);
    BITMAPINFOHEADER& bih = Header();
    bih.biSize = 40;
    bih.biWidth = w;
    bih.biHeight = h;
    bih.biPlanes = 1;
    bih.biBitCount = WORD(nBits);
    bih.biClrUsed = nColors >= 0 ? DWORD(nColors) : 0;
}

void TestDib::SetColor(int i, DWORD rgb) {
    RGBQUAD* pal = reinterpret_cast<RGBQUAD*>(block.data() + 40);
    pal[i] = RGBQUAD{BYTE(rgb), BYTE(rgb >> 8), BYTE(rgb >> 16), 0};
}

void TestDib::Set(int x, int pictureRow, DWORD value) {
    BYTE* row = Row(pictureRow);
    if (bits == 24) {
        row[3 * x] = BYTE(value);
        row[3 * x + 1] = BYTE(value >> 8);
        row[3 * x + 2] = BYTE(value >> 16);
        return;
    }
    int perByte = 8 / bits;
    int shift = 8 - bits * (x % perByte + 1);
    BYTE mask = BYTE(((1 << bits) - 1) << shift);
    row[x / perByte] = BYTE((row[x / perByte] & ~mask) | ((value << shift) & mask));
}

DWORD PaletteColor(int i) { return DWORD(0x00102030 + i * 0x00050301); }

}  // namespace moro_test
