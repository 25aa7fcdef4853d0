// Test support: the PNG and JPEG files of tests/data/foreign/, written by other programs, each with
// the BMP file of the pixels those programs decode from it (NAME.expected.bmp).
#pragma once

#include <string>

#include "dib/Dib.h"
#include "tests/support/Images.h"

namespace moro_test {

inline std::string ForeignFile(const std::string& name) {
    return std::string(MORO_SOURCE_DIR) + "/tests/data/foreign/" + name;
}

// Loads NAME through the library's loader for its extension and expects the pixels, depth and
// size of NAME.expected.bmp.
inline void ExpectLoadsAsTheOtherProgramDecodesIt(const std::string& name) {
    SCOPED_TRACE(name);
    CDib expected, loaded;
    ASSERT_TRUE(expected.LoadBmp(ForeignFile(name + ".expected.bmp").c_str()));
    ASSERT_TRUE(loaded.LoadFile(ForeignFile(name).c_str()));
    EXPECT_EQ(loaded.m_nBitCount, expected.m_nBitCount == 24 ? 24 : 8);
    EXPECT_EQ(loaded.m_nWidth, expected.m_nWidth);
    EXPECT_EQ(loaded.m_nHeight, expected.m_nHeight);
    EXPECT_EQ(RgbPixels(loaded), RgbPixels(expected));
}

}  // namespace moro_test
