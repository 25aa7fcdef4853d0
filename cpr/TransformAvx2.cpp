// The AVX2 kernels of the CPR codec: one row of a block per register of eight 32-bit lanes, the
// 1-D passes on all eight rows or columns at once between two transposes, the same integer
// arithmetic as the plain form and so the same results.  Compiled for AVX2 through the target
// pragma below, and only ever called when the processor has it.
#include "cpr/Codec.h"

#if defined(__x86_64__)
#include <immintrin.h>

// Everything from here on may use AVX2; nothing after this line is shared with other files.
// (clang, which builds the sanitizer and fuzz builds, takes it as a function attribute.)
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif

namespace cpr {
namespace {

inline __m256i Add(__m256i a, __m256i b) { return _mm256_add_epi32(a, b); }
inline __m256i Sub(__m256i a, __m256i b) { return _mm256_sub_epi32(a, b); }
inline __m256i Mul(__m256i a, int c) { return _mm256_mullo_epi32(a, _mm256_set1_epi32(c)); }
// a * c for a and c within 16 bits: one 16-bit multiply-add, the upper half of c zero.
inline __m256i Mul16(__m256i a, int c) { return _mm256_madd_epi16(a, _mm256_set1_epi32(c & 0xFFFF)); }
template <bool kNarrow>
inline __m256i MulBy(__m256i a, int c) { return kNarrow ? Mul16(a, c) : Mul(a, c); }

// r[i] lane j becomes r[j] lane i.
inline void Transpose(__m256i r[8]) {
    __m256i t0 = _mm256_unpacklo_epi32(r[0], r[1]), t1 = _mm256_unpackhi_epi32(r[0], r[1]);
    __m256i t2 = _mm256_unpacklo_epi32(r[2], r[3]), t3 = _mm256_unpackhi_epi32(r[2], r[3]);
    __m256i t4 = _mm256_unpacklo_epi32(r[4], r[5]), t5 = _mm256_unpackhi_epi32(r[4], r[5]);
    __m256i t6 = _mm256_unpacklo_epi32(r[6], r[7]), t7 = _mm256_unpackhi_epi32(r[6], r[7]);
    __m256i u0 = _mm256_unpacklo_epi64(t0, t2), u1 = _mm256_unpackhi_epi64(t0, t2);
    __m256i u2 = _mm256_unpacklo_epi64(t1, t3), u3 = _mm256_unpackhi_epi64(t1, t3);
    __m256i u4 = _mm256_unpacklo_epi64(t4, t6), u5 = _mm256_unpackhi_epi64(t4, t6);
    __m256i u6 = _mm256_unpacklo_epi64(t5, t7), u7 = _mm256_unpackhi_epi64(t5, t7);
    r[0] = _mm256_permute2x128_si256(u0, u4, 0x20);
    r[4] = _mm256_permute2x128_si256(u0, u4, 0x31);
    r[1] = _mm256_permute2x128_si256(u1, u5, 0x20);
    r[5] = _mm256_permute2x128_si256(u1, u5, 0x31);
    r[2] = _mm256_permute2x128_si256(u2, u6, 0x20);
    r[6] = _mm256_permute2x128_si256(u2, u6, 0x31);
    r[3] = _mm256_permute2x128_si256(u3, u7, 0x20);
    r[7] = _mm256_permute2x128_si256(u3, u7, 0x31);
}

// One forward pass over d[0..7], each register one input position of eight transforms.  kNarrow:
// every value multiplied fits 16 bits, as for blocks of 8-bit samples (see ForwardQuantizeAvx2).
template <bool kFirstPass, bool kNarrow>
inline void ForwardPass(__m256i d[8]) {
    __m256i t0 = Add(d[0], d[7]), t7 = Sub(d[0], d[7]), t1 = Add(d[1], d[6]), t6 = Sub(d[1], d[6]);
    __m256i t2 = Add(d[2], d[5]), t5 = Sub(d[2], d[5]), t3 = Add(d[3], d[4]), t4 = Sub(d[3], d[4]);
    __m256i t10 = Add(t0, t3), t13 = Sub(t0, t3), t11 = Add(t1, t2), t12 = Sub(t1, t2);
    __m256i z1 = MulBy<kNarrow>(Add(t12, t13), 4433);
    __m256i e0 = Add(t10, t11), e4 = Sub(t10, t11);
    __m256i e2 = Add(z1, MulBy<kNarrow>(t13, 6270)), e6 = Sub(z1, MulBy<kNarrow>(t12, 15137));
    __m256i z5 = MulBy<kNarrow>(Add(Add(t4, t6), Add(t5, t7)), 9633);
    __m256i z3 = Add(MulBy<kNarrow>(Add(t4, t6), -16069), z5), z4 = Add(MulBy<kNarrow>(Add(t5, t7), -3196), z5);
    __m256i zz1 = MulBy<kNarrow>(Add(t4, t7), -7373), zz2 = MulBy<kNarrow>(Add(t5, t6), -20995);
    __m256i o7 = Add(Add(MulBy<kNarrow>(t4, 2446), zz1), z3), o5 = Add(Add(MulBy<kNarrow>(t5, 16819), zz2), z4);
    __m256i o3 = Add(Add(MulBy<kNarrow>(t6, 25172), zz2), z3), o1 = Add(Add(MulBy<kNarrow>(t7, 12299), zz1), z4);
    if (kFirstPass) {
        const __m256i round = _mm256_set1_epi32(1024);
        d[0] = _mm256_slli_epi32(e0, 2);
        d[4] = _mm256_slli_epi32(e4, 2);
        d[1] = _mm256_srai_epi32(Add(o1, round), 11);
        d[2] = _mm256_srai_epi32(Add(e2, round), 11);
        d[3] = _mm256_srai_epi32(Add(o3, round), 11);
        d[5] = _mm256_srai_epi32(Add(o5, round), 11);
        d[6] = _mm256_srai_epi32(Add(e6, round), 11);
        d[7] = _mm256_srai_epi32(Add(o7, round), 11);
    } else {
        const __m256i round = _mm256_set1_epi32(131072), dcRound = _mm256_set1_epi32(16);
        d[0] = _mm256_srai_epi32(Add(e0, dcRound), 5);
        d[4] = _mm256_srai_epi32(Add(e4, dcRound), 5);
        d[1] = _mm256_srai_epi32(Add(o1, round), 18);
        d[2] = _mm256_srai_epi32(Add(e2, round), 18);
        d[3] = _mm256_srai_epi32(Add(o3, round), 18);
        d[5] = _mm256_srai_epi32(Add(o5, round), 18);
        d[6] = _mm256_srai_epi32(Add(e6, round), 18);
        d[7] = _mm256_srai_epi32(Add(o7, round), 18);
    }
}

// Rows of level-shifted values in, rows of coefficients out: rows first, then columns.
template <bool kNarrow>
inline void Forward(__m256i r[8]) {
    Transpose(r);
    ForwardPass<true, kNarrow>(r);
    Transpose(r);
    ForwardPass<false, kNarrow>(r);
}

void ForwardDctAvx2(int block[64]) {
    __m256i r[8];
    for (int k = 0; k < 8; ++k) r[k] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(block + 8 * k));
    Forward<false>(r);
    for (int k = 0; k < 8; ++k) _mm256_storeu_si256(reinterpret_cast<__m256i*>(block + 8 * k), r[k]);
}

// Quantises eight values: floor((2|x| + q) / 2q), taken as (2|x| + q + 1/2) / 2q in floats and
// truncated; then the sign of x.  That quotient is never an integer (the numerator is not), it
// lies at least 1/4q from every integer, and the float product misses it by less than 2^-22 of
// its value: less than 1/4q while the numerator stays below 2^21, and with |x| <= kQuantMaxAbs
// it stays below 2^17.  So the truncation is exact.
inline __m256i Quantize8(__m256i x, const QuantTable& t, int n) {
    __m256i step = _mm256_load_si256(reinterpret_cast<const __m256i*>(t.step + n));
    __m256 recip = _mm256_load_ps(t.recip + n);
    __m256i sign = _mm256_srai_epi32(x, 31);
    __m256i num = Add(_mm256_slli_epi32(_mm256_abs_epi32(x), 1), step);
    __m256 half = _mm256_add_ps(_mm256_cvtepi32_ps(num), _mm256_set1_ps(0.5f));
    __m256i q = _mm256_cvttps_epi32(_mm256_mul_ps(half, recip));
    return Sub(_mm256_xor_si256(q, sign), sign);
}

// Quantises the rows r of a block into out; returns the non-zero ones as bits.
inline uint64_t QuantizeRows(const __m256i r[8], const QuantTable& t, short out[64]) {
    __m256i words[4];
    for (int i = 0; i < 4; ++i) {
        __m256i a = Quantize8(r[2 * i], t, 16 * i), b = Quantize8(r[2 * i + 1], t, 16 * i + 8);
        // packs works within 128-bit halves: put the four 64-bit pieces back in order.
        words[i] = _mm256_permute4x64_epi64(_mm256_packs_epi32(a, b), 0xD8);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 16 * i), words[i]);
    }
    uint64_t mask = 0;
    for (int i = 0; i < 2; ++i) {
        __m256i bytes = _mm256_permute4x64_epi64(_mm256_packs_epi16(words[2 * i], words[2 * i + 1]), 0xD8);  // non-zero stays non-zero
        uint32_t zero = uint32_t(_mm256_movemask_epi8(_mm256_cmpeq_epi8(bytes, _mm256_setzero_si256())));
        mask |= uint64_t(~zero) << (32 * i);
    }
    return mask;
}

uint64_t QuantizeAvx2(const int block[64], const QuantTable& t, short out[64]) {
    __m256i r[8];
    for (int k = 0; k < 8; ++k) r[k] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(block + 8 * k));
    return QuantizeRows(r, t, out);
}

uint64_t ForwardQuantizeAvx2(const BYTE* src, size_t stride, const QuantTable& t, short out[64]) {
    const __m256i shift = _mm256_set1_epi32(128);
    __m256i r[8];
    for (int k = 0; k < 8; ++k) {
        __m128i bytes = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(src + k * stride));
        r[k] = _mm256_sub_epi32(_mm256_cvtepu8_epi32(bytes), shift);
    }
    // From 8-bit samples every factor of a product fits 16 bits: the first pass multiplies
    // signed sums of at most eight level-shifted samples (within 1020), and its results of one
    // frequency span at most 8160 (-4096 to 4064 for the DC term, -4080 to 4080 for frequency 4,
    // less for the others), so the second pass multiplies sums of at most eight of them, four
    // added and four subtracted, which stay within 4 x 8160 = 32640.
    Forward<true>(r);
    return QuantizeRows(r, t, out);
}

// One inverse pass over x[0..7]; results shifted right by kShift.
template <int kShift>
inline void InversePass(__m256i x[8]) {
    const __m256i round = _mm256_set1_epi32(1 << (kShift - 1));
    __m256i z1 = Mul(Add(x[2], x[6]), 4433);
    __m256i t2 = Sub(z1, Mul(x[6], 15137)), t3 = Add(z1, Mul(x[2], 6270));
    __m256i t0 = _mm256_slli_epi32(Add(x[0], x[4]), 13), t1 = _mm256_slli_epi32(Sub(x[0], x[4]), 13);
    __m256i t10 = Add(Add(t0, t3), round), t13 = Add(Sub(t0, t3), round);
    __m256i t11 = Add(Add(t1, t2), round), t12 = Add(Sub(t1, t2), round);
    __m256i z5 = Mul(Add(Add(x[7], x[3]), Add(x[5], x[1])), 9633);
    __m256i z3 = Add(Mul(Add(x[7], x[3]), -16069), z5), z4 = Add(Mul(Add(x[5], x[1]), -3196), z5);
    __m256i zz1 = Mul(Add(x[7], x[1]), -7373), zz2 = Mul(Add(x[5], x[3]), -20995);
    __m256i a0 = Add(Add(Mul(x[7], 2446), zz1), z3), a1 = Add(Add(Mul(x[5], 16819), zz2), z4);
    __m256i a2 = Add(Add(Mul(x[3], 25172), zz2), z3), a3 = Add(Add(Mul(x[1], 12299), zz1), z4);
    x[0] = _mm256_srai_epi32(Add(t10, a3), kShift);
    x[7] = _mm256_srai_epi32(Sub(t10, a3), kShift);
    x[1] = _mm256_srai_epi32(Add(t11, a2), kShift);
    x[6] = _mm256_srai_epi32(Sub(t11, a2), kShift);
    x[2] = _mm256_srai_epi32(Add(t12, a1), kShift);
    x[5] = _mm256_srai_epi32(Sub(t12, a1), kShift);
    x[3] = _mm256_srai_epi32(Add(t13, a0), kShift);
    x[4] = _mm256_srai_epi32(Sub(t13, a0), kShift);
}

// True when no value of r exceeds kIdctMaxAbs in magnitude (the most negative int included).
inline bool InIdctRange(const __m256i r[8]) {
    __m256i m = _mm256_abs_epi32(r[0]);
    for (int k = 1; k < 8; ++k) m = _mm256_max_epu32(m, _mm256_abs_epi32(r[k]));
    const __m256i limit = _mm256_set1_epi32(kIdctMaxAbs);
    return _mm256_movemask_epi8(_mm256_cmpeq_epi32(_mm256_max_epu32(m, limit), limit)) == -1;
}

// The inverse transform of coef into rows r in 32-bit lanes; false, leaving the work to the
// 64-bit form, when the values could overflow them.
inline bool Inverse(const int coef[64], __m256i r[8]) {
    for (int k = 0; k < 8; ++k) r[k] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(coef + 8 * k));
    if (!InIdctRange(r)) return false;
    Transpose(r);
    InversePass<11>(r);
    if (!InIdctRange(r)) return false;
    Transpose(r);
    InversePass<18>(r);
    return true;
}

void InverseDctAvx2(int coef[64]) {
    __m256i r[8];
    if (!Inverse(coef, r)) {
        GetScalarKernels().InverseDct(coef);
        return;
    }
    for (int k = 0; k < 8; ++k) _mm256_storeu_si256(reinterpret_cast<__m256i*>(coef + 8 * k), r[k]);
}

void InverseStoreAvx2(int coef[64], BYTE* dst, size_t stride) {
    __m256i r[8];
    if (!Inverse(coef, r)) {
        GetScalarKernels().InverseStore(coef, dst, stride);
        return;
    }
    // Inside the range the results fit 16 bits, so saturating packs keep them as they are;
    // packus then limits them to 0-255.
    const __m256i level = _mm256_set1_epi16(128);
    __m256i rows[4];
    for (int k = 0; k < 4; ++k)
        rows[k] = _mm256_add_epi16(_mm256_permute4x64_epi64(_mm256_packs_epi32(r[2 * k], r[2 * k + 1]), 0xD8), level);
    for (int k = 0; k < 2; ++k) {
        // Bytes of rows 4k, 4k + 2, 4k + 1, 4k + 3 in this order.
        __m256i bytes = _mm256_packus_epi16(rows[2 * k], rows[2 * k + 1]);
        __m128i lo = _mm256_castsi256_si128(bytes), hi = _mm256_extracti128_si256(bytes, 1);
        BYTE* row = dst + 4 * k * stride;
        _mm_storel_epi64(reinterpret_cast<__m128i*>(row), lo);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(row + stride), hi);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(row + 2 * stride), _mm_unpackhi_epi64(lo, lo));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(row + 3 * stride), _mm_unpackhi_epi64(hi, hi));
    }
    const __m256i zero = _mm256_setzero_si256();
    for (int k = 0; k < 8; ++k) _mm256_storeu_si256(reinterpret_cast<__m256i*>(coef + 8 * k), zero);
}

// Byte shuffles between 16 samples of three channels and their 48 interleaved bytes (0x80
// selects nothing).  in[t][ch] fills interleaved bytes 16t to 16t + 15 from channel ch;
// out[ch][t] gathers channel ch from interleaved bytes 16t to 16t + 15.
struct InterleaveMasks {
    alignas(16) BYTE in[3][3][16];
    alignas(16) BYTE out[3][3][16];
    constexpr InterleaveMasks() : in(), out() {
        for (int t = 0; t < 3; ++t)
            for (int ch = 0; ch < 3; ++ch)
                for (int j = 0; j < 16; ++j) {
                    in[t][ch][j] = BYTE((16 * t + j) % 3 == ch ? (16 * t + j) / 3 : 0x80);
                    out[ch][t][j] = BYTE((3 * j + ch) / 16 == t ? (3 * j + ch) % 16 : 0x80);
                }
    }
};
constexpr InterleaveMasks kInterleave;

inline __m128i Mask(const BYTE* m) { return _mm_load_si128(reinterpret_cast<const __m128i*>(m)); }

void Interleave3Avx2(const BYTE* c0, const BYTE* c1, const BYTE* c2, BYTE* dst, size_t n) {
    size_t i = 0;
    for (; i + 16 <= n; i += 16, dst += 48) {
        __m128i ch[3] = {_mm_loadu_si128(reinterpret_cast<const __m128i*>(c0 + i)),
                         _mm_loadu_si128(reinterpret_cast<const __m128i*>(c1 + i)),
                         _mm_loadu_si128(reinterpret_cast<const __m128i*>(c2 + i))};
        for (int t = 0; t < 3; ++t) {
            __m128i out = _mm_setzero_si128();
            for (int c = 0; c < 3; ++c)
                out = _mm_or_si128(out, _mm_shuffle_epi8(ch[c], Mask(kInterleave.in[t][c])));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 16 * t), out);
        }
    }
    for (; i < n; ++i, dst += 3) {
        dst[0] = c0[i];
        dst[1] = c1[i];
        dst[2] = c2[i];
    }
}

void Deinterleave3Avx2(const BYTE* src, BYTE* c0, BYTE* c1, BYTE* c2, size_t n) {
    size_t i = 0;
    BYTE* ch[3] = {c0, c1, c2};
    for (; i + 16 <= n; i += 16, src += 48) {
        __m128i in[3] = {_mm_loadu_si128(reinterpret_cast<const __m128i*>(src)),
                         _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 16)),
                         _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 32))};
        for (int c = 0; c < 3; ++c) {
            __m128i out = _mm_shuffle_epi8(in[0], Mask(kInterleave.out[c][0]));
            out = _mm_or_si128(out, _mm_shuffle_epi8(in[1], Mask(kInterleave.out[c][1])));
            out = _mm_or_si128(out, _mm_shuffle_epi8(in[2], Mask(kInterleave.out[c][2])));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(ch[c] + i), out);
        }
    }
    for (; i < n; ++i, src += 3) {
        c0[i] = src[0];
        c1[i] = src[1];
        c2[i] = src[2];
    }
}

const Kernels kAvx2 = {ForwardQuantizeAvx2, ForwardDctAvx2, QuantizeAvx2, InverseDctAvx2, InverseStoreAvx2,
                       Interleave3Avx2, Deinterleave3Avx2};

}  // namespace

const Kernels* GetAvx2Kernels() { return &kAvx2; }

}  // namespace cpr

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

#else

namespace cpr {
const Kernels* GetAvx2Kernels() { return nullptr; }
}  // namespace cpr

#endif
