// moro-cli convert: between image files, chosen by the files' extensions.
#include "cli/Command.h"
#include "cli/Files.h"
#include "cli/Options.h"
#include "dib/Dib.h"

namespace {

class CConvert : public cli::CCommand {
public:
    void Define(CLI::App& app) override {
        app.footer("Reads IN and writes OUT; each is a BMP (.bmp), CPR (.cpr), raw (.raw), PNG (.png)\n"
                   "or, to read only, JPEG (.jpg, .jpeg) file by its extension.");
        app.add_option("IN", m_in, "the file to read: .bmp, .cpr, .raw, .png or .jpg")->required()->check(cli::ImageFileName());
        app.add_option("OUT", m_out, "the file to write: .bmp, .cpr, .raw or .png")
            ->required()
            ->check(cli::ImageFileName())
            ->check(cli::WritableFileName());
        app.add_option("--scale", m_options.nScale,
                       "CPR quantisation scale, 3 to 127 (default 50: the standard steps; smaller\n"
                       "is finer and larger). Other scales are refused, see the README.")
            ->type_name("S")
            ->transform(cli::WholeNumber("--scale", 3, 127));
        app.add_flag("--colour,--color", m_options.bColour,
                     "CPR: code a 24-bit image as three colour planes (default: one stream of\n"
                     "the interleaved bytes)");
        app.add_flag("--no-header", m_options.bNoHeader,
                     "raw: files without the 4-byte size header (always 256 x 256); a raw file\n"
                     "is still written with the header unless the image is 256 x 256");
    }

    int Run(const CLI::App&) override {
        CDib dib;
        if (!cli::LoadOrExplain(dib, m_in, m_options.bNoHeader)) return cli::kExitFailed;
        return cli::SaveOrExplain(dib, m_out, m_options) ? cli::kExitOk : cli::kExitFailed;
    }

private:
    std::string m_in, m_out;
    cli::SaveOptions m_options;
};

}  // namespace

MORO_CLI_COMMAND(CConvert, "convert", "converts between BMP, CPR, raw, PNG and JPEG files");
