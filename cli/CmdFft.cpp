// moro-cli fft: the spectrum of an 8-bit grey image, rendered as an image.
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include <nlohmann/json.hpp>

#include "cli/Command.h"
#include "cli/Files.h"
#include "cli/Options.h"
#include "ipdib/IPDib.h"

namespace {

// The library's mode bits: the scaling, then the part of the spectrum.
int ScalingBits(const std::string& name) { return name == "log" ? 2 : name == "linear" ? 4 : name == "abs" ? 8 : 0; }
int PartBits(const std::string& name) { return name == "real" ? 0x20 : name == "imaginary" ? 0x40 : 0; }

// "LOWER,UPPER": two finite numbers.
bool ParseWindow(const std::string& text, double& lower, double& upper) {
    size_t comma = text.find(',');
    if (comma == std::string::npos) return false;
    std::string a = text.substr(0, comma), b = text.substr(comma + 1);
    char* end = nullptr;
    lower = std::strtod(a.c_str(), &end);
    if (a.empty() || *end) return false;
    upper = std::strtod(b.c_str(), &end);
    return !b.empty() && !*end && std::isfinite(lower) && std::isfinite(upper);
}

class CFft : public cli::CCommand {
public:
    void Define(CLI::App& app) override {
        app.footer("Takes the two-dimensional FFT of IN (an 8-bit grey image, zero-padded to powers of two)\n"
                   "and writes the spectrum as an 8-bit image to OUT: by default the magnitude on a\n"
                   "logarithmic scale (values within a tenth of the range above the smallest are black).\n"
                   "The window modes write the value itself, 0 below LOWER and 255 above UPPER. Rows are\n"
                   "in the file's order; --centre reverses each half of each axis, so that the zero\n"
                   "frequency comes to the middle. Prints the spectrum's size and extremes.");
        app.add_option("IN", m_in, "the image: .bmp, .cpr, .raw, .png or .jpg")->required()->check(cli::ImageFileName());
        app.add_option("OUT", m_out, "the rendering: .bmp, .cpr, .raw or .png")
            ->required()
            ->check(cli::ImageFileName())
            ->check(cli::WritableFileName());
        app.add_option("--mode", m_mode, "log (default), linear, window or abs (the absolute value, then the window)")
            ->check(CLI::IsMember({"log", "linear", "window", "abs"}));
        app.add_option("--part", m_part, "magnitude (default), real or imaginary")
            ->check(CLI::IsMember({"magnitude", "real", "imaginary"}));
        app.add_option("--window", m_window, "the window's bounds (default 0,255)")->type_name("LOWER,UPPER");
        app.add_flag("--centre,--center", m_bCentre, "bring the zero frequency to the middle");
        app.add_flag("--own-size", m_bOwnSize, "the rendering takes the image's size, not the spectrum's (not centred)");
        app.add_flag("--json", m_bJson, "print the numbers as JSON");
    }

    int Run(const CLI::App& app) override {
        double lower = 0, upper = 255;
        if (!m_window.empty() && !ParseWindow(m_window, lower, upper))
            return cli::UsageError(app, "--window " + m_window + ": give two numbers, LOWER,UPPER");
        CIPDib dib;
        if (!cli::LoadOrExplain(dib, m_in)) return cli::kExitFailed;
        if (dib.m_nBitCount != 8)
            return cli::UsageError(app, "'" + m_in + "' is a " + std::to_string(dib.m_nBitCount) +
                                            "-bit image; the FFT takes 8-bit grey images");
        if (!dib.FFT2(1)) {
            std::fprintf(stderr, "moro-cli: the FFT of '%s' %s\n", m_in.c_str(), cli::ErrorText(dib.m_nError));
            return cli::kExitFailed;
        }
        CIPDib out;
        dib.SpectrumToImage(out, ScalingBits(m_mode) | PartBits(m_part) | (m_bOwnSize ? 0x80 : 0), upper, lower,
                            m_bCentre ? 1 : 0);
        if (!out.IsValid()) {
            std::fprintf(stderr, "moro-cli: the rendering %s\n", cli::ErrorText(out.m_nError));
            return cli::kExitFailed;
        }
        Print(dib);
        return cli::SaveOrExplain(out, m_out, {}) ? cli::kExitOk : cli::kExitFailed;
    }

private:
    void Print(const CIPDib& dib) const {
        if (m_bJson) {
            nlohmann::json j = {{"width", dib.m_nWidth},
                                {"height", dib.m_nHeight},
                                {"fft_width", dib.m_nFftWidth},
                                {"fft_height", dib.m_nFftHeight},
                                {"magnitude", {{"min", dib.m_dFftMagMin}, {"max", dib.m_dFftMagMax}}},
                                {"real", {{"min", dib.m_dFftReMin}, {"max", dib.m_dFftReMax}}},
                                {"imaginary", {{"min", dib.m_dFftImMin}, {"max", dib.m_dFftImMax}}}};
            std::printf("%s\n", j.dump(2).c_str());
            return;
        }
        std::printf("image %d x %d, spectrum %d x %d\n", dib.m_nWidth, dib.m_nHeight, dib.m_nFftWidth, dib.m_nFftHeight);
        std::printf("magnitude  %.17g to %.17g\n", dib.m_dFftMagMin, dib.m_dFftMagMax);
        std::printf("real       %.17g to %.17g\n", dib.m_dFftReMin, dib.m_dFftReMax);
        std::printf("imaginary  %.17g to %.17g\n", dib.m_dFftImMin, dib.m_dFftImMax);
    }

    std::string m_in, m_out, m_mode = "log", m_part = "magnitude", m_window;
    bool m_bCentre = false, m_bOwnSize = false, m_bJson = false;
};

}  // namespace

MORO_CLI_COMMAND(CFft, "fft", "the spectrum of an 8-bit grey image as an image");
