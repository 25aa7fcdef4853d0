// The bodies of the FFT and wavelet kernels, written once and compiled once per instruction set:
// each kernel source includes this file after choosing its target, so everything here has
// internal linkage.  Eight lanes are held as vectors of the target's width (GCC's vector
// extension: four doubles with AVX2, two without), and every operation is the one-signal form's
// operation lane by lane; the build forbids fused multiply-adds, so each lane rounds exactly as
// the plain form does.
#pragma once

#include "ipdib/TransformInternal.h"

// Everything here has internal linkage and is inlined, so how a vector would be passed between
// separately compiled functions never matters.
#pragma GCC diagnostic ignored "-Wpsabi"

namespace {

// The including source sets MORO_KERNEL_VEC to the doubles of its target's vectors.
constexpr int kVec = MORO_KERNEL_VEC;
typedef double Vec __attribute__((vector_size(kVec * sizeof(double)), aligned(8), may_alias));
constexpr int kParts = ipdib::kLanes / kVec;

inline Vec LoadVec(const double* p) { return *reinterpret_cast<const Vec*>(p); }
inline void StoreVec(double* p, Vec v) { *reinterpret_cast<Vec*>(p) = v; }
// Every lane x, its sign kept (0.0 + x would turn -0 into +0).
inline Vec SplatVec(double x) {
    Vec v;
    for (int i = 0; i < kVec; ++i) v[i] = x;
    return v;
}

// The eight lanes.
struct V8 {
    Vec p[kParts];
};
inline V8 Load(const double* a) {
    V8 v;
    for (int i = 0; i < kParts; ++i) v.p[i] = LoadVec(a + i * kVec);
    return v;
}
inline void Store(double* a, const V8& v) {
    for (int i = 0; i < kParts; ++i) StoreVec(a + i * kVec, v.p[i]);
}
inline V8 Splat(double x) {
    V8 v;
    for (int i = 0; i < kParts; ++i) v.p[i] = SplatVec(x);
    return v;
}
#define MORO_V8_OP(op)                                                  \
    inline V8 operator op(const V8& a, const V8& b) {                   \
        V8 r;                                                           \
        for (int i = 0; i < kParts; ++i) r.p[i] = a.p[i] op b.p[i];     \
        return r;                                                       \
    }
MORO_V8_OP(+)
MORO_V8_OP(-)
MORO_V8_OP(*)
#undef MORO_V8_OP

// The butterflies of one stage (half, twiddle index step 1 << shift) on samples [from, to).
__attribute__((always_inline)) inline void FftStage(double* re, double* im, int from, int to, int half, int shift, const double* c, const double* w) {
    constexpr int L = ipdib::kLanes;
    for (int g = from; g < to; g += 2 * half) {
        for (int k = 0; k < half; ++k) {
            const V8 vc = Splat(c[k << shift]), vw = Splat(w[k << shift]);
            double* rp = re + size_t(g + k) * L;
            double* ip = im + size_t(g + k) * L;
            double* rq = rp + size_t(half) * L;
            double* iq = ip + size_t(half) * L;
            const V8 xr = Load(rp), xi = Load(ip), yr = Load(rq), yi = Load(iq);
            const V8 dr = xr - yr, di = xi - yi;
            Store(rp, xr + yr);
            Store(ip, xi + yi);
            Store(rq, dr * vc - di * vw);
            Store(iq, dr * vw + di * vc);
        }
    }
}

// One butterfly on a pair of vectors of lanes.
__attribute__((always_inline)) inline void Butterfly(Vec& xr, Vec& xi, Vec& yr, Vec& yi, const Vec& c, const Vec& w) {
    const Vec dr = xr - yr, di = xi - yi;
    xr = xr + yr;
    xi = xi + yi;
    yr = dr * c - di * w;
    yi = dr * w + di * c;
}

// Two stages at once (half and half / 2, twiddle steps 1 << shift and 2 << shift) on samples
// [from, to): each sample goes through the same two butterflies as stage by stage, without
// being stored in between.  With bImZero the imaginary parts are not read but taken as the +0
// they would hold (a real signal's first stages), and only written.
template <bool bImZero>
__attribute__((always_inline)) inline void FftStagePair(double* re, double* im, int from, int to, int half, int shift,
                                                        const double* c, const double* w) {
    constexpr int L = ipdib::kLanes;
    const int quarter = half / 2;
    for (int g = from; g < to; g += 2 * half) {
        for (int k = 0; k < quarter; ++k) {
            const Vec c1 = SplatVec(c[k << shift]), w1 = SplatVec(w[k << shift]);
            const Vec c2 = SplatVec(c[(k + quarter) << shift]), w2 = SplatVec(w[(k + quarter) << shift]);
            const Vec c3 = SplatVec(c[k << (shift + 1)]), w3 = SplatVec(w[k << (shift + 1)]);
            const size_t a = size_t(g + k) * L, b = a + size_t(quarter) * L, cc = a + size_t(half) * L,
                         d = cc + size_t(quarter) * L;
            for (int part = 0; part < L; part += kVec) {
                Vec ar = LoadVec(re + a + part), ai = bImZero ? SplatVec(0.0) : LoadVec(im + a + part);
                Vec br = LoadVec(re + b + part), bi = bImZero ? SplatVec(0.0) : LoadVec(im + b + part);
                Vec cr = LoadVec(re + cc + part), ci = bImZero ? SplatVec(0.0) : LoadVec(im + cc + part);
                Vec dr = LoadVec(re + d + part), di = bImZero ? SplatVec(0.0) : LoadVec(im + d + part);
                Butterfly(ar, ai, cr, ci, c1, w1);
                Butterfly(br, bi, dr, di, c2, w2);
                Butterfly(ar, ai, br, bi, c3, w3);
                Butterfly(cr, ci, dr, di, c3, w3);
                StoreVec(re + a + part, ar);
                StoreVec(im + a + part, ai);
                StoreVec(re + b + part, br);
                StoreVec(im + b + part, bi);
                StoreVec(re + cc + part, cr);
                StoreVec(im + cc + part, ci);
                StoreVec(re + d + part, dr);
                StoreVec(im + d + part, di);
            }
        }
    }
}

// The stages from half down to 1 on samples [from, to), two at a time while two are left.
__attribute__((always_inline)) inline void FftStages(double* re, double* im, int from, int to, int half, int shift,
                                                     const double* c, const double* w) {
    for (; half >= 2; half /= 4, shift += 2) FftStagePair<false>(re, im, from, to, half, shift, c, w);
    if (half == 1) FftStage(re, im, from, to, half, shift, c, w);
}

void FftLanesBody(double* re, double* im, int n, const double* c, const double* w, bool bImZero) {
    constexpr int L = ipdib::kLanes;
    // The butterflies of a stage touch disjoint pairs, and a group of a later stage reads only
    // what the same group of the stage before wrote: so once the groups are no longer than a
    // tile (which stays in the first-level cache), each tile runs all its remaining stages
    // before the next one.  The order of the butterflies changes no result.
    constexpr int kTile = 128;
    int half = n / 2, shift = 0;
    if (bImZero && half >= 2) {
        // The first two stages write the imaginary parts.
        FftStagePair<true>(re, im, 0, n, half, shift, c, w);
        half /= 4;
        shift += 2;
    } else if (bImZero) {
        for (int t = 0; t < n * L; ++t) im[t] = 0.0;
    }
    for (; half >= 2 && 2 * half > kTile; half /= 4, shift += 2) FftStagePair<false>(re, im, 0, n, half, shift, c, w);
    for (int t0 = 0; t0 < n; t0 += kTile) FftStages(re, im, t0, t0 + kTile < n ? t0 + kTile : n, half, shift, c, w);
}

// A kVec x kVec block transposed in registers: row i of the block is r[i].
inline void TransposeBlock(Vec (&r)[kVec]) {
#if MORO_KERNEL_VEC == 4
    const Vec a0 = __builtin_shufflevector(r[0], r[1], 0, 4, 2, 6), a1 = __builtin_shufflevector(r[0], r[1], 1, 5, 3, 7);
    const Vec a2 = __builtin_shufflevector(r[2], r[3], 0, 4, 2, 6), a3 = __builtin_shufflevector(r[2], r[3], 1, 5, 3, 7);
    r[0] = __builtin_shufflevector(a0, a2, 0, 1, 4, 5);
    r[1] = __builtin_shufflevector(a1, a3, 0, 1, 4, 5);
    r[2] = __builtin_shufflevector(a0, a2, 2, 3, 6, 7);
    r[3] = __builtin_shufflevector(a1, a3, 2, 3, 6, 7);
#else
    const Vec a0 = __builtin_shufflevector(r[0], r[1], 0, 2), a1 = __builtin_shufflevector(r[0], r[1], 1, 3);
    r[0] = a0;
    r[1] = a1;
#endif
}

// Eight rows of a, stride apart, into lanes: lanes[t * 8 + l] = a[l * stride + t] for t < n; and
// back.  Blocks of kVec x kVec go through registers.
void RowsToLanesBody(double* lanes, const double* a, size_t stride, int n) {
    int t = 0;
    for (; t + kVec <= n; t += kVec)
        for (int l0 = 0; l0 < ipdib::kLanes; l0 += kVec) {
            Vec r[kVec];
            for (int i = 0; i < kVec; ++i) r[i] = LoadVec(a + (l0 + i) * stride + t);
            TransposeBlock(r);
            for (int i = 0; i < kVec; ++i) StoreVec(lanes + size_t(t + i) * ipdib::kLanes + l0, r[i]);
        }
    for (; t < n; ++t)
        for (int l = 0; l < ipdib::kLanes; ++l) lanes[size_t(t) * ipdib::kLanes + l] = a[l * stride + t];
}

// With rev, lanes sample rev[t] goes to place t; a scale other than 1 multiplies every value.
void LanesToRowsBody(double* a, const double* lanes, size_t stride, int n, const int* rev, double scale) {
    const bool bScale = scale != 1.0;
    const Vec vs = SplatVec(scale);
    auto from = [&](int t) { return lanes + size_t(rev ? rev[t] : t) * ipdib::kLanes; };
    int t = 0;
    for (; t + kVec <= n; t += kVec)
        for (int l0 = 0; l0 < ipdib::kLanes; l0 += kVec) {
            Vec r[kVec];
            for (int i = 0; i < kVec; ++i) {
                r[i] = LoadVec(from(t + i) + l0);
                if (bScale) r[i] = r[i] * vs;
            }
            TransposeBlock(r);
            for (int i = 0; i < kVec; ++i) StoreVec(a + (l0 + i) * stride + t, r[i]);
        }
    for (; t < n; ++t)
        for (int l = 0; l < ipdib::kLanes; ++l) a[l * stride + t] = bScale ? from(t)[l] * scale : from(t)[l];
}

// nGroups blocks of eight lanes, groupStride apart, into nGroups x 8 neighbouring columns of re
// and im (rows stride apart): lanes sample rev[t] to row t, times scale when it is not 1.  With
// pExtremes, the extremes of what is stored, as the Extremes kernel gives them.
void LanesToColumnsBody(double* re, double* im, size_t stride, const double* lre, const double* lim,
                        size_t groupStride, int nGroups, int n, const int* rev, double scale, double* pExtremes) {
    constexpr int L = ipdib::kLanes;
    const bool bScale = scale != 1.0;
    const Vec vs = SplatVec(scale);
    Vec e[6][kParts];
    for (int t = 0; t < n; ++t) {
        const size_t from = size_t(rev[t]) * L;
        for (int g = 0; g < nGroups; ++g)
            for (int p = 0; p < kParts; ++p) {
                Vec r = LoadVec(lre + g * groupStride + from + p * kVec);
                Vec i = LoadVec(lim + g * groupStride + from + p * kVec);
                if (bScale) {
                    r = r * vs;
                    i = i * vs;
                }
                StoreVec(re + t * stride + g * L + p * kVec, r);
                StoreVec(im + t * stride + g * L + p * kVec, i);
                if (!pExtremes) continue;
                const Vec v[3] = {r * r + i * i, r, i};
                if (t == 0 && g == 0) {
                    for (int q = 0; q < 3; ++q) e[2 * q][p] = e[2 * q + 1][p] = v[q];
                    continue;
                }
                for (int q = 0; q < 3; ++q) {
                    e[2 * q][p] = v[q] > e[2 * q][p] ? v[q] : e[2 * q][p];
                    e[2 * q + 1][p] = v[q] < e[2 * q + 1][p] ? v[q] : e[2 * q + 1][p];
                }
            }
    }
    if (!pExtremes) return;
    for (int q = 0; q < 6; ++q) {
        pExtremes[q] = e[q][0][0];
        for (int p = 0; p < kParts; ++p)
            for (int l = 0; l < kVec; ++l)
                if (q % 2 ? e[q][p][l] < pExtremes[q] : e[q][p][l] > pExtremes[q]) pExtremes[q] = e[q][p][l];
    }
}

// The extremes of re x re + im x im, re and im over n values, as numbers: the vector lanes scan
// every kVec-th value, and the largest of the lanes' results is the largest value.  (Of a +0 and
// a -0 either may stand: the caller settles which a scan in order would keep.)
void ExtremesBody(const double* re, const double* im, size_t n, double* out) {
    out[0] = out[1] = re[0] * re[0] + im[0] * im[0];
    out[2] = out[3] = re[0];
    out[4] = out[5] = im[0];
    const size_t nFull = n / kVec * kVec;
    size_t at = 1;
    if (nFull >= 2 * kVec) {
        Vec r = LoadVec(re), i = LoadVec(im);
        Vec e[6] = {r * r + i * i, r * r + i * i, r, r, i, i};
        for (at = kVec; at < nFull; at += kVec) {
            r = LoadVec(re + at);
            i = LoadVec(im + at);
            const Vec v[3] = {r * r + i * i, r, i};
            for (int q = 0; q < 3; ++q) {
                e[2 * q] = v[q] > e[2 * q] ? v[q] : e[2 * q];
                e[2 * q + 1] = v[q] < e[2 * q + 1] ? v[q] : e[2 * q + 1];
            }
        }
        for (int q = 0; q < 6; ++q)
            for (int l = 0; l < kVec; ++l)
                if (q % 2 ? e[q][l] < out[q] : e[q][l] > out[q]) out[q] = e[q][l];
    }
    for (; at < n; ++at) {
        const double v[3] = {re[at] * re[at] + im[at] * im[at], re[at], im[at]};
        for (int q = 0; q < 3; ++q) {
            if (v[q] > out[2 * q]) out[2 * q] = v[q];
            if (v[q] < out[2 * q + 1]) out[2 * q + 1] = v[q];
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
