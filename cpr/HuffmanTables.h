// The two constant Huffman tables of the CPR coder, as code counts per length (BITS) and the
// symbols in code order (HUFFVAL): the standard luminance DC and AC tables of baseline coding.
#pragma once

#include "platform/Types.h"

extern const BYTE kDcBits[16];
extern const BYTE kDcHuffVal[12];
extern const BYTE kAcBits[16];
extern const BYTE kAcHuffVal[162];
