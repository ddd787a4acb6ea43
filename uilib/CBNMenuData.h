// The record behind one owner-drawn menu item: its text, where its image comes from,
// the menu flags last applied and the command (or, for a popup, the submenu handle).
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CString.h"
#include "uilib/UiLibExport.h"

class CImageList;

class UILIB_API CBNMenuData
{
public:
    CBNMenuData();
    CBNMenuData(const CBNMenuData& other);
    CBNMenuData& operator=(const CBNMenuData& other);
    ~CBNMenuData();

    void SetWideString(const wchar_t* pszText);
    // Converted with the thread's code page; text that does not convert leaves none.
    void SetAnsiString(LPCSTR pszText);
    CString GetString() const;
    // Never NULL: an item without text has an empty one.
    const wchar_t* GetWideString() const;

    // Takes a copy of the list (the caller keeps its own); NULL drops the record's list.
    void SetImageList(CImageList* pList);
    // Takes the list over.
    void AdoptImageList(CImageList* pList);
    CImageList* GetImageList() const;
    BOOL HasImage() const;

    int m_nImageIndex;      // in the record's image list, -1 for none
    int m_nImageSource;     // toolbar bitmap id, 0 for an image list given directly, -1 for none
    UINT m_nFlags;          // MF_ flags as last applied to the item
    UINT_PTR m_nID;         // command id, or the submenu handle of a popup
    int m_nSyncFlag;        // marked while a synchronisation pass reuses records

private:
    wchar_t* m_pszText;
    CImageList* m_pImageList;
};
