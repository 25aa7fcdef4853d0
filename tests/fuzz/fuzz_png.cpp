// PNG files, read by LoadPng.  Every image it makes (grey with the grey palette, or 24-bit) is
// one SavePng writes without loss, so the round trip must give the same block.
//
// Each chunk's CRC is made right before the input is read: libpng refuses a chunk whose CRC is
// wrong, so almost every mutation would end there and the fuzzer would never get past it.
#include <zlib.h>

#include <vector>

#include "dib/Dib.h"
#include "tests/fuzz/FuzzTarget.h"

namespace {

bool Read(CDib& dib, const char* path) { return dib.LoadPng(path); }
bool Write(CDib& dib, const char* path) { return dib.SavePng(path); }
const moro_fuzz::Format kPng = {".png", Read, Write, true};

uint32_t BigEndian(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

// Chunks after the 8-byte signature: length, type, data, CRC of type and data.
void MakeCrcsRight(std::vector<uint8_t>& png) {
    for (size_t at = 8; at + 12 <= png.size();) {
        uint32_t nLength = BigEndian(&png[at]);
        if (nLength > png.size() - at - 12) return;
        uLong crc = crc32(0L, &png[at + 4], uInt(4 + nLength));
        for (int i = 0; i < 4; ++i) png[at + 8 + nLength + i] = uint8_t(crc >> (24 - 8 * i));
        at += 12 + nLength;
    }
}

}  // namespace

void moro_fuzz::MakeSeeds(const std::string& dir) {
    ForEachSeedImage([&](CDib& dib, const std::string& stem) { Write(dib, (dir + "/" + stem + ".png").c_str()); });
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> png(data, data + size);
    MakeCrcsRight(png);
    moro_fuzz::CheckReader(png.data(), png.size(), kPng);
    return 0;
}
