// moro-cli info: what the library reads from a file.
#include <cstdio>

#include "cli/Args.h"
#include "dib/Dib.h"

namespace {

int RunInfo(const std::vector<std::string>& args);

const cli::Command kInfo = {
    "info",
    "info FILE",
    "usage: moro-cli info FILE\n"
    "\n"
    "Reads a BMP file with MORO's library and prints what it holds: width, height, bits per\n"
    "pixel, palette entries, bytes per row and file size; or the reason it cannot be read.\n",
    RunInfo,
};
MORO_CLI_COMMAND(kInfo);

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

int RunInfo(const std::vector<std::string>& args) {
    cli::ArgReader reader(kInfo, args);
    std::string option;
    if (reader.NextOption(option)) return reader.Fail("unknown option " + option);
    if (reader.Positional().size() != 1) return reader.Fail("info needs one file");
    return DescribeBmp(reader.Positional()[0]);
}

}  // namespace
