// Image files for moro-cli's commands: the kind of a file by its extension, and loading and saving
// that explain a failure on standard error.
#pragma once

#include <string>
#include <vector>

#include "cipher/KeyFile.h"
#include "dib/DibFile.h"
#include "platform/File.h"

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

// Key files; a failure is explained in one line on standard error.
bool LoadKeyOrExplain(const std::string& path, KeyFile& file);
bool SaveKeyOrExplain(const std::string& path, const KeyFile& file);

// A key file written beside an image: Open makes sure it can be created before any work is done,
// Commit writes it once the image is saved.  Without Commit nothing is left behind.
class CKeyOut {
public:
    bool Open(const std::string& path);
    bool Commit(const KeyFile& file);

private:
    std::string m_path;
    CReplaceFile m_file;
};

// A text file, written beside the target and renamed over it when complete.
bool WriteTextOrExplain(const std::string& path, const std::string& text);

// The steps by name, as the validator of a --steps option has checked them.
std::vector<CipherStep> StepsOf(const std::string& list);
std::vector<std::string> StepNames();

}  // namespace cli
