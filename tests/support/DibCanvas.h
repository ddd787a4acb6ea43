// A white 32-bit memory canvas for the drawing tests: a memory context with a DIB
// section selected, whose pixels the test reads back directly.
#pragma once
#include "framework/CBitmap.h"
#include "framework/CDC.h"

#include <cstdint>

class DibCanvas
{
public:
    DibCanvas(int width, int height);
    ~DibCanvas();
    DibCanvas(const DibCanvas&) = delete;
    DibCanvas& operator=(const DibCanvas&) = delete;

    bool IsValid() const { return m_bits != nullptr && m_dc.m_hDC != nullptr; }
    CDC& DC() { return m_dc; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }

    // As a COLORREF (0x00BBGGRR); flushes pending GDI output first.
    COLORREF Pixel(int x, int y) const;
    // Pixels of that colour inside the rectangle.
    int CountPixels(const RECT& area, COLORREF color) const;
    void Clear(COLORREF color);

private:
    int m_width;
    int m_height;
    uint32_t* m_bits = nullptr;
    CDC m_dc;
    CBitmap m_bitmap;
    CBitmap* m_previousBitmap = nullptr;
};
