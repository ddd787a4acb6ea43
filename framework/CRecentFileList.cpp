#include "framework/CRecentFileList.h"
#include "framework/CCmdUI.h"
#include "framework/CWinApp.h"

#include <algorithm>

CRecentFileList::CRecentFileList(UINT nStart, LPCTSTR lpszSection, LPCTSTR lpszEntryFormat, int nSize)
    : m_nStart(nStart), m_strSectionName(lpszSection), m_strEntryFormat(lpszEntryFormat),
      m_nMaxSize(std::max(nSize, 0))
{
}

void CRecentFileList::Add(LPCTSTR lpszPathName)
{
    if (lpszPathName == nullptr || *lpszPathName == '\0' || m_nMaxSize == 0)
        return;
    char fullPath[MAX_PATH];
    CString path = lpszPathName;
    if (::GetFullPathNameA(lpszPathName, MAX_PATH, fullPath, nullptr) != 0)
        path = fullPath;

    for (size_t index = 0; index < m_arrNames.size(); ++index)
    {
        if (m_arrNames[index].CompareNoCase(path) == 0)
        {
            m_arrNames.erase(m_arrNames.begin() + static_cast<std::ptrdiff_t>(index));
            break;
        }
    }
    m_arrNames.insert(m_arrNames.begin(), path);
    if (m_arrNames.size() > static_cast<size_t>(m_nMaxSize))
        m_arrNames.resize(static_cast<size_t>(m_nMaxSize));
}

void CRecentFileList::Remove(int nIndex)
{
    if (nIndex >= 0 && nIndex < GetSize())
        m_arrNames.erase(m_arrNames.begin() + nIndex);
}

void CRecentFileList::ReadList()
{
    CWinApp* app = AfxGetApp();
    if (app == nullptr)
        return;
    m_arrNames.clear();
    for (int number = 1; number <= m_nMaxSize; ++number)
    {
        CString entry;
        entry.Format(m_strEntryFormat, number);
        CString name = app->GetProfileString(m_strSectionName, entry, "");
        if (!name.IsEmpty())
            m_arrNames.push_back(name);
    }
}

void CRecentFileList::WriteList()
{
    CWinApp* app = AfxGetApp();
    if (app == nullptr)
        return;
    // Entries of a longer earlier list must not survive.
    app->WriteProfileString(m_strSectionName, nullptr, nullptr);
    for (int index = 0; index < GetSize(); ++index)
    {
        CString entry;
        entry.Format(m_strEntryFormat, index + 1);
        app->WriteProfileString(m_strSectionName, entry, m_arrNames[static_cast<size_t>(index)]);
    }
}

void CRecentFileList::UpdateMenu(CCmdUI* pCmdUI)
{
    HMENU menu = pCmdUI->m_hMenu;
    if (m_strOriginal.IsEmpty() && menu != nullptr)
    {
        char text[256] = "";
        ::GetMenuString(menu, pCmdUI->m_nID, text, sizeof text, MF_BYCOMMAND);
        m_strOriginal = text;
    }

    if (m_arrNames.empty())
    {
        // One item stays, showing the original text; entries shown before go.
        if (menu != nullptr)
        {
            for (int index = 1; index < m_nMaxSize; ++index)
                ::DeleteMenu(menu, m_nStart + static_cast<UINT>(index), MF_BYCOMMAND);
            pCmdUI->m_nIndexMax = static_cast<UINT>(::GetMenuItemCount(menu));
        }
        if (!m_strOriginal.IsEmpty())
            pCmdUI->SetText(m_strOriginal);
        pCmdUI->Enable(FALSE);
        return;
    }
    if (menu == nullptr)
        return;

    for (int index = 0; index < m_nMaxSize; ++index)
        ::DeleteMenu(menu, m_nStart + static_cast<UINT>(index), MF_BYCOMMAND);
    for (int index = 0; index < GetSize(); ++index)
    {
        CString text;
        text.Format("&%d %s", index + 1, static_cast<const char*>(m_arrNames[static_cast<size_t>(index)]));
        ::InsertMenu(menu, pCmdUI->m_nIndex++, MF_STRING | MF_BYPOSITION, m_nStart + static_cast<UINT>(index), text);
    }
    // Leave the index on the last inserted item: the caller's loop moves on from there.
    pCmdUI->m_nIndex--;
    pCmdUI->m_nIndexMax = static_cast<UINT>(::GetMenuItemCount(menu));
    pCmdUI->m_bEnableChanged = TRUE;
}
