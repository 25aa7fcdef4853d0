// CPR files, read by LoadCpr: one stream of grey or interleaved colour bytes, or three planes.
#include "dib/Dib.h"
#include "tests/fuzz/FuzzTarget.h"

namespace {
bool Read(CDib& dib, const char* path) { return dib.LoadCpr(path); }
const moro_fuzz::Format kCpr = {".cpr", Read, nullptr, false};
}  // namespace

void moro_fuzz::MakeSeeds(const std::string& dir) {
    ForEachSeedImage([&](CDib& dib, const std::string& stem) {
        if (dib.m_nBitCount != 8 && dib.m_nBitCount != 24) return;
        dib.SaveCpr((dir + "/" + stem + ".cpr").c_str(), 50, FALSE);
        dib.SaveCpr((dir + "/" + stem + "-fine.cpr").c_str(), 3, FALSE);
        if (dib.m_nBitCount == 24) dib.SaveCpr((dir + "/" + stem + "-planes.cpr").c_str(), 127, TRUE);
    });
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    moro_fuzz::CheckReader(data, size, kCpr);
    return 0;
}
