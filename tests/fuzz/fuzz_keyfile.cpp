// Key files.  The input is the text of a key file.  Whatever it holds, reading it must either
// refuse it with a one-line reason or give a run that is written back as a file that reads as the
// same run; and such a run, applied to a small image, must decrypt back to that image exactly.
#include <cstring>
#include <string>
#include <string_view>

#include "cipher/Cipher.h"
#include "cipher/KeyFile.h"
#include "dib/Dib.h"
#include "platform/Rand.h"
#include "tests/fuzz/FuzzTarget.h"

namespace {

// Long runs are legal but add nothing the first steps do not already try.
constexpr size_t kStepsTried = 64;

bool SameRun(const KeyFile& a, const KeyFile& b) {
    return FormatKeyFile(a) == FormatKeyFile(b);
}

void CheckRoundTrip(const KeyFile& file) {
    CDib plain;
    MORO_FUZZ_CHECK(plain.Create(13, 5, 24));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 13; ++x) plain.SetPixel(x, y, RGB(x * 19, y * 47, x * y));
    CDib dib;
    dib.Copy(plain);

    std::vector<CipherStep> steps(file.steps.begin(),
                                  file.steps.begin() + std::min(file.steps.size(), kStepsTried));
    KeyState key = file.key;
    crt::SetRandState(file.randState);
    for (CipherStep step : steps) EncryptStep(key, dib, step);
    MORO_FUZZ_CHECK(DecryptSteps(file.key, file.randState, steps, dib));
    MORO_FUZZ_CHECK(dib.m_dwBufSize == plain.m_dwBufSize);
    MORO_FUZZ_CHECK(std::memcmp(dib.m_lpBuf, plain.m_lpBuf, plain.m_dwBufSize) == 0);
}

}  // namespace

void moro_fuzz::MakeSeeds(const std::string& dir) {
    const CipherStep all[] = {STEP_STREAM, STEP_SUBST, STEP_FRAME, STEP_FRAME_STREAM, STEP_INIT};
    for (unsigned seed : {1u, 2u, 12345u}) {
        crt::srand(seed);
        KeyState key;
        InitKey(key);
        KeyFile file = KeyFileNow(key, true, seed);
        file.steps.assign(std::begin(all), std::end(all));
        const std::string text = FormatKeyFile(file);
        WriteFile(dir + "/seed-" + std::to_string(seed) + ".json", text.data(), text.size());
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    KeyFile file;
    std::string error;
    if (!ParseKeyFile(std::string_view(reinterpret_cast<const char*>(data), size), file, error)) {
        MORO_FUZZ_CHECK(!error.empty() && error.find('\n') == std::string::npos);
        return 0;
    }
    KeyFile again;
    MORO_FUZZ_CHECK(ParseKeyFile(FormatKeyFile(file), again, error));
    MORO_FUZZ_CHECK(SameRun(file, again));
    CheckRoundTrip(file);
    return 0;
}
