// Reading device-independent bitmaps and copying them to a device context one to one.
#include <algorithm>
#include <cstring>

#include "platform/GdiInternal.h"

namespace platform {

namespace {
int TableEntries(const BITMAPINFOHEADER* lpbih) {
    if (lpbih->biBitCount > 8) return int(std::min<DWORD>(lpbih->biClrUsed, 256));
    int nMax = 1 << lpbih->biBitCount;
    return lpbih->biClrUsed ? int(std::min<DWORD>(lpbih->biClrUsed, DWORD(nMax))) : nMax;
}
}  // namespace

size_t DibReader::PackedBitsOffset(const BITMAPINFOHEADER* lpbih) {
    // The colour table of a packed DIB has biClrUsed entries, or the full table for 8 bits or
    // fewer when biClrUsed is 0.
    size_t nEntries = lpbih->biClrUsed;
    if (!nEntries && lpbih->biBitCount <= 8) nEntries = size_t(1) << lpbih->biBitCount;
    return size_t(lpbih->biSize) + 4 * nEntries;
}

bool DibReader::Init(const BITMAPINFOHEADER* lpbih, const void* lpBits, UINT fuColorUse) {
    if (!lpbih || !lpBits || fuColorUse != DIB_RGB_COLORS) return false;
    if (lpbih->biSize < sizeof(BITMAPINFOHEADER) || lpbih->biCompression != BI_RGB) return false;
    int nBits = lpbih->biBitCount;
    if (nBits != 1 && nBits != 2 && nBits != 4 && nBits != 8 && nBits != 24) return false;
    if (lpbih->biWidth <= 0 || lpbih->biHeight == 0 || lpbih->biHeight == INT32_MIN) return false;

    m_nWidth = lpbih->biWidth;
    m_bTopDown = lpbih->biHeight < 0;
    m_nHeight = m_bTopDown ? -lpbih->biHeight : lpbih->biHeight;
    m_nBitCount = nBits;
    m_nRowBytes = size_t(((long long)m_nWidth * nBits + 31) / 32) * 4;
    m_lpBits = static_cast<const BYTE*>(lpBits);

    std::fill(std::begin(m_palette), std::end(m_palette), 0);
    if (nBits <= 8) {
        const RGBQUAD* table = reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const BYTE*>(lpbih) + lpbih->biSize);
        int n = TableEntries(lpbih);
        for (int i = 0; i < n; ++i)
            m_palette[i] = (DWORD(table[i].rgbRed) << 16) | (DWORD(table[i].rgbGreen) << 8) | table[i].rgbBlue;
    }
    return true;
}

DWORD DibReader::Pixel(const BYTE* lpRow, int x) const {
    switch (m_nBitCount) {
        case 1: return m_palette[(lpRow[x >> 3] >> (7 - (x & 7))) & 1];
        case 2: return m_palette[(lpRow[x >> 2] >> (6 - 2 * (x & 3))) & 3];
        case 4: return m_palette[(lpRow[x >> 1] >> ((x & 1) ? 0 : 4)) & 15];
        case 8: return m_palette[lpRow[x]];
        default: {
            const BYTE* p = lpRow + size_t(3) * x;
            return (DWORD(p[2]) << 16) | (DWORD(p[1]) << 8) | p[0];
        }
    }
}

}  // namespace platform

using namespace platform;

int SetDIBitsToDevice(HDC hDC, int xDest, int yDest, DWORD dwWidth, DWORD dwHeight, int xSrc, int ySrc,
                      UINT uStartScan, UINT cLines, const void* lpvBits, const BITMAPINFO* lpbmi,
                      UINT fuColorUse) {
    HDC__* dc = LookupDC(hDC);
    DibReader dib;
    if (!dc || !lpbmi || !dib.Init(&lpbmi->bmiHeader, lpvBits, fuColorUse)) return 0;

    // Scan lines handed over that belong to the DIB.
    long long nFirst = uStartScan;
    long long nEnd = std::min<long long>((long long)uStartScan + cLines, dib.Height());
    if (nEnd <= nFirst) return 0;

    Surface* s = GetSurface(hDC);
    if (!s) return int(nEnd - nFirst);  // the screen keeps no pixels

    // The source rectangle, clipped to the DIB, in DIB coordinates (y from the bottom).
    long long sx0 = std::max<long long>(xSrc, 0);
    long long sx1 = std::min<long long>((long long)xSrc + dwWidth, dib.Width());
    long long sy0 = std::max<long long>(ySrc, 0);
    long long sy1 = std::min<long long>((long long)ySrc + dwHeight, dib.Height());
    // Destination of source (sx, sy): (xDest + sx - xSrc, yDest + ySrc + height - 1 - sy).
    long long dx0 = std::max<long long>((long long)xDest + (sx0 - xSrc), 0);
    long long dx1 = std::min<long long>((long long)xDest + (sx1 - xSrc), s->Width());
    long long yTop = (long long)yDest + ySrc + dwHeight - 1;  // destination y of sy = 0
    for (long long sy = sy0; sy < sy1; ++sy) {
        long long dy = yTop - sy;
        if (dy < 0 || dy >= s->Height()) continue;
        // Storage order: a bottom-up DIB stores sy = 0 first, a top-down one last.
        long long nScan = dib.StoredRow(dib.Height() - 1 - sy);
        if (nScan < nFirst || nScan >= nEnd) continue;
        const BYTE* row = dib.Bits() + size_t(nScan - nFirst) * dib.RowBytes();
        DWORD* out = s->Pixels() + size_t(dy) * s->Stride();
        for (long long dx = dx0; dx < dx1; ++dx) {
            int sx = int(dx - xDest + xSrc);
            out[dx] = s->Store(dib.Pixel(row, sx));
        }
    }
    return int(nEnd - nFirst);
}
