// What lies behind the drawing handles, shared by the sources of the drawing layer only.
#pragma once

#include <memory>

#include "platform/Gdi.h"

namespace platform {

// Base of every GDI object a handle can name.  Pens, brushes and fonts join as further kinds.
struct GdiObject {
    enum Kind { kBitmap };
    explicit GdiObject(Kind k) : kind(k) {}
    virtual ~GdiObject() = default;
    Kind kind;
};

}  // namespace platform

struct HBITMAP__ : platform::GdiObject {
    HBITMAP__(int nWidth, int nHeight, int nBitsPixel)
        : GdiObject(kBitmap), surface(nWidth, nHeight, 0, nBitsPixel) {}
    platform::Surface surface;
    HDC selectedInto = nullptr;  // the memory DC holding it, if any
    bool stock = false;          // the shared 1 x 1 monochrome bitmap of new memory DCs
};

struct HDC__ {
    enum Kind { kSurface, kMemory, kScreen };
    Kind kind = kSurface;
    platform::Surface* target = nullptr;          // kSurface: where it draws
    std::unique_ptr<platform::Surface> owned;     // kSurface made with a size: its own surface
    HBITMAP bitmap = nullptr;                     // kMemory: the selected bitmap
    // Later: pen, brush, font, text colour, background mode and raster operation.
};

namespace platform {

// The live object behind a handle, or null.
HDC__* LookupDC(HDC hDC);
HBITMAP__* LookupBitmap(HGDIOBJ hObject);
// Bitmaps are created and registered here; null if the size is not allowed.
HBITMAP__* NewBitmap(int nWidth, int nHeight, int nBitsPixel);
HBITMAP StockBitmap();
// Bits per pixel of bitmaps compatible with a DC.
int CompatibleBitsPixel(const HDC__* dc);
// Called when a handle dies, so the temporary wrappers made for it go too.
void ForgetBitmapWrapper(HGDIOBJ hObject);
void ForgetDCWrapper(HDC hDC);

// Reads the pixels of an uncompressed DIB of 1, 2, 4, 8 or 24 bits.
class DibReader {
public:
    // False for what cannot be drawn: no header, a header shorter than 40 bytes, a width or
    // height of 0 or less than 0 (width), compression, another bit count, palette indices
    // instead of colours.
    bool Init(const BITMAPINFOHEADER* lpbih, const void* lpBits, UINT fuColorUse);
    // Byte offset from the header to the rows of a packed DIB.
    static size_t PackedBitsOffset(const BITMAPINFOHEADER* lpbih);

    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }  // rows, whatever the direction
    size_t RowBytes() const { return m_nRowBytes; }
    // The stored row (counted from the start of the rows) that holds a picture row (from the top).
    long long StoredRow(long long nPictureRow) const {
        return m_bTopDown ? nPictureRow : m_nHeight - 1 - nPictureRow;
    }
    // Colour (0x00RRGGBB) of column x of a stored row given by its first byte.
    DWORD Pixel(const BYTE* lpRow, int x) const;
    const BYTE* Bits() const { return m_lpBits; }

private:
    int m_nWidth = 0;
    int m_nHeight = 0;
    bool m_bTopDown = false;
    int m_nBitCount = 0;
    size_t m_nRowBytes = 0;
    const BYTE* m_lpBits = nullptr;
    DWORD m_palette[256] = {};  // entries past the table are black
};

}  // namespace platform
