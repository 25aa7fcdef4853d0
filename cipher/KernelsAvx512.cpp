// The AVX-512 kernels (F, BW, VL, DQ, VBMI, VBMI2): 32 positions of a frame block per step, the map's divisions as float
// reciprocals with an exact remainder correction, and 256-entry byte lookups as two-table byte
// permutes.  Compiled for AVX-512 through the target pragma below, and only ever called when the
// processor has it.
#include "cipher/Kernels.h"

#include <algorithm>

#if defined(__x86_64__)
#include <immintrin.h>

// Everything from here on may use AVX-512; nothing after this line is shared with other files.
// (clang, which builds the fuzz targets, takes the same instruction sets as a function attribute.)
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx512f,avx512bw,avx512vl,avx512dq,avx512vbmi,avx512vbmi2,avx2,fma,bmi,bmi2,popcnt"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx512f,avx512bw,avx512vl,avx512dq,avx512vbmi,avx512vbmi2,avx2,fma,bmi,bmi2,popcnt")
// GCC 12 takes the deliberately undefined pass-through operand of the conversions for a read.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#endif

namespace cipher {
namespace {

// The constants of 16 positions, in the widened order (see WidenedPosition).
struct alignas(64) Consts16 {
    uint32_t p[16];
    float r1[16], r2[16], d1[16], d2[16];
};
static_assert(sizeof(Consts16) * 16 <= kFrameConstBytes);

// Vectorised, since it runs at every frame: the reciprocals in double, rounded up to float.
void PrepareFrameAvx512(const WORD params[256], void* consts) {
    Consts16* c = static_cast<Consts16*>(consts);
    const __m512d scale = _mm512_set1_pd(kReciprocalScale);
    const __m512 unit = _mm512_set1_ps(1.0f / 65536.0f);
    for (size_t g = 0; g < 8; ++g)
        for (size_t h = 0; h < 2; ++h) {
            Consts16& d = c[2 * g + h];
            for (size_t j = 0; j < 16; ++j) d.p[j] = params[WidenedPosition(g, h, j, 16)];
            __m512i p = _mm512_load_si512(d.p);
            __m512i q = _mm512_sub_epi32(_mm512_set1_epi32(65536), p);
            __mmask16 zero = _mm512_testn_epi32_mask(p, p);
            auto above = [&](__m512i divisor) {
                __m512d lo = _mm512_cvtepi32_pd(_mm512_castsi512_si256(divisor));
                __m512d hi = _mm512_cvtepi32_pd(_mm512_extracti64x4_epi64(divisor, 1));
                __m256 flo = _mm512_cvt_roundpd_ps(_mm512_div_pd(scale, lo), _MM_FROUND_TO_POS_INF | _MM_FROUND_NO_EXC);
                __m256 fhi = _mm512_cvt_roundpd_ps(_mm512_div_pd(scale, hi), _MM_FROUND_TO_POS_INF | _MM_FROUND_NO_EXC);
                return _mm512_insertf32x8(_mm512_castps256_ps512(flo), fhi, 1);
            };
            // p = 0 never takes the first piece; its reciprocal is set to 0 rather than infinity.
            _mm512_store_ps(d.r1, _mm512_maskz_mov_ps(_knot_mask16(zero), above(_mm512_max_epi32(p, _mm512_set1_epi32(1)))));
            _mm512_store_ps(d.r2, above(q));
            _mm512_store_ps(d.d1, _mm512_mul_ps(_mm512_cvtepi32_ps(p), unit));
            _mm512_store_ps(d.d2, _mm512_mul_ps(_mm512_cvtepi32_ps(q), unit));
        }
}

// ChaoticMap on 16 states below 65536.  The float estimate a * r of the quotient
// floor(a * 65536 / d) is the quotient or one more (see FloatLane); the remainder
// a - q * d / 65536 is a small multiple of 2^-16, exact from one fused multiply-add, and negative
// exactly when q is one too many.
inline __m512i Map16(__m512i x, const Consts16& c) {
    __m512i p = _mm512_load_si512(c.p);
    __mmask16 first = _mm512_cmplt_epu32_mask(x, p);
    __m512i a = _mm512_mask_sub_epi32(x, _knot_mask16(first), x, p);
    __m512 af = _mm512_cvtepi32_ps(a);
    __m512 r = _mm512_mask_blend_ps(first, _mm512_load_ps(c.r2), _mm512_load_ps(c.r1));
    __m512i q = _mm512_cvttps_epi32(_mm512_mul_ps(af, r));
    __m512 d = _mm512_mask_blend_ps(first, _mm512_load_ps(c.d2), _mm512_load_ps(c.d1));
    __m512 rem = _mm512_fnmadd_ps(_mm512_cvtepi32_ps(q), d, af);
    __mmask16 over = _mm512_cmp_ps_mask(rem, _mm512_setzero_ps(), _CMP_LT_OQ);
    return _mm512_mask_sub_epi32(q, over, q, _mm512_set1_epi32(1));
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

// Data a few blocks ahead: the hardware prefetcher alone loses track of a long in-place stream.
inline void PrefetchBlock(const BYTE* block) {
    for (int i = 0; i < 8; ++i) _mm_prefetch(reinterpret_cast<const char*>(block) + 64 * i, _MM_HINT_T0);
}

// 64 bytes of a block XORed with their key-stream words s, substituted after the XOR when
// encrypting and before it when decrypting.
template <FrameSubst kSubst>
inline void StoreBlockPart(BYTE* p, __m512i s, const Table256& table) {
    __m512i w = _mm512_loadu_si512(p);
    if (kSubst == FRAME_SUBST_BEFORE) w = table.Lookup(w);
    w = _mm512_xor_si512(w, s);
    if (kSubst == FRAME_SUBST_AFTER) w = table.Lookup(w);
    _mm512_storeu_si512(p, w);
}

template <FrameSubst kSubst>
void RunFrameT(const Consts16* c, WORD S[256], const WORD* X, BYTE* data, size_t nBlocks, const BYTE* sbox) {
    const __m512i zero = _mm512_setzero_si512();
    // Stream only reads no S-box; the table is then loaded from the states and never used.
    Table256 table(kSubst != FRAME_XOR_ONLY ? sbox : reinterpret_cast<const BYTE*>(S));
    for (size_t b = 0; b < nBlocks; ++b, data += kBlockBytes, X += kBlockWords) {
        PrefetchBlock(data + 24 * kBlockBytes);
        for (size_t g = 0; g < 8; ++g) {
            __m512i s = _mm512_load_si512(S + 32 * g);
            __m512i a = Map16(_mm512_unpacklo_epi16(s, zero), c[2 * g]);
            __m512i b2 = Map16(_mm512_unpackhi_epi16(s, zero), c[2 * g + 1]);
            s = _mm512_xor_si512(_mm512_packus_epi32(a, b2), _mm512_load_si512(X + 32 * g));
            _mm512_store_si512(S + 32 * g, s);
            StoreBlockPart<kSubst>(data + 64 * g, s, table);
        }
    }
}

void RunFrameAvx512(const void* consts, WORD S[256], const WORD* X, BYTE* data, size_t nBlocks,
                    const BYTE* sbox, bool bSubstFirst) {
    const Consts16* c = static_cast<const Consts16*>(consts);
    WithFrameSubst(sbox, bSubstFirst, [&](auto mode) { RunFrameT<mode()>(c, S, X, data, nBlocks, sbox); });
}

// The frame kernel with the perturbations found in registers: per 32 positions, the countdowns
// step down, those reaching 0 mark the perturbed positions, which take the next draws in position
// order (a byte expand), and are reloaded with their periods.
template <FrameSubst kSubst>
size_t RunCountdownT(const Consts16* c, WORD S[256], WORD D[256], const WORD T[256], const WORD* draws,
                     BYTE* data, size_t nBlocks, const BYTE* sbox) {
    const __m512i zero = _mm512_setzero_si512();
    const __m512i one16 = _mm512_set1_epi16(1);
    // Stream only reads no S-box; the table is then loaded from the states and never used.
    Table256 table(kSubst != FRAME_XOR_ONLY ? sbox : reinterpret_cast<const BYTE*>(S));
    size_t used = 0;
    for (size_t b = 0; b < nBlocks; ++b, data += kBlockBytes) {
        PrefetchBlock(data + 24 * kBlockBytes);
        for (size_t g = 0; g < 8; ++g) {
            __m512i s = _mm512_load_si512(S + 32 * g);
            __m512i lo = Map16(_mm512_unpacklo_epi16(s, zero), c[2 * g]);
            __m512i hi = Map16(_mm512_unpackhi_epi16(s, zero), c[2 * g + 1]);
            s = _mm512_packus_epi32(lo, hi);
            __m512i d = _mm512_sub_epi16(_mm512_load_si512(D + 32 * g), one16);
            __mmask32 due = _mm512_testn_epi16_mask(d, d);
            _mm512_store_si512(D + 32 * g, _mm512_mask_mov_epi16(d, due, _mm512_load_si512(T + 32 * g)));
            s = _mm512_xor_si512(s, _mm512_maskz_expand_epi16(due, _mm512_loadu_si512(draws + used)));
            used += unsigned(_mm_popcnt_u32(_cvtmask32_u32(due)));
            _mm512_store_si512(S + 32 * g, s);
            StoreBlockPart<kSubst>(data + 64 * g, s, table);
        }
    }
    return used;
}

size_t RunFrameCountdownAvx512(const void* consts, WORD S[256], WORD D[256], const WORD T[256],
                               const WORD* draws, BYTE* data, size_t nBlocks, const BYTE* sbox,
                               bool bSubstFirst) {
    const Consts16* c = static_cast<const Consts16*>(consts);
    return WithFrameSubst(sbox, bSubstFirst,
                          [&](auto mode) { return RunCountdownT<mode()>(c, S, D, T, draws, data, nBlocks, sbox); });
}

// Sixteen consecutive draws at a time: lane i holds the state i + 1 draws on, and every lane
// moves 16 draws per step.
void DrawBytesAvx512(uint32_t& state, WORD* out, size_t n) {
    alignas(64) uint32_t first[16];
    uint32_t s = state;
    for (int i = 0; i < 16; ++i) first[i] = s = s * 214013u + 2531011u;
    uint32_t mul16 = 1, add16 = 0;  // the step applied 16 times
    for (int i = 0; i < 16; ++i) {
        add16 = add16 * 214013u + 2531011u;
        mul16 *= 214013u;
    }
    __m512i v = _mm512_load_si512(first);
    const __m512i mul = _mm512_set1_epi32(int(mul16)), add = _mm512_set1_epi32(int(add16));
    const __m512i byte = _mm512_set1_epi32(0xFF);
    for (size_t i = 0; i < n; i += 16) {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i),
                            _mm512_cvtepi32_epi16(_mm512_and_si512(_mm512_srli_epi32(v, 16), byte)));
        if (i + 16 < n) v = _mm512_add_epi32(_mm512_mullo_epi32(v, mul), add);
    }
    alignas(64) uint32_t last[16];
    _mm512_store_si512(last, v);
    state = n ? last[15] : state;
}

void SubstAvx512(BYTE* data, size_t n, const BYTE sbox[256]) {
    Table256 table(sbox);
    size_t i = 0;
    // Up to a 64-byte boundary, so that the main loop's stores are aligned.
    size_t head = std::min(n, size_t(-reinterpret_cast<uintptr_t>(data)) & 63);
    if (head) {
        __mmask64 m = (__mmask64(1) << head) - 1;
        _mm512_mask_storeu_epi8(data, m, table.Lookup(_mm512_maskz_loadu_epi8(m, data)));
        i = head;
    }
    // An image larger than the caches is written around them: its bytes are not read again soon,
    // and a streaming store spares the cache the write-back traffic.
    const bool stream = n >= (size_t(8) << 20);
    for (; i + 256 <= n; i += 256) {
        const char* ahead = reinterpret_cast<const char*>(data + i) + 4096;
        for (int k = 0; k < 4; ++k) _mm_prefetch(ahead + 64 * k, _MM_HINT_T0);
        __m512i v0 = table.Lookup(_mm512_load_si512(data + i));
        __m512i v1 = table.Lookup(_mm512_load_si512(data + i + 64));
        __m512i v2 = table.Lookup(_mm512_load_si512(data + i + 128));
        __m512i v3 = table.Lookup(_mm512_load_si512(data + i + 192));
        if (stream) {
            _mm512_stream_si512(reinterpret_cast<__m512i*>(data + i), v0);
            _mm512_stream_si512(reinterpret_cast<__m512i*>(data + i + 64), v1);
            _mm512_stream_si512(reinterpret_cast<__m512i*>(data + i + 128), v2);
            _mm512_stream_si512(reinterpret_cast<__m512i*>(data + i + 192), v3);
        } else {
            _mm512_store_si512(data + i, v0);
            _mm512_store_si512(data + i + 64, v1);
            _mm512_store_si512(data + i + 128, v2);
            _mm512_store_si512(data + i + 192, v3);
        }
    }
    if (stream) _mm_sfence();
    for (; i < n; i += 64) {
        __mmask64 m = n - i >= 64 ? ~__mmask64(0) : (__mmask64(1) << (n - i)) - 1;
        __m512i v = _mm512_maskz_loadu_epi8(m, data + i);
        _mm512_mask_storeu_epi8(data + i, m, table.Lookup(v));
    }
}

// ---- the S-box: a sorting network on the 256 keys value * 256 + (255 - index) ----
// The keys are all different, so any sort gives the ranking (see SBox.cpp).  A bitonic network
// on 16 registers of 16 keys: a compare-exchange between two registers is a min and a max, one
// between lanes of a register costs a permute more, so the network's first stages run with its
// positions laid across the registers and the rest, after a transpose, along them.

// r[i] lane j <-> r[j] lane i.
inline void Transpose16(__m512i r[16]) {
    __m512i t[16];
#pragma GCC unroll 16
    for (int i = 0; i < 16; i += 2) {
        t[i] = _mm512_unpacklo_epi32(r[i], r[i + 1]);
        t[i + 1] = _mm512_unpackhi_epi32(r[i], r[i + 1]);
    }
#pragma GCC unroll 16
    for (int i = 0; i < 16; i += 4) {
        r[i] = _mm512_unpacklo_epi64(t[i], t[i + 2]);
        r[i + 1] = _mm512_unpackhi_epi64(t[i], t[i + 2]);
        r[i + 2] = _mm512_unpacklo_epi64(t[i + 1], t[i + 3]);
        r[i + 3] = _mm512_unpackhi_epi64(t[i + 1], t[i + 3]);
    }
#pragma GCC unroll 16
    for (int i = 0; i < 4; ++i) {
        t[i] = _mm512_shuffle_i32x4(r[i], r[i + 4], 0x88);
        t[i + 4] = _mm512_shuffle_i32x4(r[i], r[i + 4], 0xDD);
        t[i + 8] = _mm512_shuffle_i32x4(r[i + 8], r[i + 12], 0x88);
        t[i + 12] = _mm512_shuffle_i32x4(r[i + 8], r[i + 12], 0xDD);
    }
#pragma GCC unroll 16
    for (int i = 0; i < 4; ++i) {
        r[i] = _mm512_shuffle_i32x4(t[i], t[i + 8], 0x88);
        r[i + 8] = _mm512_shuffle_i32x4(t[i], t[i + 8], 0xDD);
        r[i + 4] = _mm512_shuffle_i32x4(t[i + 4], t[i + 12], 0x88);
        r[i + 12] = _mm512_shuffle_i32x4(t[i + 4], t[i + 12], 0xDD);
    }
}

// Everything below is unrolled completely: the loop variables then become constants and every
// direction and mask is fixed at compile time.
void BuildSBoxAvx512(const WORD values[256], BYTE sbox[256]) {
    __m512i r[16];
    const __m512i reversed = _mm512_setr_epi32(255, 254, 253, 252, 251, 250, 249, 248, 247, 246, 245, 244,
                                               243, 242, 241, 240);
#pragma GCC unroll 16
    for (int g = 0; g < 16; ++g) {
        __m512i v = _mm512_cvtepu16_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(values + 16 * g)));
        r[g] = _mm512_or_si512(_mm512_slli_epi32(v, 8), _mm512_sub_epi32(reversed, _mm512_set1_epi32(16 * g)));
    }
    // Network position i in register i % 16, lane i / 16: sorting runs of up to 16 positions
    // compares registers only.  A run of k is ascending where bit k of its positions is clear;
    // for k = 16 that bit is the lane's lowest.
#pragma GCC unroll 16
    for (unsigned k = 2; k <= 16; k *= 2) {
#pragma GCC unroll 16
        for (unsigned j = k / 2; j >= 1; j /= 2) {
#pragma GCC unroll 16
            for (unsigned a = 0; a < 16; ++a) {
                if (a & j) continue;
                unsigned b = a | j;
                __m512i mn = _mm512_min_epu32(r[a], r[b]), mx = _mm512_max_epu32(r[a], r[b]);
                if (k < 16) {
                    bool descending = (a & k) != 0;
                    r[a] = descending ? mx : mn;
                    r[b] = descending ? mn : mx;
                } else {
                    const __mmask16 descending = 0xAAAA;
                    r[a] = _mm512_mask_blend_epi32(descending, mn, mx);
                    r[b] = _mm512_mask_blend_epi32(descending, mx, mn);
                }
            }
        }
    }
    Transpose16(r);
    // Now position i is in register i / 16, lane i % 16: the merges of runs of 32 and more.
    const __m512i lane = _mm512_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
#pragma GCC unroll 16
    for (unsigned k = 32; k <= 256; k *= 2) {
#pragma GCC unroll 16
        for (unsigned j = k / 2; j >= 16; j /= 2) {
#pragma GCC unroll 16
            for (unsigned a = 0; a < 16; ++a) {
                unsigned jr = j / 16;
                if (a & jr) continue;
                unsigned b = a | jr;
                bool descending = ((a * 16) & k) != 0;
                __m512i mn = _mm512_min_epu32(r[a], r[b]), mx = _mm512_max_epu32(r[a], r[b]);
                r[a] = descending ? mx : mn;
                r[b] = descending ? mn : mx;
            }
        }
#pragma GCC unroll 16
        for (unsigned j = 8; j >= 1; j /= 2) {
            const __m512i partner = _mm512_xor_si512(lane, _mm512_set1_epi32(int(j)));
            __mmask16 lower = 0;  // the lanes that are the first of their pair
            for (unsigned l = 0; l < 16; ++l)
                if (!(l & j)) lower = __mmask16(lower | (1u << l));
#pragma GCC unroll 16
            for (unsigned a = 0; a < 16; ++a) {
                bool descending = ((a * 16) & k) != 0;
                __mmask16 takeMin = descending ? __mmask16(~lower) : lower;
                __m512i p = _mm512_permutexvar_epi32(partner, r[a]);
                __m512i mx = _mm512_max_epu32(r[a], p);
                r[a] = _mm512_mask_min_epu32(mx, takeMin, r[a], p);
            }
        }
    }
    const __m512i ones = _mm512_set1_epi32(0xFF);
#pragma GCC unroll 16
    for (int g = 0; g < 16; ++g)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(sbox + 16 * g), _mm512_cvtepi32_epi8(_mm512_xor_si512(r[g], ones)));
}

const Kernels kAvx512 = {PrepareFrameAvx512, RunFrameAvx512, SubstAvx512, RunFrameCountdownAvx512,
                         DrawBytesAvx512, BuildSBoxAvx512};
}  // namespace

const Kernels* GetAvx512Kernels() { return &kAvx512; }
}  // namespace cipher

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

#else
namespace cipher {
const Kernels* GetAvx512Kernels() { return nullptr; }
}  // namespace cipher
#endif
