#include "tests/support/MessageCollector.h"

#include <algorithm>

namespace testing_support {

namespace {
const char kClassName[] = "TestMessageCollector";

void RegisterCollectorClass(WNDPROC proc)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = proc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = kClassName;
    ::RegisterClassA(&wc);   // fails harmlessly when already registered
}
} // namespace

MessageCollector::MessageCollector()
{
    RegisterCollectorClass(&MessageCollector::WindowProc);
    m_hwnd = ::CreateWindowExA(0, kClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               ::GetModuleHandleA(nullptr), nullptr);
    ::SetWindowLongPtrA(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

MessageCollector::~MessageCollector()
{
    if (m_hwnd)
        ::DestroyWindow(m_hwnd);
}

LRESULT CALLBACK MessageCollector::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<MessageCollector*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self && message >= WM_USER) {
        CollectedMessage m{message, wParam, lParam, ::GetTickCount()};
        self->m_messages.push_back(m);
        if (self->m_onMessage)
            self->m_onMessage(m);
        return 0;
    }
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

void MessageCollector::PumpOnce(DWORD waitMs)
{
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, waitMs, QS_ALLINPUT);
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

bool MessageCollector::WaitUntil(const std::function<bool(const std::vector<CollectedMessage>&)>& done,
                                 DWORD timeoutMs)
{
    const DWORD start = ::GetTickCount();
    for (;;) {
        if (done(m_messages))
            return true;
        DWORD elapsed = ::GetTickCount() - start;
        if (elapsed >= timeoutMs)
            return false;
        PumpOnce(std::min<DWORD>(timeoutMs - elapsed, 50));
    }
}

bool MessageCollector::WaitFor(UINT message, DWORD timeoutMs)
{
    const size_t before = Count(message);
    return WaitUntil([&](const std::vector<CollectedMessage>&) { return Count(message) > before; }, timeoutMs);
}

void MessageCollector::PumpFor(DWORD ms)
{
    const DWORD start = ::GetTickCount();
    for (;;) {
        DWORD elapsed = ::GetTickCount() - start;
        if (elapsed >= ms)
            return;
        PumpOnce(std::min<DWORD>(ms - elapsed, 50));
    }
}

std::vector<CollectedMessage> MessageCollector::Messages(UINT message) const
{
    std::vector<CollectedMessage> result;
    for (const auto& m : m_messages)
        if (m.message == message)
            result.push_back(m);
    return result;
}

size_t MessageCollector::Count(UINT message) const
{
    size_t n = 0;
    for (const auto& m : m_messages)
        if (m.message == message)
            ++n;
    return n;
}

} // namespace testing_support
