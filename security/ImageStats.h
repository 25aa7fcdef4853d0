// The statistics by which people judge an image cipher, each with the value an ideal cipher would
// give or its critical values, for any image size.  They work on planes: one channel of an image
// as W x H bytes, row by row from the top (an 8-bit image has one plane, its palette indices; a
// 24-bit image three, red, green and blue).  F = 255 is the largest value, T = W x H.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "dib/Dib.h"

constexpr double kMaxValue = 255.0;  // F

// ---- planes (ImageStats.cpp) ----

struct ImagePlanes {
    int nWidth = 0, nHeight = 0;
    std::vector<std::string> names;         // "index", or "red", "green", "blue"
    std::vector<std::vector<BYTE>> planes;  // W x H bytes each, top row first
    uint64_t Pixels() const { return uint64_t(nWidth) * uint64_t(nHeight); }
};
// The planes of an 8- or 24-bit image; false for any other depth or no image.
bool GetPlanes(const CDib& dib, ImagePlanes& out);
// Writes planes laid out as dib's back into its pixels (the fill bytes of its rows stay).
void PutPlanes(const ImagePlanes& planes, CDib& dib);

// ---- histograms, chi-square and entropy (ImageStats.cpp) ----

using Histogram = std::array<uint64_t, 256>;
Histogram CountValues(std::span<const BYTE> plane);

// chi2 = sum over i of (O_i - T/256)^2 / (T/256); about chi-square with 255 degrees of freedom
// for uniform values.
double ChiSquareUniform(const Histogram& h);
// Its critical value at alpha (values above it reject uniformity) and its P-value.
double ChiSquareCritical(double dAlpha);
double ChiSquarePValue(double dChiSquare);

// H = -sum p_i log2 p_i with p_i = O_i / T (empty bins count 0).
double Entropy(const Histogram& h);
// The mean of H over T uniform random bytes, exactly: below 8, since T bytes cannot fill 256
// bins evenly (7.99719 for T = 65536).
double ExpectedEntropy(uint64_t nPixels);
// The standard deviation of H over T uniform random bytes, exactly (0.008694 for T = 1936).
double EntropySigma(uint64_t nPixels);
// The least H that uniform values reach with probability 1 - alpha: 2 T ln 2 (8 - H) is the
// likelihood-ratio statistic of uniformity, about chi-square with 255 degrees of freedom.
double EntropyCritical(uint64_t nPixels, double dAlpha);

// ---- local entropy (ImageStats.cpp) ----

struct LocalEntropyResult {
    int nSide = 0;                 // blocks are nSide x nSide pixels
    std::vector<int> lefts, tops;  // each block's top-left pixel
    std::vector<double> values;    // each block's entropy
    double dMean = 0;
};
// The mean entropy of the blocks whose top-left pixels are given.
LocalEntropyResult LocalEntropy(std::span<const BYTE> plane, int nWidth, const std::vector<int>& lefts,
                                const std::vector<int>& tops, int nSide);

struct Interval {
    double dLow = 0, dHigh = 0;
    bool Holds(double x) const { return x >= dLow && x <= dHigh; }
};
// Where the mean entropy of k blocks of nBlockPixels uniform random bytes lies with probability
// 1 - alpha: mean +- z(1 - alpha/2) sigma / sqrt(k).
Interval LocalEntropyInterval(int nBlocks, uint64_t nBlockPixels, double dAlpha);

// ---- correlation of neighbours (ImageStats.cpp) ----

enum class Neighbour { Horizontal, Vertical, Diagonal };  // (x+1, y), (x, y+1), (x+1, y+1)
constexpr Neighbour kNeighbours[] = {Neighbour::Horizontal, Neighbour::Vertical, Neighbour::Diagonal};
const char* GetNeighbourName(Neighbour n);
int NeighbourDx(Neighbour n);
int NeighbourDy(Neighbour n);

// r = cov(x, y) / sqrt(D(x) D(y)) with 1/N moments, over every pixel and its neighbour; NaN
// when either side is constant (or there are no pairs).
double CorrelationAll(std::span<const BYTE> plane, int nWidth, int nHeight, Neighbour n);
// The same over the pairs whose first pixels are the plane indices given.
double CorrelationOf(std::span<const BYTE> plane, int nWidth, Neighbour n, const std::vector<uint32_t>& firsts);
// |r| of N pairs of independent values stays within z(1 - alpha/2) / sqrt(N) with probability
// 1 - alpha.
double CorrelationBound(uint64_t nPairs, double dAlpha);

// ---- differences of two images (Differential.cpp) ----

struct DiffMeasure {
    double dNpcr = 0;  // percent of pixels that differ
    double dUaci = 0;  // mean |a - b| / F, in percent; no wrap-around
};
DiffMeasure CompareImages(std::span<const BYTE> a, std::span<const BYTE> b);
// The same for two 8- or 24-bit images of one shape, by channel as GetPlanes orders them,
// straight from their rows.
std::vector<DiffMeasure> CompareImages(const CDib& a, const CDib& b);

// Critical values of NPCR and UACI between two independent uniform random images of T pixels
// (after Wu, Noonan and Agaian): NPCR below dNpcr, or UACI outside the band, rejects at alpha.
struct DiffCritical {
    double dAlpha = 0;
    double dNpcr = 0;                    // percent
    double dUaciLow = 0, dUaciHigh = 0;  // percent
    bool NpcrPasses(double x) const { return x >= dNpcr; }
    bool UaciPasses(double x) const { return x >= dUaciLow && x <= dUaciHigh; }
};
DiffCritical DifferentialCritical(uint64_t nPixels, double dAlpha);
double NpcrMean();  // F / (F + 1), percent
double UaciMean();  // (F + 2) / (3F + 3), percent

// ---- encryption quality (Differential.cpp) ----

struct EncryptionQuality {
    double dMse = 0, dPsnr = 0;                  // between plain and cipher
    double dIdealMse = 0, dIdealPsnr = 0;        // expected of a cipher giving uniform random values
    double dHistogramDeviation = 0;              // area between the two histograms, over T
    double dIrregularDeviation = 0;              // sum of |h_i - T/256| over the histogram h of |P - C|
};
EncryptionQuality MeasureQuality(std::span<const BYTE> plain, std::span<const BYTE> cipher);
