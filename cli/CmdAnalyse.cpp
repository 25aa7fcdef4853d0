// moro-cli analyse: the standard security statistics of the cipher on one image, with their
// critical values, as a table, JSON, or a report folder with figures.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include <nlohmann/json.hpp>

#include "cli/Command.h"
#include "cli/Files.h"
#include "cli/Options.h"
#include "cli/Session.h"
#include "platform/Rand.h"
#include "security/Analysis.h"

namespace {

// A level strictly between 0 and 1, as a decimal number.
CLI::Validator Level() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            char* end = nullptr;
            errno = 0;
            const double a = std::strtod(text.c_str(), &end);
            if (text.empty() || *end || errno || !(a > 0.0 && a < 1.0))
                throw cli::CBadArgument("--alpha must be a number between 0 and 1 (such as 0.05), not '" + text + "'");
            return "";
        },
        "A");
}

bool MakeFolder(const std::string& dir) {
    struct stat st;
    if (stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return true;
    if (mkdir(dir.c_str(), 0777) == 0) return true;
    std::fprintf(stderr, "moro-cli: cannot make the folder '%s'\n", dir.c_str());
    return false;
}

// "A-B" or "A": the first and last seed.
bool ParseSeeds(const std::string& text, unsigned long long& first, unsigned long long& last) {
    const size_t dash = text.find('-');
    auto number = [](const std::string& digits, unsigned long long& n) {
        if (digits.empty() || digits.size() > 10 || digits.find_first_not_of("0123456789") != std::string::npos) return false;
        n = std::stoull(digits);
        return n <= 0xFFFFFFFFull;
    };
    if (dash == std::string::npos) return number(text, first) && number(text, last);
    return number(text.substr(0, dash), first) && number(text.substr(dash + 1), last) && first <= last;
}

// The images to analyse: files as named, folders by their image files in name order.
std::vector<std::string> BatchImages(const std::vector<std::string>& items) {
    std::vector<std::string> images;
    for (const std::string& item : items) {
        std::error_code ec;
        if (!std::filesystem::is_directory(item, ec)) {
            images.push_back(item);
            continue;
        }
        std::vector<std::string> found;
        for (const auto& entry : std::filesystem::directory_iterator(item, ec)) {
            std::string ext = entry.path().extension().string();
            for (char& c : ext) c = char(std::tolower((unsigned char)c));
            if (entry.is_regular_file(ec) && (ext == ".bmp" || ext == ".png" || ext == ".cpr" || ext == ".jpg" || ext == ".jpeg"))
                found.push_back(entry.path().string());
        }
        std::sort(found.begin(), found.end());
        images.insert(images.end(), found.begin(), found.end());
    }
    return images;
}

class CAnalyse : public cli::CCommand {
public:
    void Define(CLI::App& app) override {
        app.footer("Encrypts PLAIN as 'encrypt' does and measures the cipher: histograms and their\n"
                   "chi-square, entropy, local entropy, correlation of neighbouring pixels, NPCR and\n"
                   "UACI of one changed plain pixel, the key's sensitivity to one flipped bit, the\n"
                   "encryption quality and the speed. Each figure stands beside what an ideal cipher\n"
                   "gives or its critical value for this image's size, with pass or fail at --alpha.\n"
                   "8-bit images are measured on their palette indices, 24-bit ones per channel.\n"
                   "The same seed, steps and image give the same figures (the speed aside).");
        app.add_option("PLAIN", m_in, "the image to encrypt and measure (8 or 24 bits)");
        app.add_option("--seed", m_nSeed,
                       "seed of the key, as for encrypt, and of the random choices of the measures\n"
                       "(0 to 4294967295; default: the clock). With --key it seeds the choices only\n"
                       "(default: the key file's seed, or 0)")
            ->type_name("N")
            ->transform(cli::WholeNumber("--seed", 0, 0xFFFFFFFFull));
        app.add_option("--steps", m_steps, "comma-separated steps, as for encrypt (default: stream)")
            ->type_name("LIST")
            ->check(cli::CommaList("step", cli::StepNames()));
        app.add_option("--key", m_key, "encrypt with the key of a key file, and its steps unless --steps\nis given")
            ->type_name("KEY.json");
        app.add_option("--alpha", m_alpha, "level of the tests, between 0 and 1 (default 0.05)")->type_name("A")->check(Level());
        app.add_option("--report", m_report, "write report.json, report.md and PNG figures into DIR")->type_name("DIR");
        app.add_flag("--json", m_bJson, "print the report's JSON instead of the table");
        CLI::Option* batch = app.add_option("--batch", m_batch, "analyse every image (folders: their image files) under every\nseed of --seeds, one line each into --csv, and print a summary")
                                 ->type_name("DIR|FILES...")
                                 ->excludes("PLAIN")
                                 ->excludes("--key")
                                 ->excludes("--report")
                                 ->excludes("--json")
                                 ->excludes("--seed");
        app.add_option("--seeds", m_seeds, "the seeds of a batch, A-B or A (default 1)")->type_name("A-B")->needs(batch);
        app.add_option("--csv", m_csv, "the CSV file a batch writes")->type_name("OUT.csv")->needs(batch);
    }

    int Run(const CLI::App& app) override {
        if (!m_batch.empty()) return RunBatch(app);
        if (m_in.empty()) return cli::UsageError(app, "analyse needs PLAIN, or --batch");
        cli::Session session;
        KeyFile run;
        const bool bSeed = app.count("--seed") > 0;
        AnalysisOptions options;
        options.dAlpha = std::strtod(m_alpha.c_str(), nullptr);
        if (!m_key.empty()) {
            if (!cli::LoadKeyOrExplain(m_key, run) || !cli::OpenSessionWithKey(session, m_in, run)) return cli::kExitFailed;
            options.nSampleSeed = bSeed ? uint32_t(m_nSeed) : run.bSeeded ? run.seed : 0;
            if (app.count("--steps")) run.steps = cli::StepsOf(m_steps);
        } else {
            const uint32_t seed = uint32_t(bSeed ? m_nSeed : std::time(nullptr));
            if (!cli::OpenSession(session, m_in, true, seed)) return cli::kExitFailed;
            run = KeyFileNow(session.key, true, seed);
            run.steps = cli::StepsOf(m_steps);
            options.nSampleSeed = seed;
        }
        const CDib& plain = session.original;
        if (plain.m_nBitCount != 8 && plain.m_nBitCount != 24)
            return cli::UsageError(app, "analyse measures 8- and 24-bit images; '" + m_in + "' has " +
                                            std::to_string(plain.m_nBitCount) + " bits per pixel");
        if (!m_report.empty() && !MakeFolder(m_report)) return cli::kExitFailed;

        AnalysisResult result;
        std::string error;
        if (!RunAnalysis(plain, run, options, result, error)) {
            std::fprintf(stderr, "moro-cli: '%s': %s\n", m_in.c_str(), error.c_str());
            return cli::kExitFailed;
        }
        const nlohmann::json json = AnalysisJson(result);
        // The files first: a reader that stops reading the table early must not cost the report.
        if (!m_report.empty()) {
            if (!cli::WriteTextOrExplain(m_report + "/report.json", json.dump(2) + "\n") ||
                !cli::WriteTextOrExplain(m_report + "/report.md", AnalysisMarkdown(result, "'" + m_in + "'")))
                return cli::kExitFailed;
            if (!SaveAnalysisFigures(result, m_report, error)) {
                std::fprintf(stderr, "moro-cli: %s\n", error.c_str());
                return cli::kExitFailed;
            }
        }
        if (m_bJson)
            std::printf("%s\n", json.dump(2).c_str());
        else
            std::printf("%s\n\n%s", AnalysisHeading(result, "'" + m_in + "'").c_str(), AnalysisTable(result).c_str());
        if (!m_report.empty() && !m_bJson) std::printf("\nreport written to %s\n", m_report.c_str());
        return cli::kExitOk;
    }

private:
    int RunBatch(const CLI::App& app) {
        unsigned long long first = 0, last = 0;
        if (!ParseSeeds(m_seeds, first, last))
            return cli::UsageError(app, "--seeds takes A-B or A, whole numbers from 0 to 4294967295 with A <= B, not '" + m_seeds + "'");
        if (m_csv.empty()) return cli::UsageError(app, "--batch needs --csv OUT.csv");
        const std::vector<std::string> images = BatchImages(m_batch);
        if (images.empty()) return cli::UsageError(app, "--batch found no image files");
        AnalysisOptions options;
        options.dAlpha = std::strtod(m_alpha.c_str(), nullptr);
        const std::vector<CipherStep> steps = cli::StepsOf(m_steps);
        const unsigned long long nRuns = (last - first + 1) * images.size();
        const bool bProgress = isatty(2);
        std::string csv = BatchCsvHeader();
        CBatchSummary summary;
        unsigned long long nDone = 0, nAnalysed = 0;
        int nStatus = cli::kExitOk;
        for (const std::string& image : images) {
            CDib plain;
            std::string error = "cannot be loaded";
            bool bLoaded = cli::LoadOrExplain(plain, image);
            for (unsigned long long seed = first; bLoaded && seed <= last; ++seed) {
                if (bProgress) std::fprintf(stderr, "\ranalysing %llu of %llu: %s, seed %llu   ", nDone + 1, nRuns, image.c_str(), seed);
                crt::srand(unsigned(seed));
                KeyState key;
                InitKey(key);
                KeyFile run = KeyFileNow(key, true, uint32_t(seed));
                run.steps = steps;
                options.nSampleSeed = uint32_t(seed);
                AnalysisResult result;
                if (!RunAnalysis(plain, run, options, result, error)) {
                    bLoaded = false;
                    break;
                }
                csv += BatchCsvLine(image, result);
                summary.Add(result);
                ++nDone, ++nAnalysed;
            }
            if (!bLoaded) {
                if (bProgress) std::fprintf(stderr, "\n");
                std::fprintf(stderr, "moro-cli: '%s' skipped: %s\n", image.c_str(), error.c_str());
                nDone += last - first + 1;
                nStatus = cli::kExitFailed;
            }
        }
        if (bProgress) std::fprintf(stderr, "\n");
        if (!cli::WriteTextOrExplain(m_csv, csv)) return cli::kExitFailed;
        std::printf("%llu analyses (%zu images, seeds %llu to %llu, steps %s, alpha %g) written to %s\n\n%s", nAnalysed,
                    images.size(), first, last, m_steps.c_str(), options.dAlpha, m_csv.c_str(),
                    nAnalysed ? summary.Table().c_str() : "");
        return nStatus;
    }

    std::string m_in, m_key, m_report, m_steps = "stream", m_alpha = "0.05", m_seeds = "1", m_csv;
    std::vector<std::string> m_batch;
    unsigned long long m_nSeed = 0;
    bool m_bJson = false;
};

}  // namespace

MORO_CLI_COMMAND(CAnalyse, "analyse", "measures the cipher on an image: statistics, critical values, report");
