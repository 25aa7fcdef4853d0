#include "cipher/reference/Literal.h"

namespace literal {
void BuildSBox(const WORD values[256], BYTE sbox[256]) {
    bool available[256];
    for (int i = 0; i < 256; ++i) {
        available[i] = true;
        sbox[i] = BYTE(i);
    }
    for (int k = 255; k >= 0; --k) {
        WORD best = 0;
        sbox[k] = 0;
        for (int j = 255; j >= 0; --j) {
            if (available[j] && values[j] >= best) {
                best = values[j];
                sbox[k] = BYTE(j);
            }
        }
        available[sbox[k]] = false;
    }
}
}  // namespace literal
