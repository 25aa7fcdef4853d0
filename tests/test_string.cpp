// CString formatting, as the speed sentence uses it.
#include <gtest/gtest.h>

#include "platform/String.h"

TEST(String, FormatsLikePrintf) {
    CString s;
    s.Format("The average encryption speed is about %g Mbps.", 40.0);
    EXPECT_EQ(s, "The average encryption speed is about 40 Mbps.");
    EXPECT_EQ(s.GetLength(), 46);
}
