// Replaces the programs' message boxes in tests: every box is recorded (text, caption,
// style) and answered at once, from a queue of scripted answers or else with the
// default button of its style. Installed by the test main for every test program.
#pragma once
#include <windows.h>

#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace testing_support {

struct RecordedMessageBox {
    std::string text;
    std::string caption;
    UINT type = 0;
};

class MessageBoxRecorder {
public:
    static MessageBoxRecorder& Instance();

    void Install();
    void Clear();                       // forgets the boxes and the scripted answers
    void QueueAnswer(int answer);       // the next box returns this (IDYES, IDCANCEL...)
    std::vector<RecordedMessageBox> Boxes() const;
    size_t Count() const;

    // The answer a box gets when nothing is queued: the first button of its style.
    static int DefaultAnswer(UINT type);

private:
    static int Handler(HWND owner, const char* text, const char* caption, UINT type);

    mutable std::mutex m_lock;
    std::vector<RecordedMessageBox> m_boxes;
    std::deque<int> m_answers;
};

} // namespace testing_support
