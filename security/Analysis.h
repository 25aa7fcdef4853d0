// The whole security analysis of one run of the cipher on one plain image: every statistic of
// ImageStats.h on the plain and the cipher image, the differential test, the key's sensitivity,
// the encryption quality and the speed, in one record that the reports print.
//
// Everything random in it (which blocks, which pairs, which pixels, which lanes) is drawn from
// the program's generator seeded with the sample seed, so the same seed gives the same record,
// number for number (the speed aside, which is timed).  Draw(n), a whole number below n, takes
// v = (rand() << 15) | rand() and draws again while v >= 2^30 - 2^30 mod n, then gives v mod n.
// After srand(seed) the draws are, in this order:
//   1. local entropy: the blocks lie on a grid of nSide x nSide cells, offset by Draw(W - nx side
//      + 1) columns and Draw(H - ny side + 1) rows (nx = W / side, ny = H / side cells); k =
//      min(nBlocks, nx ny) cells are picked by k steps of Fisher-Yates over the cells numbered
//      row by row (step i swaps cell i with cell i + Draw(nx ny - i));
//   2. correlation: for horizontal, vertical, then diagonal neighbours, nPairs pairs, each the
//      pixel x = Draw(W - dx), y = Draw(H - dy) and its neighbour (x + dx, y + dy);
//   3. the differential test: nPositions pixels, each Draw(W H) in row order from the top left;
//   4. the key's lanes whose state and parameter are flipped: Draw(256), Draw(256).
// The caller's generator is left as it was.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "cipher/KeyFile.h"
#include "security/ImageStats.h"
#include "security/KeyDiagnosis.h"

struct AnalysisOptions {
    double dAlpha = 0.05;       // level of every pass or fail
    uint32_t nSampleSeed = 0;
    int nBlocks = 30;           // local entropy: k blocks ...
    int nSide = 44;             // ... of side x side pixels
    int nPairs = 5000;          // correlation: random pairs per direction
    int nPositions = 50;        // differential test: random pixels beside the first, middle and last
    unsigned nSpeedFrames = 32; // frame passes the speed test times (0: no speed test)
};

// One plane of one image.
struct PlaneStats {
    Histogram histogram{};
    double dChiSquare = 0, dChiSquareP = 0;
    double dEntropy = 0;
    LocalEntropyResult local;
    double dCorrelationAll[3] = {}, dCorrelationSampled[3] = {};  // by kNeighbours
};

// The plain image with one pixel changed by +1 (mod 256) in every channel, encrypted with the
// same key: the cipher images compared, by channel.
struct DiffPosition {
    int x = 0, y = 0;
    std::vector<DiffMeasure> channels;
};

// The key with one bit of one component flipped.
struct KeyFlip {
    std::string component;  // "x0", "p0", "state", "param"
    int nLane = -1;         // for a lane's state or parameter
    int nBit = 0;
    std::vector<DiffMeasure> cipher;     // the two cipher images, by channel
    std::vector<DiffMeasure> decrypted;  // the plain image and the cipher decrypted with this key
    std::unique_ptr<CDib> pCipher, pDecrypted;
};

struct AnalysisResult {
    AnalysisOptions options;
    KeyFile run;  // key, generator state and steps of the encryption
    int nWidth = 0, nHeight = 0, nBitCount = 0;
    std::vector<std::string> channels;
    std::vector<PlaneStats> plain, cipher;  // by channel
    std::vector<EncryptionQuality> quality; // by channel
    std::vector<uint32_t> pairs[3];         // first pixel of each sampled pair, by kNeighbours
    std::vector<DiffPosition> positions;    // first, middle, last, then the random ones
    bool bDecrypted = false;                // the key decrypted the cipher image ...
    bool bDecryptsExactly = false;          // ... back to the plain image
    std::vector<KeyFlip> flips;
    double dSpeedWhole = 0, dSpeedStream = 0;  // Mbps of the speed test on the plain image
    // The run's key as moro-cli keystream diagnoses it: mode 1 from this key over the image's
    // words (rows' bytes / 2), whether or not the steps include mode 1.
    KeyDiagnosis diagnosis;
    std::unique_ptr<CDib> pPlain, pCipher, pDecrypted;

    uint64_t Pixels() const { return uint64_t(nWidth) * uint64_t(nHeight); }
    // The worst of the differential test over positions and channels: least NPCR, and the UACI
    // farthest from its mean.
    DiffMeasure WorstDifferential() const;
};

// Runs everything on plain (8 or 24 bits) under run; false, with the reason in error, when the
// image cannot be analysed or memory runs out.
bool RunAnalysis(const CDib& plain, const KeyFile& run, const AnalysisOptions& options, AnalysisResult& result,
                 std::string& error);

// The grid blocks, pairs and positions the sample seed chooses (draws 1 to 3 above), for tests
// and for anyone checking a report.
struct AnalysisSample {
    std::vector<int> lefts, tops;
    std::vector<uint32_t> pairs[3];
    std::vector<uint32_t> positions;  // the random ones only
    int nStateLane = 0, nParamLane = 0;
};
AnalysisSample DrawSample(int nWidth, int nHeight, const AnalysisOptions& options);
// A whole number below n (n from 1 to 2^30) from the program's generator, as described above.
uint32_t DrawBelow(uint32_t n);

// ---- verdicts and reports (AnalysisReport.cpp) ----

// Every figure as a line of the report: what was measured, on which channel, its value on the
// plain and the cipher image, what an ideal cipher gives or the critical value, and the verdict
// at the chosen level (none for figures without a critical value).
enum class Verdict { None, Pass, Fail };
struct AnalysisRow {
    std::string measure, channel, plain, cipher, reference;
    Verdict verdict = Verdict::None;
};
std::vector<AnalysisRow> AnalysisRows(const AnalysisResult& r);
// A short explanation of what the reader may otherwise take for a fault of the measurement.
std::vector<std::string> AnalysisNotes(const AnalysisResult& r);

// One line naming the image (what), its size, the steps, the key, the seed and the level.
std::string AnalysisHeading(const AnalysisResult& r, const std::string& what);
// The rows as a table for a terminal, then the key's diagnosis; and as a Markdown report with
// the figures' files and the diagnosis with every lane.
std::string AnalysisTable(const AnalysisResult& r);
std::string AnalysisMarkdown(const AnalysisResult& r, const std::string& title);
// The key's diagnosis as the table and the window show it: a heading line, then the text of
// moro-cli keystream (with every lane when bLanes).
std::string AnalysisKeyText(const AnalysisResult& r, bool bLanes);
// Every figure, critical value, sampled position and verdict; the speed alone under "speed";
// the key's diagnosis under "key_diagnosis", as moro-cli keystream --json prints it.
nlohmann::json AnalysisJson(const AnalysisResult& r);

// ---- figures (AnalysisFigures.cpp) ----

// The PNG figures of a report, by file name.
extern const char* const kAnalysisFigures[4];  // images, histograms, correlation, key-sensitivity
// Writes them into the existing folder dir; false, naming the file in error, when one cannot be
// made or written.
bool SaveAnalysisFigures(const AnalysisResult& r, const std::string& dir, std::string& error);

// ---- many runs (AnalysisBatch.cpp) ----

// One figure per test for a line of a batch: the worst over channels (and positions, keys).
enum class Worse { Higher, Lower, AwayFromIdeal };
struct Headline {
    const char* name;
    Worse worse = Worse::Higher;
    double dIdeal = 0;      // for AwayFromIdeal
    bool bJudged = true;    // the test has a verdict ...
    int nPass = -1;         // ... 1 pass, 0 fail, -1 nothing to judge (no blocks in a small image)
    double dValue = 0;
};
std::vector<Headline> AnalysisHeadlines(const AnalysisResult& r);

// The lines of a batch: what was analysed, then each headline and its verdict.
std::string BatchCsvHeader();
std::string BatchCsvLine(const std::string& image, const AnalysisResult& r);
// Over every line: each headline's mean, its worst value and the share passing.
class CBatchSummary {
public:
    void Add(const AnalysisResult& r);
    std::string Table() const;

private:
    struct Column {
        Headline first;
        size_t nCount = 0, nValues = 0, nJudged = 0, nPassed = 0;
        double dSum = 0, dWorst = 0;
    };
    std::vector<Column> m_columns;
};
