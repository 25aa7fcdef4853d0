// moro-cli info: what the library reads from a file.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "cli/Command.h"
#include "cli/Files.h"
#include "cli/Options.h"
#include "dib/Dib.h"

namespace {

void PrintImage(const CDib& dib) {
    std::printf("width: %d\n", dib.m_nWidth);
    std::printf("height: %d\n", dib.m_nHeight);
    std::printf("bits per pixel: %d\n", dib.m_nBitCount);
    std::printf("colours: %d\n", dib.m_nColors);
    std::printf("row bytes: %d\n", dib.m_nRowBytes);
}

int DescribeBmp(const std::string& path) {
    CDib dib;
    if (!cli::LoadBmpOrExplain(dib, path)) return cli::kExitFailed;
    std::printf("file: %s\n", path.c_str());
    std::printf("format: BMP\n");
    PrintImage(dib);
    std::printf("file size: %lu\n", (unsigned long)dib.m_dwBufSize);
    return cli::kExitOk;
}

// PNG and JPEG files: the image the library makes of them.
int DescribeForeign(const std::string& path, const char* lpszFormat) {
    CDib dib;
    if (!cli::LoadOrExplain(dib, path)) return cli::kExitFailed;
    std::printf("file: %s\n", path.c_str());
    std::printf("format: %s\n", lpszFormat);
    PrintImage(dib);
    return cli::kExitOk;
}

int DescribeCpr(const std::string& path) {
    std::vector<BYTE> head(60, 0);
    CFile file;
    if (!file.Open(path.c_str(), CFile::modeRead)) {
        std::fprintf(stderr, "moro-cli: '%s' %s\n", path.c_str(), cli::ErrorText(DIB_ERR_OPEN));
        return cli::kExitFailed;
    }
    ULONGLONG nLength = file.GetLength();
    file.Read(head.data(), 60);
    file.Close();
    // Everything the loader checks is checked by loading: the description follows only then.
    CDib dib;
    if (!cli::LoadOrExplain(dib, path)) return cli::kExitFailed;
    CPRHEADER h;
    std::memcpy(&h, head.data() + 4, sizeof h);
    static const char* const kKinds[] = {"8-bit, one stream", "24-bit, one stream of interleaved bytes",
                                         "24-bit, three colour planes"};
    std::printf("file: %s\n", path.c_str());
    std::printf("format: CPR\n");
    std::printf("colour kind: %d (%s)\n", head[3], head[3] < 3 ? kKinds[head[3]] : "24-bit, one stream");
    std::printf("width: %d\n", h.wWidth);
    std::printf("height: %d\n", h.wHeight);
    std::printf("scale: %d\n", h.cScale);
    std::printf("date: %04d-%02d-%02d\n", dib.m_cprHeader.byYear + 1900, dib.m_cprHeader.byMonth, dib.m_cprHeader.byDay);
    if (head[3] == 2) {
        CFile f(path.c_str(), CFile::modeRead);
        f.Seek(56, CFile::begin);
        const char* names[] = {"red", "green", "blue"};
        for (const char* name : names) {
            DWORD n = 0;
            f.Read(&n, 4);
            std::printf("%s stream: %lu bytes\n", name, (unsigned long)n);
            f.Seek(n, CFile::current);
        }
    } else {
        std::printf("stream: %lu bytes\n", (unsigned long)h.dwCodeLen);
    }
    std::printf("file size: %llu\n", (unsigned long long)nLength);
    return cli::kExitOk;
}

int DescribeRaw(const std::string& path) {
    CFile file;
    if (!file.Open(path.c_str(), CFile::modeRead)) {
        std::fprintf(stderr, "moro-cli: '%s' %s\n", path.c_str(), cli::ErrorText(DIB_ERR_OPEN));
        return cli::kExitFailed;
    }
    ULONGLONG nLength = file.GetLength();
    file.Close();
    bool bNoHeader = nLength == 65536;
    CDib dib;
    if (!cli::LoadOrExplain(dib, path, bNoHeader)) return cli::kExitFailed;
    unsigned long long nSamples = (unsigned long long)dib.m_nWidth * (unsigned long long)dib.m_nHeight;
    std::printf("file: %s\n", path.c_str());
    std::printf("format: raw samples, %s\n", bNoHeader ? "no header (256 x 256)" : "with a size header");
    std::printf("width: %d\n", dib.m_nWidth);
    std::printf("height: %d\n", dib.m_nHeight);
    std::printf("samples in the file: %llu of %llu\n",
                std::min<unsigned long long>(nSamples, nLength - (bNoHeader ? 0 : std::min<ULONGLONG>(nLength, 4))), nSamples);
    std::printf("file size: %llu\n", (unsigned long long)nLength);
    return cli::kExitOk;
}

class CInfo : public cli::CCommand {
public:
    void Define(CLI::App& app) override {
        app.footer("What it prints by the file's extension:\n"
                   "BMP (.bmp, or any other name): width, height, bits per pixel, palette entries,\n"
                   "bytes per row and file size.\n"
                   "CPR (.cpr): colour kind, size, scale, date and the length of each code stream.\n"
                   "raw (.raw): the size its header gives (a file of exactly 65536 bytes is taken as\n"
                   "a headerless 256 x 256 image).\n"
                   "PNG (.png) and JPEG (.jpg, .jpeg): the image MORO makes of it (8-bit grey or\n"
                   "24-bit colour).");
        app.add_option("FILE", m_path, "the file to describe")->required();
    }

    int Run(const CLI::App&) override {
        switch (cli::KindOf(m_path)) {
            case cli::FileKind::Cpr: return DescribeCpr(m_path);
            case cli::FileKind::Raw: return DescribeRaw(m_path);
            case cli::FileKind::Png: return DescribeForeign(m_path, "PNG");
            case cli::FileKind::Jpeg: return DescribeForeign(m_path, "JPEG");
            default: return DescribeBmp(m_path);
        }
    }

private:
    std::string m_path;
};

}  // namespace

MORO_CLI_COMMAND(CInfo, "info", "prints what the library reads from a file");
