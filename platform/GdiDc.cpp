// Surfaces, device contexts, the registry of GDI objects, object selection and the CDC and
// CGdiObject wrappers.
#include <cstring>
#include <new>
#include <unordered_map>
#include <unordered_set>

#include "platform/GdiInternal.h"

namespace platform {

Surface::Surface(int nWidth, int nHeight, DWORD rgbFill, int nBitsPixel)
    : m_nWidth(nWidth > 0 && nHeight > 0 ? nWidth : 0),
      m_nHeight(nWidth > 0 && nHeight > 0 ? nHeight : 0),
      m_nBitsPixel(nBitsPixel == 1 || nBitsPixel == 16 || nBitsPixel == 24 ? nBitsPixel : 32) {
    m_pixels.assign(size_t(m_nWidth) * size_t(m_nHeight), Store(rgbFill));
}

DWORD Surface::Store(DWORD rgb) const {
    rgb &= 0x00FFFFFF;
    if (m_nBitsPixel == 16) return rgb & 0x00F8FCF8;  // what 5-6-5 pixels keep of each colour
    if (m_nBitsPixel != 1) return rgb;
    // The nearer of black and white by brightness.
    int nLevel = int((rgb >> 16) & 0xFF) * 30 + int((rgb >> 8) & 0xFF) * 59 + int(rgb & 0xFF) * 11;
    return nLevel >= 12750 ? 0x00FFFFFF : 0;
}

void Surface::Fill(DWORD rgb) {
    DWORD v = Store(rgb);
    for (DWORD& p : m_pixels) p = v;
}

void Surface::Resize(int nWidth, int nHeight, DWORD rgbFill) {
    if (nWidth <= 0 || nHeight <= 0) nWidth = nHeight = 0;
    std::vector<DWORD> pixels(size_t(nWidth) * size_t(nHeight), Store(rgbFill));
    int w = std::min(nWidth, m_nWidth), h = std::min(nHeight, m_nHeight);
    for (int y = 0; y < h; ++y)
        std::memcpy(&pixels[size_t(y) * nWidth], &m_pixels[size_t(y) * m_nWidth], size_t(w) * 4);
    m_pixels.swap(pixels);
    m_nWidth = nWidth;
    m_nHeight = nHeight;
}

namespace {

std::unordered_set<HDC__*> g_dcs;
std::unordered_map<const void*, GdiObject*> g_objects;
// Temporary wrappers handed out by FromHandle for handles no C++ object is attached to (they never
// delete their handle, so it is taken from them first), and the objects that are attached.
struct ReleaseWrapper {
    void operator()(CGdiObject* p) const {
        p->m_hObject = nullptr;
        delete p;
    }
};
std::unordered_map<const void*, std::unique_ptr<CGdiObject, ReleaseWrapper>> g_tempObjects;
std::unordered_map<const void*, CGdiObject*> g_attachedObjects;
std::unordered_map<const void*, CDC*> g_tempDCs;
std::unordered_map<const void*, CDC*> g_attachedDCs;

constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;

bool SizeAllowed(int nWidth, int nHeight) {
    return nWidth >= 0 && nHeight >= 0 && (long long)nWidth * nHeight <= kMaxSurfacePixels;
}

HDC NewDC(std::unique_ptr<HDC__> dc) {
    dc->font = StockFont();
    dc->brush = StockBrush(WHITE_BRUSH);
    dc->pen = StockPen(BLACK_PEN);
    HDC h = dc.release();
    g_dcs.insert(h);
    return h;
}

template <class T>
T* LookupKind(HGDIOBJ hObject, GdiObject::Kind kind) {
    GdiObject* object = LookupObject(hObject);
    return object && object->kind == kind ? static_cast<T*>(object) : nullptr;
}

// Puts a brush or font into the DC's slot and returns the one it held.
template <class T>
HGDIOBJ Exchange(T*& slot, T* object) {
    T* old = slot;
    if (old) --old->nSelected;
    slot = object;
    ++object->nSelected;
    return static_cast<HGDIOBJ>(old);
}

bool Selected(const GdiObject* object) {
    switch (object->kind) {
        case GdiObject::kBitmap: return static_cast<const HBITMAP__*>(object)->selectedInto != nullptr;
        case GdiObject::kBrush: return static_cast<const HBRUSH__*>(object)->nSelected > 0;
        case GdiObject::kFont: return static_cast<const HFONT__*>(object)->nSelected > 0;
        case GdiObject::kPen: return static_cast<const HPEN__*>(object)->nSelected > 0;
    }
    return false;
}

}  // namespace

HDC__* LookupDC(HDC hDC) { return hDC && g_dcs.count(hDC) ? hDC : nullptr; }

GdiObject* LookupObject(HGDIOBJ hObject) {
    if (!hObject) return nullptr;
    auto it = g_objects.find(hObject);
    return it == g_objects.end() ? nullptr : it->second;
}

HBITMAP__* LookupBitmap(HGDIOBJ hObject) { return LookupKind<HBITMAP__>(hObject, GdiObject::kBitmap); }
HBRUSH__* LookupBrush(HGDIOBJ hObject) { return LookupKind<HBRUSH__>(hObject, GdiObject::kBrush); }
HFONT__* LookupFont(HGDIOBJ hObject) { return LookupKind<HFONT__>(hObject, GdiObject::kFont); }
HPEN__* LookupPen(HGDIOBJ hObject) { return LookupKind<HPEN__>(hObject, GdiObject::kPen); }

HGDIOBJ RegisterObject(GdiObject* pObject) {
    g_objects[static_cast<const void*>(pObject)] = pObject;
    return static_cast<HGDIOBJ>(pObject);
}

HBITMAP__* NewBitmap(int nWidth, int nHeight, int nBitsPixel) {
    if (nWidth <= 0 || nHeight <= 0 || !SizeAllowed(nWidth, nHeight)) return nullptr;
    HBITMAP__* bm = new (std::nothrow) HBITMAP__(0, 0, nBitsPixel);
    if (!bm) return nullptr;
    try {
        bm->surface = Surface(nWidth, nHeight, 0, nBitsPixel);
    } catch (const std::bad_alloc&) {
        delete bm;
        return nullptr;
    }
    RegisterObject(bm);
    return bm;
}

HBITMAP StockBitmap() {
    static HBITMAP stock = [] {
        HBITMAP__* bm = new HBITMAP__(1, 1, 1);
        bm->stock = true;
        RegisterObject(bm);
        return bm;
    }();
    return stock;
}

int CompatibleBitsPixel(const HDC__* dc) {
    if (dc->kind == HDC__::kMemory && dc->bitmap) return dc->bitmap->surface.BitsPixel();
    return 32;
}

CGdiObject* WrapperFor(HGDIOBJ hObject, CGdiObject* (*make)()) {
    auto attached = g_attachedObjects.find(hObject);
    if (attached != g_attachedObjects.end()) return attached->second;
    auto temp = g_tempObjects.find(hObject);
    if (temp != g_tempObjects.end()) return temp->second.get();
    CGdiObject* wrapper = make();
    wrapper->m_hObject = hObject;  // not attached: the wrapper never deletes the handle
    g_tempObjects.emplace(hObject, wrapper);
    return wrapper;
}

void ForgetObjectWrapper(HGDIOBJ hObject) { g_tempObjects.erase(hObject); }

void ForgetDCWrapper(HDC hDC) {
    auto it = g_tempDCs.find(hDC);
    if (it == g_tempDCs.end()) return;
    CDC* wrapper = it->second;
    g_tempDCs.erase(it);
    wrapper->m_hDC = nullptr;
    delete wrapper;
}

HDC CreateSurfaceDC(int nWidth, int nHeight) {
    if (!SizeAllowed(nWidth, nHeight)) return nullptr;
    auto dc = std::make_unique<HDC__>();
    dc->kind = HDC__::kSurface;
    try {
        dc->owned = std::make_unique<Surface>(nWidth, nHeight);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    dc->target = dc->owned.get();
    return NewDC(std::move(dc));
}

HDC CreateSurfaceDC(Surface* pSurface) {
    if (!pSurface) return nullptr;
    auto dc = std::make_unique<HDC__>();
    dc->kind = HDC__::kSurface;
    dc->target = pSurface;
    return NewDC(std::move(dc));
}

BOOL ResizeSurfaceDC(HDC hDC, int nWidth, int nHeight) {
    HDC__* dc = LookupDC(hDC);
    if (!dc || !dc->owned || !SizeAllowed(nWidth, nHeight)) return FALSE;
    try {
        dc->owned->Resize(nWidth, nHeight);
    } catch (const std::bad_alloc&) {
        return FALSE;
    }
    return TRUE;
}

Surface* GetSurface(HDC hDC) {
    HDC__* dc = LookupDC(hDC);
    if (!dc) return nullptr;
    switch (dc->kind) {
        case HDC__::kSurface: return dc->target;
        case HDC__::kMemory: return dc->bitmap ? &dc->bitmap->surface : nullptr;
        case HDC__::kScreen: return nullptr;
    }
    return nullptr;
}

Surface* GetBitmapSurface(HBITMAP hBitmap) {
    HBITMAP__* bm = LookupBitmap(hBitmap);
    return bm ? &bm->surface : nullptr;
}

size_t LiveDCCount() { return g_dcs.size(); }

size_t LiveBitmapCount() {
    size_t n = 0;
    for (auto& entry : g_objects)
        if (entry.second->kind == GdiObject::kBitmap && !static_cast<HBITMAP__*>(entry.second)->stock) ++n;
    return n;
}

}  // namespace platform

using namespace platform;

HDC CreateDC(LPCTSTR lpszDriver, LPCTSTR, LPCTSTR, const void*) {
    if (!lpszDriver || std::strcmp(lpszDriver, "DISPLAY") != 0) return nullptr;
    auto dc = std::make_unique<HDC__>();
    dc->kind = HDC__::kScreen;
    return NewDC(std::move(dc));
}

HDC CreateCompatibleDC(HDC hDC) {
    if (hDC && !LookupDC(hDC)) return nullptr;
    auto dc = std::make_unique<HDC__>();
    dc->kind = HDC__::kMemory;
    dc->bitmap = StockBitmap();
    return NewDC(std::move(dc));
}

BOOL DeleteDC(HDC hDC) {
    HDC__* dc = LookupDC(hDC);
    if (!dc) return FALSE;
    // The selected bitmap survives the DC; its owner deletes it.
    if (dc->bitmap && dc->bitmap->selectedInto == dc) dc->bitmap->selectedInto = nullptr;
    if (dc->font) --dc->font->nSelected;
    if (dc->brush) --dc->brush->nSelected;
    if (dc->pen) --dc->pen->nSelected;
    g_dcs.erase(dc);
    ForgetDCWrapper(hDC);
    delete dc;
    return TRUE;
}

HGDIOBJ SelectObject(HDC hDC, HGDIOBJ hObject) {
    HDC__* dc = LookupDC(hDC);
    GdiObject* object = LookupObject(hObject);
    if (!dc || !object) return nullptr;
    if (object->kind == GdiObject::kBrush) return Exchange(dc->brush, static_cast<HBRUSH__*>(object));
    if (object->kind == GdiObject::kFont) return Exchange(dc->font, static_cast<HFONT__*>(object));
    if (object->kind == GdiObject::kPen) return Exchange(dc->pen, static_cast<HPEN__*>(object));
    HBITMAP__* bm = static_cast<HBITMAP__*>(object);
    if (dc->kind != HDC__::kMemory) return nullptr;
    if (bm == dc->bitmap) return bm;
    if (!bm->stock && bm->selectedInto) return nullptr;
    HBITMAP__* old = dc->bitmap;
    if (old && old->selectedInto == dc) old->selectedInto = nullptr;
    dc->bitmap = bm;
    if (!bm->stock) bm->selectedInto = dc;
    return static_cast<HGDIOBJ>(old);
}

HGDIOBJ GetCurrentObject(HDC hDC, UINT uObjectType) {
    HDC__* dc = LookupDC(hDC);
    if (!dc) return nullptr;
    switch (uObjectType) {
        case OBJ_FONT: return static_cast<HGDIOBJ>(dc->font);
        case OBJ_BRUSH: return static_cast<HGDIOBJ>(dc->brush);
        case OBJ_PEN: return static_cast<HGDIOBJ>(dc->pen);
        case OBJ_BITMAP: return dc->kind == HDC__::kMemory ? static_cast<HGDIOBJ>(dc->bitmap) : nullptr;
        default: return nullptr;
    }
}

HGDIOBJ GetStockObject(int nIndex) {
    switch (nIndex) {
        case WHITE_BRUSH:
        case BLACK_BRUSH: return static_cast<HGDIOBJ>(StockBrush(nIndex));
        case WHITE_PEN:
        case BLACK_PEN: return static_cast<HGDIOBJ>(StockPen(nIndex));
        case SYSTEM_FONT: return static_cast<HGDIOBJ>(StockFont());
        default: return nullptr;
    }
}

BOOL DeleteObject(HGDIOBJ hObject) {
    GdiObject* object = LookupObject(hObject);
    if (!object) return FALSE;
    if (object->stock) return TRUE;  // stock objects are never deleted
    if (Selected(object)) return FALSE;
    g_objects.erase(hObject);
    ForgetObjectWrapper(hObject);
    delete object;
    return TRUE;
}

int GetDeviceCaps(HDC hDC, int nIndex) {
    HDC__* dc = LookupDC(hDC);
    if (!dc) return 0;
    switch (nIndex) {
        case PLANES: return 1;
        case BITSPIXEL: return 32;  // a memory DC reports its device, not its bitmap
        case HORZRES:
        case VERTRES: {
            if (dc->kind != HDC__::kSurface) return nIndex == HORZRES ? kScreenWidth : kScreenHeight;
            return nIndex == HORZRES ? dc->target->Width() : dc->target->Height();
        }
        default: return 0;
    }
}

COLORREF GetPixel(HDC hDC, int x, int y) {
    Surface* s = GetSurface(hDC);
    if (!s || !s->Contains(x, y)) return CLR_INVALID;
    return ColorrefFromRgb(s->Pixel(x, y));
}

// ---- CGdiObject ----

CGdiObject::~CGdiObject() {
    if (m_hObject) DeleteObject();
}

BOOL CGdiObject::Attach(HGDIOBJ hObject) {
    if (m_hObject || !hObject) return FALSE;
    m_hObject = hObject;
    g_attachedObjects[hObject] = this;
    return TRUE;
}

HGDIOBJ CGdiObject::Detach() {
    HGDIOBJ h = m_hObject;
    if (h) {
        auto it = g_attachedObjects.find(h);
        if (it != g_attachedObjects.end() && it->second == this) g_attachedObjects.erase(it);
    }
    m_hObject = nullptr;
    return h;
}

BOOL CGdiObject::DeleteObject() {
    if (!m_hObject) return FALSE;
    HGDIOBJ h = m_hObject;
    if (!::DeleteObject(h)) return FALSE;  // still selected: keep the handle
    Detach();
    return TRUE;
}

int CGdiObject::GetObject(int nCount, void* lpObject) const {
    return ::GetObject(m_hObject, nCount, lpObject);
}

CBitmap* CBitmap::FromHandle(HBITMAP hBitmap) { return WrapperOf<CBitmap>(hBitmap, LookupBitmap(hBitmap) != nullptr); }

// ---- CDC ----

CDC::~CDC() {
    if (m_hDC) ::DeleteDC(Detach());
}

BOOL CDC::Attach(HDC hDC) {
    if (m_hDC || !LookupDC(hDC)) return FALSE;
    m_hDC = hDC;
    g_attachedDCs[hDC] = this;
    return TRUE;
}

HDC CDC::Detach() {
    HDC h = m_hDC;
    if (h) {
        auto it = g_attachedDCs.find(h);
        if (it != g_attachedDCs.end() && it->second == this) g_attachedDCs.erase(it);
    }
    m_hDC = nullptr;
    return h;
}

BOOL CDC::CreateDC(LPCTSTR lpszDriver, LPCTSTR lpszDevice, LPCTSTR lpszOutput, const void* lpInitData) {
    if (m_hDC) return FALSE;
    return Attach(::CreateDC(lpszDriver, lpszDevice, lpszOutput, lpInitData));
}

BOOL CDC::CreateCompatibleDC(CDC* pDC) {
    if (m_hDC) return FALSE;
    return Attach(::CreateCompatibleDC(pDC ? pDC->m_hDC : nullptr));
}

BOOL CDC::DeleteDC() {
    if (!m_hDC) return FALSE;
    return ::DeleteDC(Detach());
}

CBitmap* CDC::SelectObject(CBitmap* pBitmap) { return SelectWrapped(m_hDC, pBitmap); }
CBitmap* CDC::GetCurrentBitmap() const { return CurrentWrapped<CBitmap>(m_hDC, OBJ_BITMAP); }

int CDC::GetDeviceCaps(int nIndex) const { return ::GetDeviceCaps(m_hDC, nIndex); }

COLORREF CDC::GetPixel(int x, int y) const { return ::GetPixel(m_hDC, x, y); }

CDC* CDC::FromHandle(HDC hDC) {
    if (!LookupDC(hDC)) return nullptr;
    auto attached = g_attachedDCs.find(hDC);
    if (attached != g_attachedDCs.end()) return attached->second;
    auto temp = g_tempDCs.find(hDC);
    if (temp != g_tempDCs.end()) return temp->second;
    CDC* wrapper = new CDC;
    wrapper->m_hDC = hDC;  // not attached: the wrapper never deletes the DC
    g_tempDCs[hDC] = wrapper;
    return wrapper;
}
