// PNG files, read by LoadPng.  Every image it makes (grey with the grey palette, or 24-bit) is
// one SavePng writes without loss, so the round trip must give the same block.
#include "dib/Dib.h"
#include "tests/fuzz/FuzzTarget.h"

namespace {
bool Read(CDib& dib, const char* path) { return dib.LoadPng(path); }
bool Write(CDib& dib, const char* path) { return dib.SavePng(path); }
const moro_fuzz::Format kPng = {".png", Read, Write, true};
}  // namespace

void moro_fuzz::MakeSeeds(const std::string& dir) {
    ForEachSeedImage([&](CDib& dib, const std::string& stem) { Write(dib, (dir + "/" + stem + ".png").c_str()); });
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    moro_fuzz::CheckReader(data, size, kPng);
    return 0;
}
