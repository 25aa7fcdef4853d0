#include "cipher/reference/Literal.h"

#include "platform/Rand.h"

namespace literal {
namespace {
bool HasRows(const CDib& dib) {
    return dib.m_lpBuf && dib.m_lpBits && dib.m_nHeight > 0 && dib.m_nRowBytes > 0;
}

// Every row is a multiple of 4 bytes and the rows follow each other: one run of bytes.
size_t RowBytesTotal(const CDib& dib) { return size_t(dib.m_nHeight) * size_t(dib.m_nRowBytes); }

WORD LoadWord(const BYTE* p) { return WORD(p[0] | (p[1] << 8)); }
void StoreWord(BYTE* p, WORD w) {
    p[0] = BYTE(w);
    p[1] = BYTE(w >> 8);
}
}  // namespace

void EncryptStream(KeyState& key, CDib& dib) {
    literal::BuildSBox(key.states, key.sbox);
    if (!HasRows(dib)) return;
    BYTE* p = dib.m_lpBits;
    size_t words = RowBytesTotal(dib) / 2;
    for (size_t n = 0; n < words; ++n, p += 2) {
        key.x0 = ChaoticMap(key.x0, key.p0);
        int i = key.x0 & 0xFF;
        key.states[i] = ChaoticMap(key.states[i], key.params[i]);
        StoreWord(p, WORD(LoadWord(p) ^ key.states[i]));
    }
}

void EncryptSubst(KeyState& key, CDib& dib) {
    if (!HasRows(dib)) return;
    BYTE* p = dib.m_lpBits;
    size_t bytes = RowBytesTotal(dib);
    for (size_t n = 0; n < bytes; ++n) p[n] = key.sbox[p[n]];
}

void EncryptFrame(KeyState& key, CDib& dib, bool bStreamOnly) {
    if (!bStreamOnly) literal::BuildSBox(key.states, key.sbox);
    if (!HasRows(dib)) return;
    BYTE* p = dib.m_lpBits;
    size_t words = RowBytesTotal(dib) / 2;
    for (size_t n = 0; n < words; ++n, p += 2) {
        int pos = key.sbox[n & 0xFF];
        key.states[pos] = ChaoticMap(key.states[pos], key.params[pos]);
        key.counters[pos] = WORD(key.counters[pos] + 1);
        // A period of 0 never comes from InitKey; such a lane is simply never perturbed.
        if (key.periods[pos] != 0 && key.counters[pos] % key.periods[pos] == 0)
            key.states[pos] = WORD(key.states[pos] ^ (crt::rand() % 256));
        StoreWord(p, WORD(LoadWord(p) ^ key.states[pos]));
    }
    if (!bStreamOnly) literal::EncryptSubst(key, dib);
}
}  // namespace literal
