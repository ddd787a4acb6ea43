#include "tests/support/RecordingPrintTarget.h"

namespace testing_support {

RecordingPrintTarget::RecordingPrintTarget(int width, int height) : m_width(width), m_height(height)
{
    HDC screen = ::GetDC(nullptr);
    m_dc = ::CreateCompatibleDC(screen);
    m_bitmap = ::CreateCompatibleBitmap(screen, width, height);
    ::ReleaseDC(nullptr, screen);
    m_old = ::SelectObject(m_dc, m_bitmap);
    RECT all = {0, 0, width, height};
    ::FillRect(m_dc, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
}

RecordingPrintTarget::~RecordingPrintTarget()
{
    ::SelectObject(m_dc, m_old);
    ::DeleteObject(m_bitmap);
    ::DeleteDC(m_dc);
}

HDC RecordingPrintTarget::ChoosePrinter()
{
    return cancel ? nullptr : m_dc;
}

RECT RecordingPrintTarget::GetPageRect(HDC)
{
    return RECT{0, 0, m_width, m_height};
}

int RecordingPrintTarget::StartJob(HDC, const char* name)
{
    jobName = name;
    return 5;
}

int RecordingPrintTarget::StartPage(HDC)
{
    return ++pages;
}

int RecordingPrintTarget::EndPage(HDC)
{
    return refusePage ? -1 : 1;
}

int RecordingPrintTarget::EndJob(HDC)
{
    return ++ended;
}

int RecordingPrintTarget::AbortJob(HDC)
{
    return ++aborted;
}

void RecordingPrintTarget::ReleasePrinter(HDC)
{
    ++released;
}

int RecordingPrintTarget::Count(COLORREF colour, const RECT& area) const
{
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            count += Pixel(x, y) == colour;
    return count;
}

} // namespace testing_support
