// Test support: keys made the way the program makes them, from a seeded generator.
#pragma once

#include "cipher/Cipher.h"

namespace moro_test {

// The key InitKey makes right after srand(seed); its S-box is still the identity.
KeyState SeededKey(unsigned seed);

}  // namespace moro_test
