// Fonts and text: CreateFont, the text state of a DC (colour, background, alignment), TextOut and
// the text measures, and CFont.  The faces and glyphs come from platform/FontEngine.
#include <cstring>
#include <new>

#include "platform/FontEngine.h"
#include "platform/String.h"

using namespace platform;

HFONT__::HFONT__(const LOGFONT& lf) : GdiObject(kFont), logFont(lf) {}
HFONT__::~HFONT__() = default;

namespace platform {

HFONT StockFont() {
    static HFONT system = [] {
        LOGFONT lf = {};
        lf.lfHeight = 16;
        lf.lfWeight = FW_BOLD;
        std::strcpy(lf.lfFaceName, "System");
        HFONT__* font = new HFONT__(lf);
        font->stock = true;
        RegisterObject(font);
        return font;
    }();
    return system;
}

}  // namespace platform

namespace {

FontFaces& FacesOf(HFONT__* font) {
    if (!font->faces) font->faces = std::make_unique<FontFaces>(font->logFont);
    return *font->faces;
}

// Exchanges one field of a DC's text state; `bad` when the DC is not live.
template <class T>
T Exchange(HDC hDC, T HDC__::*field, T value, T bad) {
    HDC__* dc = LookupDC(hDC);
    if (!dc) return bad;
    T old = dc->*field;
    dc->*field = value;
    return old;
}

template <class T>
T Read(HDC hDC, T HDC__::*field, T bad) {
    HDC__* dc = LookupDC(hDC);
    return dc ? dc->*field : bad;
}

}  // namespace

HFONT CreateFontIndirect(const LOGFONT* lplf) {
    if (!lplf) return nullptr;
    LOGFONT lf = *lplf;
    // A face name that fills the whole field has no terminator: end it at the last whole
    // character, so that no half of a UTF-8 sequence reaches the font engine.
    size_t n = strnlen(lf.lfFaceName, LF_FACESIZE);
    if (n == LF_FACESIZE) {
        n = LF_FACESIZE - 1;
        while (n > 0 && (static_cast<unsigned char>(lf.lfFaceName[n]) & 0xC0) == 0x80) --n;
    }
    lf.lfFaceName[n] = 0;
    HFONT__* font = new (std::nothrow) HFONT__(lf);
    if (font) RegisterObject(font);
    return font;
}

HFONT CreateFont(int cHeight, int cWidth, int cEscapement, int cOrientation, int cWeight, DWORD bItalic,
                 DWORD bUnderline, DWORD bStrikeOut, DWORD iCharSet, DWORD iOutPrecision, DWORD iClipPrecision,
                 DWORD iQuality, DWORD iPitchAndFamily, LPCTSTR pszFaceName) {
    LOGFONT lf = {};
    lf.lfHeight = cHeight;
    lf.lfWidth = cWidth;
    lf.lfEscapement = cEscapement;
    lf.lfOrientation = cOrientation;
    lf.lfWeight = cWeight;
    lf.lfItalic = BYTE(bItalic);
    lf.lfUnderline = BYTE(bUnderline);
    lf.lfStrikeOut = BYTE(bStrikeOut);
    lf.lfCharSet = BYTE(iCharSet);
    lf.lfOutPrecision = BYTE(iOutPrecision);
    lf.lfClipPrecision = BYTE(iClipPrecision);
    lf.lfQuality = BYTE(iQuality);
    lf.lfPitchAndFamily = BYTE(iPitchAndFamily);
    if (pszFaceName) std::memcpy(lf.lfFaceName, pszFaceName, strnlen(pszFaceName, LF_FACESIZE));
    return CreateFontIndirect(&lf);
}

COLORREF SetTextColor(HDC hDC, COLORREF colour) { return Exchange(hDC, &HDC__::textColour, colour & 0x00FFFFFF, CLR_INVALID); }
COLORREF GetTextColor(HDC hDC) { return Read(hDC, &HDC__::textColour, CLR_INVALID); }
COLORREF SetBkColor(HDC hDC, COLORREF colour) { return Exchange(hDC, &HDC__::bkColour, colour & 0x00FFFFFF, CLR_INVALID); }
COLORREF GetBkColor(HDC hDC) { return Read(hDC, &HDC__::bkColour, CLR_INVALID); }
int GetBkMode(HDC hDC) { return Read(hDC, &HDC__::bkMode, 0); }
UINT SetTextAlign(HDC hDC, UINT fMode) { return Exchange(hDC, &HDC__::textAlign, fMode, GDI_ERROR); }
UINT GetTextAlign(HDC hDC) { return Read(hDC, &HDC__::textAlign, GDI_ERROR); }

int SetBkMode(HDC hDC, int nMode) {
    if (nMode != TRANSPARENT && nMode != OPAQUE) return 0;
    return Exchange(hDC, &HDC__::bkMode, nMode, 0);
}

BOOL TextOut(HDC hDC, int x, int y, LPCTSTR lpString, int c) {
    HDC__* dc = LookupDC(hDC);
    if (!dc || c < 0 || (c > 0 && !lpString)) return FALSE;
    Surface* s = GetSurface(hDC);
    if (!s) return TRUE;  // the screen keeps no pixels
    FontFaces& faces = FacesOf(dc->font);
    TextLayout layout = faces.Layout(lpString, size_t(c));

    // From the reference point to the left end of the text and its base line.
    long long left = x, baseline = y + (long long)layout.nAscent;
    if ((dc->textAlign & TA_CENTER) == TA_CENTER)
        left -= layout.nWidth / 2;
    else if (dc->textAlign & TA_RIGHT)
        left -= layout.nWidth;
    if ((dc->textAlign & TA_BASELINE) == TA_BASELINE)
        baseline = y;
    else if (dc->textAlign & TA_BOTTOM)
        baseline = y - (long long)layout.nDescent;

    if (dc->bkMode == OPAQUE) {
        const DWORD bk = s->Store(RgbFromColorref(dc->bkColour));
        for (long long py = std::max(baseline - layout.nAscent, 0LL); py < std::min<long long>(baseline + layout.nDescent, s->Height()); ++py)
            for (long long px = std::max(left, 0LL); px < std::min<long long>(left + layout.nWidth, s->Width()); ++px)
                s->SetPixel(int(px), int(py), bk);
    }
    faces.Draw(layout, *s, left, baseline, RgbFromColorref(dc->textColour));
    return TRUE;
}

BOOL GetTextExtentPoint32(HDC hDC, LPCTSTR lpString, int c, SIZE* lpSize) {
    HDC__* dc = LookupDC(hDC);
    if (!dc || !lpSize || c < 0 || (c > 0 && !lpString)) return FALSE;
    TextLayout layout = FacesOf(dc->font).Layout(lpString, size_t(c));
    lpSize->cx = LONG(std::min<long long>(layout.nWidth, 0x7FFFFFFF));
    lpSize->cy = layout.nAscent + layout.nDescent;
    return TRUE;
}

BOOL GetTextMetrics(HDC hDC, TEXTMETRIC* lptm) {
    HDC__* dc = LookupDC(hDC);
    if (!dc || !lptm) return FALSE;
    *lptm = FacesOf(dc->font).Metrics();
    return TRUE;
}

// ---- CFont and the text members of CDC ----

BOOL CFont::CreateFont(int nHeight, int nWidth, int nEscapement, int nOrientation, int nWeight, BYTE bItalic,
                       BYTE bUnderline, BYTE cStrikeOut, BYTE nCharSet, BYTE nOutPrecision, BYTE nClipPrecision,
                       BYTE nQuality, BYTE nPitchAndFamily, LPCTSTR lpszFacename) {
    if (m_hObject) return FALSE;
    return Attach(::CreateFont(nHeight, nWidth, nEscapement, nOrientation, nWeight, bItalic, bUnderline, cStrikeOut,
                               nCharSet, nOutPrecision, nClipPrecision, nQuality, nPitchAndFamily, lpszFacename));
}

BOOL CFont::CreateFontIndirect(const LOGFONT* lpLogFont) {
    if (m_hObject) return FALSE;
    return Attach(::CreateFontIndirect(lpLogFont));
}

CFont* CFont::FromHandle(HFONT hFont) { return WrapperOf<CFont>(hFont, LookupFont(hFont) != nullptr); }
CFont* CDC::SelectObject(CFont* pFont) { return SelectWrapped(m_hDC, pFont); }
CFont* CDC::GetCurrentFont() const { return CurrentWrapped<CFont>(m_hDC, OBJ_FONT); }

BOOL CDC::TextOut(int x, int y, const CString& str) { return ::TextOut(m_hDC, x, y, str, str.GetLength()); }

CSize CDC::GetTextExtent(LPCTSTR lpszString, int nCount) const {
    SIZE size = {0, 0};
    ::GetTextExtentPoint32(m_hDC, lpszString, nCount, &size);
    return CSize(size.cx, size.cy);
}
