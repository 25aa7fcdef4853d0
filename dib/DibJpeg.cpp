// JPEG files, read through libjpeg.  Grey files become 8-bit images with the grey palette,
// colour files 24-bit images; CMYK files (as some print programs write them, with inverted
// samples) are turned into RGB.
//
// libjpeg reports errors through a callback that must not return; it jumps back to the one
// function below that calls setjmp, which keeps only plain data in its frame.
#include <csetjmp>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

#include "dib/DibBounds.h"

namespace {

struct JpegError {
    jpeg_error_mgr mgr;
    jmp_buf jump;
};

void OnJpegError(j_common_ptr cinfo) { longjmp(reinterpret_cast<JpegError*>(cinfo->err)->jump, 1); }
void OnJpegMessage(j_common_ptr) {}

struct JpegReader {
    jpeg_decompress_struct cinfo = {};
    JpegError error = {};
    bool bCreated = false;
    ~JpegReader() {
        if (bCreated) jpeg_destroy_decompress(&cinfo);
    }
};

enum class JpegStep { Header, Start, Rows };

// The header step reads the header and chooses grey, BGR or CMYK samples; the start step starts
// decompression (a progressive file is decoded whole here, so the size is checked before); the
// rows step reads every scan line into rows[0 .. height) (CMYK lines into the 4-byte line
// buffer 'cmyk', converted as they come).
bool RunJpeg(JpegReader& r, JpegStep step, const BYTE* data, size_t size, BYTE** rows, BYTE* cmyk) {
    if (setjmp(r.error.jump)) return false;
    jpeg_decompress_struct& c = r.cinfo;
    if (step == JpegStep::Header) {
        c.err = jpeg_std_error(&r.error.mgr);
        r.error.mgr.error_exit = OnJpegError;
        r.error.mgr.output_message = OnJpegMessage;
        jpeg_create_decompress(&c);
        r.bCreated = true;
        jpeg_mem_src(&c, data, static_cast<unsigned long>(size));
        jpeg_read_header(&c, TRUE);
        if (c.num_components == 1)
            c.out_color_space = JCS_GRAYSCALE;
        else if (c.jpeg_color_space == JCS_CMYK || c.jpeg_color_space == JCS_YCCK)
            c.out_color_space = JCS_CMYK;
        else
            c.out_color_space = JCS_EXT_BGR;
        return true;
    }
    if (step == JpegStep::Start) {
        jpeg_start_decompress(&c);
        return true;
    }
    while (c.output_scanline < c.output_height) {
        JDIMENSION y = c.output_scanline;
        if (c.out_color_space != JCS_CMYK) {
            jpeg_read_scanlines(&c, &rows[y], 1);
            continue;
        }
        jpeg_read_scanlines(&c, &cmyk, 1);
        // Inverted CMYK: each channel times the inverted black gives the colour directly.
        BYTE* out = rows[y];
        for (JDIMENSION x = 0; x < c.output_width; ++x) {
            const BYTE* p = cmyk + 4 * size_t(x);
            out[3 * x] = BYTE(p[2] * p[3] / 255);
            out[3 * x + 1] = BYTE(p[1] * p[3] / 255);
            out[3 * x + 2] = BYTE(p[0] * p[3] / 255);
        }
    }
    jpeg_finish_decompress(&c);
    return true;
}

}  // namespace

BOOL CDib::LoadJpeg(const char* lpszPath) {
    std::vector<BYTE> data;
    if (!ReadWholeFile(lpszPath, data)) return FALSE;
    if (data.size() < 3 || data[0] != 0xFF || data[1] != 0xD8) return ReportError(DibMsg::JpegReadFailed);
    JpegReader r;
    if (!RunJpeg(r, JpegStep::Header, data.data(), data.size(), nullptr, nullptr))
        return ReportError(DibMsg::JpegReadFailed);
    const bool bGrey = r.cinfo.out_color_space == JCS_GRAYSCALE;
    if (!DibDecodedSizeBelievable(r.cinfo.image_width, r.cinfo.image_height, bGrey ? 8 : 24, data.size()) ||
        !RunJpeg(r, JpegStep::Start, data.data(), data.size(), nullptr, nullptr))
        return ReportError(DibMsg::JpegReadFailed);
    const JDIMENSION w = r.cinfo.output_width, h = r.cinfo.output_height;
    if (r.cinfo.output_components != (bGrey ? 1 : r.cinfo.out_color_space == JCS_CMYK ? 4 : 3))
        return ReportError(DibMsg::JpegReadFailed);

    CDib loaded;
    if (!loaded.Create(int(w), int(h), bGrey ? 8 : 24, nullptr, 0)) {
        m_nError = loaded.m_nError;
        return FALSE;
    }
    BYTE** rows = loaded.AllocWork<BYTE*>(h);
    BYTE* cmyk = loaded.AllocWork<BYTE>(4 * size_t(w));
    const bool bMemory = rows && cmyk;
    bool bRead = false;
    if (bMemory) {
        for (JDIMENSION y = 0; y < h; ++y) rows[y] = loaded.PictureRow(int(y));
        bRead = RunJpeg(r, JpegStep::Rows, data.data(), data.size(), rows, cmyk);
    }
    free(rows);
    free(cmyk);
    if (!bMemory) return ReportError(DibMsg::NoBufMemory);
    if (!bRead) return ReportError(DibMsg::JpegReadFailed);
    TakeLoadedImage(loaded);
    return TRUE;
}
