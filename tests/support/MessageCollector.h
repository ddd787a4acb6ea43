// Collects the messages that worker threads post: a message-only window on the test's
// thread, whose handle the code under test gets as its target, and a pump that waits,
// bounded in time, for the messages to arrive.
#pragma once
#include <windows.h>

#include <functional>
#include <vector>

namespace testing_support {

struct CollectedMessage {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    DWORD tick = 0;     // GetTickCount when it was received
};

class MessageCollector {
public:
    MessageCollector();
    ~MessageCollector();
    MessageCollector(const MessageCollector&) = delete;
    MessageCollector& operator=(const MessageCollector&) = delete;

    HWND Window() const { return m_hwnd; }

    // Pumps until one more message of the given id arrived, or the time-out passed;
    // true when it arrived.
    bool WaitFor(UINT message, DWORD timeoutMs);
    // Pumps until the predicate over everything collected holds, or the time-out passed.
    bool WaitUntil(const std::function<bool(const std::vector<CollectedMessage>&)>& done, DWORD timeoutMs);
    // Pumps for the given time, collecting what comes.
    void PumpFor(DWORD ms);

    const std::vector<CollectedMessage>& Messages() const { return m_messages; }
    std::vector<CollectedMessage> Messages(UINT message) const;
    size_t Count(UINT message) const;
    void Clear() { m_messages.clear(); }

    // Called for each message as it is collected, for example to free heap text that
    // the sender handed over in lParam.
    void SetOnMessage(std::function<void(const CollectedMessage&)> onMessage) { m_onMessage = std::move(onMessage); }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void PumpOnce(DWORD waitMs);

    HWND m_hwnd = nullptr;
    std::vector<CollectedMessage> m_messages;
    std::function<void(const CollectedMessage&)> m_onMessage;
};

} // namespace testing_support
