// What the window tests share: the message boxes the program showed, and a fixture with
// an application object of its own that starts with no box left over from another test
// and ends with the messages the test posted dispatched.
#pragma once
#include "framework/CWinApp.h"
#include "tests/support/MessageBoxRecorder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace testing_support {

MessageBoxRecorder& Recorder();
// The texts of the boxes in the order shown; the last one, "" when none was shown.
std::vector<std::string> BoxTexts();
std::string LastBox();

class WindowTest : public ::testing::Test
{
protected:
    explicit WindowTest(LPCTSTR appName) : m_app(appName) {}
    void SetUp() override;
    void TearDown() override;

    CWinApp m_app;
};

} // namespace testing_support
