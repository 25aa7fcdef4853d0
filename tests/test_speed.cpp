// The speed measurement: no frames, one frame, and the bits of a frame on large images.
#include <gtest/gtest.h>

#include <cmath>

#include "cipher/Cipher.h"
#include "tests/support/Keys.h"

using namespace moro_test;

TEST(MeasureSpeed, ZeroFramesRunNothingAndOneFrameIsFinite) {
    CDib dib;
    ASSERT_TRUE(dib.Create(256, 256, 8, nullptr, 0));
    KeyState key = SeededKey(4);
    EXPECT_EQ(MeasureSpeed(key, dib, true, 0), 0.0);
    EXPECT_EQ(dib.m_lpBits[0], 0) << "no frame ran";
    double speed = MeasureSpeed(key, dib, false, 1);
    EXPECT_GT(speed, 0.0);
    EXPECT_TRUE(std::isfinite(speed));
    EXPECT_EQ(FrameBits(dib), 524288.0);
}

TEST(MeasureSpeed, FrameBitsDoNotOverflow) {
    CDib dib;
    dib.m_lpBuf = reinterpret_cast<BYTE*>(&dib);  // only the geometry is read
    dib.m_nHeight = 16384;
    dib.m_nRowBytes = 16384 * 3;
    EXPECT_EQ(FrameBits(dib), 16384.0 * 16384.0 * 3 * 8);
    dib.m_lpBuf = nullptr;
}
