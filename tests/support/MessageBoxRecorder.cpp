#include "tests/support/MessageBoxRecorder.h"

#include "framework/MessageBoxHook.h"

namespace testing_support {

MessageBoxRecorder& MessageBoxRecorder::Instance()
{
    static MessageBoxRecorder recorder;
    return recorder;
}

void MessageBoxRecorder::Install()
{
    SetMessageBoxHandler(&MessageBoxRecorder::Handler);
}

void MessageBoxRecorder::Clear()
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_boxes.clear();
    m_answers.clear();
}

void MessageBoxRecorder::QueueAnswer(int answer)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_answers.push_back(answer);
}

std::vector<RecordedMessageBox> MessageBoxRecorder::Boxes() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_boxes;
}

size_t MessageBoxRecorder::Count() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_boxes.size();
}

int MessageBoxRecorder::DefaultAnswer(UINT type)
{
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: return IDOK;
    case MB_ABORTRETRYIGNORE: return IDABORT;
    case MB_YESNOCANCEL: return IDYES;
    case MB_YESNO: return IDYES;
    case MB_RETRYCANCEL: return IDRETRY;
    case MB_CANCELTRYCONTINUE: return IDCANCEL;
    default: return IDOK;
    }
}

int MessageBoxRecorder::Handler(HWND, const char* text, const char* caption, UINT type)
{
    MessageBoxRecorder& self = Instance();
    std::lock_guard<std::mutex> guard(self.m_lock);
    self.m_boxes.push_back({text ? text : "", caption ? caption : "", type});
    if (!self.m_answers.empty()) {
        int answer = self.m_answers.front();
        self.m_answers.pop_front();
        return answer;
    }
    return DefaultAnswer(type);
}

} // namespace testing_support
