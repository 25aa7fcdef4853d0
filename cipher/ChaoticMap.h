// The 16-bit fixed-point chaotic map and the S-box built by ranking chaotic states.
// A state or parameter v stands for the fraction v / 65536.
#pragma once

#include "platform/Types.h"

// x / p on [0, p), (x - p) / (1 - p) on [p, 1), in integer arithmetic.  Only the low 16 bits of
// each argument take part.
inline WORD ChaoticMap(unsigned x, unsigned p) {
    DWORD xs = x & 0xFFFF, ps = p & 0xFFFF;
    if (xs < ps) return WORD((xs << 16) / ps);
    return WORD(((xs - ps) << 16) / (65536 - ps));
}

// sbox[k] = index of the value of rank k in ascending order; among equal values the smallest
// index takes the highest free rank.
void BuildSBox(const WORD values[256], BYTE sbox[256]);

// Whether sbox holds every byte value once; only then can a substitution through it be undone.
bool IsPermutation(const BYTE sbox[256]);
// inverse[sbox[i]] = i.  False, leaving inverse undefined, when sbox is no permutation.
bool InvertSBox(const BYTE sbox[256], BYTE inverse[256]);
