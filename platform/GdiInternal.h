// What lies behind the drawing handles, shared by the sources of the drawing layer only.
#pragma once

#include <memory>

#include "platform/Gdi.h"

namespace platform {

// Base of every GDI object a handle can name.
struct GdiObject {
    enum Kind { kBitmap, kBrush, kFont, kPen };
    explicit GdiObject(Kind k) : kind(k) {}
    virtual ~GdiObject() = default;
    Kind kind;
    bool stock = false;  // a stock object: shared, never deleted
};

class FontFaces;

}  // namespace platform

struct HBITMAP__ : platform::GdiObject {
    HBITMAP__(int nWidth, int nHeight, int nBitsPixel)
        : GdiObject(kBitmap), surface(nWidth, nHeight, 0, nBitsPixel) {}
    platform::Surface surface;
    HDC selectedInto = nullptr;  // the memory DC holding it, if any
};

struct HBRUSH__ : platform::GdiObject {
    explicit HBRUSH__(COLORREF c) : GdiObject(kBrush), colour(c) {}
    COLORREF colour;
    int nSelected = 0;  // DCs that hold it selected
};

struct HFONT__ : platform::GdiObject {
    explicit HFONT__(const LOGFONT& lf);
    ~HFONT__() override;
    LOGFONT logFont;
    int nSelected = 0;
    // The installed faces that draw it, found on first use (platform/FontEngine.h).
    std::unique_ptr<platform::FontFaces> faces;
};

struct HPEN__ : platform::GdiObject {
    HPEN__(int nStyle, int nWidth, COLORREF c) : GdiObject(kPen), style(nStyle), width(nWidth), colour(c) {}
    int style;
    int width;
    COLORREF colour;
    int nSelected = 0;
};

struct HDC__ {
    enum Kind { kSurface, kMemory, kScreen };
    Kind kind = kSurface;
    platform::Surface* target = nullptr;          // kSurface: where it draws
    std::unique_ptr<platform::Surface> owned;     // kSurface made with a size: its own surface
    HBITMAP bitmap = nullptr;                     // kMemory: the selected bitmap
    HFONT font = nullptr;                         // the selected font (at first the stock one)
    HBRUSH brush = nullptr;                       // the selected brush (at first white)
    COLORREF textColour = RGB(0, 0, 0);
    COLORREF bkColour = RGB(255, 255, 255);
    int bkMode = OPAQUE;
    UINT textAlign = TA_LEFT | TA_TOP;
    HPEN pen = nullptr;                           // the selected pen (at first the black one)
    int rop2 = R2_COPYPEN;
    POINT position = {0, 0};                      // where the next LineTo starts
};

namespace platform {

// The live object behind a handle, or null.
HDC__* LookupDC(HDC hDC);
GdiObject* LookupObject(HGDIOBJ hObject);
HBITMAP__* LookupBitmap(HGDIOBJ hObject);
HBRUSH__* LookupBrush(HGDIOBJ hObject);
HFONT__* LookupFont(HGDIOBJ hObject);
HPEN__* LookupPen(HGDIOBJ hObject);
// Makes a new object's handle live (the registry owns it from then on) and returns the handle.
HGDIOBJ RegisterObject(GdiObject* pObject);
// Bitmaps are created and registered here; null if the size is not allowed.
HBITMAP__* NewBitmap(int nWidth, int nHeight, int nBitsPixel);
// The stock objects: the 1 x 1 monochrome bitmap of new memory DCs, the system font and the
// solid brushes (GetStockObject).
HBITMAP StockBitmap();
HFONT StockFont();
HBRUSH StockBrush(int nIndex);
HPEN StockPen(int nIndex);
// Bits per pixel of bitmaps compatible with a DC.
int CompatibleBitsPixel(const HDC__* dc);
// The C++ object attached to a live handle, or else a temporary wrapper made by `make`, which
// lives as long as the handle and never deletes it.
CGdiObject* WrapperFor(HGDIOBJ hObject, CGdiObject* (*make)());
// The wrapper of class T (CBitmap, CBrush, CPen, CFont) for a live handle of T's kind, or null.
template <class T>
T* WrapperOf(HGDIOBJ hObject, bool bLive) {
    return bLive ? static_cast<T*>(WrapperFor(hObject, []() -> CGdiObject* { return new T; })) : nullptr;
}
// CDC::SelectObject and the current object of a kind, as wrappers.
template <class T>
T* SelectWrapped(HDC hDC, T* pObject) {
    HGDIOBJ old = pObject ? ::SelectObject(hDC, pObject->m_hObject) : nullptr;
    return WrapperOf<T>(old, old != nullptr);  // the one it replaces is of the same kind
}
template <class T>
T* CurrentWrapped(HDC hDC, UINT uObjectType) {
    HGDIOBJ h = ::GetCurrentObject(hDC, uObjectType);
    return WrapperOf<T>(h, h != nullptr);
}
// Called when a handle dies, so the temporary wrappers made for it go too.
void ForgetObjectWrapper(HGDIOBJ hObject);
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
