// What the neighbourhood filters share: which images they work on, where a neighbour beyond the
// edge is read, and the checks of their rectangles and window sizes.
#pragma once

#include <climits>

#include "dib/DibBounds.h"
#include "ipdib/IPDib.h"

namespace ipdib {

// An 8-bit image whose rows all lie in its block: the only kind the filters read.
inline bool IsFilterable(const CDib& dib) { return dib.m_nBitCount == 8 && DibRowsComplete(dib); }

// The position read for offset d from position p on an axis of nLength positions, under the
// border mode; -1 where the neighbour reads as 0.  Wide arithmetic: an offset may be anything.
inline long long ResolveNeighbour(long long p, long long d, long long nLength, int nMode) {
    long long q = p + d;
    if (q < 0 || q >= nLength) {
        switch (nMode) {
            case 1: q = p - d; break;                         // mirror about the centre pixel
            case 2: q = p; break;                             // hold the centre's coordinate
            case 3: q = q < 0 ? q + nLength : q - nLength; break;  // wrap once
            default: break;
        }
    }
    return q >= 0 && q < nLength ? q : -1;
}

// A picture rectangle, right and bottom included, that lies inside the image.
inline bool RectInImage(const CDib& dib, const CRect& rect) {
    return rect.left >= 0 && rect.top >= 0 && rect.left <= rect.right && rect.top <= rect.bottom &&
           rect.right <= dib.m_nWidth - 1 && rect.bottom <= dib.m_nHeight - 1;
}

// A window side the filters accept: odd and positive.
inline bool IsOddSide(int n) { return n > 0 && n % 2 == 1; }

// Whether a x b window positions can be counted in an int.
inline bool WindowFits(int a, int b) { return a >= 0 && b >= 0 && (a == 0 || b <= INT_MAX / a); }

}  // namespace ipdib
