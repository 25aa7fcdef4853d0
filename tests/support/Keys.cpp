#include "tests/support/Keys.h"

#include "platform/Rand.h"

namespace moro_test {

KeyState SeededKey(unsigned seed) {
    crt::srand(seed);
    KeyState key;
    InitKey(key);
    return key;
}

KeyFile SeededRun(unsigned seed, std::vector<CipherStep> steps) {
    KeyFile run = KeyFileNow(SeededKey(seed), true, seed);
    run.steps = std::move(steps);
    return run;
}

KeyState StressKey(unsigned seed) {
    TestRng rng(seed);
    KeyState key;
    key.x0 = rng.Word();
    key.p0 = seed % 3 == 0 ? 0 : rng.Word();
    for (int i = 0; i < 256; ++i) {
        static const WORD edges[] = {0, 1, 2, 32767, 32768, 65534, 65535};
        key.params[i] = rng.Below(4) == 0 ? edges[rng.Below(7)] : rng.Word();
        key.states[i] = rng.Below(4) == 0 ? edges[rng.Below(7)] : rng.Word();
        if (rng.Below(8) == 0) key.states[i] = key.params[i];  // lands on 0
        unsigned kind = rng.Below(4);
        key.periods[i] = WORD(kind == 0 ? 1 : kind == 1 ? 256 : rng.Below(256) + 1);
        key.counters[i] = WORD(rng.Below(2) ? 65535 - rng.Below(600) : rng.Word());
    }
    BuildSBox(key.states, key.sbox);
    return key;
}

}  // namespace moro_test
