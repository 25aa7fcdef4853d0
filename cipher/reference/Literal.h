// The cipher written step by step, one statement per rule, without any shortcut.  It is the
// yardstick for the fast forms in cipher/: tests compare their images, key states and generator
// states with these after every operation, and the benchmarks report speeds relative to them.
// The program itself never calls these.
#pragma once

#include "cipher/Cipher.h"

namespace literal {
// Selection ranking: 256 scans of 256 values.
void BuildSBox(const WORD values[256], BYTE sbox[256]);
// Mode 1: rebuilds the S-box, then steps the index generator and one lane per 16-bit word.
void EncryptStream(KeyState& key, CDib& dib);
// Mode 2: every byte through the current S-box.
void EncryptSubst(KeyState& key, CDib& dib);
// One frame pass; the whole system also rebuilds the S-box first and substitutes afterwards.
void EncryptFrame(KeyState& key, CDib& dib, bool bStreamOnly);
}  // namespace literal
