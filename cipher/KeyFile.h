// Key files: everything a decryption needs, as JSON.  A run is fully described by the key state
// before its first step, the generator's state at that moment (the frame passes and init draw from
// it) and the steps in order; the seed, when the key came from one, is kept too and must agree.
//
// A key file is untrusted input: anything that is not exactly such a description (damaged,
// truncated, hand-edited out of range, another version) is refused with a one-line reason.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cipher/Cipher.h"

constexpr int kKeyFileVersion = 1;
// A key file is about 10 KiB; anything much larger is not one.
constexpr size_t kKeyFileMaxBytes = size_t(1) << 20;
// Each step is a pass over the image (a speed test's frames count one each): a list longer than
// this is a damaged file, not a run.
constexpr size_t kKeyFileMaxSteps = 4096;

struct KeyFile {
    KeyState key;                   // as before the first step
    uint32_t randState = 0;         // the generator's state at that moment
    bool bSeeded = false;           // the key is what InitKey made right after srand(seed)
    uint32_t seed = 0;
    std::vector<CipherStep> steps;  // applied in this order
};

// The key and generator of a run that starts now (a seed only when the caller knows the key came
// from one), with no steps yet.
KeyFile KeyFileNow(const KeyState& key, bool bSeeded, uint32_t seed);

std::string FormatKeyFile(const KeyFile& file);
// False with a one-line reason in error (no file name in it), file then unspecified.
bool ParseKeyFile(std::string_view text, KeyFile& file, std::string& error);
bool LoadKeyFile(const char* path, KeyFile& file, std::string& error);
// Written beside the target and renamed over it when complete.
bool SaveKeyFile(const char* path, const KeyFile& file, std::string& error);
