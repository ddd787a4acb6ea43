#include "tests/support/WindowTest.h"

#include "tests/support/PendingMessages.h"

namespace testing_support {

MessageBoxRecorder& Recorder()
{
    return MessageBoxRecorder::Instance();
}

std::vector<std::string> BoxTexts()
{
    std::vector<std::string> texts;
    for (const RecordedMessageBox& box : Recorder().Boxes())
        texts.push_back(box.text);
    return texts;
}

std::string LastBox()
{
    const std::vector<RecordedMessageBox> boxes = Recorder().Boxes();
    return boxes.empty() ? "" : boxes.back().text;
}

void WindowTest::SetUp()
{
    Recorder().Clear();
}

void WindowTest::TearDown()
{
    DispatchPendingMessages();
    Recorder().Clear();
}

} // namespace testing_support
