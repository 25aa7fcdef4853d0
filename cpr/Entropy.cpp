// Entropy coding of the CPR codec: Huffman-coded 8 x 8 blocks of one plane, a restart marker
// after every row of blocks and 0xFF 0xD9 at the end; and the decoder that reads such a stream
// back.  The coder gathers its codes in a 64-bit word; the decoder reads a word at a time and
// finds most codes with one table look-up, and gives exactly the bit-at-a-time decoder's results,
// damaged streams included: where it stops reading, how it resumes after a restart marker.
//
// A stream from a file is untrusted: the decoder reads nothing beyond m_nCodeLen or the buffer
// (such a read is the stream's end), and no counter or sum can overflow.
#include <algorithm>
#include <climits>
#include <cstring>

#include "cpr/Codec.h"
#include "cpr/CprTables.h"
#include "cpr/HuffmanTables.h"
#include "dib/Dib.h"

namespace {

// Bytes of code_stream as the heap holds it.
size_t CodeCapacity(HANDLE hHeap, const BYTE* lpCode) {
    size_t n = lpCode ? HeapSize(hHeap, 0, lpCode) : 0;
    return n == size_t(-1) ? 0 : std::min(n, size_t(INT_MAX));
}

// The plane a call codes: its first row and its bytes per row.
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

// A value's size category and its bits as the stream carries them (a negative v as v - 1).
inline int Category(int v) {
    unsigned a = v < 0 ? 0u - unsigned(v) : unsigned(v);
    return a ? 32 - __builtin_clz(a) : 0;
}
inline uint32_t ValueBits(int v, int cat) { return uint32_t(v + (v >> 31)) & ((1u << cat) - 1); }

// The zigzag positions of the natural indices whose bits are set.
inline uint64_t ZigzagMask(uint64_t natural) {
    uint64_t mask = 0;
    for (; natural; natural &= natural - 1) mask |= uint64_t(1) << kCprZigzag[__builtin_ctzll(natural)];
    return mask;
}

// Codes one block of quantised coefficients; mask has a bit for the zigzag position of each
// non-zero one.
void PutBlock(cpr::BitWriter& w, const CDib& d, const short* coef, uint64_t mask, int& nLastDC) {
    int diff = coef[0] - nLastDC;
    nLastDC = coef[0];
    int cat = Category(diff);
    w.Put((uint32_t(d.m_wDcCode[cat]) << cat) | ValueBits(diff, cat), d.m_byDcSize[cat] + cat);
    int k = 0;
    for (mask &= ~uint64_t(1); mask; mask &= mask - 1) {
        int next = __builtin_ctzll(mask);
        int run = next - k - 1;
        for (; run > 15; run -= 16) w.Put(d.m_wAcCode[0xF0], d.m_byAcSize[0xF0]);
        int v = coef[cpr::kNaturalOrder[next]];
        cat = Category(v);
        int symbol = 16 * run + cat;
        w.Put((uint32_t(d.m_wAcCode[symbol]) << cat) | ValueBits(v, cat), d.m_byAcSize[symbol] + cat);
        k = next;
    }
    if (k != 63) w.Put(d.m_wAcCode[0x00], d.m_byAcSize[0x00]);
}

// The decoder hands each value to the coefficient it stands for, dequantised in natural order.
struct CoefSink {
    int* coef;
    const int32_t* step;  // steps in zigzag order
    bool bAc = false;
    void Dc(int v) { coef[0] = int(int32_t(uint32_t(v) * uint32_t(step[0]))); }
    void Ac(int k, int v) {
        coef[cpr::kNaturalOrder[k]] = int(int32_t(uint32_t(v) * uint32_t(step[k])));
        bAc = true;
    }
};

// ... or in zigzag order as they are, for DecodeBlock.
struct ZigzagSink {
    int* zz;
    void Dc(int v) { zz[0] = v; }
    void Ac(int k, int v) { zz[k] = v; }
};

}  // namespace

// ---- the bit reader ----

namespace cpr {

void BitReader::Start(long long bitPos) {
    start = bitPos;
    pos = bitPos / 8;
    acc = 0;
    nBits = 0;
    stopped = lastSkipped = endAfterStuffing = pastStuffing = false;
    forced = -1;
    nData = 0;
    if (bitPos % 8 != 0) {
        // Inside a byte the bit-at-a-time reader looks for no marker: the byte is read as it is.
        if (pos >= end) {
            stopped = true;
            return;
        }
        forced = pos;
        acc = uint64_t(data[pos]) << 56;
        nBits = 8;
        ++pos;
        nData = 1;
        Consume(int(bitPos % 8));
    }
}

void BitReader::FillSlow() {
    while (nBits <= 56 && !stopped) {
        if (pos >= end) {
            stopped = true;
            endAfterStuffing = lastSkipped;
            break;
        }
        if (pos > 0 && data[pos - 1] == 0xFF) {
            if (data[pos] != 0) {
                stopped = true;  // a marker
                break;
            }
            ++pos;  // a stuffed zero
            lastSkipped = true;
            continue;
        }
        acc |= uint64_t(data[pos]) << (56 - nBits);
        nBits += 8;
        ++pos;
        ++nData;
        lastSkipped = false;
    }
}

long long BitReader::BitPos() const {
    if (pastStuffing) return 8 * pos;
    int m = nBits >> 3, b = nBits & 7;
    if (m >= nData) return start;  // nothing read since Start
    // Walk back over the data bytes not wholly read; a zero after a 0xFF was a stuffed one.
    long long idx = pos;
    for (int i = 0; i <= m; ++i) {
        --idx;
        if (idx != forced && idx > 0 && data[idx] == 0 && data[idx - 1] == 0xFF) --idx;
    }
    // Within that byte, or at its end: a stuffed zero after it is not stepped over yet.
    return b ? 8 * idx + 8 - b : 8 * (idx + 1);
}

void BuildDecodeTable(const WORD* minCode, const WORD* maxCode, const WORD* valPtr, const BYTE* huffVal,
                      DecodeTable& t) {
    t.huffVal = huffVal;
    for (int L = 1; L <= 16; ++L) {
        t.minCode[L] = minCode[L];
        t.maxCode[L] = maxCode[L];
        t.valPtr[L] = valPtr[L];
    }
    for (uint32_t bits = 0; bits < 512; ++bits) {
        t.look[bits] = 0;
        for (int L = 1; L <= 9; ++L) {
            uint32_t code = bits >> (9 - L);
            if (code >= t.minCode[L] && code <= t.maxCode[L]) {
                t.look[bits] = uint16_t((L << 8) | huffVal[valPtr[L] + code - minCode[L]]);
                break;
            }
        }
    }
}

}  // namespace cpr

int CDib::BitCategory(int nValue) { return Category(nValue); }

// ---- the coder ----

BOOL CDib::ReserveCode(size_t nBytes) {
    if (size_t(m_nCodeLimit) >= nBytes) return TRUE;
    size_t nWant = std::max(nBytes, std::min<size_t>(size_t(m_nCodeLimit) * 2 + 4096, size_t(INT_MAX)));
    if (!GrowCodeStream(nWant)) GrowCodeStream(nBytes);
    m_nCodeLimit = int(CodeCapacity(m_hHeap, code_stream));
    if (size_t(m_nCodeLimit) >= nBytes) return TRUE;
    m_bCodeFull = TRUE;
    return FALSE;
}

// The members that code single symbols carry on the stream in code_stream from m_nCodeLen and
// m_nBitsLeft; the bits of an unfinished byte stay in code_stream[m_nCodeLen].
template <class Code>
void CDib::PutCodes(Code code) {
    m_nCodeLimit = int(CodeCapacity(m_hHeap, code_stream));
    if (!ReserveCode(size_t(m_nCodeLen) + cpr::kBlockCodeBytes)) return;
    int nUsed = 8 - m_nBitsLeft;
    cpr::BitWriter w{code_stream, size_t(m_nCodeLen), uint64_t(code_stream[m_nCodeLen] >> m_nBitsLeft), nUsed};
    code(w);
    w.StoreWholeBytes();
    code_stream[w.pos] = BYTE(w.acc << (8 - w.nBits));
    m_nCodeLen = int(w.pos);
    m_nBitsLeft = short(8 - w.nBits);
}

void CDib::EncodeDC(int nDiff) {
    PutCodes([&](cpr::BitWriter& w) {
        int cat = Category(nDiff);
        w.Put((uint32_t(m_wDcCode[cat]) << cat) | ValueBits(nDiff, cat), m_byDcSize[cat] + cat);
    });
}

void CDib::EncodeAC(int nRun, int nValue) {
    PutCodes([&](cpr::BitWriter& w) {
        int cat = Category(nValue);
        int symbol = 16 * nRun + cat;
        w.Put((uint32_t(m_wAcCode[symbol]) << cat) | ValueBits(nValue, cat), m_byAcSize[symbol] + cat);
    });
}

void CDib::PutSymbol(BYTE bySymbol) {
    PutCodes([&](cpr::BitWriter& w) { w.Put(m_wAcCode[bySymbol], m_byAcSize[bySymbol]); });
}

void CDib::EncodeBlock() {
    short coef[64];
    uint64_t mask = 0;
    for (int k = 0; k < 64; ++k) {
        coef[cpr::kNaturalOrder[k]] = short(m_nZigzag[k]);
        mask |= uint64_t(m_nZigzag[k] != 0) << k;
    }
    PutCodes([&](cpr::BitWriter& w) { PutBlock(w, *this, coef, mask, m_nLastDC); });
}

void CDib::StartEncoding(short nScale, long long W, cpr::QuantTable& quant) {
    m_bCodeFull = FALSE;
    m_nCodeLimit = int(CodeCapacity(m_hHeap, code_stream));
    m_nCodeLen = 0;
    m_nLastDC = 0;
    m_nBitsLeft = 8;
    SetCprHeader(nScale);
    m_nPlaneHeight = m_nHeight;
    m_nPlaneWidth = int(W);
    m_nRestartInterval = short(W / 8);
    BuildQuantTable(nScale);
    cpr::MakeQuantTable(m_wQuant, quant);
}

size_t CDib::RowCodeBytes(long long W) { return size_t(W / 8) * cpr::kBlockCodeBytes + 2; }

void CDib::EncodeBlockRow(cpr::BitWriter& w, const BYTE* src, size_t nStride, long long nPerRow, long long row,
                          const cpr::QuantTable& quant) const {
    const cpr::Kernels& kernels = cpr::ActiveKernels();
    short coef[64];
    int nLastDC = 0;  // the predictor starts afresh on every row
    for (long long col = 0; col < nPerRow; ++col, src += 8) {
        // The rows of the blocks a few steps ahead, so that their samples are in the cache.
        if (col % 8 == 0)
            for (int k = 0; k < 8; ++k) __builtin_prefetch(src + size_t(k) * nStride + 256);
        uint64_t mask = ZigzagMask(kernels.ForwardQuantize(src, nStride, quant, coef));
        PutBlock(w, *this, coef, mask, nLastDC);
    }
    w.FillByte();
    w.out[w.pos++] = 0xFF;
    w.out[w.pos++] = BYTE(0xD0 + row % 8);
}

BOOL CDib::EncodePlane(short nScale, BYTE byPlane) {
    if (m_nBitCount != 8 && m_nBitCount != 24) return FALSE;
    Plane plane;
    if (!SelectPlane(*this, byPlane, plane) || !code_stream) return FALSE;
    // Scales below 3 make zero steps, and scales above 127 do not survive the header's signed
    // byte: a stream coded with them would decode with other steps.
    if (nScale < 3 || nScale > 127) return FALSE;

    long long W = plane.nWidth, H = m_nHeight;
    cpr::QuantTable quant;
    StartEncoding(nScale, W, quant);
    size_t nRowCode = RowCodeBytes(W);
    if (!ReserveCode(nRowCode)) return FALSE;

    // The block counters are wide: a plane may hold any number of blocks.
    cpr::BitWriter w{code_stream, 0, 0, 0};
    for (long long row = 0; row < H / 8 && W / 8 > 0; ++row) {
        if (!ReserveCode(w.pos + nRowCode)) return FALSE;
        w.out = code_stream;
        EncodeBlockRow(w, plane.lpRows + size_t(row) * 8 * size_t(W), size_t(W), W / 8, row, quant);
    }
    w.out[w.pos++] = 0xFF;
    w.out[w.pos++] = 0xD9;
    m_nCodeLen = int(w.pos);
    m_cprHeader.dwCodeLen = DWORD(m_nCodeLen);
    return TRUE;
}

BOOL CDib::EncodeColourPlanes(short nScale, size_t nAt[3], size_t nLen[3]) {
    // The three planes are coded side by side, a row of blocks of each at a time, from a working
    // area of three such rows split from the pixels: the picture is read once and no colour
    // planes are made.  The streams grow in three equal parts of code_stream, blue's first, so
    // that the buffer begins with the last stream of the file as EncodePlane would leave it.
    if (m_nBitCount != 24 || !m_lpBits || !code_stream) {
        m_nError = DIB_ERR_MEMORY;  // no buffers to code from or into
        return FALSE;
    }
    long long W = m_nWidth, H = m_nHeight, nPerRow = W / 8;
    cpr::QuantTable quant;
    StartEncoding(nScale, W, quant);
    size_t nRowCode = RowCodeBytes(W);
    size_t nPart = std::max(size_t(m_nCodeLimit) / 3, nRowCode);
    if (!ReserveCode(3 * nPart)) {
        m_nError = DIB_ERR_MEMORY;
        return FALSE;
    }
    size_t nBand = size_t(8) * size_t(W);
    BYTE* lpBand = nullptr;
    if (nPerRow > 0 && H >= 8 && !(lpBand = AllocWork<BYTE>(3 * nBand))) {
        m_nError = DIB_ERR_PLANES;
        return FALSE;
    }
    const cpr::Kernels& kernels = cpr::ActiveKernels();
    cpr::BitWriter w[3];  // blue, green, red: the order of the pixel bytes
    for (int c = 0; c < 3; ++c) w[c] = {code_stream + c * nPart, 0, 0, 0};
    for (long long row = 0; row < H / 8 && nPerRow > 0; ++row) {
        for (int k = 0; k < 8; ++k) {
            BYTE* band = lpBand + size_t(k) * size_t(W);
            kernels.Deinterleave3(StoredRow(int(8 * row + k)), band, band + nBand, band + 2 * nBand, size_t(W));
        }
        size_t nMost = std::max({w[0].pos, w[1].pos, w[2].pos});
        if (nMost + nRowCode > nPart) {
            // Wider parts, the streams moved apart: the last one first, as they move up.
            size_t nNewPart = std::max(std::min(2 * nPart, size_t(INT_MAX) / 3), nMost + nRowCode);
            if (!ReserveCode(3 * nNewPart)) {
                free(lpBand);
                m_nError = DIB_ERR_MEMORY;
                return FALSE;
            }
            for (int c = 2; c > 0; --c) std::memmove(code_stream + c * nNewPart, code_stream + c * nPart, w[c].pos);
            nPart = nNewPart;
            for (int c = 0; c < 3; ++c) w[c].out = code_stream + c * nPart;
        }
        for (int c = 0; c < 3; ++c) EncodeBlockRow(w[c], lpBand + c * nBand, size_t(W), nPerRow, row, quant);
    }
    free(lpBand);
    for (int c = 0; c < 3; ++c) {
        w[c].out[w[c].pos++] = 0xFF;
        w[c].out[w[c].pos++] = 0xD9;
        // Red is the first stream of the file, blue the last.
        nAt[2 - c] = size_t(c) * nPart;
        nLen[2 - c] = w[c].pos;
    }
    m_nCodeLen = int(w[0].pos);
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

cpr::BitReader CDib::ReaderAt(long long nBitPos) {
    cpr::BitReader br;
    br.data = code_stream;
    long long nHeld = (long long)CodeCapacity(m_hHeap, code_stream);
    br.end = std::max(0LL, std::min({(long long)m_nCodeLen, (long long)m_nCodeLimit, nHeld}));
    br.Start(nBitPos);
    return br;
}

BYTE CDib::GetBit() {
    cpr::BitReader br = ReaderAt(m_nBitPos);
    br.Fill();
    BYTE bit = 0xFF;
    if (br.nBits == 0) {
        br.ReadFailed();
    } else {
        bit = BYTE(br.acc >> 63);
        br.Consume(1);
    }
    m_nBitPos = br.BitPos();
    return bit;
}

WORD CDib::DecodeBlock() {
    std::memset(m_nZigzag, 0, sizeof m_nZigzag);
    BuildDecodeTables();
    cpr::DecodeTable dc, ac;
    cpr::BuildDecodeTable(m_wDcMinCode, m_wDcMaxCode, m_wDcValPtr, kDcHuffVal, dc);
    cpr::BuildDecodeTable(m_wAcMinCode, m_wAcMaxCode, m_wAcValPtr, kAcHuffVal, ac);
    cpr::BitReader br = ReaderAt(m_nBitPos);
    ZigzagSink sink{m_nZigzag};
    bool bDone = cpr::DecodeBlockBits(br, dc, ac, m_nLastDC, sink);
    m_nBitPos = br.BitPos();
    return bDone ? 1 : 0xFFFF;
}

BOOL CDib::DecodePlane(BYTE byPlane) {
    Plane plane;
    if (!SelectPlane(*this, byPlane, plane)) return FALSE;
    long long nDone = 0;
    return DecodePlaneTo(plane.lpRows, plane.nWidth, size_t(plane.nWidth), nDone);
}

BOOL CDib::DecodePlaneTo(BYTE* lpDst, long long W, size_t nRowStride, long long& nDone) {
    nDone = 0;
    if (m_nBitCount != 8 && m_nBitCount != 24) return FALSE;
    if (!lpDst || !code_stream) return FALSE;
    // The plane's rows must be there: the header's height cannot exceed the image's.
    long long H = m_cprHeader.wHeight;
    if (H < 0 || H > m_nHeight) return FALSE;

    cpr::DecodeTable dc, ac;
    cpr::PlaneDecoder dec;
    StartDecoding(W, H, dc, ac);
    dec.Begin(code_stream, std::max(0, std::min(m_nCodeLen, m_nCodeLimit)), W, H, m_wQuant, dc, ac);
    for (long long row = 0; dec.status == cpr::PlaneDecoder::MORE; ++row) dec.DecodeRow(lpDst + size_t(row) * 8 * nRowStride, nRowStride);
    m_nBitPos = dec.br.BitPos();
    m_nLastDC = dec.nLastDC;
    nDone = dec.n;
    if (dec.status == cpr::PlaneDecoder::RAN_OUT) return FALSE;
    std::memset(code_stream, 0, size_t(m_nCodeLimit));
    return TRUE;
}

void CDib::StartDecoding(long long W, long long H, cpr::DecodeTable& dc, cpr::DecodeTable& ac) {
    m_nCodeLimit = int(CodeCapacity(m_hHeap, code_stream));
    m_nPlaneHeight = int(H);
    m_nPlaneWidth = int(W);
    m_nLastDC = 0;
    m_nBitPos = 0;
    m_nRestartInterval = short(W / 8);
    BuildQuantTable(short(m_cprHeader.cScale));
    BuildDecodeTables();
    cpr::BuildDecodeTable(m_wDcMinCode, m_wDcMaxCode, m_wDcValPtr, kDcHuffVal, dc);
    cpr::BuildDecodeTable(m_wAcMinCode, m_wAcMaxCode, m_wAcValPtr, kAcHuffVal, ac);
}

namespace cpr {

void PlaneDecoder::Begin(const BYTE* data, long long nEnd, long long W, long long H, const WORD quant[64],
                         const DecodeTable& dcTable, const DecodeTable& acTable) {
    br.data = data;
    br.end = nEnd;
    br.Start(0);
    dc = &dcTable;
    ac = &acTable;
    kernels = &ActiveKernels();
    for (int k = 0; k < 64; ++k) step[k] = quant[kNaturalOrder[k]];
    nPerRow = W / 8;
    nBlocks = nPerRow * (H / 8);
    n = 0;
    nLastDC = 0;
    status = nBlocks > 0 ? MORE : ENDED;
    std::memset(coef, 0, sizeof coef);
}

long long PlaneDecoder::DecodeRow(BYTE* dst, size_t nRowStride) {
    long long nStored = 0;
    while (status == MORE) {
        br.Fill();
        if (br.NearStop() && (br.BitPos() + 7) / 8 > br.end) {
            status = RAN_OUT;  // the blocks stored so far stay
            break;
        }
        CoefSink sink{coef, step};
        DecodeBlockBits(br, *dc, *ac, nLastDC, sink);
        BYTE* out = dst + size_t(nStored) * 8;
        if (!sink.bAc) {
            // Only the DC coefficient: both passes keep one value, the first times 4, the second
            // rounded down by 32, each wrapped to 32 bits as the full transform wraps them.
            int v = int(int32_t(uint32_t(coef[0]) * 4u));
            BYTE sample = SampleOf(int((int64_t(v) + 16) >> 5));
            for (int k = 0; k < 8; ++k) std::memset(out + k * nRowStride, sample, 8);
            coef[0] = 0;
        } else {
            kernels->InverseStore(coef, out, nRowStride);
        }
        ++nStored;
        ++n;
        bool bRowEnd = n % nPerRow == 0;
        if (bRowEnd) {
            // Step over the fill bits and the restart marker; its number is not examined.
            nLastDC = 0;
            long long bitPos = br.BitPos(), p = bitPos / 8;
            if (bitPos % 8 != 0)
                bitPos = (CodeByte(p) == 0xFF && CodeByte(p + 1) == 0x00) ? 8 * (p + 4) : 8 * (p + 3);
            else
                bitPos = (CodeByte(p - 1) == 0xFF && CodeByte(p) == 0x00) ? 8 * (p + 3) : 8 * (p + 2);
            br.Start(bitPos);
        }
        if (n >= nBlocks) {
            status = ENDED;
            break;
        }
        // An end marker can only lie next to where the loading stopped.
        br.Fill();
        if (br.NearStop()) {
            long long q = (br.BitPos() + 7) / 8;
            if (CodeByte(q) == 0xFF && CodeByte(q + 1) == 0xD9) status = ENDED;
        }
        if (bRowEnd) break;
    }
    return nStored;
}

}  // namespace cpr
