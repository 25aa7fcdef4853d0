// The cipher's key state and its encryption modes, working in place on the pixel rows of a CDib.
// Free of any user-interface code: the window and moro-cli call these with their own key and image.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

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

// The operations a run applies to an image one after the other (Steps.cpp), by the names that
// moro-cli and key files use: "stream", "subst", "frame", "frame-stream", "init".
enum CipherStep { STEP_STREAM, STEP_SUBST, STEP_FRAME, STEP_FRAME_STREAM, STEP_INIT };
constexpr int kCipherStepCount = 5;
const char* GetCipherStepName(CipherStep step);
// False when name is no step.
bool FindCipherStep(std::string_view name, CipherStep& step);
// Mode 1, mode 2, a frame pass (whole system or stream only), or a new key.
void EncryptStep(KeyState& key, CDib& dib, CipherStep step);

// Decryption (Stream.cpp, Frame.cpp, Steps.cpp).  Each inverse starts from the key state and the
// generator state its encryption started from, and leaves both as the encryption left them.
void DecryptStream(KeyState& key, CDib& dib);
// False, changing nothing, when the S-box is no permutation (only a hand-made key has such a one).
bool DecryptSubst(KeyState& key, CDib& dib);
void DecryptFrame(KeyState& key, CDib& dib, bool bStreamOnly);
// Undoes steps that were applied in this order to dib, starting from key and the generator state
// randState: the key states are replayed forward, then the steps undone in reverse order.  The
// program's generator is left as it was.  False, changing nothing, when a substitution step meets
// an S-box that is no permutation.
bool DecryptSteps(const KeyState& key, uint32_t randState, const std::vector<CipherStep>& steps, CDib& dib);
