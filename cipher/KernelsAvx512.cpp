// The AVX-512 kernels: 32 positions of a frame block per step, the map's divisions as float
// reciprocals with an exact remainder correction, and 256-entry byte lookups as two-table byte
// permutes.  Compiled for AVX-512 through the target pragma below, and only ever called when the
// processor has it.
#include "cipher/Kernels.h"

#if defined(__x86_64__)
#include <immintrin.h>

// Everything from here on may use AVX-512; nothing after this line is shared with other files.
#pragma GCC push_options
#pragma GCC target("avx512f,avx512bw,avx512vl,avx512vbmi,avx2,fma,bmi,bmi2,popcnt")
// GCC 12 takes the deliberately undefined pass-through operand of the conversions for a read.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

namespace cipher {
namespace {

// The constants of 16 positions, in the widened order (see WidenedPosition).
struct alignas(64) Consts16 {
    uint32_t p[16];
    float r1[16], r2[16], d1[16], d2[16];
};
static_assert(sizeof(Consts16) * 16 <= kFrameConstBytes);

void PrepareFrameAvx512(const WORD params[256], void* consts) {
    Consts16* c = static_cast<Consts16*>(consts);
    for (size_t g = 0; g < 8; ++g)
        for (size_t h = 0; h < 2; ++h)
            for (size_t j = 0; j < 16; ++j) {
                FloatLane f = MakeFloatLane(params[WidenedPosition(g, h, j, 16)]);
                Consts16& d = c[2 * g + h];
                d.p[j] = f.p;
                d.r1[j] = f.r1;
                d.r2[j] = f.r2;
                d.d1[j] = f.d1;
                d.d2[j] = f.d2;
            }
}

// ChaoticMap on 16 states below 65536.  The quotient floor(a * 65536 / d) is first estimated as
// a * (65536 / d) in float: its relative error is below 2^-23, so the estimate is off by at most
// one.  The remainder a - q * d / 65536 is a small multiple of 2^-16 and comes out exact from one
// fused multiply-add, so its sign and size tell which way to correct.
inline __m512i Map16(__m512i x, const Consts16& c) {
    const __m512i one = _mm512_set1_epi32(1);
    __m512i p = _mm512_load_si512(c.p);
    __mmask16 first = _mm512_cmplt_epu32_mask(x, p);
    __m512i a = _mm512_mask_sub_epi32(x, _knot_mask16(first), x, p);
    __m512 af = _mm512_cvtepi32_ps(a);
    __m512 r = _mm512_mask_blend_ps(first, _mm512_load_ps(c.r2), _mm512_load_ps(c.r1));
    __m512i q = _mm512_cvttps_epi32(_mm512_mul_ps(af, r));
    __m512 d = _mm512_mask_blend_ps(first, _mm512_load_ps(c.d2), _mm512_load_ps(c.d1));
    __m512 rem = _mm512_fnmadd_ps(_mm512_cvtepi32_ps(q), d, af);
    __mmask16 low = _mm512_cmp_ps_mask(rem, _mm512_setzero_ps(), _CMP_LT_OQ);
    __mmask16 high = _mm512_cmp_ps_mask(rem, d, _CMP_GE_OQ);
    q = _mm512_mask_sub_epi32(q, low, q, one);
    return _mm512_mask_add_epi32(q, high, q, one);
}

struct Table256 {
    __m512i t0, t1, t2, t3;
    explicit Table256(const BYTE sbox[256])
        : t0(_mm512_loadu_si512(sbox)), t1(_mm512_loadu_si512(sbox + 64)),
          t2(_mm512_loadu_si512(sbox + 128)), t3(_mm512_loadu_si512(sbox + 192)) {}
    // sbox[v] for 64 bytes: bits 0-6 pick within a half, bit 7 picks the half.
    __m512i Lookup(__m512i v) const {
        __m512i lo = _mm512_permutex2var_epi8(t0, v, t1);
        __m512i hi = _mm512_permutex2var_epi8(t2, v, t3);
        return _mm512_mask_blend_epi8(_mm512_movepi8_mask(v), lo, hi);
    }
};

template <bool kSubst>
void RunFrameT(const Consts16* c, WORD S[256], const WORD* X, BYTE* data, size_t nBlocks, const BYTE* sbox) {
    const __m512i zero = _mm512_setzero_si512();
    // Stream only reads no S-box; the table is then loaded from the states and never used.
    Table256 table(kSubst ? sbox : reinterpret_cast<const BYTE*>(S));
    for (size_t b = 0; b < nBlocks; ++b, data += kBlockBytes, X += kBlockWords) {
        // The hardware prefetcher loses track of a long in-place stream; ask for the data a few
        // blocks ahead.
        _mm_prefetch(reinterpret_cast<const char*>(data) + 8 * kBlockBytes, _MM_HINT_T0);
        _mm_prefetch(reinterpret_cast<const char*>(data) + 8 * kBlockBytes + 64, _MM_HINT_T0);
        _mm_prefetch(reinterpret_cast<const char*>(data) + 8 * kBlockBytes + 128, _MM_HINT_T0);
        _mm_prefetch(reinterpret_cast<const char*>(data) + 8 * kBlockBytes + 192, _MM_HINT_T0);
        _mm_prefetch(reinterpret_cast<const char*>(data) + 8 * kBlockBytes + 256, _MM_HINT_T0);
        _mm_prefetch(reinterpret_cast<const char*>(data) + 8 * kBlockBytes + 320, _MM_HINT_T0);
        _mm_prefetch(reinterpret_cast<const char*>(data) + 8 * kBlockBytes + 384, _MM_HINT_T0);
        _mm_prefetch(reinterpret_cast<const char*>(data) + 8 * kBlockBytes + 448, _MM_HINT_T0);
        for (size_t g = 0; g < 8; ++g) {
            __m512i s = _mm512_load_si512(S + 32 * g);
            __m512i a = Map16(_mm512_unpacklo_epi16(s, zero), c[2 * g]);
            __m512i b2 = Map16(_mm512_unpackhi_epi16(s, zero), c[2 * g + 1]);
            s = _mm512_xor_si512(_mm512_packus_epi32(a, b2), _mm512_load_si512(X + 32 * g));
            _mm512_store_si512(S + 32 * g, s);
            __m512i w = _mm512_xor_si512(_mm512_loadu_si512(data + 64 * g), s);
            if (kSubst) w = table.Lookup(w);
            _mm512_storeu_si512(data + 64 * g, w);
        }
    }
}

void RunFrameAvx512(const void* consts, WORD S[256], const WORD* X, BYTE* data, size_t nBlocks,
                    const BYTE* sbox) {
    const Consts16* c = static_cast<const Consts16*>(consts);
    if (sbox)
        RunFrameT<true>(c, S, X, data, nBlocks, sbox);
    else
        RunFrameT<false>(c, S, X, data, nBlocks, sbox);
}

void SubstAvx512(BYTE* data, size_t n, const BYTE sbox[256]) {
    Table256 table(sbox);
    size_t i = 0;
    for (; i + 256 <= n; i += 256) {
        _mm_prefetch(reinterpret_cast<const char*>(data + i) + 2048, _MM_HINT_T0);
        _mm_prefetch(reinterpret_cast<const char*>(data + i) + 2048 + 64, _MM_HINT_T0);
        _mm_prefetch(reinterpret_cast<const char*>(data + i) + 2048 + 128, _MM_HINT_T0);
        _mm_prefetch(reinterpret_cast<const char*>(data + i) + 2048 + 192, _MM_HINT_T0);
        __m512i v0 = _mm512_loadu_si512(data + i);
        __m512i v1 = _mm512_loadu_si512(data + i + 64);
        __m512i v2 = _mm512_loadu_si512(data + i + 128);
        __m512i v3 = _mm512_loadu_si512(data + i + 192);
        _mm512_storeu_si512(data + i, table.Lookup(v0));
        _mm512_storeu_si512(data + i + 64, table.Lookup(v1));
        _mm512_storeu_si512(data + i + 128, table.Lookup(v2));
        _mm512_storeu_si512(data + i + 192, table.Lookup(v3));
    }
    for (; i < n; i += 64) {
        __mmask64 m = n - i >= 64 ? ~__mmask64(0) : (__mmask64(1) << (n - i)) - 1;
        __m512i v = _mm512_maskz_loadu_epi8(m, data + i);
        _mm512_mask_storeu_epi8(data + i, m, table.Lookup(v));
    }
}

const Kernels kAvx512 = {PrepareFrameAvx512, RunFrameAvx512, SubstAvx512};
}  // namespace

const Kernels* GetAvx512Kernels() { return &kAvx512; }
}  // namespace cipher

#pragma GCC pop_options

#else
namespace cipher {
const Kernels* GetAvx512Kernels() { return nullptr; }
}  // namespace cipher
#endif
