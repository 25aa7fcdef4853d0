// Rounding with random halves: the generator is drawn at exact halves only, since one extra draw
// would change every later random rounding of a run.
#include <gtest/gtest.h>

#include "dib/ImageMath.h"
#include "platform/Rand.h"

TEST(RoundHalfRandom, DrawsOnlyAtExactHalves) {
    crt::srand(1);  // draws 41, 18467, ...
    EXPECT_EQ(RoundHalfRandom(2.49), 2);
    EXPECT_EQ(RoundHalfRandom(2.51), 3);
    EXPECT_EQ(RoundHalfRandom(-0.2), 0);
    EXPECT_EQ(crt::rand(), 41) << "no draw away from halves";
    EXPECT_EQ(RoundHalfRandom(138.5), 139) << "18467 > 0x3FFF rounds up";
    EXPECT_EQ(RoundHalfRandom(7.5), 7) << "6334 <= 0x3FFF rounds down";
    EXPECT_EQ(RoundHalfRandom(-1.5), -1) << "26500 rounds up from -2";
}
