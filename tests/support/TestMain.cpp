// Main of every test program: no message box may block a test run.
#include <gtest/gtest.h>

#include "tests/support/MessageBoxRecorder.h"

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    testing_support::MessageBoxRecorder::Instance().Install();
    return RUN_ALL_TESTS();
}
