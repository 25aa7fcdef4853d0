// Drawing: device contexts over in-memory 32-bit surfaces, device-dependent bitmaps, DIB
// transfer (SetDIBitsToDevice), DrawDib, and the CDC / CGdiObject / CBitmap wrappers.
//
// Every device context draws into a platform::Surface: the window's client area is one (the
// widget shows its pixels), a bitmap is one (a memory DC draws into the bitmap selected into it).
// Pixels are 0x00RRGGBB, one DWORD each, rows top-down.  Colours cross the API as COLORREF
// (red in the low byte), as the rest of the program expects.
//
// Handles are checked against the live objects, so a stale or made-up handle makes a call fail
// instead of touching freed memory.  Everything runs on the one user-interface thread.
#pragma once

#include <memory>
#include <vector>

#include "platform/Types.h"

// ---- handles ----
typedef void* HGDIOBJ;  // any GDI object; HBITMAP converts to it as on the real platform
struct HBITMAP__;
typedef HBITMAP__* HBITMAP;
struct HDRAWDIB__;
typedef HDRAWDIB__* HDRAWDIB;

// ---- constants ----
constexpr int HORZRES = 8;
constexpr int VERTRES = 10;
constexpr int BITSPIXEL = 12;
constexpr int PLANES = 14;

constexpr UINT DIB_RGB_COLORS = 0;
constexpr UINT DIB_PAL_COLORS = 1;  // not supported: calls that get it fail
constexpr DWORD CBM_INIT = 0x04;
constexpr UINT OBJ_BITMAP = 7;
constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

// The BITMAP record of a device-dependent bitmap.  Rows are top-down and padded to 16 bits.
struct BITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    void* bmBits;
};

namespace platform {

// A rectangle of 32-bit pixels.  A monochrome surface (the pixels of a 1-bit bitmap) keeps only
// black and white: every colour stored into it becomes the nearer of the two.
class Surface {
public:
    explicit Surface(int nWidth = 0, int nHeight = 0, DWORD rgbFill = 0x00FFFFFF, int nBitsPixel = 32);

    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }
    int Stride() const { return m_nWidth; }                  // DWORDs from one row to the next
    int StrideBytes() const { return m_nWidth * 4; }
    int BitsPixel() const { return m_nBitsPixel; }           // 32, or 1 for monochrome
    const DWORD* Pixels() const { return m_pixels.data(); }  // 0x00RRGGBB, rows top-down
    DWORD* Pixels() { return m_pixels.data(); }
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < m_nWidth && y < m_nHeight; }
    // 0x00RRGGBB; 0 outside the surface.
    DWORD Pixel(int x, int y) const { return Contains(x, y) ? m_pixels[size_t(y) * m_nWidth + x] : 0; }
    // Stores 0x00RRGGBB; ignored outside the surface.
    void SetPixel(int x, int y, DWORD rgb) {
        if (Contains(x, y)) m_pixels[size_t(y) * m_nWidth + x] = Store(rgb);
    }
    void Fill(DWORD rgb);
    // New size; what overlaps the old area keeps its pixels, the rest gets rgbFill.
    void Resize(int nWidth, int nHeight, DWORD rgbFill = 0x00FFFFFF);
    // The value a colour takes when stored here (the nearer of black and white on monochrome).
    DWORD Store(DWORD rgb) const;

private:
    int m_nWidth;
    int m_nHeight;
    int m_nBitsPixel;
    std::vector<DWORD> m_pixels;
};

// Largest surface a DC or bitmap may have, in pixels; larger requests fail as out of memory.
constexpr long long kMaxSurfacePixels = 1LL << 26;

inline DWORD RgbFromColorref(COLORREF c) { return (DWORD(GetRValue(c)) << 16) | (DWORD(GetGValue(c)) << 8) | GetBValue(c); }
inline COLORREF ColorrefFromRgb(DWORD rgb) { return RGB(BYTE(rgb >> 16), BYTE(rgb >> 8), BYTE(rgb)); }

// A device context that owns a surface of the given size (white at first): the window's client
// area.  Null if the size is negative or too large.  Release it with DeleteDC.
HDC CreateSurfaceDC(int nWidth, int nHeight);
// A device context drawing into a surface that the caller owns and keeps alive.
HDC CreateSurfaceDC(Surface* pSurface);
// Resizes the surface of a DC made by CreateSurfaceDC(width, height).
BOOL ResizeSurfaceDC(HDC hDC, int nWidth, int nHeight);
// The surface a DC draws into now (for a memory DC, that of its selected bitmap); null for a bad
// handle and for the screen DC, which has no pixels here.
Surface* GetSurface(HDC hDC);
// The pixels of a bitmap.
Surface* GetBitmapSurface(HBITMAP hBitmap);

// Test hook: the next `count` DrawDibOpen calls fail.
void FailDrawDibOpen(int count);
// Live objects, so tests can see that nothing leaks.
size_t LiveDCCount();
size_t LiveBitmapCount();

}  // namespace platform

// ---- device contexts ----
// The screen (driver "DISPLAY"): reports the device's capabilities; its pixels are not kept.
HDC CreateDC(LPCTSTR lpszDriver, LPCTSTR lpszDevice, LPCTSTR lpszOutput, const void* lpInitData);
// A memory DC; it starts with a 1 x 1 monochrome bitmap selected, as on the real platform.
HDC CreateCompatibleDC(HDC hDC);
BOOL DeleteDC(HDC hDC);
// Selects a bitmap into a memory DC and returns the one selected before; null on failure (not
// a memory DC, or the bitmap is selected into another DC).
HGDIOBJ SelectObject(HDC hDC, HGDIOBJ hObject);
HGDIOBJ GetCurrentObject(HDC hDC, UINT uObjectType);
// Fails (FALSE) while the object is selected into a DC.
BOOL DeleteObject(HGDIOBJ hObject);
// PLANES 1, BITSPIXEL 32, HORZRES and VERTRES the size of the surface; 0 for anything else.
int GetDeviceCaps(HDC hDC, int nIndex);
// CLR_INVALID outside the surface.
COLORREF GetPixel(HDC hDC, int x, int y);

// ---- bitmaps ----
// Planes x bits per pixel must be 1 (monochrome) or 32.  lpBits, if given, holds rows in the
// format GetBitmapBits returns.
HBITMAP CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitsPixel, const void* lpBits);
// A bitmap in the format of the DC: for a memory DC that of its selected bitmap.
HBITMAP CreateCompatibleBitmap(HDC hDC, int nWidth, int nHeight);
// A bitmap compatible with the DC (for a memory DC: the format of its selected bitmap), of the
// DIB's size, filled from the DIB when fdwInit has CBM_INIT.
HBITMAP CreateDIBitmap(HDC hDC, const BITMAPINFOHEADER* lpbmih, DWORD fdwInit, const void* lpbInit,
                       const BITMAPINFO* lpbmi, UINT fuUsage);
// Copies up to cbBuffer bytes of the bitmap's rows (top-down, bmWidthBytes each; 32-bit pixels
// as blue, green, red, 0; 1-bit pixels most significant bit first, 1 for white) and returns the
// number copied.  A null buffer returns the size of all rows.
LONG GetBitmapBits(HBITMAP hBitmap, LONG cbBuffer, void* lpvBits);
// With a bitmap: fills a BITMAP record and returns its size; null lpvObject returns the size
// needed; a buffer smaller than the record gets nothing and returns 0.
int GetObject(HGDIOBJ hObject, int cbBuffer, void* lpvObject);

// ---- DIB transfer ----
// Copies scan lines uStartScan .. uStartScan + cLines - 1 of a DIB (1, 2, 4, 8 or 24 bits,
// uncompressed, palette colours by DIB_RGB_COLORS) to the DC.  lpvBits points at scan line
// uStartScan; scan line 0 is the bottom row of a bottom-up DIB.  The source rectangle (xSrc,
// ySrc, dwWidth, dwHeight) is in DIB coordinates (origin at the bottom-left); its top-left
// lands at (xDest, yDest).  Pixel indices beyond the palette draw black.  Returns the number of
// scan lines given that belong to the DIB, 0 on failure.
int SetDIBitsToDevice(HDC hDC, int xDest, int yDest, DWORD dwWidth, DWORD dwHeight, int xSrc, int ySrc,
                      UINT uStartScan, UINT cLines, const void* lpvBits, const BITMAPINFO* lpbmi,
                      UINT fuColorUse);

// ---- DrawDib ----
HDRAWDIB DrawDibOpen();
BOOL DrawDibClose(HDRAWDIB hdd);
// Draws the source rectangle of a DIB (origin at the picture's top-left; dxSrc or dySrc -1 for
// the rest of the image) scaled into the destination rectangle, nearest pixel.  lpBits null
// takes the rows directly behind the header and palette (a packed DIB).  dxDst or dyDst -1
// uses the source size; other negative sizes mirror the picture across the destination
// rectangle that extends from xDst (yDst) towards smaller coordinates.
BOOL DrawDibDraw(HDRAWDIB hdd, HDC hDC, int xDst, int yDst, int dxDst, int dyDst, const BITMAPINFOHEADER* lpbi,
                 const void* lpBits, int xSrc, int ySrc, int dxSrc, int dySrc, UINT wFlags);

// ---- class wrappers ----
class CBitmap;

class CGdiObject {
public:
    CGdiObject() = default;
    virtual ~CGdiObject();
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    HGDIOBJ GetSafeHandle() const { return m_hObject; }
    // Takes ownership of a handle; the object is then the one FromHandle returns for it.
    BOOL Attach(HGDIOBJ hObject);
    HGDIOBJ Detach();
    BOOL DeleteObject();
    int GetObject(int nCount, void* lpObject) const;

    HGDIOBJ m_hObject = nullptr;
};

class CBitmap : public CGdiObject {
public:
    BOOL CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitcount, const void* lpBits);
    BOOL CreateCompatibleBitmap(class CDC* pDC, int nWidth, int nHeight);
    DWORD GetBitmapBits(DWORD dwCount, void* lpBits) const;
    int GetBitmap(BITMAP* pBitMap) const;
    operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
    // The object attached to a handle, or a temporary wrapper that lives as long as the handle.
    static CBitmap* FromHandle(HBITMAP hBitmap);
};

class CDC {
public:
    CDC() = default;
    virtual ~CDC();  // deletes the DC it holds
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }
    BOOL Attach(HDC hDC);
    HDC Detach();
    BOOL CreateDC(LPCTSTR lpszDriver, LPCTSTR lpszDevice, LPCTSTR lpszOutput, const void* lpInitData);
    // A memory DC compatible with pDC (null: with the screen).
    BOOL CreateCompatibleDC(CDC* pDC);
    BOOL DeleteDC();
    // Returns the bitmap selected before (possibly a temporary wrapper), null on failure.
    CBitmap* SelectObject(CBitmap* pBitmap);
    CBitmap* GetCurrentBitmap() const;
    int GetDeviceCaps(int nIndex) const;
    COLORREF GetPixel(int x, int y) const;
    COLORREF GetPixel(POINT point) const { return GetPixel(point.x, point.y); }
    // The object attached to a handle, or a temporary wrapper that lives as long as the handle.
    static CDC* FromHandle(HDC hDC);

    HDC m_hDC = nullptr;
};
