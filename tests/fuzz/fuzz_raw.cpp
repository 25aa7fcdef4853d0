// Raw sample files with their size header, read by LoadRaw.  (Without the header every file is
// a 256 x 256 image whatever it holds: nothing there for a fuzzer to find.)
#include "dib/Dib.h"
#include "tests/fuzz/FuzzTarget.h"

namespace {
bool Read(CDib& dib, const char* path) { return dib.LoadRaw(path, 0); }
bool Write(CDib& dib, const char* path) { return dib.SaveRaw(path, 0); }
const moro_fuzz::Format kRaw = {".raw", Read, Write, true};
}  // namespace

void moro_fuzz::MakeSeeds(const std::string& dir) {
    ForEachSeedImage([&](CDib& dib, const std::string& stem) {
        if (dib.m_nBitCount == 8) Write(dib, (dir + "/" + stem + ".raw").c_str());
    });
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    moro_fuzz::CheckReader(data, size, kRaw);
    return 0;
}
