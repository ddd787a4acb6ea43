#include "tests/support/Screenshot.h"

#include "tests/support/TestPaths.h"

#include <cstdio>

namespace testing_support {

Screenshot Screenshot::OfWindow(HWND hwnd)
{
    Screenshot shot;
    RECT rect;
    if (!::GetWindowRect(hwnd, &rect))
        return shot;
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0)
        return shot;

    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;   // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap && bits) {
        HGDIOBJ old = ::SelectObject(memory, bitmap);
        ::BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
        ::GdiFlush();
        shot.m_width = width;
        shot.m_height = height;
        const auto* source = static_cast<const uint32_t*>(bits);
        shot.m_pixels.assign(source, source + static_cast<size_t>(width) * height);
        ::SelectObject(memory, old);
    }
    if (bitmap)
        ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return shot;
}

COLORREF Screenshot::Pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return CLR_INVALID;
    uint32_t p = m_pixels[static_cast<size_t>(y) * m_width + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

size_t Screenshot::CountPixels(COLORREF color) const
{
    size_t n = 0;
    for (int y = 0; y < m_height; ++y)
        for (int x = 0; x < m_width; ++x)
            if (Pixel(x, y) == color)
                ++n;
    return n;
}

std::string Screenshot::Save(const std::string& name) const
{
    if (Empty())
        return "";
    std::string folder = BuildPath("screenshots");
    if (!EnsureDirectory(folder))
        return "";
    std::string path = folder + "\\" + name + ".bmp";
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return "";
    const DWORD imageSize = static_cast<DWORD>(m_pixels.size() * 4);
    BITMAPFILEHEADER header = {};
    header.bfType = 0x4D42;   // "BM"
    header.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    header.bfSize = header.bfOffBits + imageSize;
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = m_width;
    info.biHeight = -m_height;
    info.biPlanes = 1;
    info.biBitCount = 32;
    info.biCompression = BI_RGB;
    info.biSizeImage = imageSize;
    // Opaque pixels: the screen's copy leaves the alpha byte as the drawing left it (0
    // mostly, set where icons were drawn), and image viewers would honour it.
    std::vector<uint32_t> opaque(m_pixels);
    for (uint32_t& pixel : opaque)
        pixel |= 0xFF000000u;
    bool ok = std::fwrite(&header, sizeof header, 1, file) == 1 &&
              std::fwrite(&info, sizeof info, 1, file) == 1 &&
              std::fwrite(opaque.data(), imageSize, 1, file) == 1;
    ok = (std::fclose(file) == 0) && ok;
    return ok ? path : "";
}

} // namespace testing_support
