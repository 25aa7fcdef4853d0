// DrawDib: a packed DIB scaled into a rectangle of a device context, nearest pixel.
#include <algorithm>
#include <unordered_set>

#include "platform/GdiInternal.h"

struct HDRAWDIB__ {
    int nUnused = 0;
};

namespace {
std::unordered_set<HDRAWDIB__*> g_contexts;
int g_failOpen = 0;
}  // namespace

void platform::FailDrawDibOpen(int count) { g_failOpen = count > 0 ? count : 0; }

HDRAWDIB DrawDibOpen() {
    if (g_failOpen > 0) {
        --g_failOpen;
        return nullptr;
    }
    HDRAWDIB h = new HDRAWDIB__;
    g_contexts.insert(h);
    return h;
}

BOOL DrawDibClose(HDRAWDIB hdd) {
    if (!hdd || !g_contexts.erase(hdd)) return FALSE;
    delete hdd;
    return TRUE;
}

using namespace platform;

namespace {

// One axis of the mapping: destination offsets 0 .. |dst| - 1 sample the source at the pixel
// whose span holds the centre of the destination pixel.
struct Axis {
    long long nDst;    // pixels in the destination, > 0
    long long nSrc;    // pixels in the source rectangle, > 0
    long long nOrigin; // first destination pixel, after normalising a mirrored rectangle
    bool bMirror;
    long long Source(long long nOffset) const {
        if (bMirror) nOffset = nDst - 1 - nOffset;
        return ((2 * nOffset + 1) * nSrc) / (2 * nDst);
    }
};

// Normalises a destination size; false when nothing is drawn or the size is refused.
bool MakeAxis(int nPos, int nSize, long long nSrc, Axis& a) {
    if (nSize == -1) nSize = int(std::min<long long>(nSrc, 0x7FFFFFFF));
    if (nSize == 0) return false;
    a.nSrc = nSrc;
    a.bMirror = nSize < 0;
    a.nDst = a.bMirror ? -(long long)nSize : nSize;
    a.nOrigin = a.bMirror ? (long long)nPos + nSize : nPos;
    return true;
}

}  // namespace

BOOL DrawDibDraw(HDRAWDIB hdd, HDC hDC, int xDst, int yDst, int dxDst, int dyDst, const BITMAPINFOHEADER* lpbi,
                 const void* lpBits, int xSrc, int ySrc, int dxSrc, int dySrc, UINT) {
    if (!hdd || !g_contexts.count(hdd) || !LookupDC(hDC) || !lpbi) return FALSE;
    if (lpbi->biSize < sizeof(BITMAPINFOHEADER)) return FALSE;
    const void* bits = lpBits ? lpBits : reinterpret_cast<const BYTE*>(lpbi) + DibReader::PackedBitsOffset(lpbi);
    DibReader dib;
    if (!dib.Init(lpbi, bits, DIB_RGB_COLORS)) return FALSE;

    // The source rectangle, from the picture's top-left; -1 (any negative size) takes the rest.
    if (xSrc < 0 || ySrc < 0 || xSrc >= dib.Width() || ySrc >= dib.Height()) return FALSE;
    long long sw = dxSrc < 0 ? dib.Width() - xSrc : dxSrc;
    long long sh = dySrc < 0 ? dib.Height() - ySrc : dySrc;
    if (sw == 0 || sh == 0 || xSrc + sw > dib.Width() || ySrc + sh > dib.Height()) return FALSE;

    Axis ax, ay;
    if (!MakeAxis(xDst, dxDst, sw, ax) || !MakeAxis(yDst, dyDst, sh, ay)) return TRUE;
    Surface* s = GetSurface(hDC);
    if (!s) return TRUE;  // the screen keeps no pixels

    long long u0 = std::max<long long>(0, -ax.nOrigin), u1 = std::min<long long>(ax.nDst, s->Width() - ax.nOrigin);
    long long v0 = std::max<long long>(0, -ay.nOrigin), v1 = std::min<long long>(ay.nDst, s->Height() - ay.nOrigin);
    for (long long v = v0; v < v1; ++v) {
        long long nPictureRow = ySrc + ay.Source(v);
        const BYTE* row = dib.Bits() + size_t(dib.StoredRow(nPictureRow)) * dib.RowBytes();
        DWORD* out = s->Pixels() + size_t(ay.nOrigin + v) * s->Stride() + ax.nOrigin;
        for (long long u = u0; u < u1; ++u) out[u] = s->Store(dib.Pixel(row, int(xSrc + ax.Source(u))));
    }
    return TRUE;
}
