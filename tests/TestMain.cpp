// Shared main of every suite: message boxes are recorded rather than printed, and the date that
// images stamp into their headers is fixed.
#include <gtest/gtest.h>

#include "tests/support/Recorder.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new moro_test::RecorderEnvironment);
    return RUN_ALL_TESTS();
}
