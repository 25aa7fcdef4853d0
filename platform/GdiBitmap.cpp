// Device-dependent bitmaps: creation, their bits and BITMAP record, and CBitmap.
#include <algorithm>
#include <cstring>

#include "platform/GdiInternal.h"

using namespace platform;

namespace {

// Rows of device-dependent bitmaps are padded to 16 bits.
LONG WidthBytes(const Surface& s) { return LONG(((long long)s.Width() * s.BitsPixel() + 15) / 16 * 2); }

// Fills a bitmap from rows in the GetBitmapBits format.
void LoadBits(Surface& s, const BYTE* lpBits) {
    LONG nStride = WidthBytes(s);
    for (int y = 0; y < s.Height(); ++y) {
        const BYTE* row = lpBits + size_t(y) * nStride;
        for (int x = 0; x < s.Width(); ++x) {
            const BYTE* p = row + size_t(s.BitsPixel() / 8) * x;
            switch (s.BitsPixel()) {
                case 1: s.SetPixel(x, y, (row[x >> 3] >> (7 - (x & 7))) & 1 ? 0x00FFFFFF : 0); break;
                case 16: {
                    DWORD w = p[0] | (p[1] << 8);
                    s.SetPixel(x, y, ((w >> 11) << 19) | (((w >> 5) & 0x3F) << 10) | ((w & 0x1F) << 3));
                    break;
                }
                default: s.SetPixel(x, y, (DWORD(p[2]) << 16) | (DWORD(p[1]) << 8) | p[0]);
            }
        }
    }
}

}  // namespace

HBITMAP CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitsPixel, const void* lpBits) {
    unsigned long long nDepth = (unsigned long long)nPlanes * nBitsPixel;
    if (nDepth != 1 && nDepth != 16 && nDepth != 24 && nDepth != 32) return nullptr;
    HBITMAP__* bm = NewBitmap(nWidth, nHeight, int(nDepth));
    if (bm && lpBits) LoadBits(bm->surface, static_cast<const BYTE*>(lpBits));
    return bm;
}

HBITMAP CreateCompatibleBitmap(HDC hDC, int nWidth, int nHeight) {
    HDC__* dc = LookupDC(hDC);
    if (!dc) return nullptr;
    return NewBitmap(nWidth, nHeight, CompatibleBitsPixel(dc));
}

HBITMAP CreateDIBitmap(HDC hDC, const BITMAPINFOHEADER* lpbmih, DWORD fdwInit, const void* lpbInit,
                       const BITMAPINFO* lpbmi, UINT fuUsage) {
    HDC__* dc = LookupDC(hDC);
    if (!dc || !lpbmih) return nullptr;
    LONG nHeight = lpbmih->biHeight;
    if (nHeight == INT32_MIN) return nullptr;
    if (nHeight < 0) nHeight = -nHeight;

    DibReader dib;
    bool bInit = (fdwInit & CBM_INIT) != 0;
    if (bInit && (!lpbmi || !dib.Init(&lpbmi->bmiHeader, lpbInit, fuUsage))) return nullptr;
    if (bInit && (dib.Width() != lpbmih->biWidth || dib.Height() != nHeight)) return nullptr;

    HBITMAP__* bm = NewBitmap(lpbmih->biWidth, nHeight, CompatibleBitsPixel(dc));
    if (!bm || !bInit) return bm;
    Surface& s = bm->surface;
    for (int y = 0; y < s.Height(); ++y) {
        const BYTE* row = dib.Bits() + size_t(dib.StoredRow(y)) * dib.RowBytes();
        for (int x = 0; x < s.Width(); ++x) s.SetPixel(x, y, dib.Pixel(row, x));
    }
    return bm;
}

LONG GetBitmapBits(HBITMAP hBitmap, LONG cbBuffer, void* lpvBits) {
    HBITMAP__* bm = LookupBitmap(hBitmap);
    if (!bm) return 0;
    const Surface& s = bm->surface;
    LONG nStride = WidthBytes(s);
    long long nTotal = (long long)nStride * s.Height();
    if (!lpvBits) return LONG(nTotal);
    if (cbBuffer <= 0) return 0;
    long long nCopy = std::min<long long>(cbBuffer, nTotal);

    std::vector<BYTE> row(size_t(nStride), 0);
    BYTE* out = static_cast<BYTE*>(lpvBits);
    for (int y = 0; y < s.Height() && nCopy > 0; ++y) {
        std::fill(row.begin(), row.end(), 0);
        for (int x = 0; x < s.Width(); ++x) {
            DWORD p = s.Pixel(x, y);
            BYTE* q = &row[size_t(s.BitsPixel() / 8) * x];
            switch (s.BitsPixel()) {
                case 1:
                    if (p) row[size_t(x >> 3)] |= BYTE(0x80 >> (x & 7));
                    break;
                case 16: {
                    DWORD w = ((p >> 19) << 11) | (((p >> 10) & 0x3F) << 5) | ((p >> 3) & 0x1F);
                    q[0] = BYTE(w);
                    q[1] = BYTE(w >> 8);
                    break;
                }
                default:  // 24 and 32 bits; the fourth byte of a 32-bit pixel stays 0
                    q[0] = BYTE(p);
                    q[1] = BYTE(p >> 8);
                    q[2] = BYTE(p >> 16);
            }
        }
        size_t n = size_t(std::min<long long>(nCopy, nStride));
        std::memcpy(out, row.data(), n);
        out += n;
        nCopy -= (long long)n;
    }
    return LONG(std::min<long long>(cbBuffer, nTotal));
}

int GetObject(HGDIOBJ hObject, int cbBuffer, void* lpvObject) {
    if (HFONT__* font = LookupFont(hObject)) {
        if (!lpvObject) return int(sizeof(LOGFONT));
        if (cbBuffer < int(sizeof(LOGFONT))) return 0;
        std::memcpy(lpvObject, &font->logFont, sizeof(LOGFONT));
        return int(sizeof(LOGFONT));
    }
    HBITMAP__* bm = LookupBitmap(hObject);
    if (!bm) return 0;
    if (!lpvObject) return int(sizeof(BITMAP));
    if (cbBuffer < int(sizeof(BITMAP))) return 0;
    BITMAP rec = {};
    rec.bmType = 0;
    rec.bmWidth = bm->surface.Width();
    rec.bmHeight = bm->surface.Height();
    rec.bmWidthBytes = WidthBytes(bm->surface);
    rec.bmPlanes = 1;
    rec.bmBitsPixel = WORD(bm->surface.BitsPixel());
    rec.bmBits = nullptr;
    std::memcpy(lpvObject, &rec, sizeof rec);
    return int(sizeof(BITMAP));
}

// ---- CBitmap ----

BOOL CBitmap::CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitcount, const void* lpBits) {
    if (m_hObject) return FALSE;
    return Attach(::CreateBitmap(nWidth, nHeight, nPlanes, nBitcount, lpBits));
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* pDC, int nWidth, int nHeight) {
    if (m_hObject || !pDC) return FALSE;
    return Attach(::CreateCompatibleBitmap(pDC->m_hDC, nWidth, nHeight));
}

DWORD CBitmap::GetBitmapBits(DWORD dwCount, void* lpBits) const {
    LONG cb = dwCount > 0x7FFFFFFFu ? 0x7FFFFFFF : LONG(dwCount);
    return DWORD(::GetBitmapBits(static_cast<HBITMAP>(m_hObject), cb, lpBits));
}

int CBitmap::GetBitmap(BITMAP* pBitMap) const { return ::GetObject(m_hObject, sizeof(BITMAP), pBitMap); }
