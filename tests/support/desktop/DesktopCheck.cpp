// desktop_check WIDTH HEIGHT [--hold]: makes a top-level window on the desktop of the Wine
// prefix it runs in and says whether the desktop is drawn on the X display the program was
// given. The first program that needs the desktop brings it up with its own environment; the
// test run starts this one first, with the run's display, so that every later program of the
// run finds the desktop on that display. Exit code 0: a window could be made and the screen
// has the display's size; 1: the desktop has no usable display driver.
// --hold: after a good check the program stays until it is ended. Wine closes a desktop about
// a second after its last program ends, and the next program to need one brings it up again
// with its own environment: a test without a display would then leave the rest of the run
// without windows. The test run keeps one of these running so that never happens.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    const bool hold = argc == 4 && std::strcmp(argv[3], "--hold") == 0;
    if (argc != 3 && !hold)
    {
        std::fprintf(stderr, "usage: desktop_check WIDTH HEIGHT [--hold]\n");
        return 2;
    }
    const int expectedWidth = std::atoi(argv[1]);
    const int expectedHeight = std::atoi(argv[2]);

    HWND window = CreateWindowExA(0, "STATIC", "desktop check", WS_OVERLAPPEDWINDOW, 0, 0, 100, 50,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (window == nullptr)
    {
        std::fprintf(stderr, "desktop_check: no window could be made (error %lu)\n", GetLastError());
        return 1;
    }
    DestroyWindow(window);

    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    if (width != expectedWidth || height != expectedHeight)
    {
        std::fprintf(stderr, "desktop_check: the screen is %dx%d, not the display's %dx%d\n", width, height,
                     expectedWidth, expectedHeight);
        return 1;
    }
    std::printf("desktop_check: the desktop is on the display (%dx%d)\n", width, height);
    if (hold)
    {
        std::fflush(stdout);
        // No window and no message loop: nothing is ever sent to it to wait on.
        for (;;)
            Sleep(INFINITE);
    }
    return 0;
}
