// What the window holds while a user works: the key, the loaded image and its working copy.
#pragma once

#include <string>

#include "cipher/Cipher.h"
#include "cipher/KeyFile.h"

namespace cli {

struct Session {
    KeyState key;
    CDib original;  // as loaded
    CDib cipher;    // the working copy the cipher changes
};

// Starts as the window does: seeds the generator (with the seed, or the clock), makes the key,
// loads the image and copies it into the working copy.  Explains a failure on standard error.
bool OpenSession(Session& session, const std::string& path, bool bSeeded, unsigned long long nSeed);
// The same with the key and generator state of a key file instead of a new key.
bool OpenSessionWithKey(Session& session, const std::string& path, const KeyFile& file);

}  // namespace cli
