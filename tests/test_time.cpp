// The current date, which tests set to stamp images with a known day.
#include <gtest/gtest.h>

#include "platform/Time.h"

TEST(Time, SettableClockDrivesTheCurrentDate) {
    CTime::SetClock(CTime(2004, 2, 29, 12).GetTime());
    CTime now = CTime::GetCurrentTime();
    EXPECT_EQ(now.GetYear(), 2004);
    EXPECT_EQ(now.GetMonth(), 2);
    EXPECT_EQ(now.GetDay(), 29);
    CTime::ResetClock();
    EXPECT_GE(CTime::GetCurrentTime().GetYear(), 2024);
}
