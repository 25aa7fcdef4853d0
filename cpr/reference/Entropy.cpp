// The literal entropy coder and decoder: the coder ORs its bits one at a time into a zeroed
// buffer, the decoder reads one bit at a time and finds each code by comparing it with the
// smallest and largest code of every length.  A file's stream is untrusted here too: nothing is
// read beyond m_nCodeLen or the buffer.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>

#include "cpr/HuffmanTables.h"
#include "cpr/reference/Literal.h"

namespace literal {
namespace {

size_t CodeCapacity(const CDib& dib) {
    size_t n = dib.code_stream ? HeapSize(dib.m_hHeap, 0, dib.code_stream) : 0;
    return n == size_t(-1) ? 0 : std::min(n, size_t(INT_MAX));
}

bool SelectPlane(CDib& dib, BYTE byPlane, BYTE*& lpRows, long long& nWidth) {
    switch (byPlane) {
        case 1: lpRows = dib.m_pRedPlane; break;
        case 2: lpRows = dib.m_pGreenPlane; break;
        case 3: lpRows = dib.m_pBluePlane; break;
        default: lpRows = dib.m_lpBits; nWidth = dib.m_nRowBytes; return lpRows != nullptr;
    }
    nWidth = dib.m_nWidth;
    return lpRows != nullptr;
}

constexpr int kCodeSlack = 8;

int BitCategory(int nValue) {
    unsigned v = nValue < 0 ? 0u - unsigned(nValue) : unsigned(nValue);
    int c = 0;
    while (v) {
        v >>= 1;
        ++c;
    }
    return c;
}

void CompleteCodeByte(CDib& dib) {
    BYTE done = dib.code_stream[dib.m_nCodeLen++];
    if (done == 0xFF) dib.code_stream[dib.m_nCodeLen++] = 0x00;
    dib.m_nBitsLeft = 8;
    if (dib.m_nCodeLen + kCodeSlack > dib.m_nCodeLimit && !dib.m_bCodeFull) {
        size_t nWant = std::min<size_t>(size_t(dib.m_nCodeLimit) * 2 + 4096, size_t(INT_MAX));
        if (dib.GrowCodeStream(nWant)) dib.m_nCodeLimit = int(CodeCapacity(dib));
        if (dib.m_nCodeLen + kCodeSlack > dib.m_nCodeLimit) dib.m_bCodeFull = TRUE;
    }
    if (dib.m_bCodeFull) dib.m_nCodeLen = std::min(dib.m_nCodeLen, dib.m_nCodeLimit - kCodeSlack);
}

void PutBits(CDib& dib, unsigned wBits, int nBits) {
    for (int i = nBits - 1; i >= 0; --i) {
        if ((wBits >> i) & 1) dib.code_stream[dib.m_nCodeLen] |= BYTE(1 << (dib.m_nBitsLeft - 1));
        if (--dib.m_nBitsLeft == 0) CompleteCodeByte(dib);
    }
}

void EncodeDC(CDib& dib, int nDiff) {
    int cat = BitCategory(nDiff);
    PutBits(dib, dib.m_wDcCode[cat], dib.m_byDcSize[cat]);
    if (nDiff != 0) PutBits(dib, unsigned(nDiff > 0 ? nDiff : nDiff - 1), cat);
}

void EncodeAC(CDib& dib, int nRun, int nValue) {
    int cat = BitCategory(nValue);
    int symbol = 16 * nRun + cat;
    PutBits(dib, dib.m_wAcCode[symbol], dib.m_byAcSize[symbol]);
    PutBits(dib, unsigned(nValue > 0 ? nValue : nValue - 1), cat);
}

void PutSymbol(CDib& dib, BYTE bySymbol) { PutBits(dib, dib.m_wAcCode[bySymbol], dib.m_byAcSize[bySymbol]); }

BYTE CodeByte(const CDib& dib, long long nIndex) {
    if (nIndex < 0 || nIndex >= dib.m_nCodeLen || nIndex >= dib.m_nCodeLimit) return 0;
    return dib.code_stream[nIndex];
}

int DecodeSymbol(CDib& dib, const WORD* lpMinCode, const WORD* lpMaxCode, const WORD* lpValPtr, const BYTE* lpHuffVal) {
    BYTE bit = GetBit(dib);
    if (bit == 0xFF) return 0xFFFF;
    unsigned code = bit;
    int L = 1;
    while (code < lpMinCode[L] || code > lpMaxCode[L]) {
        if (L == 16) return 0xFFFF;
        bit = GetBit(dib);
        if (bit == 0xFF) return 0xFFFF;
        code = 2 * code + bit;
        ++L;
    }
    return lpHuffVal[lpValPtr[L] + code - lpMinCode[L]];
}

bool ReceiveValue(CDib& dib, int nBits, int& nValue) {
    int v = 0;
    for (int i = 0; i < nBits; ++i) {
        BYTE bit = GetBit(dib);
        if (bit == 0xFF) return false;
        v = 2 * v + bit;
    }
    if (nBits > 0 && v < (1 << nBits) / 2) v = v - (1 << nBits) + 1;
    nValue = v;
    return true;
}

}  // namespace

// ---- the coder ----

void EncodeBlock(CDib& dib) {
    int d = dib.m_nZigzag[0] - dib.m_nLastDC;
    dib.m_nLastDC = dib.m_nZigzag[0];
    EncodeDC(dib, d);
    int run = 0;
    for (int k = 1; k < 64; ++k) {
        if (dib.m_nZigzag[k] == 0) {
            if (k == 63) {
                PutSymbol(dib, 0x00);
                return;
            }
            ++run;
            continue;
        }
        while (run > 15) {
            PutSymbol(dib, 0xF0);
            run -= 16;
        }
        EncodeAC(dib, run, dib.m_nZigzag[k]);
        run = 0;
    }
}

BOOL EncodePlane(CDib& dib, short nScale, BYTE byPlane) {
    if (dib.m_nBitCount != 8 && dib.m_nBitCount != 24) return FALSE;
    BYTE* lpRows = nullptr;
    long long W = 0;
    if (!SelectPlane(dib, byPlane, lpRows, W) || !dib.code_stream) return FALSE;
    if (nScale < 3 || nScale > 127) return FALSE;

    dib.m_nCodeLimit = int(CodeCapacity(dib));
    if (dib.m_nCodeLimit < kCodeSlack + 2 &&
        (!dib.GrowCodeStream(4096) || (dib.m_nCodeLimit = int(CodeCapacity(dib))) < kCodeSlack + 2))
        return FALSE;
    std::memset(dib.code_stream, 0, size_t(dib.m_nCodeLimit));
    dib.m_nCodeLen = 0;
    dib.m_nLastDC = 0;
    dib.m_nBitsLeft = 8;
    dib.m_bCodeFull = FALSE;
    dib.SetCprHeader(nScale);

    long long H = dib.m_nHeight;
    dib.m_nPlaneHeight = dib.m_nHeight;
    dib.m_nPlaneWidth = int(W);
    BuildQuantTable(dib, nScale);
    long long nPerRow = W / 8;
    dib.m_nRestartInterval = short(nPerRow);

    long long nBlocks = nPerRow * (H / 8);
    int r = 0;
    for (long long n = 0; n < nBlocks && !dib.m_bCodeFull;) {
        const BYTE* src = lpRows + size_t(n / nPerRow) * 8 * size_t(W) + size_t(n % nPerRow) * 8;
        for (int k = 0; k < 8; ++k)
            for (int l = 0; l < 8; ++l) dib.m_nBlock[8 * k + l] = int(src[size_t(k) * size_t(W) + l]) - 128;
        ForwardDCT(dib);
        Quantize(dib, dib.m_wQuant);
        ZigzagScan(dib);
        EncodeBlock(dib);
        ++n;
        if (n % nPerRow == 0) {
            if (dib.m_nBitsLeft != 8) {
                dib.code_stream[dib.m_nCodeLen] |= BYTE((1 << dib.m_nBitsLeft) - 1);
                CompleteCodeByte(dib);
            }
            dib.code_stream[dib.m_nCodeLen++] = 0xFF;
            dib.code_stream[dib.m_nCodeLen++] = BYTE(0xD0 + r % 8);
            ++r;
            dib.m_nLastDC = 0;
        }
    }
    if (dib.m_bCodeFull) return FALSE;
    dib.code_stream[dib.m_nCodeLen++] = 0xFF;
    dib.code_stream[dib.m_nCodeLen++] = 0xD9;
    dib.m_cprHeader.dwCodeLen = DWORD(dib.m_nCodeLen);
    return TRUE;
}

// ---- the decoder ----

BYTE GetBit(CDib& dib) {
    long long p = dib.m_nBitPos / 8;
    long long nEnd = std::min(dib.m_nCodeLen, dib.m_nCodeLimit);
    if (p >= nEnd) return 0xFF;
    if (dib.m_nBitPos % 8 == 0 && p > 0 && dib.code_stream[p - 1] == 0xFF) {
        if (dib.code_stream[p] != 0) return 0xFF;
        dib.m_nBitPos += 8;
        ++p;
        if (p >= nEnd) return 0xFF;
    }
    BYTE bit = BYTE((dib.code_stream[p] >> (7 - dib.m_nBitPos % 8)) & 1);
    ++dib.m_nBitPos;
    return bit;
}

WORD DecodeBlock(CDib& dib) {
    std::memset(dib.m_nZigzag, 0, sizeof dib.m_nZigzag);
    int t = DecodeSymbol(dib, dib.m_wDcMinCode, dib.m_wDcMaxCode, dib.m_wDcValPtr, kDcHuffVal);
    int value = 0;
    if (t == 0xFFFF || !ReceiveValue(dib, t, value)) return 0xFFFF;
    dib.m_nLastDC = int(int32_t(uint32_t(dib.m_nLastDC) + uint32_t(value)));
    dib.m_nZigzag[0] = dib.m_nLastDC;
    for (int k = 1; k < 64;) {
        int rs = DecodeSymbol(dib, dib.m_wAcMinCode, dib.m_wAcMaxCode, dib.m_wAcValPtr, kAcHuffVal);
        if (rs == 0xFFFF) return 0xFFFF;
        if (rs == 0x00) return 1;
        k += rs >> 4;
        if (k > 63 || !ReceiveValue(dib, rs & 0x0F, value)) return 0xFFFF;
        dib.m_nZigzag[k] = value;
        ++k;
    }
    return 1;
}

BOOL DecodePlane(CDib& dib, BYTE byPlane) {
    if (dib.m_nBitCount != 8 && dib.m_nBitCount != 24) return FALSE;
    int s = dib.m_cprHeader.cScale;
    BYTE* lpRows = nullptr;
    long long W = 0;
    if (!SelectPlane(dib, byPlane, lpRows, W) || !dib.code_stream) return FALSE;
    long long H = dib.m_cprHeader.wHeight;
    if (H < 0 || H > dib.m_nHeight) return FALSE;

    dib.m_nCodeLimit = int(CodeCapacity(dib));
    dib.m_nPlaneHeight = int(H);
    dib.m_nPlaneWidth = int(W);
    dib.m_nLastDC = 0;
    dib.m_nBitPos = 0;
    long long nPerRow = W / 8;
    dib.m_nRestartInterval = short(nPerRow);
    BuildQuantTable(dib, short(s));
    dib.BuildDecodeTables();  // the per-length tables, as the library builds them

    long long nBlocks = nPerRow * (H / 8);
    long long nCodeLen = std::min(dib.m_nCodeLen, dib.m_nCodeLimit);
    for (long long n = 0; n < nBlocks;) {
        if ((dib.m_nBitPos + 7) / 8 > nCodeLen) return FALSE;
        DecodeBlock(dib);
        UnZigzag(dib);
        Dequantize(dib);
        InverseDCT(dib);
        BYTE* dst = lpRows + size_t(n / nPerRow) * 8 * size_t(W) + size_t(n % nPerRow) * 8;
        for (int k = 0; k < 8; ++k) {
            for (int l = 0; l < 8; ++l) {
                int v = int(short(dib.m_nCoef[8 * k + l] & 0xFFFF)) + 128;
                dib.m_nSamples[8 * k + l] = short(v < 0 ? 0 : v > 255 ? 255 : v);
                dst[size_t(k) * size_t(W) + l] = BYTE(dib.m_nSamples[8 * k + l]);
            }
        }
        ++n;
        if (n % nPerRow == 0) {
            dib.m_nLastDC = 0;
            long long p = dib.m_nBitPos / 8;
            if (dib.m_nBitPos % 8 != 0)
                dib.m_nBitPos = (CodeByte(dib, p) == 0xFF && CodeByte(dib, p + 1) == 0x00) ? 8 * (p + 4) : 8 * (p + 3);
            else
                dib.m_nBitPos = (CodeByte(dib, p - 1) == 0xFF && CodeByte(dib, p) == 0x00) ? 8 * (p + 3) : 8 * (p + 2);
        }
        long long q = (dib.m_nBitPos + 7) / 8;
        if ((CodeByte(dib, q) == 0xFF && CodeByte(dib, q + 1) == 0xD9) || n >= nBlocks) break;
    }
    std::memset(dib.code_stream, 0, size_t(dib.m_nCodeLimit));
    return TRUE;
}

}  // namespace literal
