// Image files by kind: the library reads BMP, CPR, raw, PNG and JPEG files and writes all but
// JPEG.  The kind comes from the file name's extension.
#pragma once

#include "platform/Types.h"

enum class DibFileKind { Bmp, Cpr, Raw, Png, Jpeg, Unknown };

// .bmp, .cpr, .raw, .png, .jpg/.jpeg (any case); Unknown for anything else.
DibFileKind DibKindOfPath(const char* lpszPath);

struct DibSaveOptions {
    short nScale = 50;   // CPR quantisation scale
    BOOL bColor = FALSE; // CPR: three colour planes for a 24-bit image
    int nNoHeader = 0;   // raw: no size header (only for 256 x 256 images)
};
