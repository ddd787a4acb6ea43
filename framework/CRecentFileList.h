// The most-recently-used file list: kept in the profile and shown in a menu in place of
// the item ID_FILE_MRU_FILE1.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CString.h"

#include <vector>

class CCmdUI;

class CRecentFileList
{
public:
    // nStart: the command id of the first entry; lpszEntryFormat e.g. "File%d".
    CRecentFileList(UINT nStart, LPCTSTR lpszSection, LPCTSTR lpszEntryFormat, int nSize);
    virtual ~CRecentFileList() = default;

    int GetSize() const { return static_cast<int>(m_arrNames.size()); }
    const CString& operator[](int nIndex) const { return m_arrNames[nIndex]; }

    // Puts the path first; an entry of the same path (any case) moves up instead.
    virtual void Add(LPCTSTR lpszPathName);
    virtual void Remove(int nIndex);
    virtual void ReadList();
    virtual void WriteList();
    // Replaces the menu items of the list by "&1 path", ... (or the original item when empty).
    virtual void UpdateMenu(CCmdUI* pCmdUI);

    UINT m_nStart;
    CString m_strSectionName;
    CString m_strEntryFormat;
    CString m_strOriginal;      // the text of the item while the list is empty

private:
    int m_nMaxSize;
    std::vector<CString> m_arrNames;    // only non-empty names, most recent first
};
