// BMP files, read by LoadBmp.
#include "dib/Dib.h"
#include "tests/fuzz/FuzzTarget.h"

namespace {
bool Read(CDib& dib, const char* path) { return dib.LoadBmp(path); }
bool Write(CDib& dib, const char* path) { return dib.SaveBmp(path); }
const moro_fuzz::Format kBmp = {".bmp", Read, Write, true};
}  // namespace

void moro_fuzz::MakeSeeds(const std::string& dir) {
    ForEachSeedImage([&](CDib& dib, const std::string& stem) { dib.SaveBmp((dir + "/" + stem + ".bmp").c_str()); });
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    moro_fuzz::CheckReader(data, size, kBmp);
    return 0;
}
