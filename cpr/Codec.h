// Inside the CPR codec: the block kernels that the instruction-set choice switches between, the
// reciprocal quantiser, and the coder's and decoder's word-at-a-time bit writer and reader.  Not
// for callers outside cpr/.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/Types.h"

namespace cpr {

// Natural index of each zigzag position (the inverse of kCprZigzag).
extern const BYTE kNaturalOrder[64];

// x / q rounded with halves away from zero, as the coder quantises, without a division: for
// |x| <= kQuantMaxAbs and steps 1-65535, |x| / q + 0.5 truncated is floor((2|x| + q) / 2q), and
// that is ((2|x| + q) * mul) >> 40 with mul = ceil(2^40 / 2q).  mul exceeds 2^40 / 2q by less
// than 1, so the product exceeds the true quotient times 2^40 by less than 2|x| + q < 2^18,
// while the quotient's next integer lies at least 2^40 / 2q > 2^23 away.  The vector kernels
// take the same quotient in floats instead, which is exact at these sizes (see Quantize8 in
// TransformAvx2.cpp).  Forward transforms of 8-bit samples stay far inside the bound (below
// 2^11).
constexpr int kQuantMaxAbs = 32767;

// The steps of a plane in natural order, with their reciprocals.
struct alignas(32) QuantTable {
    int32_t step[64];     // q
    float recip[64];      // 1 / 2q, rounded
    uint64_t mul[64];     // ceil(2^40 / 2q)
};
// Steps of 0 have no reciprocal: MakeQuantTable refuses (false) a table holding one.
bool MakeQuantTable(const WORD quant[64], QuantTable& table);

// x / step with halves away from zero, for |x| <= kQuantMaxAbs and the step at natural index n.
inline int QuantizeOne(int x, const QuantTable& t, int n) {
    int32_t sign = x >> 31;
    uint64_t a = uint64_t((x ^ sign) - sign);
    int r = int(((2 * a + uint64_t(t.step[n])) * t.mul[n]) >> 40);
    return (r ^ sign) - sign;
}

// The largest coefficient the 32-bit inverse transform takes: every product and sum of one pass
// stays below 2^31 for inputs up to this (the largest sum is 178219 times the input, plus the
// rounding constant).  Blocks beyond it, which only damaged or hostile streams make, go through
// the 64-bit form.
constexpr int kIdctMaxAbs = 12000;

struct Kernels {
    // Level shift, forward transform and quantisation of 8 rows of 8 samples, rows stride bytes
    // apart, into out (natural order); returns the natural indices of the non-zero results as
    // bits.
    uint64_t (*ForwardQuantize)(const BYTE* src, size_t stride, const QuantTable& table, short out[64]);
    // The forward transform in place on level-shifted values.
    void (*ForwardDct)(int block[64]);
    // Quantises block (natural order, |values| <= kQuantMaxAbs) into out; returns the natural
    // indices of the non-zero results as bits.
    uint64_t (*Quantize)(const int block[64], const QuantTable& table, short out[64]);
    // Inverse transform in place (natural order), exact for any values, wrapping as 32-bit.
    void (*InverseDct)(int coef[64]);
    // Inverse transform of coef and output conversion: the samples go to 8 rows of 8 bytes,
    // stride bytes apart.  coef is all zero afterwards.
    void (*InverseStore)(int coef[64], BYTE* dst, size_t stride);
    // dst[3i] = c0[i], dst[3i + 1] = c1[i], dst[3i + 2] = c2[i] for i < n.
    void (*Interleave3)(const BYTE* c0, const BYTE* c1, const BYTE* c2, BYTE* dst, size_t n);
    // The inverse: c0[i] = src[3i], c1[i] = src[3i + 1], c2[i] = src[3i + 2] for i < n.
    void (*Deinterleave3)(const BYTE* src, BYTE* c0, BYTE* c1, BYTE* c2, size_t n);
};

const Kernels& GetScalarKernels();
// Null where the kernels are not built (not an x86 target).
const Kernels* GetAvx2Kernels();
// The kernels of the current instruction-set choice.
const Kernels& ActiveKernels();

// The output conversion: the low 16 bits of a transform result as a signed value, plus 128,
// limited to a byte.
inline BYTE SampleOf(int v) {
    int s = int(short(v & 0xFFFF)) + 128;
    return BYTE(s < 0 ? 0 : s > 255 ? 255 : s);
}

// ---- the coder's bit writer ----

// Collects codes in a 64-bit word and stores whole bytes, stuffing a 0x00 after every 0xFF.
// The caller makes sure the buffer has room (see kBlockCodeBytes).
struct BitWriter {
    BYTE* out;
    size_t pos;    // next byte to store
    uint64_t acc;  // the low nBits bits are pending, oldest highest
    int nBits;

    void Put(uint32_t bits, int n) {  // n <= 27, bits < 2^n
        acc = (acc << n) | bits;
        nBits += n;
        if (nBits >= 32) Store32();
    }
    void Store32() {
        nBits -= 32;
        uint32_t w = uint32_t(acc >> nBits);
        // A byte of w is 0xFF exactly where ~w has a zero byte.
        uint32_t inv = ~w;
        if (((inv - 0x01010101u) & ~inv & 0x80808080u) == 0) {
            out[pos] = BYTE(w >> 24);
            out[pos + 1] = BYTE(w >> 16);
            out[pos + 2] = BYTE(w >> 8);
            out[pos + 3] = BYTE(w);
            pos += 4;
            return;
        }
        for (int s = 24; s >= 0; s -= 8) StoreByte(BYTE(w >> s));
    }
    void StoreByte(BYTE b) {
        out[pos++] = b;
        if (b == 0xFF) out[pos++] = 0x00;
    }
    // Stores the complete bytes; fewer than 8 bits stay pending.
    void StoreWholeBytes() {
        while (nBits >= 8) {
            nBits -= 8;
            StoreByte(BYTE(acc >> nBits));
        }
    }
    // Completes the current byte with 1-bits, as before a marker.
    void FillByte() {
        StoreWholeBytes();
        if (nBits > 0) Put((1u << (8 - nBits)) - 1, 8 - nBits);
        StoreWholeBytes();
    }
};

// The most bytes one block can add: 64 codes of at most 16 + 11 bits, every byte stuffed, and
// the fill byte and marker of a row's end.
constexpr size_t kBlockCodeBytes = 2 * (64 * 27 / 8 + 1) + 8;

// ---- the decoder's bit reader ----

// Reads a stream as the bit-at-a-time decoder does, a word at a time: stuffed zeros are skipped,
// and a 0xFF followed by anything else (a marker) or the stream's end stops the loading, so that
// nBits tells exactly how many bits can still be read before the bit-at-a-time reader would meet
// the marker.  BitPos gives that reader's position, stuffed zeros counted as it counts them.
struct BitReader {
    const BYTE* data;
    long long end;      // bytes that may be read: [0, end)
    long long pos;      // next byte to load
    uint64_t acc;       // unread bits from the top
    int nBits;          // bits in acc
    bool stopped;       // a marker or the stream's end follows the bits in acc
    bool lastSkipped;   // the last byte looked at was a stuffed zero
    bool endAfterStuffing;  // stopped at the end right after a stuffed zero
    bool pastStuffing;  // a read failed there: the bit-at-a-time reader steps over that zero
    long long start;    // bit position of Start
    long long forced;   // byte loaded without the marker test (a start inside a byte), or -1
    long long nData;    // data bytes loaded since Start

    void Start(long long bitPos);
    void FillSlow();
    void Fill() {
        if (nBits > 56 || stopped) return;
        if (pos + 8 <= end && (pos == 0 || data[pos - 1] != 0xFF)) {
            uint64_t w = 0;
            for (int i = 0; i < 8; ++i) w = (w << 8) | data[pos + i];
            uint64_t inv = ~w;
            if (((inv - 0x0101010101010101ull) & ~inv & 0x8080808080808080ull) == 0) {
                int k = (63 - nBits) >> 3;
                int nNew = nBits + 8 * k;
                acc = (acc | (w >> nBits)) & ~(~0ull >> nNew);
                nBits = nNew;
                pos += k;
                nData += k;
                lastSkipped = false;
                return;
            }
        }
        FillSlow();
    }
    void Consume(int n) {
        acc <<= n;
        nBits -= n;
    }
    // A read that found no bit: at the stream's end right after a stuffed zero, the
    // bit-at-a-time reader has stepped over that zero before finding nothing.
    void ReadFailed() {
        if (nBits == 0 && endAfterStuffing) pastStuffing = true;
    }
    // The bit-at-a-time reader's position in bits.
    long long BitPos() const;
    // True when BitPos may lie within two bytes of a marker or of the stream's end.
    bool NearStop() const { return stopped && nBits <= 16; }
};

// The decoder's tables for one Huffman table: codes of up to 9 bits in one look-up, longer ones
// by comparing with the smallest and largest code of each length, exactly as the bit-at-a-time
// decoder compares.
struct DecodeTable {
    uint16_t look[512];  // (length << 8) | symbol for the codes the first 9 bits decide, else 0
    uint32_t minCode[17], maxCode[17];
    uint16_t valPtr[17];
    const BYTE* huffVal;
};
// From the bit-at-a-time decoder's per-length tables (entries 1-16) and the table's symbols.
void BuildDecodeTable(const WORD* minCode, const WORD* maxCode, const WORD* valPtr, const BYTE* huffVal,
                      DecodeTable& t);

// Decodes one symbol; false, having read what the bit-at-a-time decoder reads, when the bits
// run out first or no code matches within 16 bits.
inline bool DecodeSymbol(BitReader& br, const DecodeTable& t, int& symbol) {
    if (br.nBits < 27) br.Fill();
    uint32_t peek = uint32_t(br.acc >> 48);
    int len = t.look[peek >> 7] >> 8;
    if (len) {
        symbol = t.look[peek >> 7] & 0xFF;
    } else {
        len = 17;
        for (int L = 10; L <= 16; ++L) {
            uint32_t code = peek >> (16 - L);
            if (code >= t.minCode[L] && code <= t.maxCode[L]) {
                len = L;
                symbol = t.huffVal[t.valPtr[L] + code - t.minCode[L]];
                break;
            }
        }
    }
    if (len <= 16 && len <= br.nBits) {
        br.Consume(len);
        return true;
    }
    if (len == 17 && br.nBits >= 16) {
        br.Consume(16);  // sixteen bits matched nothing
        return false;
    }
    br.Consume(br.nBits);
    br.ReadFailed();
    return false;
}

// Receives a value of n bits (n <= 16; DecodeSymbol has filled the reader).
inline bool ReceiveValue(BitReader& br, int n, int& value) {
    if (n == 0) {
        value = 0;
        return true;
    }
    if (n > br.nBits) {
        br.Consume(br.nBits);
        br.ReadFailed();
        return false;
    }
    int v = int(br.acc >> (64 - n));
    br.Consume(n);
    if (v < (1 << (n - 1))) v -= (1 << n) - 1;
    value = v;
    return true;
}

// Decodes one block's symbols, handing the DC value and each AC value with its zigzag position to
// sink (Dc(value), Ac(k, value)).  False when the block fails; what was handed on stays.
template <class Sink>
bool DecodeBlockBits(BitReader& br, const DecodeTable& dc, const DecodeTable& ac, int& lastDC, Sink& sink) {
    int t = 0, value = 0;
    if (!DecodeSymbol(br, dc, t) || !ReceiveValue(br, t, value)) return false;
    lastDC = int(int32_t(uint32_t(lastDC) + uint32_t(value)));
    sink.Dc(lastDC);
    for (int k = 1; k < 64;) {
        int rs = 0;
        if (!DecodeSymbol(br, ac, rs)) return false;
        if (rs == 0x00) return true;
        k += rs >> 4;
        if (k > 63 || !ReceiveValue(br, rs & 0x0F, value)) return false;
        sink.Ac(k, value);
        ++k;
    }
    return true;
}

// Decodes one plane's stream a row of blocks at a time, exactly as the bit-at-a-time decoder
// does it block by block: where it stops (the stream ran out, or an end marker), what it leaves
// in the blocks it reaches, and how it resumes after each restart marker.
struct PlaneDecoder {
    enum Status { MORE, ENDED, RAN_OUT };

    BitReader br;
    const DecodeTable* dc;
    const DecodeTable* ac;
    const Kernels* kernels;
    int32_t step[64];  // quantiser steps in zigzag order
    long long nPerRow, nBlocks, n;
    int nLastDC;
    Status status;
    alignas(32) int coef[64];

    // The stream is data[0, nEnd); the plane W samples by H rows.
    void Begin(const BYTE* data, long long nEnd, long long W, long long H, const WORD quant[64],
               const DecodeTable& dcTable, const DecodeTable& acTable);
    // Decodes the next row of blocks into the 8 rows at dst, nRowStride bytes apart; returns
    // the number of blocks it stored there (all of the row unless the stream stops in it).
    long long DecodeRow(BYTE* dst, size_t nRowStride);
    // A byte of the stream, 0 beyond it.
    BYTE CodeByte(long long i) const { return i >= 0 && i < br.end ? br.data[i] : 0; }
};

}  // namespace cpr
