// The numeric core of the CPR codec: the quantiser table, and the members that transform and
// quantise one block in the object's codec arrays through the kernels of the instruction-set
// choice.  The plain C++ kernels live here too: the forward transform in 32 bits, the quantiser
// as a reciprocal multiply, the inverse transform in 64 bits with each result wrapped to 32 (a
// file's coefficients can be anything).
#include <cstdint>
#include <cstring>

#include "cpr/Codec.h"
#include "cpr/CprTables.h"
#include "dib/Dib.h"

namespace cpr {

const BYTE kNaturalOrder[64] = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
    12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
    35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
    58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63,
};

bool MakeQuantTable(const WORD quant[64], QuantTable& t) {
    for (int n = 0; n < 64; ++n) {
        uint32_t q = quant[n];
        if (q == 0) return false;
        t.step[n] = int32_t(q);
        t.recip[n] = float(1.0 / (2.0 * q));
        t.mul[n] = ((uint64_t(1) << 40) + 2 * q - 1) / (2 * q);
    }
    return true;
}

namespace {

// One pass of the forward transform over d[0], d[stride], ... d[7 * stride].
void ForwardPass(int* d, int stride, bool bFirstPass) {
    int t0 = d[0] + d[7 * stride], t7 = d[0] - d[7 * stride];
    int t1 = d[stride] + d[6 * stride], t6 = d[stride] - d[6 * stride];
    int t2 = d[2 * stride] + d[5 * stride], t5 = d[2 * stride] - d[5 * stride];
    int t3 = d[3 * stride] + d[4 * stride], t4 = d[3 * stride] - d[4 * stride];
    int t10 = t0 + t3, t13 = t0 - t3, t11 = t1 + t2, t12 = t1 - t2;
    int z1 = (t12 + t13) * 4433;
    int e[8];
    e[0] = t10 + t11;
    e[4] = t10 - t11;
    e[2] = z1 + t13 * 6270;
    e[6] = z1 - t12 * 15137;
    int z5 = (t4 + t6 + t5 + t7) * 9633;
    int z3 = (t4 + t6) * -16069 + z5, z4 = (t5 + t7) * -3196 + z5;
    int zz1 = (t4 + t7) * -7373, zz2 = (t5 + t6) * -20995;
    e[7] = t4 * 2446 + zz1 + z3;
    e[5] = t5 * 16819 + zz2 + z4;
    e[3] = t6 * 25172 + zz2 + z3;
    e[1] = t7 * 12299 + zz1 + z4;
    if (bFirstPass) {
        d[0] = e[0] << 2;
        d[4 * stride] = e[4] << 2;
        for (int k : {1, 2, 3, 5, 6, 7}) d[k * stride] = (e[k] + 1024) >> 11;
    } else {
        d[0] = (e[0] + 16) >> 5;
        d[4 * stride] = (e[4] + 16) >> 5;
        for (int k : {1, 2, 3, 5, 6, 7}) d[k * stride] = (e[k] + 131072) >> 18;
    }
}

void ForwardDctScalar(int block[64]) {
    for (int row = 0; row < 8; ++row) ForwardPass(block + 8 * row, 1, true);
    for (int col = 0; col < 8; ++col) ForwardPass(block + col, 8, false);
}


uint64_t QuantizeScalar(const int block[64], const QuantTable& t, short out[64]) {
    uint64_t mask = 0;
    for (int n = 0; n < 64; ++n) {
        int r = QuantizeOne(block[n], t, n);
        out[n] = short(r);
        mask |= uint64_t(r != 0) << n;
    }
    return mask;
}

// One pass of the inverse transform in 64 bits, exact for any input; results wrap to 32 bits.
void InversePass(int* x, int stride, int shift) {
    using T = int64_t;
    T x0 = x[0], x1 = x[stride], x2 = x[2 * stride], x3 = x[3 * stride];
    T x4 = x[4 * stride], x5 = x[5 * stride], x6 = x[6 * stride], x7 = x[7 * stride];
    T round = T(1) << (shift - 1);
    T z1 = (x2 + x6) * 4433;
    T t2 = z1 - x6 * 15137, t3 = z1 + x2 * 6270;
    T t0 = (x0 + x4) * 8192, t1 = (x0 - x4) * 8192;
    T t10 = t0 + t3 + round, t13 = t0 - t3 + round, t11 = t1 + t2 + round, t12 = t1 - t2 + round;
    T z5 = (x7 + x3 + x5 + x1) * 9633;
    T z3 = (x7 + x3) * -16069 + z5, z4 = (x5 + x1) * -3196 + z5;
    T zz1 = (x7 + x1) * -7373, zz2 = (x5 + x3) * -20995;
    T a0 = x7 * 2446 + zz1 + z3, a1 = x5 * 16819 + zz2 + z4;
    T a2 = x3 * 25172 + zz2 + z3, a3 = x1 * 12299 + zz1 + z4;
    auto wrap = [](T v) { return int(int32_t(uint32_t(uint64_t(int64_t(v))))); };
    x[0] = wrap((t10 + a3) >> shift);
    x[7 * stride] = wrap((t10 - a3) >> shift);
    x[stride] = wrap((t11 + a2) >> shift);
    x[6 * stride] = wrap((t11 - a2) >> shift);
    x[2 * stride] = wrap((t12 + a1) >> shift);
    x[5 * stride] = wrap((t12 - a1) >> shift);
    x[3 * stride] = wrap((t13 + a0) >> shift);
    x[4 * stride] = wrap((t13 - a0) >> shift);
}

void InverseDctScalar(int coef[64]) {
    for (int row = 0; row < 8; ++row) InversePass(coef + 8 * row, 1, 11);
    for (int col = 0; col < 8; ++col) InversePass(coef + col, 8, 18);
}

void InverseStoreScalar(int coef[64], BYTE* dst, size_t stride) {
    InverseDctScalar(coef);
    for (int k = 0; k < 8; ++k)
        for (int l = 0; l < 8; ++l) dst[k * stride + l] = SampleOf(coef[8 * k + l]);
    std::memset(coef, 0, 64 * sizeof(int));
}

void Interleave3Scalar(const BYTE* c0, const BYTE* c1, const BYTE* c2, BYTE* dst, size_t n) {
    for (size_t i = 0; i < n; ++i, dst += 3) {
        dst[0] = c0[i];
        dst[1] = c1[i];
        dst[2] = c2[i];
    }
}

uint64_t ForwardQuantizeScalar(const BYTE* src, size_t stride, const QuantTable& t, short out[64]) {
    int block[64];
    for (int k = 0; k < 8; ++k)
        for (int l = 0; l < 8; ++l) block[8 * k + l] = int(src[k * stride + l]) - 128;
    ForwardDctScalar(block);
    return QuantizeScalar(block, t, out);
}

void Deinterleave3Scalar(const BYTE* src, BYTE* c0, BYTE* c1, BYTE* c2, size_t n) {
    for (size_t i = 0; i < n; ++i, src += 3) {
        c0[i] = src[0];
        c1[i] = src[1];
        c2[i] = src[2];
    }
}

const Kernels kScalar = {ForwardQuantizeScalar, ForwardDctScalar, QuantizeScalar, InverseDctScalar,
                         InverseStoreScalar, Interleave3Scalar, Deinterleave3Scalar};

}  // namespace

const Kernels& GetScalarKernels() { return kScalar; }

}  // namespace cpr

void CDib::BuildQuantTable(short nScale) {
    WORD s = WORD(nScale);
    for (int n = 0; n < 64; ++n) {
        WORD p = WORD(kCprBaseQuant[n] * s);
        m_wQuant[n] = WORD(p / 50.0 + 0.5);
    }
}

void CDib::ForwardDCT() { cpr::ActiveKernels().ForwardDct(m_nBlock); }

void CDib::Quantize(const WORD* lpTable) {
    cpr::QuantTable table;
    bool bInRange = cpr::MakeQuantTable(lpTable, table);
    for (int n = 0; n < 64 && bInRange; ++n)
        bInRange = m_nBlock[n] >= -cpr::kQuantMaxAbs && m_nBlock[n] <= cpr::kQuantMaxAbs;
    if (!bInRange) {
        // Values no transform of samples makes, or a zero step: the division itself.
        for (int n = 0; n < 64; ++n) {
            double v = double(m_nBlock[n]) / double(lpTable[n]);
            m_nQuantized[n] = m_nBlock[n] >= 0 ? int(v + 0.5) : int(v - 0.5);
        }
        return;
    }
    short out[64];
    cpr::ActiveKernels().Quantize(m_nBlock, table, out);
    for (int n = 0; n < 64; ++n) m_nQuantized[n] = out[n];
}

void CDib::ZigzagScan() {
    for (int n = 0; n < 64; ++n) m_nZigzag[kCprZigzag[n]] = m_nQuantized[n];
}

void CDib::UnZigzag() {
    for (int n = 0; n < 64; ++n) m_nCoef[n] = m_nZigzag[kCprZigzag[n]];
}

void CDib::Dequantize() {
    for (int n = 0; n < 64; ++n) m_nCoef[n] = int(int32_t(uint32_t(m_nCoef[n]) * uint32_t(m_wQuant[n])));
}

void CDib::InverseDCT() { cpr::ActiveKernels().InverseDct(m_nCoef); }
