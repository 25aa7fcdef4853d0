// The AVX2 kernels: 16 positions of a frame block per step with the same exact float quotient as
// the AVX-512 kernels, and 256-entry byte lookups as sixteen 16-entry byte shuffles.  Compiled
// for AVX2 and FMA through the target pragma below, and only ever called when the processor has
// them.
#include "cipher/Kernels.h"

#if defined(__x86_64__)
#include <immintrin.h>

// Everything from here on may use AVX2; nothing after this line is shared with other files.
// (clang, which builds the fuzz targets, takes the same instruction sets as a function attribute.)
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2,fma,bmi,bmi2,popcnt"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2,fma,bmi,bmi2,popcnt")
#endif

namespace cipher {
namespace {

// The constants of 8 positions, in the widened order (see WidenedPosition).
struct alignas(32) Consts8 {
    uint32_t p[8];
    float r1[8], r2[8], d1[8], d2[8];
};
static_assert(sizeof(Consts8) * 32 <= kFrameConstBytes);

void PrepareFrameAvx2(const WORD params[256], void* consts) {
    Consts8* c = static_cast<Consts8*>(consts);
    for (size_t g = 0; g < 16; ++g)
        for (size_t h = 0; h < 2; ++h)
            for (size_t j = 0; j < 8; ++j) {
                FloatLane f = MakeFloatLane(params[WidenedPosition(g, h, j, 8)]);
                Consts8& d = c[2 * g + h];
                d.p[j] = f.p;
                d.r1[j] = f.r1;
                d.r2[j] = f.r2;
                d.d1[j] = f.d1;
                d.d2[j] = f.d2;
            }
}

// ChaoticMap on 8 states below 65536: the float estimate of the quotient is the quotient or one
// more (see FloatLane); the remainder a - q * d / 65536 is a small multiple of 2^-16, exact from one
// fused multiply-add, and negative exactly when q is one too many.  Comparison results are
// all-ones lanes, that is -1: adding one subtracts 1.
inline __m256i Map8(__m256i x, const Consts8& c) {
    __m256i p = _mm256_load_si256(reinterpret_cast<const __m256i*>(c.p));
    __m256i first = _mm256_cmpgt_epi32(p, x);  // values below 2^17: signed compare is exact
    __m256 firstf = _mm256_castsi256_ps(first);
    __m256i a = _mm256_sub_epi32(x, _mm256_andnot_si256(first, p));
    __m256 af = _mm256_cvtepi32_ps(a);
    __m256 r = _mm256_blendv_ps(_mm256_load_ps(c.r2), _mm256_load_ps(c.r1), firstf);
    __m256i q = _mm256_cvttps_epi32(_mm256_mul_ps(af, r));
    __m256 d = _mm256_blendv_ps(_mm256_load_ps(c.d2), _mm256_load_ps(c.d1), firstf);
    __m256 rem = _mm256_fnmadd_ps(_mm256_cvtepi32_ps(q), d, af);
    __m256i over = _mm256_castps_si256(_mm256_cmp_ps(rem, _mm256_setzero_ps(), _CMP_LT_OQ));
    return _mm256_add_epi32(q, over);
}

// sbox[v] for 32 bytes.  Table h holds sbox[16h .. 16h + 15]; a byte shuffle of each table by the
// low four bits gives the 16 candidates, and a tree of blends on bits 4, 5, 6 and 7 of v (each
// moved up to bit 7, which is what a blend reads) picks one.
struct Table256 {
    __m256i t[16];
    explicit Table256(const BYTE sbox[256]) {
        for (int h = 0; h < 16; ++h)
            t[h] = _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(sbox + 16 * h)));
    }
    __m256i Lookup(__m256i v) const {
        const __m256i index = _mm256_and_si256(v, _mm256_set1_epi8(0x0F));
        const __m256i bit4 = _mm256_slli_epi16(v, 3), bit5 = _mm256_slli_epi16(v, 2), bit6 = _mm256_slli_epi16(v, 1);
        __m256i c[8];
#pragma GCC unroll 8
        for (int h = 0; h < 8; ++h)
            c[h] = _mm256_blendv_epi8(_mm256_shuffle_epi8(t[2 * h], index), _mm256_shuffle_epi8(t[2 * h + 1], index), bit4);
#pragma GCC unroll 4
        for (int h = 0; h < 4; ++h) c[h] = _mm256_blendv_epi8(c[2 * h], c[2 * h + 1], bit5);
        c[0] = _mm256_blendv_epi8(c[0], c[1], bit6);
        c[1] = _mm256_blendv_epi8(c[2], c[3], bit6);
        return _mm256_blendv_epi8(c[0], c[1], v);
    }
};

template <FrameSubst kSubst>
void RunFrameT(const Consts8* c, WORD S[256], const WORD* X, BYTE* data, size_t nBlocks, const BYTE* sbox) {
    const __m256i zero = _mm256_setzero_si256();
    // Stream only reads no S-box; the table is then loaded from the states and never used.
    Table256 table(kSubst != FRAME_XOR_ONLY ? sbox : reinterpret_cast<const BYTE*>(S));
    for (size_t b = 0; b < nBlocks; ++b, data += kBlockBytes, X += kBlockWords) {
        for (int i = 0; i < 8; ++i)
            _mm_prefetch(reinterpret_cast<const char*>(data) + 8 * kBlockBytes + 64 * i, _MM_HINT_T0);
        for (size_t g = 0; g < 16; ++g) {
            __m256i s = _mm256_load_si256(reinterpret_cast<const __m256i*>(S + 16 * g));
            __m256i a = Map8(_mm256_unpacklo_epi16(s, zero), c[2 * g]);
            __m256i b2 = Map8(_mm256_unpackhi_epi16(s, zero), c[2 * g + 1]);
            s = _mm256_xor_si256(_mm256_packus_epi32(a, b2),
                                 _mm256_load_si256(reinterpret_cast<const __m256i*>(X + 16 * g)));
            _mm256_store_si256(reinterpret_cast<__m256i*>(S + 16 * g), s);
            __m256i* q = reinterpret_cast<__m256i*>(data + 32 * g);
            __m256i w = _mm256_loadu_si256(q);
            if (kSubst == FRAME_SUBST_BEFORE) w = table.Lookup(w);
            w = _mm256_xor_si256(w, s);
            if (kSubst == FRAME_SUBST_AFTER) w = table.Lookup(w);
            _mm256_storeu_si256(q, w);
        }
    }
}

void RunFrameAvx2(const void* consts, WORD S[256], const WORD* X, BYTE* data, size_t nBlocks,
                  const BYTE* sbox, bool bSubstFirst) {
    const Consts8* c = static_cast<const Consts8*>(consts);
    WithFrameSubst(sbox, bSubstFirst, [&](auto mode) { RunFrameT<mode()>(c, S, X, data, nBlocks, sbox); });
}

void SubstAvx2(BYTE* data, size_t n, const BYTE sbox[256]) {
    Table256 table(sbox);
    size_t i = 0;
    for (; i + 64 <= n; i += 64) {
        __m256i* q = reinterpret_cast<__m256i*>(data + i);
        __m256i a = table.Lookup(_mm256_loadu_si256(q)), b = table.Lookup(_mm256_loadu_si256(q + 1));
        _mm256_storeu_si256(q, a);
        _mm256_storeu_si256(q + 1, b);
    }
    for (; i + 32 <= n; i += 32) {
        __m256i* q = reinterpret_cast<__m256i*>(data + i);
        _mm256_storeu_si256(q, table.Lookup(_mm256_loadu_si256(q)));
    }
    for (; i < n; ++i) data[i] = sbox[data[i]];
}

const Kernels kAvx2 = {PrepareFrameAvx2, RunFrameAvx2, SubstAvx2, nullptr, nullptr, BuildSBoxCounting};
}  // namespace

const Kernels* GetAvx2Kernels() { return &kAvx2; }
}  // namespace cipher

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

#else
namespace cipher {
const Kernels* GetAvx2Kernels() { return nullptr; }
}  // namespace cipher
#endif
