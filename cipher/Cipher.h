// The cipher's key state and its encryption modes, working in place on the pixel rows of a CDib.
// Free of any user-interface code: the window and moro-cli call these with their own key and image.
#pragma once

#include "cipher/ChaoticMap.h"
#include "dib/Dib.h"

struct KeyState {
    WORD x0 = 0;           // state of the index generator (mode 1)
    WORD p0 = 0;           // its parameter
    WORD states[256] = {}; // chaotic state of each lane
    WORD params[256] = {}; // map parameter of each lane
    WORD periods[256] = {};  // perturbation period of each lane, 1-256
    WORD counters[256] = {}; // steps of each lane in frame passes, wrapping at 65536
    BYTE sbox[256];        // substitution box; the identity until first built

    KeyState() {
        for (int i = 0; i < 256; ++i) sbox[i] = BYTE(i);
    }
};

// Fills the key from the program's random generator (2 + 3 x 256 draws, in a fixed order).
void InitKey(KeyState& key);
// Mode 1: rebuilds the S-box, then XORs a chaotic key stream onto the rows' 16-bit words.
void EncryptStream(KeyState& key, CDib& dib);
// Mode 2: substitutes every byte of the rows through the current S-box.
void EncryptSubst(KeyState& key, CDib& dib);
// One frame pass of the speed test; the whole system also rebuilds the S-box and substitutes.
void EncryptFrame(KeyState& key, CDib& dib, bool bStreamOnly);
// Runs nFrames frame passes and returns the throughput in Mbps (2^20 bits per second).
double MeasureSpeed(KeyState& key, CDib& dib, bool bStreamOnly, unsigned nFrames);
// Bits one frame pass encrypts: all rows, fill bytes included.
double FrameBits(const CDib& dib);
