// PNG files, read and written through libpng.
//
// Grey files (and palette files whose colours are all grey) become 8-bit images with the grey
// palette, every other file a 24-bit image; 16-bit samples keep their high byte and an alpha
// channel or transparency is dropped with a notice.  Saving is lossless: 24-bit images as RGB,
// images with the grey ramp palette as grey, other palette images with their palette.
//
// libpng reports errors by longjmp.  Only the two small functions that call setjmp see libpng
// calls, and they keep nothing but plain data in their frames, so the jump never skips a C++
// destructor; everything with one lives in the caller.
#include <csetjmp>
#include <cstring>
#include <vector>

#include <png.h>

#include "dib/DibBounds.h"

namespace {

struct PngSource {
    const BYTE* data;
    size_t size;
    size_t pos;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t n) {
    auto* src = static_cast<PngSource*>(png_get_io_ptr(png));
    if (n > src->size - src->pos) png_error(png, "file ends early");
    std::memcpy(out, src->data + src->pos, n);
    src->pos += n;
}

void OnPngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void OnPngWarning(png_structp, png_const_charp) {}

// The reader's structures; freed by the destructor, outside any function that calls setjmp.
struct PngReader {
    png_structp png = nullptr;
    png_infop info = nullptr;
    PngSource source = {};
    ~PngReader() {
        if (png) png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    }
};

struct PngHeader {
    png_uint_32 width, height;
    bool bGrey;    // becomes an 8-bit image
    bool bAlpha;   // has alpha or transparency to drop
};

// Reads the header and sets the transformations to 8-bit grey or BGR samples.
bool ReadPngHeader(PngReader& r, PngHeader& h) {
    if (setjmp(png_jmpbuf(r.png))) return false;
    png_set_read_fn(r.png, &r.source, ReadFromMemory);
    png_set_user_limits(r.png, 0x7FFFFFFF, 0x7FFFFFFF);
    png_read_info(r.png, r.info);
    int type = png_get_color_type(r.png, r.info);
    h.width = png_get_image_width(r.png, r.info);
    h.height = png_get_image_height(r.png, r.info);
    h.bAlpha = (type & PNG_COLOR_MASK_ALPHA) || png_get_valid(r.png, r.info, PNG_INFO_tRNS);
    h.bGrey = !(type & PNG_COLOR_MASK_COLOR);
    if (type == PNG_COLOR_TYPE_PALETTE) {
        png_colorp palette = nullptr;
        int n = 0;
        png_get_PLTE(r.png, r.info, &palette, &n);
        h.bGrey = true;
        for (int i = 0; i < n; ++i)
            if (palette[i].red != palette[i].green || palette[i].green != palette[i].blue) h.bGrey = false;
        png_set_palette_to_rgb(r.png);
    }
    if (type == PNG_COLOR_TYPE_GRAY && png_get_bit_depth(r.png, r.info) < 8) png_set_expand_gray_1_2_4_to_8(r.png);
    png_set_strip_16(r.png);
    png_set_strip_alpha(r.png);
    if (h.bGrey && (type & PNG_COLOR_MASK_COLOR)) png_set_rgb_to_gray_fixed(r.png, 1, -1, -1);
    if (!h.bGrey) {
        if (!(type & PNG_COLOR_MASK_COLOR)) png_set_gray_to_rgb(r.png);
        png_set_bgr(r.png);
    }
    // libpng allocates its row buffers when the transformations take effect: a header that claims
    // more than the file could hold is refused before that, not after gigabytes were asked for.
    if (!DibDecodedSizeBelievable(h.width, h.height, h.bGrey ? 8 : 24, r.source.size)) return false;
    png_set_interlace_handling(r.png);
    png_read_update_info(r.png, r.info);
    return png_get_channels(r.png, r.info) == (h.bGrey ? 1 : 3) && png_get_bit_depth(r.png, r.info) == 8;
}

bool ReadPngRows(PngReader& r, BYTE** rows) {
    if (setjmp(png_jmpbuf(r.png))) return false;
    png_read_image(r.png, rows);
    png_read_end(r.png, nullptr);
    return true;
}

}  // namespace

BOOL CDib::LoadPng(const char* lpszPath) {
    std::vector<BYTE> data;
    if (!ReadWholeFile(lpszPath, data)) return FALSE;
    PngReader r;
    r.source = {data.data(), data.size(), 0};
    if (data.size() < 8 || png_sig_cmp(data.data(), 0, 8)) return ReportError(DibMsg::PngReadFailed);
    r.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning);
    if (r.png) r.info = png_create_info_struct(r.png);
    if (!r.png || !r.info) return ReportError(DibMsg::NoBufMemory);

    PngHeader h = {};
    if (!ReadPngHeader(r, h)) return ReportError(DibMsg::PngReadFailed);
    CDib loaded;
    if (!loaded.Create(int(h.width), int(h.height), h.bGrey ? 8 : 24, nullptr, 0)) {
        m_nError = loaded.m_nError;
        return FALSE;
    }
    BYTE** rows = loaded.AllocWork<BYTE*>(h.height);
    if (!rows) return ReportError(DibMsg::NoBufMemory);
    for (png_uint_32 y = 0; y < h.height; ++y) rows[y] = loaded.PictureRow(int(y));
    bool bRead = ReadPngRows(r, rows);
    free(rows);
    if (!bRead) return ReportError(DibMsg::PngReadFailed);
    if (h.bAlpha) ShowMessage(DibMsg::AlphaDropped);
    TakeLoadedImage(loaded);
    return TRUE;
}

namespace {

void WriteToVector(png_structp png, png_bytep data, png_size_t n) {
    auto* out = static_cast<std::vector<BYTE>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + n);
}
void FlushNothing(png_structp) {}

struct PngWriter {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~PngWriter() {
        if (png) png_destroy_write_struct(&png, info ? &info : nullptr);
    }
};

struct PngLayout {
    int width, height, depth, type;
    const png_color* palette;  // PLTE entries, for palette images
    int nPalette;
    BYTE* const* rows;         // picture rows, top first
};

bool EncodePng(PngWriter& w, const PngLayout& l, std::vector<BYTE>* out) {
    if (setjmp(png_jmpbuf(w.png))) return false;
    png_set_write_fn(w.png, out, WriteToVector, FlushNothing);
    png_set_IHDR(w.png, w.info, png_uint_32(l.width), png_uint_32(l.height), l.depth, l.type, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (l.type == PNG_COLOR_TYPE_PALETTE) png_set_PLTE(w.png, w.info, l.palette, l.nPalette);
    png_write_info(w.png, w.info);
    if (l.type == PNG_COLOR_TYPE_RGB) png_set_bgr(w.png);
    png_write_image(w.png, const_cast<png_bytepp>(l.rows));
    png_write_end(w.png, nullptr);
    return true;
}

// True when an 8-bit image's palette is the grey ramp 0, 1, ... 255, so its indices are grey levels.
bool HasGreyRamp(const CDib& dib) {
    if (dib.m_nBitCount != 8 || dib.m_nColors != 256) return false;
    for (int i = 0; i < 256; ++i) {
        const RGBQUAD& q = dib.m_lpPalette[i];
        if (q.rgbRed != i || q.rgbGreen != i || q.rgbBlue != i) return false;
    }
    return true;
}

}  // namespace

BOOL CDib::SavePng(const char* lpszPath) {
    if (!m_lpBuf || !DibRowsComplete(*this) || !DibIsStoredBitCount(m_nBitCount)) {
        m_nError = DIB_ERR_NO_IMAGE;
        return FALSE;
    }
    PngLayout l = {m_nWidth, m_nHeight, m_nBitCount == 24 ? 8 : m_nBitCount, PNG_COLOR_TYPE_PALETTE, nullptr, 0,
                   nullptr};
    // Palette files hold every entry an index can name; entries the image lacks are black, as
    // they are drawn.
    png_color palette[256] = {};
    if (m_nBitCount == 24) {
        l.type = PNG_COLOR_TYPE_RGB;
    } else if (HasGreyRamp(*this)) {
        l.type = PNG_COLOR_TYPE_GRAY;
    } else {
        l.nPalette = 1 << m_nBitCount;
        int nHave = m_nColors < l.nPalette ? m_nColors : l.nPalette;
        for (int i = 0; i < nHave; ++i)
            palette[i] = {m_lpPalette[i].rgbRed, m_lpPalette[i].rgbGreen, m_lpPalette[i].rgbBlue};
        l.palette = palette;
    }
    BYTE** rows = AllocWork<BYTE*>(size_t(m_nHeight));
    if (!rows) return FALSE;
    for (int y = 0; y < m_nHeight; ++y) rows[y] = PictureRow(y);
    l.rows = rows;

    std::vector<BYTE> encoded;
    bool bEncoded = false;
    {
        PngWriter w;
        w.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning);
        if (w.png) w.info = png_create_info_struct(w.png);
        bEncoded = w.info && EncodePng(w, l, &encoded);
    }
    free(rows);
    if (!bEncoded) {
        m_nError = DIB_ERR_MEMORY;
        return FALSE;
    }
    return WriteWholeFile(lpszPath, encoded.data(), encoded.size());
}
