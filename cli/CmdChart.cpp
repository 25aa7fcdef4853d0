// moro-cli chart: the histogram chart of an 8-bit image, drawn into a bitmap and saved, so that
// a person can look at it.
#include <cstdio>
#include <string>

#include "cli/Command.h"
#include "cli/Files.h"
#include "cli/Options.h"
#include "ipdib/IPDib.h"
#include "security/HistChart.h"

namespace {

class CChart : public cli::CCommand {
public:
    void Define(CLI::App& app) override {
        app.footer("Draws the grey histogram of an 8-bit image as a chart of 256 bars, one per level, on a\n"
                   "dotted blue grid every 32 levels and every eighth of the height, with red level labels,\n"
                   "the highest share as a percentage at the top left and a black frame; the bars are\n"
                   "drawn in black, inverted where they cross the grid and the text. The bitmap is\n" +
                   std::to_string(kHistChartWidth) + " x " + std::to_string(kHistChartHeight) +
                   ", 24-bit. A 24-bit image is first made 8-bit with moro-cli edit --to-8bit 0.");
        app.add_option("IN", m_in, "the image: .bmp, .cpr, .raw, .png or .jpg")->required()->check(cli::ImageFileName());
        app.add_option("OUT", m_out, "the chart: .bmp or .png")
            ->required()
            ->check(cli::ImageFileName())
            ->check(cli::WritableFileName());
        app.add_option("--mode", m_nMode, "0: the highest bar fills the height (the default); 1: the height\nstands for 256")
            ->type_name("0|1")
            ->transform(cli::WholeNumber("--mode", 0, 1));
    }

    int Run(const CLI::App& app) override {
        CIPDib image;
        if (!cli::LoadOrExplain(image, m_in)) return cli::kExitFailed;
        if (image.m_nBitCount != 8)
            return cli::UsageError(app, "the chart is of 8-bit images; '" + m_in + "' is " + std::to_string(image.m_nBitCount) + "-bit");
        image.CalcGrayHist();
        CDib chart;
        if (!RenderHistChart(image, chart, int(m_nMode))) {
            if (chart.m_nError) std::fprintf(stderr, "moro-cli: the chart %s\n", cli::ErrorText(chart.m_nError));
            else std::fprintf(stderr, "moro-cli: no memory for the chart\n");
            return cli::kExitFailed;
        }
        return cli::SaveOrExplain(chart, m_out, cli::SaveOptions{}) ? cli::kExitOk : cli::kExitFailed;
    }

private:
    std::string m_in, m_out;
    unsigned long long m_nMode = 0;
};

}  // namespace

MORO_CLI_COMMAND(CChart, "chart", "draws the grey histogram of an 8-bit image as a chart into a bitmap");
