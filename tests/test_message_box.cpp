// Message boxes go through one replaceable handler; the tests' recorder is one.
#include <gtest/gtest.h>

#include "platform/MessageBox.h"
#include "tests/support/Recorder.h"

using namespace moro_test;

TEST(MessageBox, HandlerSeesTextCaptionAndStyle) {
    AfxMessageBox("读取文件失败！", MB_ICONSTOP);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text, "读取文件失败！");
    EXPECT_EQ(Messages()[0].caption, "MORO");
    EXPECT_EQ(Messages()[0].style, 16u);
}
