#include "cipher/Cipher.h"

#include "platform/Rand.h"

void InitKey(KeyState& key) {
    key.x0 = WORD(crt::rand());
    key.p0 = WORD(crt::rand());
    for (int i = 0; i < 256; ++i) {
        key.params[i] = WORD(crt::rand());
        key.states[i] = WORD(crt::rand());
        key.periods[i] = WORD(crt::rand() % 256 + 1);
        key.counters[i] = 0;
    }
}
