// Solid brushes, FillRect and CBrush.
#include <algorithm>
#include <new>

#include "platform/GdiInternal.h"

using namespace platform;

namespace platform {

HBRUSH StockBrush(int nIndex) {
    auto make = [](COLORREF colour) {
        HBRUSH__* brush = new HBRUSH__(colour);
        brush->stock = true;
        RegisterObject(brush);
        return brush;
    };
    static HBRUSH white = make(RGB(255, 255, 255));
    static HBRUSH black = make(RGB(0, 0, 0));
    return nIndex == BLACK_BRUSH ? black : white;
}

}  // namespace platform

HBRUSH CreateSolidBrush(COLORREF colour) {
    HBRUSH__* brush = new (std::nothrow) HBRUSH__(colour & 0x00FFFFFF);
    if (brush) RegisterObject(brush);
    return brush;
}

int FillRect(HDC hDC, const RECT* lprc, HBRUSH hbr) {
    HBRUSH__* brush = LookupBrush(hbr);
    if (!LookupDC(hDC) || !brush || !lprc) return 0;
    Surface* s = GetSurface(hDC);
    if (!s) return 1;  // the screen keeps no pixels
    // Clipped to the surface in 64 bits, so no corner can overflow.
    long long x0 = std::max<long long>(lprc->left, 0), x1 = std::min<long long>(lprc->right, s->Width());
    long long y0 = std::max<long long>(lprc->top, 0), y1 = std::min<long long>(lprc->bottom, s->Height());
    if (x0 >= x1 || y0 >= y1) return 1;
    const DWORD rgb = s->Store(RgbFromColorref(brush->colour));
    for (long long y = y0; y < y1; ++y) std::fill(s->Pixels() + y * s->Stride() + x0, s->Pixels() + y * s->Stride() + x1, rgb);
    return 1;
}

BOOL CBrush::CreateSolidBrush(COLORREF colour) {
    if (m_hObject) return FALSE;
    return Attach(::CreateSolidBrush(colour));
}

CBrush* CBrush::FromHandle(HBRUSH hBrush) { return WrapperOf<CBrush>(hBrush, LookupBrush(hBrush) != nullptr); }
CBrush* CDC::SelectObject(CBrush* pBrush) { return SelectWrapped(m_hDC, pBrush); }

void CDC::FillRect(LPCRECT lpRect, CBrush* pBrush) {
    if (pBrush) ::FillRect(m_hDC, lpRect, static_cast<HBRUSH>(pBrush->m_hObject));
}
