// Building the code tables of the CPR entropy coder from the constant Huffman tables, in the
// three steps of the baseline method: code lengths, codes, and ordering by symbol.
#include "dib/Dib.h"

namespace {
// Builds one table.  lengths receives the code lengths in code order ended by 0, codes the codes
// in the same order; then every symbol of huffVal gets its code and length.
void BuildTable(const BYTE* bits, const BYTE* huffVal, BYTE* lengths, WORD* codes, WORD* symbolCode,
                BYTE* symbolSize) {
    int count = 0;
    for (int len = 1; len <= 16; ++len)
        for (int i = 0; i < bits[len - 1]; ++i) lengths[count++] = BYTE(len);
    lengths[count] = 0;
    if (count == 0) return;

    WORD code = 0;
    int size = lengths[0];
    for (int k = 0;;) {
        codes[k] = code;
        ++code;
        ++k;
        if (lengths[k] == size) continue;
        if (lengths[k] == 0) break;
        do {
            code = WORD(code << 1);
            ++size;
        } while (lengths[k] != size);
    }

    for (int k = 0; k < count; ++k) {
        symbolCode[huffVal[k]] = codes[k];
        symbolSize[huffVal[k]] = lengths[k];
    }
}
}  // namespace

void CDib::BuildHuffmanCodes(const BYTE* lpDcBits, const BYTE* lpDcHuffVal, const BYTE* lpAcBits,
                             const BYTE* lpAcHuffVal) {
    BuildTable(lpDcBits, lpDcHuffVal, m_byDcLengths, m_wCodeList, m_wDcCode, m_byDcSize);
    BuildTable(lpAcBits, lpAcHuffVal, m_byAcLengths, m_wCodeList + 13, m_wAcCode, m_byAcSize);
}
