// The analysis of one run: the draws of the sample, the encryptions it needs, every measure.
#include "security/Analysis.h"

#include <cmath>
#include <cstring>
#include <new>
#include <numeric>

#include "platform/Rand.h"

namespace {

size_t RowsSize(const CDib& dib) { return size_t(dib.m_nHeight) * size_t(dib.m_nRowBytes); }

// The caller's generator comes back as it was, however the analysis ends.
class CKeepRand {
public:
    CKeepRand() : m_state(crt::GetRandState()) {}
    ~CKeepRand() { crt::SetRandState(m_state); }

private:
    uint32_t m_state;
};

// plain (already in work, the same size) encrypted as the run does: its key, its generator state,
// its steps in order.
void EncryptRun(const KeyFile& run, const KeyState& key, CDib& work) {
    KeyState k = key;
    crt::SetRandState(run.randState);
    for (CipherStep step : run.steps) EncryptStep(k, work, step);
}

std::unique_ptr<CDib> CopyOf(const CDib& dib) {
    auto copy = std::make_unique<CDib>();
    copy->Copy(dib);
    if (!copy->IsValid()) throw std::bad_alloc();
    return copy;
}

ImagePlanes PlanesOf(const CDib& dib) {
    ImagePlanes planes;
    GetPlanes(dib, planes);
    return planes;
}

PlaneStats Measure(const std::vector<BYTE>& plane, int nWidth, int nHeight, const AnalysisSample& sample,
                   const AnalysisOptions& options) {
    PlaneStats s;
    s.histogram = CountValues(plane);
    s.dChiSquare = ChiSquareUniform(s.histogram);
    s.dChiSquareP = ChiSquarePValue(s.dChiSquare);
    s.dEntropy = Entropy(s.histogram);
    s.local = LocalEntropy(plane, nWidth, sample.lefts, sample.tops, options.nSide);
    for (int n = 0; n < 3; ++n) {
        s.dCorrelationAll[n] = CorrelationAll(plane, nWidth, nHeight, kNeighbours[n]);
        s.dCorrelationSampled[n] = CorrelationOf(plane, nWidth, kNeighbours[n], sample.pairs[n]);
    }
    return s;
}

}  // namespace

uint32_t DrawBelow(uint32_t n) {
    const uint32_t span = uint32_t(1) << 30, limit = span - span % n;
    uint32_t v;
    do {
        v = uint32_t(crt::rand()) << 15;
        v |= uint32_t(crt::rand());
    } while (v >= limit);
    return v % n;
}

AnalysisSample DrawSample(int nWidth, int nHeight, const AnalysisOptions& options) {
    CKeepRand keep;
    crt::srand(options.nSampleSeed);
    AnalysisSample s;
    const int side = options.nSide, nx = nWidth / side, ny = nHeight / side;
    if (nx > 0 && ny > 0) {
        const int ox = int(DrawBelow(uint32_t(nWidth - nx * side + 1)));
        const int oy = int(DrawBelow(uint32_t(nHeight - ny * side + 1)));
        std::vector<int> cells(size_t(nx) * size_t(ny));
        std::iota(cells.begin(), cells.end(), 0);
        const int k = std::min<int>(options.nBlocks, int(cells.size()));
        for (int i = 0; i < k; ++i) {
            std::swap(cells[i], cells[i + DrawBelow(uint32_t(cells.size() - i))]);
            s.lefts.push_back(ox + cells[i] % nx * side);
            s.tops.push_back(oy + cells[i] / nx * side);
        }
    }
    for (int n = 0; n < 3; ++n) {
        const int w = nWidth - NeighbourDx(kNeighbours[n]), h = nHeight - NeighbourDy(kNeighbours[n]);
        if (w <= 0 || h <= 0) continue;
        for (int i = 0; i < options.nPairs; ++i) {
            const uint32_t x = DrawBelow(uint32_t(w));
            const uint32_t y = DrawBelow(uint32_t(h));
            s.pairs[n].push_back(y * uint32_t(nWidth) + x);
        }
    }
    const uint32_t nPixels = uint32_t(nWidth) * uint32_t(nHeight);
    for (int i = 0; i < options.nPositions; ++i) s.positions.push_back(DrawBelow(nPixels));
    s.nStateLane = int(DrawBelow(256));
    s.nParamLane = int(DrawBelow(256));
    return s;
}

DiffMeasure AnalysisResult::WorstDifferential() const {
    DiffMeasure worst{NAN, NAN};
    const double mean = UaciMean();
    bool bFirst = true;
    for (const DiffPosition& p : positions) {
        for (const DiffMeasure& m : p.channels) {
            if (bFirst || m.dNpcr < worst.dNpcr) worst.dNpcr = m.dNpcr;
            if (bFirst || std::fabs(m.dUaci - mean) > std::fabs(worst.dUaci - mean)) worst.dUaci = m.dUaci;
            bFirst = false;
        }
    }
    return worst;
}

bool RunAnalysis(const CDib& plain, const KeyFile& run, const AnalysisOptions& options, AnalysisResult& r,
                 std::string& error) {
    CKeepRand keep;
    r = AnalysisResult();
    r.options = options;
    r.run = run;
    ImagePlanes plainPlanes;
    if (!GetPlanes(plain, plainPlanes)) {
        error = "the analysis measures 8- and 24-bit images; this one has " + std::to_string(plain.m_nBitCount) +
                " bits per pixel";
        return false;
    }
    // Positions and pixel counts are drawn and kept in 32 bits.
    if (plainPlanes.Pixels() > (uint64_t(1) << 30)) {
        error = "the image has more than 2^30 pixels";
        return false;
    }
    r.nWidth = plain.m_nWidth;
    r.nHeight = plain.m_nHeight;
    r.nBitCount = plain.m_nBitCount;
    r.channels = plainPlanes.names;
    const int W = r.nWidth, H = r.nHeight;
    const size_t nChannels = r.channels.size();
    try {
        const AnalysisSample sample = DrawSample(W, H, options);
        for (int n = 0; n < 3; ++n) r.pairs[n] = sample.pairs[n];

        r.pPlain = CopyOf(plain);
        r.pCipher = CopyOf(plain);
        EncryptRun(run, run.key, *r.pCipher);
        const ImagePlanes cipherPlanes = PlanesOf(*r.pCipher);
        for (size_t c = 0; c < nChannels; ++c) {
            r.plain.push_back(Measure(plainPlanes.planes[c], W, H, sample, options));
            r.cipher.push_back(Measure(cipherPlanes.planes[c], W, H, sample, options));
            r.quality.push_back(MeasureQuality(plainPlanes.planes[c], cipherPlanes.planes[c]));
        }

        r.pDecrypted = CopyOf(*r.pCipher);
        r.bDecrypted = DecryptSteps(run.key, run.randState, run.steps, *r.pDecrypted);
        r.bDecryptsExactly = r.bDecrypted && std::memcmp(r.pDecrypted->m_lpBits, plain.m_lpBits, RowsSize(plain)) == 0;

        // The differential test: one work image, reset to the plain one before each change.
        std::vector<uint32_t> positions = {0, uint32_t(r.Pixels() / 2), uint32_t(r.Pixels() - 1)};
        positions.insert(positions.end(), sample.positions.begin(), sample.positions.end());
        std::unique_ptr<CDib> work = CopyOf(plain);
        const int nBytesPerPixel = r.nBitCount / 8;
        for (uint32_t i : positions) {
            std::memcpy(work->m_lpBits, plain.m_lpBits, RowsSize(plain));
            DiffPosition p;
            p.x = int(i % uint32_t(W));
            p.y = int(i / uint32_t(W));
            BYTE* pixel = work->PictureRow(p.y) + size_t(p.x) * size_t(nBytesPerPixel);
            for (int b = 0; b < nBytesPerPixel; ++b) pixel[b] = BYTE(pixel[b] + 1);
            EncryptRun(run, run.key, *work);
            p.channels = CompareImages(*r.pCipher, *work);
            r.positions.push_back(std::move(p));
        }

        // Key sensitivity: the least significant bit of each component in turn.
        struct {
            const char* name;
            int nLane;
        } const components[] = {{"x0", -1}, {"p0", -1}, {"state", sample.nStateLane}, {"param", sample.nParamLane}};
        for (const auto& comp : components) {
            KeyFlip f;
            f.component = comp.name;
            f.nLane = comp.nLane;
            KeyState key = run.key;
            WORD& w = comp.nLane < 0 ? (comp.name[0] == 'x' ? key.x0 : key.p0)
                                     : (comp.name[0] == 's' ? key.states[comp.nLane] : key.params[comp.nLane]);
            w ^= WORD(1u << f.nBit);
            f.pCipher = CopyOf(plain);
            EncryptRun(run, key, *f.pCipher);
            f.cipher = CompareImages(*r.pCipher, *f.pCipher);
            f.pDecrypted = CopyOf(*r.pCipher);
            if (DecryptSteps(key, run.randState, run.steps, *f.pDecrypted))
                f.decrypted = CompareImages(plain, *f.pDecrypted);
            r.flips.push_back(std::move(f));
        }

        r.diagnosis = DiagnoseKey(run.key, uint64_t(RowsSize(plain)) / 2);

        if (options.nSpeedFrames) {
            for (bool bStreamOnly : {false, true}) {
                std::unique_ptr<CDib> timed = CopyOf(plain);
                KeyState key = run.key;
                crt::SetRandState(run.randState);
                (bStreamOnly ? r.dSpeedStream : r.dSpeedWhole) = MeasureSpeed(key, *timed, bStreamOnly, options.nSpeedFrames);
            }
        }
    } catch (const std::bad_alloc&) {
        error = "not enough memory for the analysis";
        return false;
    }
    return true;
}
