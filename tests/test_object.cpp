// Run-time class information of CObject.
#include <gtest/gtest.h>

#include "platform/Object.h"

TEST(RuntimeClass, NamesSizesAndCreates) {
    EXPECT_STREQ(CObject::classCObject.m_lpszClassName, "CObject");
    EXPECT_EQ(CObject::classCObject.CreateObject(), nullptr);
}
