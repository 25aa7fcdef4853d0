// The speed test: frame passes timed with the monotonic high-resolution clock.  A millisecond
// tick is far too coarse for today's speeds (a whole run can take less than one tick).
#include "cipher/Cipher.h"

#include "platform/Clock.h"

double FrameBits(const CDib& dib) {
    if (!dib.m_lpBuf) return 0.0;
    // Counted in 64 bits: a large 24-bit image has more than 2^32 bits.
    return double(uint64_t(uint32_t(dib.m_nHeight)) * uint64_t(uint32_t(dib.m_nRowBytes)) * 8u);
}

double MeasureSpeed(KeyState& key, CDib& dib, bool bStreamOnly, unsigned nFrames) {
    if (nFrames == 0) return 0.0;
    double bitsPerFrame = FrameBits(dib);
    LONGLONG frequency = 1, start = 0, stop = 0;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    for (unsigned i = 0; i < nFrames; ++i) EncryptFrame(key, dib, bStreamOnly);
    QueryPerformanceCounter(&stop);
    double elapsedMs = double(stop - start) * 1000.0 / double(frequency);
    return (1000.0 * bitsPerFrame * nFrames) / (elapsedMs * 1048576.0);
}
