// Pens, the current position, lines with GDI's rules (the end point is not painted), the
// raster operations of lines, and CPen.
#include <algorithm>
#include <new>

#include "platform/GdiInternal.h"

using namespace platform;

namespace platform {

HPEN StockPen(int nIndex) {
    auto make = [](COLORREF colour) {
        HPEN__* pen = new HPEN__(PS_SOLID, 1, colour);
        pen->stock = true;
        RegisterObject(pen);
        return pen;
    };
    static HPEN white = make(RGB(255, 255, 255));
    static HPEN black = make(RGB(0, 0, 0));
    return nIndex == WHITE_PEN ? white : black;
}

}  // namespace platform

namespace {

// The raster operation's truth table is rop2 - 1: bit 3 gives the result where pen and
// destination bits are both 1, bit 2 where only the pen's is, bit 1 where only the
// destination's is, bit 0 where neither is.
DWORD Rop2(int rop2, DWORD pen, DWORD dst) {
    const int f = rop2 - 1;
    DWORD r = 0;
    if (f & 8) r |= pen & dst;
    if (f & 4) r |= pen & ~dst;
    if (f & 2) r |= ~pen & dst;
    if (f & 1) r |= ~pen & ~dst;
    return r & 0x00FFFFFF;
}

// A dotted pen paints 3 pixels and leaves 3, counted from the first pixel of each line.
constexpr long long kDotRun = 3;

}  // namespace

HPEN CreatePen(int iStyle, int cWidth, COLORREF colour) {
    if (iStyle != PS_SOLID && iStyle != PS_DOT && iStyle != PS_NULL) return nullptr;
    HPEN__* pen = new (std::nothrow) HPEN__(iStyle, cWidth, colour & 0x00FFFFFF);
    if (pen) RegisterObject(pen);
    return pen;
}

BOOL MoveToEx(HDC hDC, int x, int y, POINT* lppt) {
    HDC__* dc = LookupDC(hDC);
    if (!dc) return FALSE;
    if (lppt) *lppt = dc->position;
    dc->position = POINT{x, y};
    return TRUE;
}

BOOL LineTo(HDC hDC, int x, int y) {
    HDC__* dc = LookupDC(hDC);
    if (!dc) return FALSE;
    const POINT from = dc->position;
    dc->position = POINT{x, y};
    Surface* s = GetSurface(hDC);
    const HPEN__* pen = dc->pen;
    if (!s || !pen || pen->style == PS_NULL) return TRUE;

    // Pixel t of the line (t = 0 .. n - 1) steps once along the longer axis and, along the
    // shorter one, the nearest whole pixel.  Only the steps that land inside the surface along
    // the longer axis are visited, so a line of any length costs at most a surface's width.
    const long long dx = (long long)x - from.x, dy = (long long)y - from.y;
    const long long adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
    const long long n = std::max(adx, ady);
    if (n == 0) return TRUE;
    const bool bAlongX = adx >= ady;
    const long long major0 = bAlongX ? from.x : from.y, step = (bAlongX ? dx : dy) < 0 ? -1 : 1;
    const long long minor0 = bAlongX ? from.y : from.x, minorStep = (bAlongX ? dy : dx) < 0 ? -1 : 1;
    const long long nMinor = bAlongX ? ady : adx, nSize = bAlongX ? s->Width() : s->Height();
    long long t0 = 0, t1 = n - 1;
    if (step > 0) {
        t0 = std::max(t0, -major0);
        t1 = std::min(t1, nSize - 1 - major0);
    } else {
        t0 = std::max(t0, major0 - (nSize - 1));
        t1 = std::min(t1, major0);
    }
    const DWORD penRgb = RgbFromColorref(pen->colour), bkRgb = RgbFromColorref(dc->bkColour);
    for (long long t = t0; t <= t1; ++t) {
        long long major = major0 + step * t;
        long long minor = minor0 + minorStep * (long long)((2 * (__int128)t * nMinor + n) / (2 * n));
        long long px = bAlongX ? major : minor, py = bAlongX ? minor : major;
        if (py < 0 || py >= s->Height() || px < 0 || px >= s->Width()) continue;
        bool bGap = pen->style == PS_DOT && (t / kDotRun) % 2 == 1;
        if (bGap && dc->bkMode != OPAQUE) continue;
        s->SetPixel(int(px), int(py), Rop2(dc->rop2, bGap ? bkRgb : penRgb, s->Pixel(int(px), int(py))));
    }
    return TRUE;
}

int SetROP2(HDC hDC, int rop2) {
    HDC__* dc = LookupDC(hDC);
    if (!dc || rop2 < R2_BLACK || rop2 > R2_WHITE) return 0;
    int old = dc->rop2;
    dc->rop2 = rop2;
    return old;
}

int GetROP2(HDC hDC) {
    HDC__* dc = LookupDC(hDC);
    return dc ? dc->rop2 : 0;
}

BOOL CPen::CreatePen(int nPenStyle, int nWidth, COLORREF colour) {
    if (m_hObject) return FALSE;
    return Attach(::CreatePen(nPenStyle, nWidth, colour));
}

CPen* CPen::FromHandle(HPEN hPen) { return WrapperOf<CPen>(hPen, LookupPen(hPen) != nullptr); }
CPen* CDC::SelectObject(CPen* pPen) { return SelectWrapped(m_hDC, pPen); }
CPen* CDC::GetCurrentPen() const { return CurrentWrapped<CPen>(m_hDC, OBJ_PEN); }

CPoint CDC::MoveTo(int x, int y) {
    POINT old = {0, 0};
    ::MoveToEx(m_hDC, x, y, &old);
    return CPoint(old.x, old.y);
}
