// Progress callback that posts each count to a window: PostMessage(window, message,
// count, fixed).
#pragma once
#include "framework/FrameworkBase.h"
#include "wizards/framework/IFunctor1.h"

class CMessagePoster : public IFunctor1
{
public:
    CMessagePoster(HWND window, UINT message, LPARAM fixed) : m_window(window), m_message(message), m_fixed(fixed) {}

    void operator()(int value) override
    {
        ::PostMessageA(m_window, m_message, static_cast<WPARAM>(value), m_fixed);
    }

private:
    HWND m_window;
    UINT m_message;
    LPARAM m_fixed;
};
