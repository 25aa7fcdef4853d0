#include "tests/support/Images.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>

namespace moro_test {

void PutDword(std::vector<BYTE>& bytes, size_t offset, DWORD value) {
    for (int i = 0; i < 4; ++i) bytes[offset + i] = BYTE(value >> (8 * i));
}

namespace {
void PutWord(std::vector<BYTE>& bytes, size_t offset, WORD value) {
    bytes[offset] = BYTE(value);
    bytes[offset + 1] = BYTE(value >> 8);
}
}  // namespace

std::vector<BYTE> MakeBmpFile(const BmpFields& s) {
    size_t nColors = s.dwClrUsed ? s.dwClrUsed : size_t(DibDefaultColors(s.nBitCount));
    size_t nRowBytes = size_t(DibRowBytes(s.nWidth > 0 ? s.nWidth : 1, s.nBitCount));
    size_t nRows = size_t(s.nHeight > 0 ? s.nHeight : -s.nHeight);
    size_t nPaletteEnd = 14 + s.dwInfoSize + 4 * nColors;
    size_t nOffBits = s.nOffBits >= 0 ? size_t(s.nOffBits) : nPaletteEnd;
    std::vector<BYTE> f(std::max(nPaletteEnd, nOffBits) + nRowBytes * nRows, 0);
    f[0] = 'B';
    f[1] = 'M';
    PutDword(f, 2, DWORD(f.size()));
    PutDword(f, 10, DWORD(nOffBits));
    PutDword(f, 14, s.dwInfoSize);
    PutDword(f, 18, DWORD(s.nWidth));
    PutDword(f, 22, DWORD(s.nHeight));
    PutWord(f, 26, 1);
    PutWord(f, 28, WORD(s.nBitCount));
    PutDword(f, 30, s.dwCompression);
    PutDword(f, 34, DWORD(nRowBytes * nRows));
    PutDword(f, 46, s.dwClrUsed);
    // A palette that is easy to recognise: entry i is (i, 255 - i, i / 2).
    for (size_t i = 0; i < nColors; ++i) {
        size_t at = 14 + s.dwInfoSize + 4 * i;
        f[at] = BYTE(i);
        f[at + 1] = BYTE(255 - i);
        f[at + 2] = BYTE(i / 2);
    }
    for (size_t n = 0; n < nRowBytes * nRows; ++n) f[nOffBits + n] = BYTE(n * 7 + 3);
    f.resize(f.size() - size_t(s.nCut));
    return f;
}

void MakePicture(CDib& dib, int w, int h, int bits, unsigned seed) {
    ASSERT_TRUE(dib.Create(w, h, bits, nullptr, 0));
    std::mt19937 rng(seed);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int v = int(128 + 90 * std::sin(x / 7.0) * std::cos(y / 5.0)) + int(rng() % 9) - 4;
            v = std::clamp(v, 0, 255);
            dib.SetPixel(x, y, bits == 8 ? v : RGB(v, 255 - v, (x * 3 + y) & 255));
        }
}

void MakeWorkedImage(CDib& dib) {
    ASSERT_TRUE(dib.Create(2, 2, 8, nullptr, 0));
    const BYTE rows[2][2] = {{0, 100}, {200, 255}};
    for (int r = 0; r < 2; ++r) std::memcpy(dib.StoredRow(r), rows[r], 2);
}

COLORREF PixelColour(const CDib& dib, int x, int y) {
    const BYTE* p = dib.PictureRow(y) + 3 * x;
    return RGB(p[2], p[1], p[0]);
}

std::vector<BYTE> FileRows(const std::string& path) {
    CDib dib;
    EXPECT_TRUE(dib.LoadFile(path.c_str(), 0)) << path;
    if (!dib.m_lpBits) return {};
    return std::vector<BYTE>(dib.m_lpBits, dib.m_lpBits + size_t(dib.m_nHeight) * size_t(dib.m_nRowBytes));
}

std::string SuiteFile(const char* name) { return std::string(MORO_TESTDATA) + "/bmpsuite/g/" + name; }

std::vector<BYTE> RgbPixels(const CDib& dib) {
    std::vector<BYTE> rgb;
    if (!dib.m_lpBuf) return rgb;
    int bits = dib.m_nBitCount;
    for (int y = dib.m_nHeight - 1; y >= 0; --y) {
        const BYTE* row = dib.StoredRow(y);
        for (int x = 0; x < dib.m_nWidth; ++x) {
            if (bits == 24) {
                rgb.insert(rgb.end(), {row[3 * x + 2], row[3 * x + 1], row[3 * x]});
                continue;
            }
            int bit = x * bits;
            int index = (row[bit / 8] >> (8 - bits - bit % 8)) & ((1 << bits) - 1);
            if (index < dib.m_nColors) {
                const RGBQUAD& q = dib.m_lpPalette[index];
                rgb.insert(rgb.end(), {q.rgbRed, q.rgbGreen, q.rgbBlue});
            } else {
                rgb.insert(rgb.end(), {0, 0, 0});
            }
        }
    }
    return rgb;
}

uint32_t Crc32(const std::vector<BYTE>& bytes) {
    uint32_t crc = 0xFFFFFFFFu;
    for (BYTE b : bytes) {
        crc ^= b;
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

}  // namespace moro_test
