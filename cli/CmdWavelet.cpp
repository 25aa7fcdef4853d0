// moro-cli wavelet: the sub-bands of an 8-bit grey image, the round trip back to the image, and
// the list of filter banks.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/Command.h"
#include "cli/Files.h"
#include "cli/Options.h"
#include "ipdib/IPDib.h"

namespace {

const std::vector<std::string> kBorders = {"zero", "mirror", "replicate", "periodic"};
const std::vector<std::string> kRenders = {"clamp", "abs", "signed", "scaled"};

int IndexOf(const std::vector<std::string>& names, const std::string& name) {
    for (size_t i = 0; i < names.size(); ++i)
        if (names[i] == name) return int(i);
    return -1;
}

void PrintBanks(bool bJson) {
    CIPDib dib;
    nlohmann::json banks = nlohmann::json::array();
    for (int i = 0; i < CIPDib::WaveletCount(); ++i) {
        dib.SetWavelet(CIPDib::WaveletName(i));
        if (bJson)
            banks.push_back({{"name", CIPDib::WaveletName(i)}, {"length", dib.m_nWaveLoDLen}});
        else
            std::printf("%-8s %2d taps\n", CIPDib::WaveletName(i), dib.m_nWaveLoDLen);
    }
    if (bJson) std::printf("%s\n", nlohmann::json{{"banks", banks}}.dump(1).c_str());
}

class CWavelet : public cli::CCommand {
public:
    void Define(CLI::App& app) override {
        app.footer("Decomposes IN (an 8-bit grey image) with a filter bank in --levels levels, after extending\n"
                   "it beyond its borders by --border, and writes the coefficient array (the extended size,\n"
                   "the coarsest approximation top left, the details of each level around it) as an image\n"
                   "rendered by --render: clamp to 0..255, abs (absolute values up to 255), signed (v / 2 +\n"
                   "128), or scaled (255 / (max - min), the default). With --reconstruct it reconstructs the\n"
                   "coefficients instead and writes the image that comes back (rendered by clamp unless\n"
                   "--render says otherwise), and prints how far it lies from IN. --list prints the banks.");
        app.add_option("IN", m_in, "the image: .bmp, .cpr, .raw, .png or .jpg")->check(cli::ImageFileName());
        app.add_option("OUT", m_out, "the rendering: .bmp, .cpr, .raw or .png")
            ->check(cli::ImageFileName())
            ->check(cli::WritableFileName());
        app.add_option("--bank", m_bank, "the filter bank (see --list), e.g. haar, db4, bior2.2")->type_name("NAME");
        app.add_option("--levels", m_nLevels, "decomposition levels, 0 to 10")
            ->type_name("N")
            ->transform(cli::WholeNumber("--levels", 0, 10));
        app.add_option("--border", m_border, "zero, mirror (default), replicate or periodic")->check(CLI::IsMember(kBorders));
        app.add_option("--render", m_render, "clamp, abs, signed or scaled")->check(CLI::IsMember(kRenders));
        app.add_flag("--reconstruct", m_bReconstruct, "decompose and reconstruct: write the image that comes back");
        app.add_flag("--list", m_bList, "list the filter banks");
        app.add_flag("--json", m_bJson, "print the numbers (and the coefficients) as JSON");
    }

    int Run(const CLI::App& app) override {
        if (m_bList) {
            if (!m_in.empty() || app.count("--bank") || app.count("--levels"))
                return cli::UsageError(app, "--list takes no image, bank or levels");
            PrintBanks(m_bJson);
            return cli::kExitOk;
        }
        if (m_in.empty() || m_out.empty()) return cli::UsageError(app, "give IN and OUT (or --list)");
        if (!app.count("--bank") || !app.count("--levels")) return cli::UsageError(app, "give --bank NAME and --levels N");
        CIPDib dib;
        if (!dib.SetWavelet(m_bank.c_str()))
            return cli::UsageError(app, "unknown bank '" + m_bank + "' (moro-cli wavelet --list names them)");
        if (!cli::LoadOrExplain(dib, m_in)) return cli::kExitFailed;
        if (dib.m_nBitCount != 8)
            return cli::UsageError(app, "'" + m_in + "' is a " + std::to_string(dib.m_nBitCount) +
                                            "-bit image; the wavelet transform takes 8-bit grey images");
        const int nRender = IndexOf(kRenders, m_render.empty() ? (m_bReconstruct ? "clamp" : "scaled") : m_render);
        if (!dib.ComputeWaveletPadding(int(m_nLevels))) return Failed(dib);
        std::vector<double> data;
        try {
            data.resize(size_t(dib.m_nWaveExtWidth) * size_t(dib.m_nWaveExtHeight));
        } catch (const std::bad_alloc&) {
            std::fprintf(stderr, "moro-cli: '%s' is too large for its coefficients to be held in memory\n", m_in.c_str());
            return cli::kExitFailed;
        }
        if (!dib.WaveletDecompose(data.data(), int(m_nLevels), IndexOf(kBorders, m_border))) return Failed(dib);

        CIPDib out;
        nlohmann::json j = {{"bank", m_bank}, {"levels", m_nLevels}, {"width", dib.m_nWidth}, {"height", dib.m_nHeight},
                            {"pad_x", dib.m_nWavePadX}, {"pad_y", dib.m_nWavePadY},
                            {"extended_width", dib.m_nWaveExtWidth}, {"extended_height", dib.m_nWaveExtHeight}};
        if (m_bReconstruct) {
            if (!dib.WaveletReconstruct(out, data.data(), int(m_nLevels), nRender)) return Failed(dib);
            int nWorst = 0;
            for (int r = 0; r < dib.m_nHeight; ++r)
                for (int c = 0; c < dib.m_nWidth; ++c) nWorst = std::max(nWorst, std::abs(out.StoredRow(r)[c] - dib.StoredRow(r)[c]));
            j["largest_pixel_difference"] = nWorst;
        } else {
            double vMin = data[0], vMax = data[0];
            for (double v : data) {
                vMin = std::min(vMin, v);
                vMax = std::max(vMax, v);
            }
            j["min"] = vMin;
            j["max"] = vMax;
            if (m_bJson) {
                // Rows top-down, as the picture shows them.
                nlohmann::json rows = nlohmann::json::array();
                for (int r = dib.m_nWaveExtHeight - 1; r >= 0; --r)
                    rows.push_back(std::vector<double>(data.begin() + size_t(r) * dib.m_nWaveExtWidth,
                                                       data.begin() + size_t(r + 1) * dib.m_nWaveExtWidth));
                j["coefficients"] = rows;
            }
            if (!dib.DoublesToImage(out, data.data(), dib.m_nWaveExtWidth, dib.m_nWaveExtHeight, nRender))
                return Failed(out);
        }
        if (m_bJson) {
            std::printf("%s\n", j.dump(1).c_str());
        } else {
            std::printf("%s, %lld levels: %d x %d extended to %d x %d\n", m_bank.c_str(), m_nLevels, dib.m_nWidth,
                        dib.m_nHeight, dib.m_nWaveExtWidth, dib.m_nWaveExtHeight);
            if (m_bReconstruct)
                std::printf("largest pixel difference from IN: %d\n", j["largest_pixel_difference"].get<int>());
            else
                std::printf("coefficients %.17g to %.17g\n", j["min"].get<double>(), j["max"].get<double>());
        }
        return cli::SaveOrExplain(out, m_out, {}) ? cli::kExitOk : cli::kExitFailed;
    }

private:
    static int Failed(const CIPDib& dib) {
        std::fprintf(stderr, "moro-cli: the wavelet transform %s\n", cli::ErrorText(dib.m_nError));
        return cli::kExitFailed;
    }

    std::string m_in, m_out, m_bank, m_border = "mirror", m_render;
    unsigned long long m_nLevels = 0;
    bool m_bReconstruct = false, m_bList = false, m_bJson = false;
};

}  // namespace

MORO_CLI_COMMAND(CWavelet, "wavelet", "wavelet sub-bands of an 8-bit grey image, and the round trip");
