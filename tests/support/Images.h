// Test support: BMP files made byte by byte, pictures to code and resample, snapshots of an image
// object, and its pixels as RGB.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dib/Dib.h"
#include "tests/support/Snapshot.h"

namespace moro_test {

// The fields of a BMP file to build; the defaults make a valid file of the given geometry with a
// grey palette and a pixel pattern.  Fields can be changed to make faulty files.
struct BmpFields {
    int nWidth = 7;
    int nHeight = 3;
    int nBitCount = 8;
    DWORD dwInfoSize = 40;      // 40, or 108 / 124 for the longer headers
    DWORD dwClrUsed = 0;        // palette entries written: 0 means the default for the depth
    DWORD dwCompression = 0;
    long long nOffBits = -1;    // -1: right behind the palette
    long long nCut = 0;         // bytes removed from the end of the file
};

std::vector<BYTE> MakeBmpFile(const BmpFields& fields);
void PutDword(std::vector<BYTE>& bytes, size_t offset, DWORD value);

// An image with a smooth picture and some edges, so that coding has something to do.
void MakePicture(CDib& dib, int w, int h, int bits, unsigned seed = 1);
// The 2 x 2 grey image of the resampling worked examples: stored rows (0, 100) and (200, 255).
void MakeWorkedImage(CDib& dib);

// Pixels as R, G, B bytes, rows top-down; palette indices beyond the palette are black.
std::vector<BYTE> RgbPixels(const CDib& dib);
uint32_t Crc32(const std::vector<BYTE>& bytes);
// The colour of pixel (x, y) of a 24-bit image, y counted from the top.
COLORREF PixelColour(const CDib& dib, int x, int y);
// The stored pixel rows of an image file, as the library reads it (empty, and a failed
// expectation, when it cannot be read).
std::vector<BYTE> FileRows(const std::string& path);
// A file of the BMP suite in the shared test data (bmpsuite/g/NAME).
std::string SuiteFile(const char* name);

}  // namespace moro_test
