#include "tests/support/DibCanvas.h"

#include <cstring>

DibCanvas::DibCanvas(int width, int height) : m_width(width), m_height(height)
{
    BITMAPINFO info;
    std::memset(&info, 0, sizeof(info));
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;   // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP section = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (section == nullptr || !m_dc.CreateCompatibleDC(nullptr)) {
        if (section != nullptr)
            ::DeleteObject(section);
        return;
    }
    m_bitmap.Attach(section);
    m_bits = static_cast<uint32_t*>(bits);
    m_previousBitmap = m_dc.SelectObject(&m_bitmap);
    Clear(RGB(255, 255, 255));
}

DibCanvas::~DibCanvas()
{
    if (m_previousBitmap != nullptr)
        m_dc.SelectObject(m_previousBitmap);
}

COLORREF DibCanvas::Pixel(int x, int y) const
{
    ::GdiFlush();
    uint32_t value = m_bits[y * m_width + x];
    return RGB((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
}

int DibCanvas::CountPixels(const RECT& area, COLORREF color) const
{
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (Pixel(x, y) == color)
                ++count;
    return count;
}

void DibCanvas::Clear(COLORREF color)
{
    m_dc.FillSolidRect(0, 0, m_width, m_height, color);
}
