// Screenshots of real windows for the window tests: the window's pixels as they are on
// the display, saved as a BMP file under build/screenshots (tools/test adds a PNG copy).
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

class Screenshot {
public:
    // Captures the whole window (frame included) from the screen.
    static Screenshot OfWindow(HWND hwnd);

    bool Empty() const { return m_width == 0 || m_height == 0; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    COLORREF Pixel(int x, int y) const;                 // window coordinates
    size_t CountPixels(COLORREF color) const;

    // Saves to build/screenshots/<name>.bmp; returns the Windows path, "" on failure.
    std::string Save(const std::string& name) const;

private:
    int m_width = 0;
    int m_height = 0;
    std::vector<uint32_t> m_pixels;   // top-down rows, 0x00RRGGBB
};

} // namespace testing_support
