// The literal block transform and quantisation: the 13-bit fixed-point DCT and its inverse as
// two passes of one 1-D routine each, the quantiser as a division in double precision, the
// zigzag order through its table.
#include <cstdint>

#include "cpr/CprTables.h"
#include "cpr/reference/Literal.h"

namespace literal {

void BuildQuantTable(CDib& dib, short nScale) {
    WORD s = WORD(nScale);
    for (int n = 0; n < 64; ++n) {
        WORD p = WORD(kCprBaseQuant[n] * s);
        dib.m_wQuant[n] = WORD(p / 50.0 + 0.5);
    }
}

namespace {

// One pass of the forward transform over d[0], d[stride], ... d[7 * stride].
void ForwardPass(int* d, int stride, bool bFirstPass) {
    int t0 = d[0] + d[7 * stride], t7 = d[0] - d[7 * stride];
    int t1 = d[stride] + d[6 * stride], t6 = d[stride] - d[6 * stride];
    int t2 = d[2 * stride] + d[5 * stride], t5 = d[2 * stride] - d[5 * stride];
    int t3 = d[3 * stride] + d[4 * stride], t4 = d[3 * stride] - d[4 * stride];

    int t10 = t0 + t3, t13 = t0 - t3, t11 = t1 + t2, t12 = t1 - t2;
    int e0 = t10 + t11, e4 = t10 - t11;
    int z1 = (t12 + t13) * 4433;
    int e2 = z1 + t13 * 6270;
    int e6 = z1 - t12 * 15137;

    z1 = t4 + t7;
    int z2 = t5 + t6, z3 = t4 + t6, z4 = t5 + t7;
    int z5 = (z3 + z4) * 9633;
    t4 *= 2446;
    t5 *= 16819;
    t6 *= 25172;
    t7 *= 12299;
    z1 *= -7373;
    z2 *= -20995;
    z3 *= -16069;
    z4 *= -3196;
    z3 += z5;
    z4 += z5;
    int o7 = t4 + z1 + z3, o5 = t5 + z2 + z4, o3 = t6 + z2 + z3, o1 = t7 + z1 + z4;

    if (bFirstPass) {
        d[0] = e0 << 2;
        d[4 * stride] = e4 << 2;
        d[stride] = (o1 + 1024) >> 11;
        d[2 * stride] = (e2 + 1024) >> 11;
        d[3 * stride] = (o3 + 1024) >> 11;
        d[5 * stride] = (o5 + 1024) >> 11;
        d[6 * stride] = (e6 + 1024) >> 11;
        d[7 * stride] = (o7 + 1024) >> 11;
    } else {
        d[0] = (e0 + 16) >> 5;
        d[4 * stride] = (e4 + 16) >> 5;
        d[stride] = (o1 + 131072) >> 18;
        d[2 * stride] = (e2 + 131072) >> 18;
        d[3 * stride] = (o3 + 131072) >> 18;
        d[5 * stride] = (o5 + 131072) >> 18;
        d[6 * stride] = (e6 + 131072) >> 18;
        d[7 * stride] = (o7 + 131072) >> 18;
    }
}

// One pass of the inverse transform.  Coefficients come from a file, so the arithmetic is done
// in 64 bits and each result wraps to 32 bits: for every stream the coder makes this is the same
// as 32-bit arithmetic, and a hostile stream cannot overflow a signed value.
int Wrap(int64_t v) { return int(int32_t(uint32_t(uint64_t(v)))); }

void InversePass(int* x, int stride, bool bFirstPass) {
    int64_t x0 = x[0], x1 = x[stride], x2 = x[2 * stride], x3 = x[3 * stride];
    int64_t x4 = x[4 * stride], x5 = x[5 * stride], x6 = x[6 * stride], x7 = x[7 * stride];
    int shift = bFirstPass ? 11 : 18;
    int64_t round = int64_t(1) << (shift - 1);
    if ((x1 | x2 | x3 | x4 | x5 | x6 | x7) == 0) {
        int dc = bFirstPass ? Wrap(x0 * 4) : Wrap((x0 + 16) >> 5);
        for (int k = 0; k < 8; ++k) x[k * stride] = dc;
        return;
    }
    int64_t z1 = (x2 + x6) * 4433;
    int64_t t2 = z1 + x6 * -15137;
    int64_t t3 = z1 + x2 * 6270;
    int64_t t0 = (x0 + x4) * 8192;
    int64_t t1 = (x0 - x4) * 8192;
    int64_t t10 = t0 + t3, t13 = t0 - t3, t11 = t1 + t2, t12 = t1 - t2;

    int64_t a0 = x7, a1 = x5, a2 = x3, a3 = x1;
    z1 = a0 + a3;
    int64_t z2 = a1 + a2, z3 = a0 + a2, z4 = a1 + a3;
    int64_t z5 = (z3 + z4) * 9633;
    a0 *= 2446;
    a1 *= 16819;
    a2 *= 25172;
    a3 *= 12299;
    z1 *= -7373;
    z2 *= -20995;
    z3 *= -16069;
    z4 *= -3196;
    z3 += z5;
    z4 += z5;
    a0 += z1 + z3;
    a1 += z2 + z4;
    a2 += z2 + z3;
    a3 += z1 + z4;

    x[0] = Wrap((t10 + a3 + round) >> shift);
    x[7 * stride] = Wrap((t10 - a3 + round) >> shift);
    x[stride] = Wrap((t11 + a2 + round) >> shift);
    x[6 * stride] = Wrap((t11 - a2 + round) >> shift);
    x[2 * stride] = Wrap((t12 + a1 + round) >> shift);
    x[5 * stride] = Wrap((t12 - a1 + round) >> shift);
    x[3 * stride] = Wrap((t13 + a0 + round) >> shift);
    x[4 * stride] = Wrap((t13 - a0 + round) >> shift);
}

}  // namespace

void ForwardDCT(CDib& dib) {
    for (int row = 0; row < 8; ++row) ForwardPass(dib.m_nBlock + 8 * row, 1, true);
    for (int col = 0; col < 8; ++col) ForwardPass(dib.m_nBlock + col, 8, false);
}

void Quantize(CDib& dib, const WORD* lpTable) {
    for (int n = 0; n < 64; ++n) {
        double v = double(dib.m_nBlock[n]) / double(lpTable[n]);
        dib.m_nQuantized[n] = dib.m_nBlock[n] >= 0 ? int(v + 0.5) : int(v - 0.5);
    }
}

void ZigzagScan(CDib& dib) {
    for (int n = 0; n < 64; ++n) dib.m_nZigzag[kCprZigzag[n]] = dib.m_nQuantized[n];
}

void UnZigzag(CDib& dib) {
    for (int n = 0; n < 64; ++n) dib.m_nCoef[n] = dib.m_nZigzag[kCprZigzag[n]];
}

void Dequantize(CDib& dib) {
    for (int n = 0; n < 64; ++n) dib.m_nCoef[n] = int(int32_t(uint32_t(dib.m_nCoef[n]) * uint32_t(dib.m_wQuant[n])));
}

void InverseDCT(CDib& dib) {
    for (int row = 0; row < 8; ++row) InversePass(dib.m_nCoef + 8 * row, 1, true);
    for (int col = 0; col < 8; ++col) InversePass(dib.m_nCoef + col, 8, false);
}

}  // namespace literal
