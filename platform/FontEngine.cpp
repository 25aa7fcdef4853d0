#include "platform/FontEngine.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <utility>

namespace platform {

struct FaceFile {
    FT_Face face = nullptr;
    // The face carries hinting of its own.  Faces without it (most CJK faces) are drawn unhinted:
    // the automatic hinter drops whole strokes of small characters when it snaps them to pixels.
    bool bHinted = false;
    bool bSized = false;
    LONG nSizedFor = 0;  // the font height its size was last set for
    int nAscent = 0;
    int nDescent = 0;
};

namespace {

// A font height of 0 asks for the default cell, that of the system font.
constexpr LONG kDefaultHeight = 16;
// Larger sizes are drawn at this many pixels per em: glyphs beyond it would only cost memory.
constexpr int kMaxPixelsPerEm = 2048;

FT_Library Library() {
    static FT_Library library = [] {
        FT_Library lib = nullptr;
        if (FT_Init_FreeType(&lib) != 0) lib = nullptr;
        return lib;
    }();
    return library;
}

// Faces by file and index, opened once.  Never destroyed: fonts may draw until the program ends.
FaceFile* OpenFace(const std::string& file, int nIndex) {
    static auto* cache = new std::map<std::pair<std::string, int>, FaceFile>;
    auto key = std::make_pair(file, nIndex);
    auto it = cache->find(key);
    if (it == cache->end()) {
        FaceFile entry;
        if (!Library() || FT_New_Face(Library(), file.c_str(), nIndex, &entry.face) != 0) entry.face = nullptr;
        FT_ULong nLength = 0;
        entry.bHinted = entry.face && (FT_Load_Sfnt_Table(entry.face, FT_MAKE_TAG('f', 'p', 'g', 'm'), 0, nullptr, &nLength) == 0 ||
                                       FT_Load_Sfnt_Table(entry.face, FT_MAKE_TAG('C', 'F', 'F', ' '), 0, nullptr, &nLength) == 0);
        it = cache->emplace(key, entry).first;
    }
    return it->second.face ? &it->second : nullptr;
}

// Sets the pixel size of a face for a font height, as the platform reads heights: a positive
// height is the whole cell (ascent + descent of the face's Windows metrics), a negative one the
// em height alone.
void SizeFace(FaceFile& f, LONG nHeight) {
    if (f.bSized && f.nSizedFor == nHeight) return;
    f.bSized = true;
    f.nSizedFor = nHeight;
    FT_Face face = f.face;
    LONG h = nHeight == 0 ? kDefaultHeight : nHeight;
    if (!FT_IS_SCALABLE(face)) {
        // Bitmap faces: the strike nearest to the height asked for.
        int best = 0;
        for (int i = 1; i < face->num_fixed_sizes; ++i)
            if (std::labs(face->available_sizes[i].height - std::labs(h)) <
                std::labs(face->available_sizes[best].height - std::labs(h)))
                best = i;
        if (face->num_fixed_sizes > 0) FT_Select_Size(face, best);
        f.nAscent = int(face->size->metrics.ascender >> 6);
        f.nDescent = int(-face->size->metrics.descender >> 6);
        return;
    }
    double upem = face->units_per_EM > 0 ? face->units_per_EM : 2048;
    double ascent = face->ascender, descent = -face->descender;
    const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && os2->usWinAscent + os2->usWinDescent > 0) {
        ascent = os2->usWinAscent;
        descent = os2->usWinDescent;
    }
    if (ascent + descent <= 0) {
        ascent = upem * 0.8;
        descent = upem * 0.2;
    }
    const double ppem = h > 0 ? h * upem / (ascent + descent) : -double(h);
    const bool bClamped = ppem > kMaxPixelsPerEm;
    const int nPpem = int(std::clamp(std::lround(ppem), 1L, long(kMaxPixelsPerEm)));
    FT_Set_Pixel_Sizes(face, 0, FT_UInt(nPpem));
    f.nAscent = int(std::lround(ascent * nPpem / upem));
    // A positive height is the cell exactly, as asked.
    f.nDescent = h > 0 && !bClamped ? int(h) - f.nAscent : int(std::lround(descent * nPpem / upem));
}

// The code points of UTF-8 text; anything that is not well-formed UTF-8 becomes U+FFFD.
std::vector<unsigned> DecodeUtf8(const char* lpText, size_t nBytes) {
    std::vector<unsigned> cps;
    const auto* p = reinterpret_cast<const unsigned char*>(lpText);
    size_t i = 0;
    while (i < nBytes) {
        unsigned c = p[i];
        int nMore = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
        unsigned cp = nMore == 0 ? c : nMore == 1 ? c & 0x1F : nMore == 2 ? c & 0x0F : c & 0x07;
        bool bOk = nMore >= 0 && i + size_t(nMore) < nBytes;
        for (int k = 1; bOk && k <= nMore; ++k) {
            bOk = (p[i + k] & 0xC0) == 0x80;
            cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        const unsigned kMin[] = {0, 0x80, 0x800, 0x10000};
        if (bOk && (cp < kMin[nMore] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))) bOk = false;
        cps.push_back(bOk ? cp : 0xFFFD);
        i += bOk ? size_t(nMore) + 1 : 1;
    }
    return cps;
}

// The fonts alive now.  fontconfig keeps its configuration and caches until FcFini; when the
// program ends, the fonts give back their sets and fontconfig is closed, so that nothing of it is
// left over (a leak checker would report it).
std::set<FontFaces*>& LiveFaces() {
    static auto* live = new std::set<FontFaces*>;
    return *live;
}

void CloseFontconfig() {
    for (FontFaces* faces : LiveFaces()) faces->ReleaseFaces();
    FcFini();
}

bool InitFontconfig() {
    static bool bReady = [] {
        if (FcInit() != FcTrue) return false;
        std::atexit(CloseFontconfig);
        return true;
    }();
    return bReady;
}

}  // namespace

FontFaces::FontFaces(const LOGFONT& lf) : m_lf(lf) {
    LiveFaces().insert(this);
    m_lf.lfFaceName[LF_FACESIZE - 1] = 0;
    if (!InitFontconfig()) return;
    FcPattern* pattern = FcPatternCreate();
    if (!pattern) return;
    const char* lpszName = m_lf.lfFaceName;
    if (*lpszName) FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(lpszName));
    if (m_lf.lfWeight > 0) FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(std::min<LONG>(m_lf.lfWeight, 1000)));
    if (m_lf.lfItalic) FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ITALIC);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    m_set = FcFontSort(nullptr, pattern, FcTrue, nullptr, &result);
    FcPatternDestroy(pattern);
    if (!m_set) return;

    for (int i = 0; i < m_set->nfont; ++i) {
        FcPattern* font = m_set->fonts[i];
        FcChar8* file = nullptr;
        int nIndex = 0;
        FcCharSet* charset = nullptr;
        if (FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch) continue;
        FcPatternGetInteger(font, FC_INDEX, 0, &nIndex);
        FcPatternGetCharSet(font, FC_CHARSET, 0, &charset);
        if (m_candidates.empty() && *lpszName) {
            FcChar8* family = nullptr;
            for (int k = 0; FcPatternGetString(font, FC_FAMILY, k, &family) == FcResultMatch; ++k)
                if (FcStrCmpIgnoreCase(family, reinterpret_cast<const FcChar8*>(lpszName)) == 0) m_bNamedInstalled = true;
        }
        m_candidates.push_back({reinterpret_cast<const char*>(file), nIndex, charset, nullptr, false});
    }
}

FontFaces::~FontFaces() {
    ReleaseFaces();
    LiveFaces().erase(this);
}

void FontFaces::ReleaseFaces() {
    m_candidates.clear();
    if (m_set) FcFontSetDestroy(m_set);
    m_set = nullptr;
}

FaceFile* FontFaces::Face(size_t i) {
    Candidate& c = m_candidates[i];
    if (!c.face && !c.bOpenFailed) {
        c.face = OpenFace(c.file, c.nIndex);
        c.bOpenFailed = c.face == nullptr;
    }
    return c.face;
}

bool FontFaces::Covers(size_t i, unsigned cp) {
    const Candidate& c = m_candidates[i];
    return c.charset && FcCharSetHasChar(c.charset, cp) && Face(i);
}

bool FontFaces::LoadGlyph(FaceFile* face, unsigned nIndex) {
    SizeFace(*face, m_lf.lfHeight);
    FT_Int32 flags = FT_LOAD_DEFAULT | (Antialiased() ? FT_LOAD_TARGET_NORMAL : FT_LOAD_TARGET_MONO) |
                     (face->bHinted ? 0 : FT_LOAD_NO_HINTING);
    return FT_Load_Glyph(face->face, nIndex, flags) == 0;
}

TextLayout FontFaces::Layout(const char* lpText, size_t nBytes) {
    TextLayout layout;
    std::vector<unsigned> cps = DecodeUtf8(lpText, nBytes);
    const size_t nNone = m_candidates.size();
    auto coversAll = [&](size_t i) {
        return std::all_of(cps.begin(), cps.end(), [&](unsigned cp) { return Covers(i, cp); });
    };
    size_t lead = nNone;
    if (nNone > 0 && m_bNamedInstalled && Face(0)) lead = 0;
    for (size_t i = 0; i < nNone && lead == nNone; ++i)
        if (Face(i) && coversAll(i)) lead = i;
    // No face covers the whole text: the first that opens leads.
    for (size_t i = 0; i < nNone && lead == nNone; ++i)
        if (Face(i)) lead = i;
    if (lead == nNone) return layout;
    FaceFile* leading = Face(lead);
    SizeFace(*leading, m_lf.lfHeight);
    layout.nAscent = leading->nAscent;
    layout.nDescent = leading->nDescent;

    for (unsigned cp : cps) {
        size_t from = lead;
        if (!Covers(lead, cp))
            for (size_t i = 0; i < m_candidates.size(); ++i)
                if (Covers(i, cp)) {
                    from = i;
                    break;
                }
        FaceFile* face = Face(from);
        unsigned nIndex = FT_Get_Char_Index(face->face, cp);
        if (!LoadGlyph(face, nIndex)) continue;
        layout.glyphs.push_back({face, nIndex, layout.nWidth});
        layout.nWidth += (face->face->glyph->advance.x + 32) >> 6;
    }
    return layout;
}

void FontFaces::Draw(const TextLayout& layout, Surface& surface, long long x, long long y, DWORD rgb) {
    const bool bMono = !Antialiased();
    const long long nReach = kMaxPixelsPerEm * 2LL;  // how far a glyph's pixels may lie from its pen
    for (const TextLayout::Glyph& g : layout.glyphs) {
        long long pen = x + g.x;
        if (pen > surface.Width() + nReach || pen < -nReach) continue;  // cannot reach the surface
        if (!LoadGlyph(g.face, g.nIndex)) continue;
        FT_GlyphSlot slot = g.face->face->glyph;
        if (slot->format != FT_GLYPH_FORMAT_BITMAP &&
            FT_Render_Glyph(slot, bMono ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) != 0)
            continue;
        const FT_Bitmap& bm = slot->bitmap;
        if (bm.pixel_mode != FT_PIXEL_MODE_GRAY && bm.pixel_mode != FT_PIXEL_MODE_MONO) continue;
        const long long left = pen + slot->bitmap_left, top = y - slot->bitmap_top;
        for (unsigned row = 0; row < bm.rows; ++row) {
            const long long py = top + row;
            if (py < 0 || py >= surface.Height()) continue;
            const unsigned char* line = bm.buffer + (long long)row * bm.pitch;
            for (unsigned col = 0; col < bm.width; ++col) {
                const long long px = left + col;
                if (px < 0 || px >= surface.Width()) continue;
                unsigned cover = bm.pixel_mode == FT_PIXEL_MODE_MONO ? ((line[col >> 3] >> (7 - (col & 7))) & 1) * 255u
                                                                     : unsigned(line[col]) * 255u / (bm.num_grays > 1 ? bm.num_grays - 1 : 1);
                if (cover == 0) continue;
                DWORD under = surface.Pixel(int(px), int(py)), out = 0;
                for (int shift = 0; shift <= 16; shift += 8) {
                    unsigned bg = (under >> shift) & 0xFF, fg = (rgb >> shift) & 0xFF;
                    out |= DWORD((bg * (255 - cover) + fg * cover + 127) / 255) << shift;
                }
                surface.SetPixel(int(px), int(py), out);
            }
        }
    }
}

TEXTMETRIC FontFaces::Metrics() {
    TEXTMETRIC tm = {};
    TextLayout x = Layout("x", 1);
    tm.tmAscent = x.nAscent;
    tm.tmDescent = x.nDescent;
    tm.tmHeight = x.nAscent + x.nDescent;
    tm.tmAveCharWidth = LONG(x.nWidth);
    if (!x.glyphs.empty()) {
        FT_Face face = x.glyphs[0].face->face;
        tm.tmInternalLeading = tm.tmHeight - face->size->metrics.y_ppem;
        tm.tmMaxCharWidth = LONG(face->size->metrics.max_advance >> 6);
    }
    return tm;
}

}  // namespace platform
