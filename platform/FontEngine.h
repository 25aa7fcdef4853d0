// The text engine behind fonts: fontconfig finds the installed faces for a font request and
// FreeType draws their glyphs.  Private to the drawing layer.
#pragma once

#include <string>
#include <vector>

#include "platform/GdiInternal.h"

struct _FcFontSet;
struct _FcCharSet;

namespace platform {

struct FaceFile;  // one installed face, opened on first use and kept for the program's life

// A line of text laid out in a font: each glyph with its face and pen position from the left end.
struct TextLayout {
    struct Glyph {
        FaceFile* face;
        unsigned nIndex;  // glyph index in the face
        long long x;
    };
    std::vector<Glyph> glyphs;
    long long nWidth = 0;  // the sum of the advances
    int nAscent = 0;       // of the leading face: its cell above and below the base line
    int nDescent = 0;
};

// The installed faces that draw one font, in fontconfig's order of preference.
class FontFaces {
public:
    explicit FontFaces(const LOGFONT& lf);
    ~FontFaces();
    FontFaces(const FontFaces&) = delete;
    FontFaces& operator=(const FontFaces&) = delete;

    // The leading face, which gives the measures, is the named face when it is installed, and
    // otherwise the first face that covers the whole text; a character the leading face lacks
    // comes from the first face that has it.  Invalid UTF-8 draws as U+FFFD.
    TextLayout Layout(const char* lpText, size_t nBytes);
    // Draws a laid-out line with its left end at x and its base line at y, clipped to the surface.
    void Draw(const TextLayout& layout, Surface& surface, long long x, long long y, DWORD rgb);
    TEXTMETRIC Metrics();
    // Gives back the faces found; the font draws nothing afterwards.  For the program's end.
    void ReleaseFaces();

private:
    struct Candidate {
        std::string file;
        int nIndex;
        _FcCharSet* charset;  // owned by m_set
        FaceFile* face;       // null until opened
        bool bOpenFailed;
    };
    FaceFile* Face(size_t i);
    bool Covers(size_t i, unsigned cp);
    // Sets the face's size for this font and loads a glyph; false if it cannot be loaded.
    bool LoadGlyph(FaceFile* face, unsigned nIndex);
    // Glyph edges are smoothed only for fonts that ask for it (ANTIALIASED_QUALITY); the
    // default is crisp pixels, which read well at small sizes once matched to a colour.
    bool Antialiased() const { return m_lf.lfQuality == ANTIALIASED_QUALITY; }

    LOGFONT m_lf;
    _FcFontSet* m_set = nullptr;
    std::vector<Candidate> m_candidates;
    bool m_bNamedInstalled = false;  // the first candidate is the face the font names
};

}  // namespace platform
