// moro-cli convert: between BMP, CPR and raw files, chosen by the files' extensions.
#include "cli/Args.h"
#include "dib/Dib.h"

namespace {

int RunConvert(const std::vector<std::string>& args);

const cli::Command kConvert = {
    "convert",
    "convert IN OUT [--scale S] [--colour] [--no-header]",
    "usage: moro-cli convert IN OUT [--scale S] [--colour] [--no-header]\n"
    "\n"
    "Reads IN and writes OUT; each is a BMP (.bmp), CPR (.cpr) or raw (.raw) file by its\n"
    "extension.\n"
    "\n"
    "  --scale S    CPR quantisation scale, 3 to 127 (default 50: the standard steps; smaller is\n"
    "               finer and larger). Other scales are refused, see the README.\n"
    "  --colour     CPR: code a 24-bit image as three colour planes (default: one stream of the\n"
    "               interleaved bytes)\n"
    "  --no-header  raw: files without the 4-byte size header (always 256 x 256); a raw file is\n"
    "               still written with the header unless the image is 256 x 256\n",
    RunConvert,
};
MORO_CLI_COMMAND(kConvert);

int RunConvert(const std::vector<std::string>& args) {
    cli::ArgReader reader(kConvert, args);
    cli::SaveOptions options;
    std::string option;
    while (reader.NextOption(option)) {
        if (option == "--scale") {
            unsigned long long nScale = 0;
            if (!reader.UnsignedValue(32767, nScale)) return cli::kExitUsage;
            if (nScale < 3 || nScale > 127) return reader.Fail("--scale must be from 3 to 127");
            options.nScale = short(nScale);
        } else if (option == "--colour" || option == "--color") {
            options.bColour = true;
        } else if (option == "--no-header") {
            options.bNoHeader = true;
        } else {
            return reader.Fail("unknown option " + option);
        }
    }
    if (reader.Positional().size() != 2) return reader.Fail("convert needs an input and an output file");
    for (const std::string& path : reader.Positional())
        if (cli::KindOf(path) == cli::FileKind::Unknown)
            return reader.Fail("'" + path + "' is not a .bmp, .cpr or .raw file");
    CDib dib;
    if (!cli::LoadOrExplain(dib, reader.Positional()[0], options.bNoHeader)) return cli::kExitFailed;
    return cli::SaveOrExplain(dib, reader.Positional()[1], options) ? cli::kExitOk : cli::kExitFailed;
}

}  // namespace
