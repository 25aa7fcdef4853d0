// JPEG files, read by LoadJpeg.  MORO writes no JPEG files: the seeds are the foreign files the
// tests keep (tests/data/foreign), baseline, progressive, grey and CMYK.
#include "dib/Dib.h"
#include "tests/fuzz/FuzzTarget.h"

namespace {
bool Read(CDib& dib, const char* path) { return dib.LoadJpeg(path); }
const moro_fuzz::Format kJpeg = {".jpg", Read, nullptr, false};
}  // namespace

void moro_fuzz::MakeSeeds(const std::string&) {}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    moro_fuzz::CheckReader(data, size, kJpeg);
    return 0;
}
