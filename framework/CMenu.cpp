#include "framework/CMenu.h"

#include "framework/CBitmap.h"
#include "framework/CHandleMap.h"
#include "framework/CWnd.h"
#include "framework/ResourceHandle.h"

#include <vector>

IMPLEMENT_DYNAMIC(CMenu, CObject)

using MenuHandleMap = CHandleMap<CMenu, HMENU>;

namespace
{

thread_local HMENU trackedPopup = nullptr;

HBITMAP BitmapHandle(const CBitmap* pBitmap)
{
    return pBitmap != nullptr ? static_cast<HBITMAP>(pBitmap->m_hObject) : nullptr;
}

// Depth-first search for the item; permanentAbove is the nearest permanent menu on the
// way down to hMenu.
CMenu* FindHolder(HMENU hMenu, UINT nItemID, CMenu* permanentAbove, int depth)
{
    // Menus cannot nest deeper than this in practice; the limit guards against a cycle.
    if (hMenu == nullptr || depth > 32)
        return nullptr;
    if (CMenu* permanent = CMenu::FromHandlePermanent(hMenu))
        permanentAbove = permanent;
    int count = ::GetMenuItemCount(hMenu);
    for (int pos = 0; pos < count; ++pos) {
        HMENU hSubMenu = ::GetSubMenu(hMenu, pos);
        if (hSubMenu != nullptr) {
            // A popup item is measured under the id its submenu handle gives it.
            if (static_cast<UINT>(reinterpret_cast<UINT_PTR>(hSubMenu)) == nItemID)
                return permanentAbove;
            if (CMenu* found = FindHolder(hSubMenu, nItemID, permanentAbove, depth + 1))
                return found;
        } else if (::GetMenuItemID(hMenu, pos) == nItemID) {
            return permanentAbove;
        }
    }
    return nullptr;
}

} // namespace

CMenu::~CMenu()
{
    // Not virtual here: a derived menu has cleaned up its own part already.
    CMenu::DestroyMenu();
}

CMenu* CMenu::FromHandle(HMENU hMenu)
{
    if (hMenu == nullptr)
        return nullptr;
    if (CMenu* permanent = MenuHandleMap::LookupPermanent(hMenu))
        return permanent;
    if (CMenu* temporary = MenuHandleMap::LookupTemporary(hMenu))
        return temporary;
    CMenu* wrapper = new CMenu;
    wrapper->m_hMenu = hMenu;
    MenuHandleMap::AddTemporary(hMenu, wrapper);
    return wrapper;
}

CMenu* CMenu::FromHandlePermanent(HMENU hMenu)
{
    return hMenu == nullptr ? nullptr : MenuHandleMap::LookupPermanent(hMenu);
}

void CMenu::DeleteTempMap()
{
    for (CMenu* wrapper : MenuHandleMap::TakeTemporaries()) {
        wrapper->m_hMenu = nullptr;   // the menu belongs to someone else
        delete wrapper;
    }
}

BOOL CMenu::Attach(HMENU hMenu)
{
    ASSERT(m_hMenu == nullptr);
    if (hMenu == nullptr)
        return FALSE;
    m_hMenu = hMenu;
    MenuHandleMap::SetPermanent(hMenu, this);
    return TRUE;
}

HMENU CMenu::Detach()
{
    HMENU hMenu = m_hMenu;
    if (hMenu != nullptr) {
        MenuHandleMap::RemovePermanent(hMenu, this);
        MenuHandleMap::RemoveTemporary(hMenu, this);
    }
    m_hMenu = nullptr;
    return hMenu;
}

BOOL CMenu::CreateMenu()
{
    return Attach(::CreateMenu());
}

BOOL CMenu::CreatePopupMenu()
{
    return Attach(::CreatePopupMenu());
}

BOOL CMenu::LoadMenu(LPCTSTR lpszResourceName)
{
    return Attach(::LoadMenu(AfxGetResourceHandle(), lpszResourceName));
}

BOOL CMenu::LoadMenu(UINT nIDResource)
{
    return LoadMenu(MAKEINTRESOURCE(nIDResource));
}

BOOL CMenu::LoadMenuIndirect(const void* lpMenuTemplate)
{
    return Attach(::LoadMenuIndirect(lpMenuTemplate));
}

BOOL CMenu::DestroyMenu()
{
    if (m_hMenu == nullptr)
        return FALSE;
    return ::DestroyMenu(Detach());
}

BOOL CMenu::AppendMenu(UINT nFlags, UINT_PTR nIDNewItem, LPCTSTR lpszNewItem)
{
    return ::AppendMenu(m_hMenu, nFlags, nIDNewItem, lpszNewItem);
}

BOOL CMenu::AppendMenu(UINT nFlags, UINT_PTR nIDNewItem, const CBitmap* pBmp)
{
    return ::AppendMenu(m_hMenu, nFlags | MF_BITMAP, nIDNewItem, reinterpret_cast<LPCTSTR>(BitmapHandle(pBmp)));
}

BOOL CMenu::InsertMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem, LPCTSTR lpszNewItem)
{
    return ::InsertMenu(m_hMenu, nPosition, nFlags, nIDNewItem, lpszNewItem);
}

BOOL CMenu::InsertMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem, const CBitmap* pBmp)
{
    return ::InsertMenu(m_hMenu, nPosition, nFlags | MF_BITMAP, nIDNewItem,
                        reinterpret_cast<LPCTSTR>(BitmapHandle(pBmp)));
}

BOOL CMenu::ModifyMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem, LPCTSTR lpszNewItem)
{
    return ::ModifyMenu(m_hMenu, nPosition, nFlags, nIDNewItem, lpszNewItem);
}

BOOL CMenu::ModifyMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem, const CBitmap* pBmp)
{
    return ::ModifyMenu(m_hMenu, nPosition, nFlags | MF_BITMAP, nIDNewItem,
                        reinterpret_cast<LPCTSTR>(BitmapHandle(pBmp)));
}

BOOL CMenu::RemoveMenu(UINT nPosition, UINT nFlags)
{
    return ::RemoveMenu(m_hMenu, nPosition, nFlags);
}

BOOL CMenu::DeleteMenu(UINT nPosition, UINT nFlags)
{
    return ::DeleteMenu(m_hMenu, nPosition, nFlags);
}

UINT CMenu::CheckMenuItem(UINT nIDCheckItem, UINT nCheck)
{
    return static_cast<UINT>(::CheckMenuItem(m_hMenu, nIDCheckItem, nCheck));
}

UINT CMenu::EnableMenuItem(UINT nIDEnableItem, UINT nEnable)
{
    return static_cast<UINT>(::EnableMenuItem(m_hMenu, nIDEnableItem, nEnable));
}

BOOL CMenu::CheckMenuRadioItem(UINT nIDFirst, UINT nIDLast, UINT nIDItem, UINT nFlags)
{
    return ::CheckMenuRadioItem(m_hMenu, nIDFirst, nIDLast, nIDItem, nFlags);
}

BOOL CMenu::SetMenuItemBitmaps(UINT nPosition, UINT nFlags, const CBitmap* pBmpUnchecked, const CBitmap* pBmpChecked)
{
    return ::SetMenuItemBitmaps(m_hMenu, nPosition, nFlags, BitmapHandle(pBmpUnchecked), BitmapHandle(pBmpChecked));
}

BOOL CMenu::SetDefaultItem(UINT uItem, BOOL fByPos)
{
    return ::SetMenuDefaultItem(m_hMenu, uItem, fByPos);
}

UINT CMenu::GetDefaultItem(UINT gmdiFlags, BOOL fByPos)
{
    return ::GetMenuDefaultItem(m_hMenu, fByPos, gmdiFlags);
}

UINT CMenu::GetMenuState(UINT nID, UINT nFlags) const
{
    return ::GetMenuState(m_hMenu, nID, nFlags);
}

int CMenu::GetMenuString(UINT nIDItem, LPTSTR lpString, int nMaxCount, UINT nFlags) const
{
    int length = ::GetMenuString(m_hMenu, nIDItem, lpString, nMaxCount, nFlags);
    // Wine fills a buffer that is too small without terminating it: always cut the
    // text to the buffer, so callers never read past it.
    if (lpString != nullptr && nMaxCount > 0) {
        if (length < 0)
            length = 0;
        if (length > nMaxCount - 1)
            length = nMaxCount - 1;
        lpString[length] = '\0';
    }
    return length;
}

int CMenu::GetMenuString(UINT nIDItem, CString& rString, UINT nFlags) const
{
    rString.Empty();
    int length = ::GetMenuString(m_hMenu, nIDItem, nullptr, 0, nFlags);
    if (length <= 0)
        return 0;
    std::vector<char> text(static_cast<size_t>(length) + 1, '\0');
    length = ::GetMenuString(m_hMenu, nIDItem, text.data(), length + 1, nFlags);
    rString = text.data();
    return length;
}

int CMenu::GetMenuItemCount() const
{
    return ::GetMenuItemCount(m_hMenu);
}

UINT CMenu::GetMenuItemID(int nPos) const
{
    return ::GetMenuItemID(m_hMenu, nPos);
}

CMenu* CMenu::GetSubMenu(int nPos) const
{
    return FromHandle(::GetSubMenu(m_hMenu, nPos));
}

BOOL CMenu::GetMenuItemInfo(UINT uItem, LPMENUITEMINFO lpMenuItemInfo, BOOL fByPos)
{
    return ::GetMenuItemInfo(m_hMenu, uItem, fByPos, lpMenuItemInfo);
}

BOOL CMenu::SetMenuItemInfo(UINT uItem, LPMENUITEMINFO lpMenuItemInfo, BOOL fByPos)
{
    return ::SetMenuItemInfo(m_hMenu, uItem, fByPos, lpMenuItemInfo);
}

BOOL CMenu::TrackPopupMenu(UINT nFlags, int x, int y, HWND hOwner, LPCRECT lpRect)
{
    // Saved and restored: a command run from one popup may track another.
    HMENU previous = trackedPopup;
    trackedPopup = m_hMenu;
    BOOL result = ::TrackPopupMenu(m_hMenu, nFlags, x, y, 0, hOwner, lpRect);
    trackedPopup = previous;
    return result;
}

BOOL CMenu::TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd, LPCRECT lpRect)
{
    return TrackPopupMenu(nFlags, x, y, pWnd != nullptr ? pWnd->GetSafeHwnd() : nullptr, lpRect);
}

HMENU CMenu::GetTrackedPopup()
{
    return trackedPopup;
}

CMenu* CMenu::FindPermanentMenuOfItem(HMENU hMenu, UINT nItemID)
{
    return FindHolder(hMenu, nItemID, nullptr, 0);
}

void CMenu::MeasureItem(LPMEASUREITEMSTRUCT)
{
}

void CMenu::DrawItem(LPDRAWITEMSTRUCT)
{
}
