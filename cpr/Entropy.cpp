// Entropy coding of the CPR codec: Huffman-coded 8 x 8 blocks of one plane, a restart marker
// after every row of blocks and 0xFF 0xD9 at the end; and the decoder that reads such a stream
// back one bit at a time.
//
// A stream from a file is untrusted: the decoder reads nothing beyond m_nCodeLen or the buffer
// (such a read is the stream's end), and no counter or sum can overflow.
#include <algorithm>
#include <climits>
#include <cstring>

#include "cpr/CprTables.h"
#include "cpr/HuffmanTables.h"
#include "dib/Dib.h"

namespace {

// Bytes of code_stream as the heap holds it.
size_t CodeCapacity(HANDLE hHeap, const BYTE* lpCode) {
    size_t n = lpCode ? HeapSize(hHeap, 0, lpCode) : 0;
    return n == size_t(-1) ? 0 : std::min(n, size_t(INT_MAX));
}

// The plane a call codes: its first row, bytes per row and rows.
struct Plane {
    BYTE* lpRows = nullptr;
    long long nWidth = 0;
};

bool SelectPlane(CDib& dib, BYTE byPlane, Plane& plane) {
    switch (byPlane) {
        case 1: plane.lpRows = dib.m_pRedPlane; break;
        case 2: plane.lpRows = dib.m_pGreenPlane; break;
        case 3: plane.lpRows = dib.m_pBluePlane; break;
        default:
            plane.lpRows = dib.m_lpBits;
            plane.nWidth = dib.m_nRowBytes;
            return plane.lpRows != nullptr;
    }
    plane.nWidth = dib.m_nWidth;
    return plane.lpRows != nullptr;
}

// Room the coder keeps ahead of its write position: one 16-bit code with its stuffing, or the
// fill byte, its stuffing and a marker.
constexpr int kCodeSlack = 8;

}  // namespace

int CDib::BitCategory(int nValue) {
    unsigned v = nValue < 0 ? 0u - unsigned(nValue) : unsigned(nValue);
    int c = 0;
    while (v) {
        v >>= 1;
        ++c;
    }
    return c;
}

// ---- the coder ----

void CDib::CompleteCodeByte() {
    BYTE done = code_stream[m_nCodeLen++];
    if (done == 0xFF) code_stream[m_nCodeLen++] = 0x00;
    m_nBitsLeft = 8;
    // The next code, fill byte and marker must find room; a buffer that cannot grow stops the
    // stream (the plane's loop ends at this block, and the writes until then stay in place).
    if (m_nCodeLen + kCodeSlack > m_nCodeLimit && !m_bCodeFull) {
        size_t nWant = std::min<size_t>(size_t(m_nCodeLimit) * 2 + 4096, size_t(INT_MAX));
        if (GrowCodeStream(nWant)) m_nCodeLimit = int(CodeCapacity(m_hHeap, code_stream));
        if (m_nCodeLen + kCodeSlack > m_nCodeLimit) m_bCodeFull = TRUE;
    }
    if (m_bCodeFull) m_nCodeLen = std::min(m_nCodeLen, m_nCodeLimit - kCodeSlack);
}

void CDib::PutBits(unsigned wBits, int nBits) {
    for (int i = nBits - 1; i >= 0; --i) {
        if ((wBits >> i) & 1) code_stream[m_nCodeLen] |= BYTE(1 << (m_nBitsLeft - 1));
        if (--m_nBitsLeft == 0) CompleteCodeByte();
    }
}

void CDib::EncodeDC(int nDiff) {
    int cat = BitCategory(nDiff);
    PutBits(m_wDcCode[cat], m_byDcSize[cat]);
    if (nDiff != 0) PutBits(unsigned(nDiff > 0 ? nDiff : nDiff - 1), cat);
}

void CDib::EncodeAC(int nRun, int nValue) {
    int cat = BitCategory(nValue);
    int symbol = 16 * nRun + cat;
    PutBits(m_wAcCode[symbol], m_byAcSize[symbol]);
    PutBits(unsigned(nValue > 0 ? nValue : nValue - 1), cat);
}

void CDib::PutSymbol(BYTE bySymbol) { PutBits(m_wAcCode[bySymbol], m_byAcSize[bySymbol]); }

void CDib::EncodeBlock() {
    int d = m_nZigzag[0] - m_nLastDC;
    m_nLastDC = m_nZigzag[0];
    EncodeDC(d);
    int run = 0;
    for (int k = 1; k < 64; ++k) {
        if (m_nZigzag[k] == 0) {
            if (k == 63) {
                PutSymbol(0x00);
                return;
            }
            ++run;
            continue;
        }
        while (run > 15) {
            PutSymbol(0xF0);
            run -= 16;
        }
        EncodeAC(run, m_nZigzag[k]);
        run = 0;
    }
}

BOOL CDib::EncodePlane(short nScale, BYTE byPlane) {
    if (m_nBitCount != 8 && m_nBitCount != 24) return FALSE;
    Plane plane;
    if (!SelectPlane(*this, byPlane, plane) || !code_stream) return FALSE;
    // Scales below 3 make zero steps, and scales above 127 do not survive the header's signed
    // byte: a stream coded with them would decode with other steps.
    if (nScale < 3 || nScale > 127) return FALSE;

    m_nCodeLimit = int(CodeCapacity(m_hHeap, code_stream));
    if (m_nCodeLimit < kCodeSlack + 2 && (!GrowCodeStream(4096) || (m_nCodeLimit = int(CodeCapacity(m_hHeap, code_stream))) < kCodeSlack + 2))
        return FALSE;
    std::memset(code_stream, 0, size_t(m_nCodeLimit));
    m_nCodeLen = 0;
    m_nLastDC = 0;
    m_nBitsLeft = 8;
    m_bCodeFull = FALSE;
    SetCprHeader(nScale);

    long long W = plane.nWidth, H = m_nHeight;
    m_nPlaneHeight = m_nHeight;
    m_nPlaneWidth = int(W);
    BuildQuantTable(nScale);
    long long nPerRow = W / 8;
    m_nRestartInterval = short(nPerRow);

    // The block counters are wide: a plane may hold any number of blocks.
    long long nBlocks = nPerRow * (H / 8);
    int r = 0;
    for (long long n = 0; n < nBlocks && !m_bCodeFull;) {
        const BYTE* src = plane.lpRows + size_t(n / nPerRow) * 8 * size_t(W) + size_t(n % nPerRow) * 8;
        for (int k = 0; k < 8; ++k)
            for (int l = 0; l < 8; ++l) m_nBlock[8 * k + l] = int(src[size_t(k) * size_t(W) + l]) - 128;
        ForwardDCT();
        Quantize(m_wQuant);
        ZigzagScan();
        EncodeBlock();
        ++n;
        if (n % nPerRow == 0) {
            if (m_nBitsLeft != 8) {
                code_stream[m_nCodeLen] |= BYTE((1 << m_nBitsLeft) - 1);
                CompleteCodeByte();
            }
            code_stream[m_nCodeLen++] = 0xFF;
            code_stream[m_nCodeLen++] = BYTE(0xD0 + r % 8);
            ++r;
            m_nLastDC = 0;
        }
    }
    if (m_bCodeFull) return FALSE;
    code_stream[m_nCodeLen++] = 0xFF;
    code_stream[m_nCodeLen++] = 0xD9;
    m_cprHeader.dwCodeLen = DWORD(m_nCodeLen);
    return TRUE;
}

// ---- the decoder ----

void CDib::BuildDecodeTables() {
    auto build = [](const BYTE* bits, WORD* maxCode, WORD* minCode, WORD* valPtr) {
        WORD code = 0, j = 0;
        for (int L = 1; L <= 16; ++L) {
            maxCode[L] = 0;
            minCode[L] = 0xFFFF;
            code = WORD(code << 1);
            if (bits[L - 1] > 0) {
                minCode[L] = code;
                code = WORD(code + bits[L - 1]);
                maxCode[L] = WORD(code - 1);
                valPtr[L] = j;
                j = WORD(j + bits[L - 1]);
            }
        }
    };
    build(kDcBits, m_wDcMaxCode, m_wDcMinCode, m_wDcValPtr);
    build(kAcBits, m_wAcMaxCode, m_wAcMinCode, m_wAcValPtr);
}

BYTE CDib::CodeByte(long long nIndex) const {
    if (nIndex < 0 || nIndex >= m_nCodeLen || nIndex >= m_nCodeLimit) return 0;
    return code_stream[nIndex];
}

BYTE CDib::GetBit() {
    long long p = m_nBitPos / 8;
    // Past the stream's end there is nothing more to read: that is a marker, the stream's end.
    if (p >= std::min(m_nCodeLen, m_nCodeLimit)) return 0xFF;
    if (m_nBitPos % 8 == 0 && p > 0 && code_stream[p - 1] == 0xFF) {
        if (code_stream[p] != 0) return 0xFF;
        m_nBitPos += 8;  // a stuffed zero
        ++p;
        if (p >= std::min(m_nCodeLen, m_nCodeLimit)) return 0xFF;
    }
    BYTE bit = BYTE((code_stream[p] >> (7 - m_nBitPos % 8)) & 1);
    ++m_nBitPos;
    return bit;
}

int CDib::DecodeSymbol(const WORD* lpMinCode, const WORD* lpMaxCode, const WORD* lpValPtr, const BYTE* lpHuffVal) {
    BYTE bit = GetBit();
    if (bit == 0xFF) return 0xFFFF;
    unsigned code = bit;
    int L = 1;
    while (code < lpMinCode[L] || code > lpMaxCode[L]) {
        if (L == 16) return 0xFFFF;
        bit = GetBit();
        if (bit == 0xFF) return 0xFFFF;
        code = 2 * code + bit;
        ++L;
    }
    return lpHuffVal[lpValPtr[L] + code - lpMinCode[L]];
}

bool CDib::ReceiveValue(int nBits, int& nValue) {
    int v = 0;
    for (int i = 0; i < nBits; ++i) {
        BYTE bit = GetBit();
        if (bit == 0xFF) return false;
        v = 2 * v + bit;
    }
    if (nBits > 0 && v < (1 << nBits) / 2) v = v - (1 << nBits) + 1;
    nValue = v;
    return true;
}

WORD CDib::DecodeBlock() {
    std::memset(m_nZigzag, 0, sizeof m_nZigzag);
    int t = DecodeSymbol(m_wDcMinCode, m_wDcMaxCode, m_wDcValPtr, kDcHuffVal);
    int value = 0;
    if (t == 0xFFFF || !ReceiveValue(t, value)) return 0xFFFF;
    m_nLastDC = int(int32_t(uint32_t(m_nLastDC) + uint32_t(value)));
    m_nZigzag[0] = m_nLastDC;
    for (int k = 1; k < 64;) {
        int rs = DecodeSymbol(m_wAcMinCode, m_wAcMaxCode, m_wAcValPtr, kAcHuffVal);
        if (rs == 0xFFFF) return 0xFFFF;
        if (rs == 0x00) return 1;
        k += rs >> 4;
        if (k > 63 || !ReceiveValue(rs & 0x0F, value)) return 0xFFFF;
        m_nZigzag[k] = value;
        ++k;
    }
    return 1;
}

BOOL CDib::DecodePlane(BYTE byPlane) {
    if (m_nBitCount != 8 && m_nBitCount != 24) return FALSE;
    int s = m_cprHeader.cScale;
    Plane plane;
    if (!SelectPlane(*this, byPlane, plane) || !code_stream) return FALSE;
    long long H = m_cprHeader.wHeight, W = plane.nWidth;
    // The plane's rows must be there: the header's height cannot exceed the image's.
    if (H < 0 || H > m_nHeight) return FALSE;

    m_nCodeLimit = int(CodeCapacity(m_hHeap, code_stream));
    m_nPlaneHeight = int(H);
    m_nPlaneWidth = int(W);
    m_nLastDC = 0;
    m_nBitPos = 0;
    long long nPerRow = W / 8;
    m_nRestartInterval = short(nPerRow);
    BuildQuantTable(short(s));
    BuildDecodeTables();

    long long nBlocks = nPerRow * (H / 8);
    long long nCodeLen = std::min(m_nCodeLen, m_nCodeLimit);
    for (long long n = 0; n < nBlocks;) {
        if ((m_nBitPos + 7) / 8 > nCodeLen) return FALSE;  // the stream ran out
        DecodeBlock();
        UnZigzag();
        Dequantize();
        InverseDCT();
        BYTE* dst = plane.lpRows + size_t(n / nPerRow) * 8 * size_t(W) + size_t(n % nPerRow) * 8;
        for (int k = 0; k < 8; ++k) {
            for (int l = 0; l < 8; ++l) {
                int v = int(short(m_nCoef[8 * k + l] & 0xFFFF)) + 128;
                m_nSamples[8 * k + l] = short(v < 0 ? 0 : v > 255 ? 255 : v);
                dst[size_t(k) * size_t(W) + l] = BYTE(m_nSamples[8 * k + l]);
            }
        }
        ++n;
        if (n % nPerRow == 0) {
            // Step over the fill bits and the restart marker; its number is not examined.
            m_nLastDC = 0;
            long long p = m_nBitPos / 8;
            if (m_nBitPos % 8 != 0)
                m_nBitPos = (CodeByte(p) == 0xFF && CodeByte(p + 1) == 0x00) ? 8 * (p + 4) : 8 * (p + 3);
            else
                m_nBitPos = (CodeByte(p - 1) == 0xFF && CodeByte(p) == 0x00) ? 8 * (p + 3) : 8 * (p + 2);
        }
        long long q = (m_nBitPos + 7) / 8;
        if ((CodeByte(q) == 0xFF && CodeByte(q + 1) == 0xD9) || n >= nBlocks) break;
    }
    std::memset(code_stream, 0, size_t(m_nCodeLimit));
    return TRUE;
}
