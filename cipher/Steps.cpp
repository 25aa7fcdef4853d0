// The steps of a run by name, and a run undone.
#include "cipher/Cipher.h"
#include "cipher/Kernels.h"
#include "cipher/Rows.h"
#include "platform/Rand.h"

namespace {
const char* const kStepNames[kCipherStepCount] = {"stream", "subst", "frame", "frame-stream", "init"};

// The key as the step leaves it on an image of that many words; the words themselves stay unread.
void AdvanceKey(KeyState& key, size_t words, CipherStep step) {
    switch (step) {
        case STEP_STREAM: cipher::AdvanceStream(key, words); break;
        case STEP_SUBST: break;
        case STEP_FRAME: cipher::AdvanceFrame(key, words, false); break;
        case STEP_FRAME_STREAM: cipher::AdvanceFrame(key, words, true); break;
        case STEP_INIT: InitKey(key); break;
    }
}

void UndoStep(KeyState& key, CDib& dib, CipherStep step) {
    switch (step) {
        case STEP_STREAM: DecryptStream(key, dib); break;
        case STEP_SUBST: DecryptSubst(key, dib); break;
        case STEP_FRAME: DecryptFrame(key, dib, false); break;
        case STEP_FRAME_STREAM: DecryptFrame(key, dib, true); break;
        case STEP_INIT: break;  // a new key changes no pixel
    }
}
}  // namespace

const char* GetCipherStepName(CipherStep step) {
    return unsigned(step) < unsigned(kCipherStepCount) ? kStepNames[step] : "?";
}

bool FindCipherStep(std::string_view name, CipherStep& step) {
    for (int i = 0; i < kCipherStepCount; ++i) {
        if (name == kStepNames[i]) {
            step = CipherStep(i);
            return true;
        }
    }
    return false;
}

void EncryptStep(KeyState& key, CDib& dib, CipherStep step) {
    switch (step) {
        case STEP_STREAM: EncryptStream(key, dib); break;
        case STEP_SUBST: EncryptSubst(key, dib); break;
        case STEP_FRAME: EncryptFrame(key, dib, false); break;
        case STEP_FRAME_STREAM: EncryptFrame(key, dib, true); break;
        case STEP_INIT: InitKey(key); break;
    }
}

bool DecryptSubst(KeyState& key, CDib& dib) {
    BYTE inverse[256];
    if (!InvertSBox(key.sbox, inverse)) return false;
    if (cipher::HasRows(dib)) cipher::ActiveKernels().Subst(dib.m_lpBits, cipher::RowBytesTotal(dib), inverse);
    return true;
}

bool DecryptSteps(const KeyState& key, uint32_t randState, const std::vector<CipherStep>& steps, CDib& dib) {
    const size_t words = cipher::HasRows(dib) ? cipher::RowBytesTotal(dib) / 2 : 0;
    const uint32_t callerRand = crt::GetRandState();
    // The key and generator state before each step.  The last step's successor is never needed.
    std::vector<KeyState> keys(steps.size());
    std::vector<uint32_t> rands(steps.size());
    KeyState k = key;
    for (size_t i = 0; i < steps.size(); ++i) {
        keys[i] = k;
        rands[i] = randState;
        if (steps[i] == STEP_SUBST && !IsPermutation(k.sbox)) {
            crt::SetRandState(callerRand);
            return false;
        }
        if (i + 1 == steps.size()) break;
        crt::SetRandState(randState);
        AdvanceKey(k, words, steps[i]);
        randState = crt::GetRandState();
    }
    for (size_t i = steps.size(); i-- > 0;) {
        crt::SetRandState(rands[i]);
        UndoStep(keys[i], dib, steps[i]);
    }
    crt::SetRandState(callerRand);
    return true;
}
