// A real top-level window appears on the test display, paints, and can be photographed.
#include <gtest/gtest.h>

#include "tests/support/MessageCollector.h"
#include "tests/support/Screenshot.h"

using testing_support::MessageCollector;
using testing_support::Screenshot;

namespace {

const COLORREF kFill = RGB(0, 128, 255);
int g_paints = 0;

LRESULT CALLBACK SmokeWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(hwnd, &ps);
        RECT client;
        ::GetClientRect(hwnd, &client);
        HBRUSH brush = ::CreateSolidBrush(kFill);
        ::FillRect(dc, &client, brush);
        ::DeleteObject(brush);
        ::SetBkMode(dc, TRANSPARENT);
        ::TextOutA(dc, 10, 10, "Pyraxis window test", 19);
        ::EndPaint(hwnd, &ps);
        ++g_paints;
        return 0;
    }
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

TEST(WindowSmokeTest, WindowShowsPaintsAndIsCaptured)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = SmokeWindowProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = "PyraxisSmokeWindow";
    ASSERT_NE(::RegisterClassA(&wc), 0);

    HWND hwnd = ::CreateWindowExA(0, wc.lpszClassName, "Smoke test", WS_OVERLAPPEDWINDOW,
                                  40, 40, 360, 240, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(hwnd, nullptr) << ::GetLastError();
    ::ShowWindow(hwnd, SW_SHOW);
    ::UpdateWindow(hwnd);

    MessageCollector pump;
    pump.PumpFor(500);   // let the window manager map and expose the window
    ASSERT_TRUE(::IsWindowVisible(hwnd));
    EXPECT_GE(g_paints, 1);

    Screenshot shot = Screenshot::OfWindow(hwnd);
    ASSERT_FALSE(shot.Empty());
    EXPECT_EQ(shot.Width(), 360);
    // Most of the client area carries the fill colour: the pixels came from the display.
    EXPECT_GT(shot.CountPixels(kFill), static_cast<size_t>(360 * 240) / 2);
    EXPECT_NE(shot.Save("harness_window_smoke"), "");

    ::DestroyWindow(hwnd);
    ::UnregisterClassA(wc.lpszClassName, wc.hInstance);
}

} // namespace
