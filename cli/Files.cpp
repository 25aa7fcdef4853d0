#include "cli/Files.h"

#include <cctype>
#include <cstdio>

#include "cli/Options.h"
#include "dib/Dib.h"

namespace cli {

const char* ErrorText(int nError) {
    switch (nError) {
        case DIB_ERR_OPEN: return "cannot be opened";
        case DIB_ERR_READ: return "could not be read";
        case DIB_ERR_WRITE: return "could not be written";
        case DIB_ERR_MEMORY: return "has sizes that cannot be held in memory";
        case DIB_ERR_NOT_BMP: return "is not a BMP file MORO reads";
        case DIB_ERR_CPR: return "is not supported for CPR (or not a CPR file)";
        case DIB_ERR_NO_IMAGE: return "has no image";
        case DIB_ERR_PLANES: return "needs colour planes that cannot be made";
        default: return "failed";
    }
}

FileKind KindOf(const std::string& path) {
    size_t dot = path.find_last_of('.');
    std::string ext = dot == std::string::npos ? "" : path.substr(dot + 1);
    for (char& c : ext) c = char(std::tolower((unsigned char)c));
    if (ext == "bmp") return FileKind::Bmp;
    if (ext == "cpr") return FileKind::Cpr;
    if (ext == "raw") return FileKind::Raw;
    return FileKind::Unknown;
}

CLI::Validator ImageFileName() {
    return CLI::Validator(
        [](std::string& path) {
            if (KindOf(path) == FileKind::Unknown) throw CBadArgument("'" + path + "' is not a .bmp, .cpr or .raw file");
            return std::string();
        },
        "", "ImageFile");
}

bool LoadOrExplain(CDib& dib, const std::string& path, bool bNoHeader) {
    int nBefore = dib.m_nError = 0;
    BOOL ok = FALSE;
    switch (KindOf(path)) {
        case FileKind::Cpr: ok = dib.LoadCpr(path.c_str()); break;
        case FileKind::Raw: ok = dib.LoadRaw(path.c_str(), bNoHeader ? 1 : 0); break;
        default: ok = dib.LoadBmp(path.c_str()); break;
    }
    if (ok) return true;
    // A raw file that cannot be opened leaves the code as it was.
    int nError = dib.m_nError == nBefore && KindOf(path) == FileKind::Raw ? DIB_ERR_OPEN : dib.m_nError;
    std::fprintf(stderr, "moro-cli: '%s' %s\n", path.c_str(), ErrorText(nError));
    return false;
}

namespace {
bool ExplainSaveFailure(const CDib& dib, const std::string& path, FileKind kind) {
    if (dib.m_nError == DIB_ERR_OPEN)
        std::fprintf(stderr, "moro-cli: cannot create '%s'\n", path.c_str());
    else if (dib.m_nError == DIB_ERR_CPR && kind == FileKind::Cpr)
        std::fprintf(stderr, "moro-cli: '%s' not written: CPR holds 8 and 24-bit images up to 32767 x 32767, at scales 3 to 127\n", path.c_str());
    else
        std::fprintf(stderr, "moro-cli: '%s' was not written: the image %s\n", path.c_str(), ErrorText(dib.m_nError));
    return false;
}
}  // namespace

bool SaveOrExplain(CDib& dib, const std::string& path, const SaveOptions& options) {
    BOOL ok = FALSE;
    FileKind kind = KindOf(path);
    switch (kind) {
        case FileKind::Cpr: ok = dib.SaveCpr(path.c_str(), options.nScale, options.bColour); break;
        case FileKind::Raw: ok = dib.SaveRaw(path.c_str(), options.bNoHeader ? 1 : 0); break;
        default: ok = dib.SaveBmp(path.c_str()); break;
    }
    return ok || ExplainSaveFailure(dib, path, kind);
}

bool LoadBmpOrExplain(CDib& dib, const std::string& path) {
    if (dib.LoadBmp(path.c_str())) return true;
    std::fprintf(stderr, "moro-cli: '%s' %s\n", path.c_str(), ErrorText(dib.m_nError));
    return false;
}

bool SaveBmpOrExplain(CDib& dib, const std::string& path) {
    return dib.SaveBmp(path.c_str()) || ExplainSaveFailure(dib, path, FileKind::Bmp);
}

}  // namespace cli
