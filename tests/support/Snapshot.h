// Test support: everything of an image object that a failed operation must leave alone.  Free of
// GoogleTest, so that the fuzz targets use it too.
#pragma once

#include <vector>

#include "dib/Dib.h"

namespace moro_test {

struct DibSnapshot {
    std::vector<BYTE> block;
    DWORD dwBufSize;
    int nWidth, nHeight, nBitCount, nColors, nRowBytes, nImageSize;
    long long nBitsOffset, nPaletteOffset;
    bool operator==(const DibSnapshot&) const = default;
};
DibSnapshot Snapshot(const CDib& dib);

}  // namespace moro_test
