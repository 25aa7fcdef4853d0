// The bodies of the FFT and wavelet kernels, written once on eight-double vectors (GCC's vector
// extension) and compiled once per instruction set: each kernel source includes this file after
// choosing its target, so everything here has internal linkage.  The vector operations are the
// one-signal form's operations lane by lane; the build forbids fused multiply-adds, so each lane
// rounds exactly as the plain form does.
#pragma once

#include "ipdib/TransformInternal.h"

// Everything here has internal linkage and is inlined, so how a vector would be passed between
// separately compiled functions never matters.
#pragma GCC diagnostic ignored "-Wpsabi"

namespace {

typedef double V8 __attribute__((vector_size(64), aligned(8), may_alias));

inline V8 Load(const double* p) { return *reinterpret_cast<const V8*>(p); }
inline void Store(double* p, V8 v) { *reinterpret_cast<V8*>(p) = v; }
// Every lane x, its sign kept (0.0 + x would turn -0 into +0).
inline V8 Splat(double x) { return V8{x, x, x, x, x, x, x, x}; }

void FftLanesBody(double* re, double* im, int n, const double* c, const double* w, const int* swaps, int nSwaps,
                  double scale) {
    constexpr int L = ipdib::kLanes;
    for (int half = n / 2, shift = 0; half >= 1; half /= 2, ++shift) {
        // The butterflies of a stage touch disjoint pairs, so going group by group (rather than
        // twiddle by twiddle) changes no result and keeps the rows in cache.
        for (int g = 0; g < n; g += 2 * half) {
            for (int k = 0; k < half; ++k) {
                const V8 vc = Splat(c[k << shift]), vw = Splat(w[k << shift]);
                double* rp = re + size_t(g + k) * L;
                double* ip = im + size_t(g + k) * L;
                double* rq = rp + size_t(half) * L;
                double* iq = ip + size_t(half) * L;
                V8 xr = Load(rp), xi = Load(ip), yr = Load(rq), yi = Load(iq);
                V8 dr = xr - yr, di = xi - yi;
                Store(rp, xr + yr);
                Store(ip, xi + yi);
                Store(rq, dr * vc - di * vw);
                Store(iq, dr * vw + di * vc);
            }
        }
    }
    for (int s = 0; s < nSwaps; ++s) {
        double* a = re + size_t(swaps[2 * s]) * L;
        double* b = re + size_t(swaps[2 * s + 1]) * L;
        V8 t = Load(a);
        Store(a, Load(b));
        Store(b, t);
        a = im + size_t(swaps[2 * s]) * L;
        b = im + size_t(swaps[2 * s + 1]) * L;
        t = Load(a);
        Store(a, Load(b));
        Store(b, t);
    }
    // Dividing by n, a power of two, and multiplying by 1 / n round the same real number.
    if (scale != 1.0) {
        const V8 vs = Splat(scale);
        for (int t = 0; t < n; ++t) {
            Store(re + size_t(t) * L, Load(re + size_t(t) * L) * vs);
            Store(im + size_t(t) * L, Load(im + size_t(t) * L) * vs);
        }
    }
}

void ConvolveLanesBody(double* out, const double* ext, int nOut, int nStep, const int* offsets, const double* taps,
                       int nTaps) {
    constexpr int L = ipdib::kLanes;
    int m = 0;
    // Two outputs at a time: two independent sums hide the latency of the additions.
    for (; m + 1 < nOut; m += 2) {
        const double* e0 = ext + size_t(nStep) * m * L;
        const double* e1 = e0 + size_t(nStep) * L;
        V8 y0 = Splat(0.0), y1 = Splat(0.0);
        for (int t = 0; t < nTaps; ++t) {
            const V8 h = Splat(taps[t]);
            y0 = y0 + h * Load(e0 + size_t(offsets[t]) * L);
            y1 = y1 + h * Load(e1 + size_t(offsets[t]) * L);
        }
        Store(out + size_t(m) * L, y0);
        Store(out + size_t(m + 1) * L, y1);
    }
    for (; m < nOut; ++m) {
        const double* e0 = ext + size_t(nStep) * m * L;
        V8 y0 = Splat(0.0);
        for (int t = 0; t < nTaps; ++t) y0 = y0 + Splat(taps[t]) * Load(e0 + size_t(offsets[t]) * L);
        Store(out + size_t(m) * L, y0);
    }
}

}  // namespace
