// Drawing: device contexts over in-memory 32-bit surfaces, device-dependent bitmaps, DIB
// transfer (SetDIBitsToDevice), DrawDib, solid brushes, pens and lines, fonts and text, and the
// CDC / CGdiObject / CBitmap / CBrush / CPen / CFont wrappers.
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
struct HBRUSH__;
typedef HBRUSH__* HBRUSH;
struct HFONT__;
typedef HFONT__* HFONT;
struct HPEN__;
typedef HPEN__* HPEN;

// ---- constants ----
constexpr int HORZRES = 8;
constexpr int VERTRES = 10;
constexpr int BITSPIXEL = 12;
constexpr int PLANES = 14;

constexpr UINT DIB_RGB_COLORS = 0;
constexpr UINT DIB_PAL_COLORS = 1;  // not supported: calls that get it fail
constexpr DWORD CBM_INIT = 0x04;
constexpr UINT OBJ_PEN = 1;
constexpr UINT OBJ_BRUSH = 2;
constexpr UINT OBJ_FONT = 6;
constexpr UINT OBJ_BITMAP = 7;
constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

// Stock objects (GetStockObject).
constexpr int WHITE_BRUSH = 0;
constexpr int BLACK_BRUSH = 4;
constexpr int WHITE_PEN = 6;
constexpr int BLACK_PEN = 7;
constexpr int SYSTEM_FONT = 13;

// Background modes and text alignment.
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;
constexpr UINT TA_LEFT = 0;
constexpr UINT TA_RIGHT = 2;
constexpr UINT TA_CENTER = 6;
constexpr UINT TA_TOP = 0;
constexpr UINT TA_BOTTOM = 8;
constexpr UINT TA_BASELINE = 24;
constexpr UINT GDI_ERROR = 0xFFFFFFFF;

// Pen styles.
constexpr int PS_SOLID = 0;
constexpr int PS_DOT = 2;
constexpr int PS_NULL = 5;

// Raster operations of lines (SetROP2): how the pen's colour P and the colour already there D
// make the new pixel.
constexpr int R2_BLACK = 1;        // 0
constexpr int R2_NOTMERGEPEN = 2;  // ~(P | D)
constexpr int R2_MASKNOTPEN = 3;   // ~P & D
constexpr int R2_NOTCOPYPEN = 4;   // ~P
constexpr int R2_MASKPENNOT = 5;   // P & ~D
constexpr int R2_NOT = 6;          // ~D
constexpr int R2_XORPEN = 7;       // P ^ D
constexpr int R2_NOTMASKPEN = 8;   // ~(P & D)
constexpr int R2_MASKPEN = 9;      // P & D
constexpr int R2_NOTXORPEN = 10;   // ~(P ^ D)
constexpr int R2_NOP = 11;         // D
constexpr int R2_MERGENOTPEN = 12; // ~P | D
constexpr int R2_COPYPEN = 13;     // P
constexpr int R2_MERGEPENNOT = 14; // P | ~D
constexpr int R2_MERGEPEN = 15;    // P | D
constexpr int R2_WHITE = 16;       // 1

// Font requests.
constexpr int FW_DONTCARE = 0;
constexpr int FW_NORMAL = 400;
constexpr int FW_BOLD = 700;
constexpr BYTE ANSI_CHARSET = 0;
constexpr BYTE DEFAULT_CHARSET = 1;
constexpr BYTE GB2312_CHARSET = 134;
constexpr BYTE OUT_DEFAULT_PRECIS = 0;
constexpr BYTE OUT_TT_PRECIS = 4;
constexpr BYTE CLIP_DEFAULT_PRECIS = 0;
constexpr BYTE DEFAULT_QUALITY = 0;
constexpr BYTE NONANTIALIASED_QUALITY = 3;
constexpr BYTE ANTIALIASED_QUALITY = 4;
constexpr BYTE DEFAULT_PITCH = 0;
constexpr int LF_FACESIZE = 32;

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

// What a font is asked to be.  The face name is UTF-8 (at most 31 bytes).  Height: positive, the
// height of the character cell; negative, the height of the characters without the internal
// leading; 0, the default.  Weight, italic, quality and the face name choose how text is drawn;
// width, escapement, orientation, underline, strike-out, character set and the precisions are
// kept but change nothing.
struct LOGFONT {
    LONG lfHeight;
    LONG lfWidth;
    LONG lfEscapement;
    LONG lfOrientation;
    LONG lfWeight;
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    char lfFaceName[LF_FACESIZE];
};

// The measures of the font selected into a DC, in pixels (the first fields of the platform's
// record).
struct TEXTMETRIC {
    LONG tmHeight;           // ascent + descent: the character cell
    LONG tmAscent;           // from the top of the cell to the base line
    LONG tmDescent;
    LONG tmInternalLeading;  // tmHeight less the characters' em height
    LONG tmExternalLeading;
    LONG tmAveCharWidth;     // advance of 'x'
    LONG tmMaxCharWidth;
};

namespace platform {

// A rectangle of 32-bit pixels.  A monochrome surface (the pixels of a 1-bit bitmap) keeps only
// black and white: every colour stored into it becomes the nearer of the two; a 16-bit one keeps
// the upper 5, 6 and 5 bits of red, green and blue.
class Surface {
public:
    explicit Surface(int nWidth = 0, int nHeight = 0, DWORD rgbFill = 0x00FFFFFF, int nBitsPixel = 32);

    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }
    int Stride() const { return m_nWidth; }                  // DWORDs from one row to the next
    int StrideBytes() const { return m_nWidth * 4; }
    int BitsPixel() const { return m_nBitsPixel; }           // 32, 24, 16, or 1 for monochrome
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
// Selects a bitmap, brush or font into a DC and returns the one selected before; null on
// failure (a bitmap only goes into a memory DC, and into one at a time).
HGDIOBJ SelectObject(HDC hDC, HGDIOBJ hObject);
HGDIOBJ GetCurrentObject(HDC hDC, UINT uObjectType);
// Fails (FALSE) while the object is selected into a DC; stock objects stay (TRUE).
BOOL DeleteObject(HGDIOBJ hObject);
// PLANES 1, BITSPIXEL 32, HORZRES and VERTRES the size of the surface; 0 for anything else.
int GetDeviceCaps(HDC hDC, int nIndex);
// CLR_INVALID outside the surface.
COLORREF GetPixel(HDC hDC, int x, int y);

// ---- bitmaps ----
// Planes x bits per pixel must be 1 (monochrome), 16, 24 or 32.  lpBits, if given, holds rows in
// the format GetBitmapBits returns.
HBITMAP CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitsPixel, const void* lpBits);
// A bitmap in the format of the DC: for a memory DC that of its selected bitmap.
HBITMAP CreateCompatibleBitmap(HDC hDC, int nWidth, int nHeight);
// A bitmap compatible with the DC (for a memory DC: the format of its selected bitmap), of the
// DIB's size, filled from the DIB when fdwInit has CBM_INIT.
HBITMAP CreateDIBitmap(HDC hDC, const BITMAPINFOHEADER* lpbmih, DWORD fdwInit, const void* lpbInit,
                       const BITMAPINFO* lpbmi, UINT fuUsage);
// Copies up to cbBuffer bytes of the bitmap's rows (top-down, bmWidthBytes each; 32-bit pixels
// as blue, green, red, 0; 24-bit as blue, green, red; 16-bit as little-endian 5-6-5 words, red
// in the upper bits; 1-bit pixels most significant bit first, 1 for white) and returns the
// number copied.  A null buffer returns the size of all rows.
LONG GetBitmapBits(HBITMAP hBitmap, LONG cbBuffer, void* lpvBits);
// With a bitmap: fills a BITMAP record, with a font a LOGFONT, and returns its size; null
// lpvObject returns the size needed; a buffer smaller than the record gets nothing and returns 0.
int GetObject(HGDIOBJ hObject, int cbBuffer, void* lpvObject);

// ---- brushes ----
HBRUSH CreateSolidBrush(COLORREF colour);
// Paints the rectangle (right and bottom excluded) with the brush; 0 for a bad DC or brush.
int FillRect(HDC hDC, const RECT* lprc, HBRUSH hbr);
// WHITE_BRUSH, BLACK_BRUSH, WHITE_PEN, BLACK_PEN or SYSTEM_FONT; null for anything else.
HGDIOBJ GetStockObject(int nIndex);

// ---- pens and lines ----
// Solid, dotted (3 pixels on, 3 off) or null pens.  Lines are one pixel wide whatever the width
// asked for (the program asks for no other).  Other styles give null.
HPEN CreatePen(int iStyle, int cWidth, COLORREF colour);
// A new DC has the stock black pen, R2_COPYPEN and its current position at (0, 0).
BOOL MoveToEx(HDC hDC, int x, int y, POINT* lppt);
// Draws from the current position to (x, y), which is not painted and becomes the current
// position.  Each pixel is the raster operation of the pen's colour and the pixel there; the gaps
// of a dotted pen get the background colour the same way when the background mode is OPAQUE.
BOOL LineTo(HDC hDC, int x, int y);
// Returns the previous raster operation; 0 for a bad DC or an operation outside R2_BLACK..R2_WHITE.
int SetROP2(HDC hDC, int rop2);
int GetROP2(HDC hDC);

// ---- fonts and text ----
// Text is drawn with FreeType from the installed faces that fontconfig finds for the face name:
// a name that is not installed falls back to an installed face that covers the text (Chinese
// text to a CJK face), and characters the chosen face lacks are taken from the next face that
// has them.  Strings are UTF-8; counts are in bytes.
HFONT CreateFont(int cHeight, int cWidth, int cEscapement, int cOrientation, int cWeight, DWORD bItalic,
                 DWORD bUnderline, DWORD bStrikeOut, DWORD iCharSet, DWORD iOutPrecision, DWORD iClipPrecision,
                 DWORD iQuality, DWORD iPitchAndFamily, LPCTSTR pszFaceName);
HFONT CreateFontIndirect(const LOGFONT* lplf);
// A new DC draws text in black on an opaque white background, aligned TA_LEFT | TA_TOP, with the
// stock system font (16 pixels).  Each setter returns the previous value (CLR_INVALID, 0 or
// GDI_ERROR for a bad DC).
COLORREF SetTextColor(HDC hDC, COLORREF colour);
COLORREF GetTextColor(HDC hDC);
COLORREF SetBkColor(HDC hDC, COLORREF colour);
COLORREF GetBkColor(HDC hDC);
int SetBkMode(HDC hDC, int nMode);  // TRANSPARENT or OPAQUE
int GetBkMode(HDC hDC);
UINT SetTextAlign(HDC hDC, UINT fMode);
UINT GetTextAlign(HDC hDC);
// Draws c bytes of text with the selected font and text colour, its reference point at (x, y)
// as the alignment says; an opaque background first fills the text's cell with the background
// colour.  Glyphs are whole pixels of the text colour, unless the font asks for
// ANTIALIASED_QUALITY (smoothed edges).  The screen DC keeps no pixels: drawing there succeeds
// and changes nothing.
BOOL TextOut(HDC hDC, int x, int y, LPCTSTR lpString, int c);
BOOL GetTextExtentPoint32(HDC hDC, LPCTSTR lpString, int c, SIZE* lpSize);
BOOL GetTextMetrics(HDC hDC, TEXTMETRIC* lptm);

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

class CBrush : public CGdiObject {
public:
    CBrush() = default;
    explicit CBrush(COLORREF colour) { CreateSolidBrush(colour); }
    BOOL CreateSolidBrush(COLORREF colour);
    operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }
    static CBrush* FromHandle(HBRUSH hBrush);
};

class CPen : public CGdiObject {
public:
    CPen() = default;
    CPen(int nPenStyle, int nWidth, COLORREF colour) { CreatePen(nPenStyle, nWidth, colour); }
    BOOL CreatePen(int nPenStyle, int nWidth, COLORREF colour);
    operator HPEN() const { return static_cast<HPEN>(m_hObject); }
    static CPen* FromHandle(HPEN hPen);
};

class CFont : public CGdiObject {
public:
    BOOL CreateFont(int nHeight, int nWidth, int nEscapement, int nOrientation, int nWeight, BYTE bItalic,
                    BYTE bUnderline, BYTE cStrikeOut, BYTE nCharSet, BYTE nOutPrecision, BYTE nClipPrecision,
                    BYTE nQuality, BYTE nPitchAndFamily, LPCTSTR lpszFacename);
    BOOL CreateFontIndirect(const LOGFONT* lpLogFont);
    int GetLogFont(LOGFONT* pLogFont) const { return GetObject(sizeof(LOGFONT), pLogFont); }
    operator HFONT() const { return static_cast<HFONT>(m_hObject); }
    static CFont* FromHandle(HFONT hFont);
};

class CString;

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
    CBrush* SelectObject(CBrush* pBrush);
    CFont* SelectObject(CFont* pFont);
    CFont* GetCurrentFont() const;
    CPen* SelectObject(CPen* pPen);
    CPen* GetCurrentPen() const;
    void FillRect(LPCRECT lpRect, CBrush* pBrush);
    // Returns the previous position.
    CPoint MoveTo(int x, int y);
    CPoint MoveTo(POINT point) { return MoveTo(point.x, point.y); }
    BOOL LineTo(int x, int y) { return ::LineTo(m_hDC, x, y); }
    BOOL LineTo(POINT point) { return LineTo(point.x, point.y); }
    int SetROP2(int nDrawMode) { return ::SetROP2(m_hDC, nDrawMode); }
    int GetROP2() const { return ::GetROP2(m_hDC); }
    COLORREF SetTextColor(COLORREF colour) { return ::SetTextColor(m_hDC, colour); }
    COLORREF GetTextColor() const { return ::GetTextColor(m_hDC); }
    COLORREF SetBkColor(COLORREF colour) { return ::SetBkColor(m_hDC, colour); }
    COLORREF GetBkColor() const { return ::GetBkColor(m_hDC); }
    int SetBkMode(int nMode) { return ::SetBkMode(m_hDC, nMode); }
    int GetBkMode() const { return ::GetBkMode(m_hDC); }
    UINT SetTextAlign(UINT nFlags) { return ::SetTextAlign(m_hDC, nFlags); }
    UINT GetTextAlign() const { return ::GetTextAlign(m_hDC); }
    BOOL TextOut(int x, int y, LPCTSTR lpszString, int nCount) { return ::TextOut(m_hDC, x, y, lpszString, nCount); }
    BOOL TextOut(int x, int y, const CString& str);
    CSize GetTextExtent(LPCTSTR lpszString, int nCount) const;
    BOOL GetTextMetrics(TEXTMETRIC* lpMetrics) const { return ::GetTextMetrics(m_hDC, lpMetrics); }
    int GetDeviceCaps(int nIndex) const;
    COLORREF GetPixel(int x, int y) const;
    COLORREF GetPixel(POINT point) const { return GetPixel(point.x, point.y); }
    // The object attached to a handle, or a temporary wrapper that lives as long as the handle.
    static CDC* FromHandle(HDC hDC);

    HDC m_hDC = nullptr;
};
