#include <gtest/gtest.h>

#include "documents/TextHelpers.h"
#include "tests/support/MessageBoxRecorder.h"

using testing_support::MessageBoxRecorder;

TEST(TextHelpers, WideToNarrowKeepsTheText)
{
    EXPECT_EQ("", WideToNarrow(L""));
    EXPECT_EQ("C:\\logs\\Varnix-1234.xml", WideToNarrow(L"C:\\logs\\Varnix-1234.xml"));
    EXPECT_EQ(std::string("a\0b", 3), WideToNarrow(std::wstring(L"a\0b", 3)));
    const std::wstring longText(100000, L'x');
    EXPECT_EQ(std::string(100000, 'x'), WideToNarrow(longText));
}

TEST(TextHelpers, WideToNarrowUsesTheThreadCodePage)
{
    const std::wstring text = L"Temp \u00b0C";
    char expected[32] = {};
    WideCharToMultiByte(CP_THREAD_ACP, 0, text.c_str(), -1, expected, sizeof(expected), nullptr, nullptr);
    EXPECT_EQ(std::string(expected), WideToNarrow(text));
}

TEST(TextHelpers, WideMessageBoxShowsTheNarrowTextAndReturnsTheAnswer)
{
    MessageBoxRecorder& recorder = MessageBoxRecorder::Instance();
    recorder.Clear();
    recorder.QueueAnswer(IDNO);
    EXPECT_EQ(IDNO, ShowMessageBoxWide(L"unable to open log file", MB_YESNO | MB_ICONQUESTION, 0));
    const auto boxes = recorder.Boxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("unable to open log file", boxes[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONQUESTION), boxes[0].type & (MB_TYPEMASK | MB_ICONMASK));
    recorder.Clear();
}

TEST(TextHelpers, EscapeQuotesEscapesQuotesAndBackslashes)
{
    EXPECT_EQ("", EscapeQuotes(""));
    EXPECT_EQ("plain", EscapeQuotes("plain"));
    EXPECT_EQ("say \\\"hi\\\"", EscapeQuotes("say \"hi\""));
    EXPECT_EQ("C:\\\\logs", EscapeQuotes("C:\\logs"));
    EXPECT_EQ("\\\\\\\"", EscapeQuotes("\\\""));
}

TEST(TextHelpers, DegreesToRadians)
{
    EXPECT_FLOAT_EQ(0.0f, DegreesToRadians(0.0f));
    EXPECT_FLOAT_EQ(3.14159274f, DegreesToRadians(180.0f));
    EXPECT_FLOAT_EQ(1.57079637f, DegreesToRadians(90.0f));
    EXPECT_FLOAT_EQ(-6.2831855f, DegreesToRadians(-360.0f));
}
