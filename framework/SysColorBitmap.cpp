#include "framework/SysColorBitmap.h"

#include <cstring>
#include <vector>

namespace
{
// A colour as it stands in a colour table (blue first) from a COLORREF (red first).
RGBQUAD TableEntry(COLORREF color)
{
    RGBQUAD entry = {};
    entry.rgbRed = GetRValue(color);
    entry.rgbGreen = GetGValue(color);
    entry.rgbBlue = GetBValue(color);
    return entry;
}

bool SameColor(const RGBQUAD& entry, COLORREF color)
{
    return entry.rgbRed == GetRValue(color) && entry.rgbGreen == GetGValue(color) &&
           entry.rgbBlue == GetBValue(color);
}
} // namespace

HBITMAP AfxLoadSysColorBitmap(HINSTANCE hInst, HRSRC hRsrc, BOOL bMono)
{
    if (hRsrc == nullptr)
        return nullptr;
    HGLOBAL hGlobal = ::LoadResource(hInst, hRsrc);
    const auto* pBytes = hGlobal != nullptr ? static_cast<const BYTE*>(::LockResource(hGlobal)) : nullptr;
    const DWORD nSize = ::SizeofResource(hInst, hRsrc);
    if (pBytes == nullptr || nSize < sizeof(BITMAPINFOHEADER))
        return nullptr;

    BITMAPINFOHEADER header;
    std::memcpy(&header, pBytes, sizeof(header));
    if (header.biSize < sizeof(BITMAPINFOHEADER) || header.biWidth <= 0 || header.biHeight == 0 ||
        header.biPlanes != 1 || header.biCompression != BI_RGB)
        return nullptr;
    DWORD nColors = header.biClrUsed;
    if (nColors == 0 && header.biBitCount <= 8)
        nColors = 1u << header.biBitCount;
    if (nColors > 256)
        return nullptr;
    const DWORD nTableOffset = header.biSize;
    const DWORD nBitsOffset = nTableOffset + nColors * sizeof(RGBQUAD);
    const LONG nHeight = header.biHeight < 0 ? -header.biHeight : header.biHeight;
    const DWORD nStride = ((static_cast<DWORD>(header.biWidth) * header.biBitCount + 31) / 32) * 4;
    if (nBitsOffset > nSize || static_cast<unsigned long long>(nStride) * nHeight > nSize - nBitsOffset)
        return nullptr;   // cut short

    // A private copy of the header and colour table, with the button colours mapped.
    std::vector<BYTE> info(sizeof(BITMAPINFOHEADER) + nColors * sizeof(RGBQUAD));
    BITMAPINFOHEADER copy = header;
    copy.biSize = sizeof(BITMAPINFOHEADER);
    copy.biClrUsed = nColors;
    std::memcpy(info.data(), &copy, sizeof(copy));
    auto* pTable = reinterpret_cast<RGBQUAD*>(info.data() + sizeof(BITMAPINFOHEADER));
    std::memcpy(pTable, pBytes + nTableOffset, nColors * sizeof(RGBQUAD));

    struct Mapping
    {
        COLORREF from;
        int sysColor;
    };
    const Mapping mappings[] = {{RGB(0, 0, 0), COLOR_BTNTEXT},
                                {RGB(128, 128, 128), COLOR_BTNSHADOW},
                                {RGB(192, 192, 192), COLOR_BTNFACE},
                                {RGB(255, 255, 255), COLOR_BTNHIGHLIGHT}};
    const DWORD nMapped = nColors < 16 ? nColors : 16;
    for (DWORD i = 0; i < nMapped; i++)
    {
        for (const Mapping& mapping : mappings)
        {
            if (!SameColor(pTable[i], mapping.from))
                continue;
            COLORREF color = ::GetSysColor(mapping.sysColor);
            if (bMono && mapping.sysColor != COLOR_BTNTEXT)
                color = RGB(255, 255, 255);
            pTable[i] = TableEntry(color);
            break;
        }
    }

    HDC hScreen = ::GetDC(nullptr);
    HBITMAP hBitmap = ::CreateCompatibleBitmap(hScreen, header.biWidth, nHeight);
    if (hBitmap != nullptr)
    {
        HDC hMemDC = ::CreateCompatibleDC(hScreen);
        HGDIOBJ hOld = ::SelectObject(hMemDC, hBitmap);
        ::StretchDIBits(hMemDC, 0, 0, header.biWidth, nHeight, 0, 0, header.biWidth, nHeight,
                        pBytes + nBitsOffset, reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS, SRCCOPY);
        ::SelectObject(hMemDC, hOld);
        ::DeleteDC(hMemDC);
    }
    ::ReleaseDC(nullptr, hScreen);
    return hBitmap;
}
