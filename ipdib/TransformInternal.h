// Inside ipdib/: the kernels of the FFT and of the wavelet core that the instruction-set switch
// chooses between, and the rounding of rendered values.  Not for callers outside ipdib/.
//
// Both transforms run on eight signals at once, interleaved: sample t of signal l is at
// [t * kLanes + l].  Every lane goes through exactly the operations of the one-signal form in the
// same order, so a vector kernel gives the same bits as the plain one; the eight signals are
// eight columns of an array (copied a cache line per row) or eight rows (transposed).
#pragma once

#include <cmath>

#include "dib/ImageMath.h"
#include "platform/Isa.h"

namespace ipdib {

constexpr int kLanes = 8;

struct TransformKernels {
    // The butterflies of every stage of the radix-2 FFT of eight signals of n samples, in place,
    // with the twiddles c[k], w[k] of the first stage (stage s uses entry k << s).  The
    // bit-reversal ordering and the scaling are left to the copies out below.  With bImZero the
    // imaginary parts are taken as +0 and not read (im is only written).
    void (*FftLanes)(double* re, double* im, int n, const double* c, const double* w, bool bImZero);
    // out[m] = sum over the taps t in order of taps[t] x ext[nStep x m + offsets[t]], for m < nOut,
    // each sum started at +0 and added to one term at a time.
    void (*ConvolveLanes)(double* out, const double* ext, int nOut, int nStep, const int* offsets, const double* taps,
                          int nTaps);
    // Eight rows of an array, stride apart, into lanes (lanes[t * 8 + l] = a[l * stride + t] for
    // t < n), and back; on the way back, with rev non-null, lanes sample rev[t] goes to place t,
    // and every value is multiplied by scale when it is not 1.
    void (*RowsToLanes)(double* lanes, const double* a, size_t stride, int n);
    void (*LanesToRows)(double* a, const double* lanes, size_t stride, int n, const int* rev, double scale);
    // nGroups blocks of lanes, groupStride apart, to nGroups x 8 neighbouring columns of re and
    // im (rows stride apart): re[t * stride + g * 8 + l] = lre[g * groupStride + rev[t] * 8 + l]
    // (times scale when it is not 1), and the same for im.  With pExtremes non-null, the
    // extremes of the values stored, as Extremes gives them.
    void (*LanesToColumns)(double* re, double* im, size_t stride, const double* lre, const double* lim,
                           size_t groupStride, int nGroups, int n, const int* rev, double scale, double* pExtremes);
    // The extremes of n > 0 values of re x re + im x im, re and im (largest, smallest of each, in
    // that order) as numbers; of two zeros either sign may be given.
    void (*Extremes)(const double* re, const double* im, size_t n, double* out);
};

// The kernels of the switch's instruction set (the best form at or below it).
const TransformKernels& GetTransformKernels();
// Each form, for the tests and the benchmarks: plain C++ and AVX2.
const TransformKernels& GetTransformKernels(MoroIsa isa);

// A filter bank of the table: its name, the common length of its filters, and the two
// decomposition filters.
struct WaveBank {
    const char* lpszName;
    int nLength;
    const double* lpLoD;
    const double* lpHiD;
};
int WaveBankCount();
// Bank i in lookup order, null outside the table.
const WaveBank* WaveBankAt(int nIndex);

// The low 8 bits of x rounded half-random, as a rendered value is stored.  A value that is not
// finite stores 0 and draws nothing; values beyond int are rounded by the same rule.
inline int RoundLowByte(double x) {
    if (!std::isfinite(x)) return 0;
    if (x > -2147483648.0 && x < 2147483647.0) return RoundHalfRandom(x) & 0xFF;
    double f = std::floor(x);
    double frac = x - f;  // 0 from 2^52 on
    if (std::fabs(f) >= 9.2e18) return 0;  // a multiple of 2^11: its low byte is 0
    long long v = (long long)f;
    if (frac > 0.5 || (frac == 0.5 && crt::rand() > 0x3FFF)) ++v;
    return int(v & 0xFF);
}

}  // namespace ipdib
