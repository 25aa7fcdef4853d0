// moro-cli measure: the measuring operations of the image-processing image, their results as one
// JSON object on standard output, each under its option's name.  The measures are one table
// (kMeasures): another measure is another row.
#include <charconv>
#include <cstddef>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/Command.h"
#include "cli/Files.h"
#include "cli/Options.h"
#include "ipdib/IPDib.h"
#include "platform/Rand.h"

namespace {

using Json = nlohmann::ordered_json;


// The image being measured and the measure at hand.
struct Measure {
    CIPDib& image;
    std::string option;
    std::string value;
    int nMinDistance;

    [[noreturn]] void Bad(const std::string& what) const {
        throw cli::BadValue{option + (value.empty() ? "" : " " + value) + ": " + what};
    }
    // Refuses an image of a depth the measure does not work on.
    void Needs(bool b8, bool b24) const {
        int nBits = image.m_nBitCount;
        if ((nBits == 8 && b8) || (nBits == 24 && b24)) return;
        Bad(std::string("works on ") + (b8 && b24 ? "8 and 24-bit" : b8 ? "8-bit" : "24-bit") + " images; this one is " +
            std::to_string(nBits) + "-bit");
    }
    // nCount whole numbers from 0 up, separated by commas.
    std::vector<int> Numbers(const std::string& text, size_t nCount, const std::string& form) const {
        std::vector<int> numbers;
        for (const std::string& item : cli::SplitCommas(text)) {
            int n = 0;
            auto [end, error] = std::from_chars(item.data(), item.data() + item.size(), n);
            if (item.empty() || item[0] == '-' || error != std::errc() || end != item.data() + item.size()) break;
            numbers.push_back(n);
        }
        if (numbers.size() != nCount || cli::SplitCommas(text).size() != nCount)
            Bad("wants " + form + (nCount == 1 ? " as a whole number" : " as whole numbers") + " from 0, not '" + text + "'");
        return numbers;
    }
    std::string Size() const { return std::to_string(image.m_nWidth) + " x " + std::to_string(image.m_nHeight); }
};

Json HistJson(const double* pHist, const double* pCum, double dMax, int nPeak) {
    return {{"hist", std::vector<double>(pHist, pHist + 256)},
            {"cumulative", std::vector<double>(pCum, pCum + 256)},
            {"max", dMax},
            {"peak", nPeak}};
}

// ---- the measures ----

Json GrayHist(Measure& m) {
    m.Needs(true, true);
    m.image.CalcGrayHist();
    return HistJson(m.image.m_dHist, m.image.m_dHistCum, m.image.m_dHistMax, m.image.m_nHistPeak);
}

Json ColorHist(Measure& m) {
    m.Needs(false, true);
    m.image.CalcColorHist();
    Json out;
    const char* names[3] = {"blue", "green", "red"};
    for (int c = 0; c < 3; ++c)
        out[names[c]] = HistJson(m.image.m_dColorHist[c], m.image.m_dColorHistCum[c], m.image.m_dColorHistMax[c],
                                 m.image.m_nColorHistPeak[c]);
    return out;
}

Json Profile(Measure& m) {
    m.Needs(true, true);
    size_t nColon = m.value.find(':');
    std::string kind = m.value.substr(0, nColon);
    if (nColon == std::string::npos || (kind != "row" && kind != "column")) m.Bad("wants row:Y or column:X");
    const bool bColumn = kind == "column";
    const int nIndex = m.Numbers(m.value.substr(nColon + 1), 1, bColumn ? "X" : "Y")[0];
    if (nIndex >= (bColumn ? m.image.m_nWidth : m.image.m_nHeight)) m.Bad("lies outside the " + m.Size() + " image");
    std::vector<BYTE> values(size_t(bColumn ? m.image.m_nHeight : m.image.m_nWidth));
    m.image.GetLineProfile(bColumn, nIndex, values.data());
    return {{kind, nIndex}, {"values", std::vector<int>(values.begin(), values.end())}};
}

Json Projection(Measure& m) {
    m.Needs(true, true);
    if (m.value != "rows" && m.value != "columns") m.Bad("wants rows or columns");
    const bool bRows = m.value == "rows";
    std::vector<double> values(size_t(bRows ? m.image.m_nHeight : m.image.m_nWidth));
    m.image.GetProjection(bRows, values.data());
    return {{"of", m.value}, {"values", values}};
}

Json RegionMode(Measure& m) {
    m.Needs(true, false);
    std::vector<int> n = m.Numbers(m.value, 4, "L,T,R,B");
    const int W = m.image.m_nWidth, H = m.image.m_nHeight;
    if (n[0] > n[2] || n[1] > n[3] || n[2] >= W || n[3] >= H)
        m.Bad("the rectangle must lie inside the " + m.Size() + " image, right and bottom included");
    // The library counts rows from the bottom of the picture; the command, like every other,
    // from the top.
    return {{"level", m.image.GetRegionMode(n[0], H - 1 - n[3], n[2], H - 1 - n[1])}};
}

Json Threshold(Measure& m) {
    m.Needs(true, false);
    m.image.CalcGrayHist();
    int nThreshold = m.image.FindBimodalThreshold(m.image.m_dHist, BYTE(m.nMinDistance));
    return {{"threshold", nThreshold < 0 ? Json(nullptr) : Json(nThreshold)},
            {"peak1", m.image.m_nPeak1},
            {"peak2", m.image.m_nPeak2},
            {"min_distance", m.nMinDistance}};
}

Json Polarity(Measure& m) {
    m.Needs(true, false);
    int nResult = m.image.IsLightBackground();
    if (nResult < 0) throw cli::LibraryFailed{m.image.m_nError};
    return {{"light_background", nResult == 1}};
}

// Picture rows, top first, of an array in the library's storage order (bottom row first).
Json PictureRows(const std::vector<double>& values, int nWidth, int nHeight) {
    Json rows = Json::array();
    for (int y = 0; y < nHeight; ++y) {
        auto row = values.begin() + std::ptrdiff_t(nHeight - 1 - y) * nWidth;
        rows.push_back(std::vector<double>(row, row + nWidth));
    }
    return rows;
}

// Windows and accumulators are kept to sizes whose work and output stay within reason.
constexpr int kMaxWindowSide = 63;
constexpr int kMaxHoughBins = 4096;

Json LocalStats(Measure& m) {
    m.Needs(true, false);
    std::vector<int> n = m.Numbers(m.value, 2, "A,B");
    if (n[0] % 2 == 0 || n[1] % 2 == 0 || n[0] > kMaxWindowSide || n[1] > kMaxWindowSide)
        m.Bad("the window's sides are odd, 1 to " + std::to_string(kMaxWindowSide));
    const size_t nCount = size_t(m.image.m_nWidth) * size_t(m.image.m_nHeight);
    std::vector<double> mean(nCount), deviation(nCount);
    m.image.LocalMeanStd(n[0], n[1], mean.data(), deviation.data());
    if (m.image.m_nError) throw cli::LibraryFailed{m.image.m_nError};
    return {{"a", n[0]},
            {"b", n[1]},
            {"mean", PictureRows(mean, m.image.m_nWidth, m.image.m_nHeight)},
            {"std", PictureRows(deviation, m.image.m_nWidth, m.image.m_nHeight)}};
}

Json Hough(Measure& m) {
    m.Needs(true, false);
    std::vector<int> n = m.Numbers(m.value, 2, "NRHO,NTHETA");
    if (n[0] < 1 || n[1] < 1 || n[0] > kMaxHoughBins || n[1] > kMaxHoughBins)
        m.Bad("the bins and angle steps are 1 to " + std::to_string(kMaxHoughBins));
    std::vector<int> acc(size_t(n[0]) * size_t(n[1]));
    m.image.HoughLines(acc.data(), n[0], n[1], 0);
    Json rows = Json::array();
    for (int k = 0; k < n[1]; ++k) rows.push_back(std::vector<int>(acc.begin() + std::ptrdiff_t(k) * n[0], acc.begin() + std::ptrdiff_t(k + 1) * n[0]));
    return {{"rho", n[0]}, {"theta", n[1]}, {"acc", rows}};
}

struct MeasureRow {
    const char* name;
    const char* form;  // the value's form; empty for a flag
    const char* help;
    Json (*measure)(Measure&);
};

const MeasureRow kMeasures[] = {
    {"--gray-hist", "", "grey histogram (8 and 24-bit): shares of the pixels per level,\ntheir running sums, the largest share and its lowest level", GrayHist},
    {"--color-hist", "", "the same for the blue, green and red bytes of a 24-bit image", ColorHist},
    {"--profile", "row:Y|column:X",
     "grey levels along picture row Y (left to right) or column X\n(bottom to top); 24-bit pixels are rounded at random",
     Profile},
    {"--projection", "rows|columns", "sums of the grey levels per picture row (top first) or per\ncolumn, scaled so that the largest is 1", Projection},
    {"--region-mode", "L,T,R,B", "the most frequent level (the lowest on a tie) in the rectangle,\nright and bottom included (8-bit)", RegionMode},
    {"--threshold", "", "the level halfway between the two peaks of the grey histogram\n(8-bit), null when there is no second peak", Threshold},
    {"--polarity", "", "whether an 8-bit image shows a light background", Polarity},
    {"--local-stats", "A,B",
     "mean and sample standard deviation of every pixel's A x B window\n(8-bit, odd sides up to 63), picture rows top first",
     LocalStats},
    {"--hough", "NRHO,NTHETA",
     "the line accumulator of the white pixels of an 8-bit image: NTHETA\nangle steps of NRHO distance bins (each 1 to 4096)",
     Hough},
};

const MeasureRow* FindMeasure(const std::string& name) {
    for (const MeasureRow& row : kMeasures)
        if (name == row.name) return &row;
    return nullptr;
}

class CMeasure : public cli::CCommand {
public:
    void Define(CLI::App& app) override {
        app.footer("Loads IN and prints one JSON object: the result of each measure under its option's\n"
                   "name (without the dashes), in the order given. Coordinates are pixels from the\n"
                   "picture's top-left corner. The same seed always gives the same numbers.");
        app.add_option("IN", m_in, "the image to measure: .bmp, .cpr, .raw, .png or .jpg")->required()->check(cli::ImageFileName());
        app.add_option("--seed", m_nSeed,
                       "seed of the random generator that rounds exact halves (0 to 4294967295);\n"
                       "without it the clock is used")
            ->type_name("N")
            ->transform(cli::WholeNumber("--seed", 0, 0xFFFFFFFFull));
        app.add_option("--min-distance", m_nMinDistance, "with --threshold: levels between the two peaks, at least (0 to\n255, default 50)")
            ->type_name("D")
            ->transform(cli::WholeNumber("--min-distance", 0, 255));
        for (const MeasureRow& row : kMeasures) {
            CLI::Option* option = *row.form ? app.add_option(row.name, row.help)->type_name(row.form) : app.add_flag(row.name, row.help);
            option->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)->group("Measures");
        }
    }

    int Run(const CLI::App& app) override {
        std::vector<const MeasureRow*> rows;
        std::vector<std::string> values;
        for (const auto& [option, value] : cli::OptionsInOrder(app))
            if (const MeasureRow* row = FindMeasure(option->get_name())) {
                if (app.count(row->name) > 1) return cli::UsageError(app, std::string(row->name) + " is given more than once");
                rows.push_back(row);
                values.push_back(value);
            }
        if (rows.empty()) return cli::UsageError(app, "give at least one measure, such as --gray-hist");
        if (app.count("--min-distance") && !app.count("--threshold")) return cli::UsageError(app, "--min-distance goes with --threshold");

        CIPDib image;
        if (!cli::LoadOrExplain(image, m_in)) return cli::kExitFailed;
        crt::srand(app.count("--seed") ? unsigned(m_nSeed) : unsigned(std::time(nullptr)));
        Json out = Json::object();
        for (size_t i = 0; i < rows.size(); ++i) {
            Measure m{image, rows[i]->name, values[i], int(m_nMinDistance)};
            try {
                image.m_nError = 0;
                out[rows[i]->name + 2] = rows[i]->measure(m);
            } catch (const cli::BadValue& bad) {
                return cli::UsageError(app, bad.message);
            } catch (const cli::LibraryFailed& failed) {
                std::fprintf(stderr, "moro-cli: %s failed: the image %s\n", rows[i]->name, cli::ErrorText(failed.nError));
                return cli::kExitFailed;
            }
        }
        std::printf("%s\n", out.dump().c_str());
        return cli::kExitOk;
    }

private:
    std::string m_in;
    unsigned long long m_nSeed = 0, m_nMinDistance = 50;
};

}  // namespace

MORO_CLI_COMMAND(CMeasure, "measure", "histograms, profiles, thresholds, local statistics and line counts of an image, as JSON");
