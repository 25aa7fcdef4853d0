// moro-cli hough: the line accumulator of an 8-bit image, drawn as a grey image: one column per
// distance bin, one row per angle step (angle 0 at the top), counts scaled so that the largest
// is white.
#include <algorithm>
#include <vector>

#include "cli/Command.h"
#include "cli/Files.h"
#include "cli/Options.h"
#include "ipdib/IPDib.h"

namespace {

constexpr unsigned long long kMaxBins = 4096;

class CHough : public cli::CCommand {
public:
    void Define(CLI::App& app) override {
        app.footer("Counts, for every white pixel of IN (black ones with --black) and every angle from 0 up\n"
                   "to a right angle, the line through it at that angle, by its distance from the bottom-left\n"
                   "corner; OUT shows the counts, NRHO distance bins across and NTHETA angles down.");
        app.add_option("IN", m_in, "an 8-bit image: .bmp, .cpr, .raw, .png or .jpg")->required()->check(cli::ImageFileName());
        app.add_option("OUT", m_out, "the accumulator as an image: .bmp, .cpr, .raw or .png")
            ->required()
            ->check(cli::ImageFileName())
            ->check(cli::WritableFileName());
        app.add_option("--rho", m_nRho, "distance bins, 1 to 4096 (default 512)")
            ->type_name("NRHO")
            ->transform(cli::WholeNumber("--rho", 1, kMaxBins));
        app.add_option("--theta", m_nTheta, "angle steps, 1 to 4096 (default 180)")
            ->type_name("NTHETA")
            ->transform(cli::WholeNumber("--theta", 1, kMaxBins));
        app.add_flag("--black", m_bBlack, "count the black pixels (0) instead of the white ones (255)");
    }

    int Run(const CLI::App& app) override {
        CIPDib dib;
        if (!cli::LoadOrExplain(dib, m_in)) return cli::kExitFailed;
        if (dib.m_nBitCount != 8)
            return cli::UsageError(app, "'" + m_in + "' is " + std::to_string(dib.m_nBitCount) + "-bit; hough works on 8-bit images");
        const int nRho = int(m_nRho), nTheta = int(m_nTheta);
        std::vector<int> acc(size_t(nRho) * size_t(nTheta));
        dib.HoughLines(acc.data(), nRho, nTheta, m_bBlack ? 1 : 0);
        long long nMax = std::max(1, *std::max_element(acc.begin(), acc.end()));
        CDib out;
        if (!out.Create(nRho, nTheta, 8, nullptr, 0)) {
            std::fprintf(stderr, "moro-cli: the accumulator image %s\n", cli::ErrorText(out.m_nError));
            return cli::kExitFailed;
        }
        for (int k = 0; k < nTheta; ++k) {
            BYTE* row = out.PictureRow(k);
            for (int r = 0; r < nRho; ++r) row[r] = BYTE((acc[size_t(k) * size_t(nRho) + size_t(r)] * 255LL + nMax / 2) / nMax);
        }
        return cli::SaveOrExplain(out, m_out, cli::SaveOptions{}) ? cli::kExitOk : cli::kExitFailed;
    }

private:
    std::string m_in, m_out;
    unsigned long long m_nRho = 512, m_nTheta = 180;
    bool m_bBlack = false;
};

}  // namespace

MORO_CLI_COMMAND(CHough, "hough", "draws the line accumulator of an 8-bit image");
