#include "tests/support/Keys.h"

namespace moro_test {

KeyState SeededKey(unsigned seed) {
    crt::srand(seed);
    KeyState key;
    InitKey(key);
    return key;
}

}  // namespace moro_test
