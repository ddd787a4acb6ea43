// A toolbar resource (type 241): 16-bit words version, image width, image height, item
// count, then one command id per item (0 for a separator). Toolbars load their buttons
// from it; owner-drawn menus find the image of a command in it.
#pragma once
#include "framework/FrameworkBase.h"

#include <vector>

#ifndef RT_TOOLBAR
#define RT_TOOLBAR MAKEINTRESOURCE(241)
#endif

class CToolBarResource
{
public:
    CToolBarResource();

    // Reads the resource from the framework's resource module; FALSE when it is missing,
    // of another version or cut short (and the object is then empty).
    BOOL Load(LPCTSTR lpszResourceName);
    // The same from resource bytes.
    BOOL Parse(const void* pData, DWORD nBytes);

    int GetImageWidth() const;
    int GetImageHeight() const;
    int GetItemCount() const;
    const UINT* GetItems() const;
    // The image of a command: the number of buttons (separators not counted) before it;
    // -1 when the command is not on the toolbar or id is 0.
    int ImageIndexOf(UINT nID) const;

private:
    int m_nImageWidth;
    int m_nImageHeight;
    std::vector<UINT> m_items;
};
