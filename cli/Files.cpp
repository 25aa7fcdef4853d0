#include "cli/Files.h"

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

CLI::Validator ImageFileName() {
    return CLI::Validator(
        [](std::string& path) {
            if (KindOf(path) == FileKind::Unknown)
                throw CBadArgument("'" + path + "' is not a .bmp, .cpr, .raw, .png or .jpg file");
            return std::string();
        },
        "", "ImageFile");
}

CLI::Validator WritableFileName() {
    // JPEG is lossy: MORO reads it but writes its pictures losslessly.
    return CLI::Validator(
        [](std::string& path) {
            if (KindOf(path) == FileKind::Jpeg)
                throw CBadArgument("'" + path + "': MORO does not write JPEG files (.png keeps every pixel)");
            return std::string();
        },
        "", "WritableFile");
}

bool LoadOrExplain(CDib& dib, const std::string& path, bool bNoHeader) {
    int nBefore = dib.m_nError = 0;
    if (dib.LoadFile(path.c_str(), bNoHeader ? 1 : 0)) return true;
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
    DibSaveOptions library;
    library.nScale = options.nScale;
    library.bColor = options.bColour ? TRUE : FALSE;
    library.nNoHeader = options.bNoHeader ? 1 : 0;
    return dib.SaveFile(path.c_str(), library) || ExplainSaveFailure(dib, path, KindOf(path));
}

bool LoadBmpOrExplain(CDib& dib, const std::string& path) {
    if (dib.LoadBmp(path.c_str())) return true;
    std::fprintf(stderr, "moro-cli: '%s' %s\n", path.c_str(), ErrorText(dib.m_nError));
    return false;
}

bool SaveBmpOrExplain(CDib& dib, const std::string& path) {
    return dib.SaveBmp(path.c_str()) || ExplainSaveFailure(dib, path, FileKind::Bmp);
}

bool LoadKeyOrExplain(const std::string& path, KeyFile& file) {
    std::string error;
    if (LoadKeyFile(path.c_str(), file, error)) return true;
    std::fprintf(stderr, "moro-cli: key file '%s' %s\n", path.c_str(), error.c_str());
    return false;
}

bool SaveKeyOrExplain(const std::string& path, const KeyFile& file) {
    std::string error;
    if (SaveKeyFile(path.c_str(), file, error)) return true;
    std::fprintf(stderr, "moro-cli: key file '%s' %s\n", path.c_str(), error.c_str());
    return false;
}

bool CKeyOut::Open(const std::string& path) {
    m_path = path;
    if (m_file.OpenForReplace(path.c_str())) return true;
    std::fprintf(stderr, "moro-cli: key file '%s' cannot be created\n", path.c_str());
    return false;
}

bool CKeyOut::Commit(const KeyFile& file) {
    std::string text = FormatKeyFile(file);
    try {
        m_file.Write(text.data(), UINT(text.size()));
        m_file.Commit();
        return true;
    } catch (const CFileException&) {
        std::fprintf(stderr, "moro-cli: key file '%s' could not be written\n", m_path.c_str());
        return false;
    }
}

bool WriteTextOrExplain(const std::string& path, const std::string& text) {
    CReplaceFile out;
    try {
        if (!out.OpenForReplace(path.c_str())) throw CFileException(CFileException::badPath);
        out.Write(text.data(), UINT(text.size()));
        out.Commit();
        return true;
    } catch (const CFileException&) {
        std::fprintf(stderr, "moro-cli: cannot write '%s'\n", path.c_str());
        return false;
    }
}

std::vector<CipherStep> StepsOf(const std::string& list) {
    std::vector<CipherStep> steps;
    for (const std::string& name : SplitCommas(list)) {
        CipherStep step;
        if (FindCipherStep(name, step)) steps.push_back(step);
    }
    return steps;
}

std::vector<std::string> StepNames() {
    std::vector<std::string> names;
    for (int i = 0; i < kCipherStepCount; ++i) names.push_back(GetCipherStepName(CipherStep(i)));
    return names;
}

}  // namespace cli
