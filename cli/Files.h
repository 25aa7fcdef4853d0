// Image files for moro-cli's commands: the kind of a file by its extension, and loading and saving
// that explain a failure on standard error.
#pragma once

#include <string>

#include "dib/DibFile.h"

class CDib;
namespace CLI {
class Validator;
}

namespace cli {

// Image files by their extension: .bmp, .cpr, .raw, .png, .jpg/.jpeg (any other is read and
// written as BMP); the library decides.
using FileKind = DibFileKind;
inline FileKind KindOf(const std::string& path) { return DibKindOfPath(path.c_str()); }
// Refuse a file name whose extension says nothing about the format, rather than guess one, and
// (for files to write) a JPEG file.
CLI::Validator ImageFileName();
CLI::Validator WritableFileName();
// What a library error code means, for messages.
const char* ErrorText(int nError);

struct SaveOptions {
    short nScale = 50;      // CPR quantisation scale
    bool bColour = false;   // CPR: three colour planes for a 24-bit image
    bool bNoHeader = false; // raw: no size header (only for 256 x 256 images)
};

// Load and save by extension; a failure is explained on standard error (after the library's
// own message, when it shows one) and gives false.
bool LoadOrExplain(CDib& dib, const std::string& path, bool bNoHeader = false);
bool SaveOrExplain(CDib& dib, const std::string& path, const SaveOptions& options);
// BMP files only, whatever the extension.
bool LoadBmpOrExplain(CDib& dib, const std::string& path);
bool SaveBmpOrExplain(CDib& dib, const std::string& path);

}  // namespace cli
