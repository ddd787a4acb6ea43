// A menu bar or popup menu. Items that the program draws itself (MF_OWNERDRAW) are
// measured and drawn by the permanent CMenu object that holds them: the window that
// receives WM_MEASUREITEM/WM_DRAWITEM finds it with FindPermanentMenuOfItem (or, for
// drawing, FromHandlePermanent of the menu handle in the DRAWITEMSTRUCT).
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CObject.h"
#include "framework/CString.h"

class CBitmap;
class CWnd;

class CMenu : public CObject
{
    DECLARE_DYNAMIC(CMenu)
public:
    HMENU m_hMenu = nullptr;

    CMenu() = default;
    // Destroys the menu it owns; a menu handed to a window must be detached first.
    ~CMenu() override;

    operator HMENU() const { return m_hMenu; }
    HMENU GetSafeHmenu() const { return m_hMenu; }

    // The object that owns the handle, or a temporary wrapper of this thread, deleted at
    // idle time (DeleteTempMap).
    static CMenu* FromHandle(HMENU hMenu);
    static CMenu* FromHandlePermanent(HMENU hMenu);
    static void DeleteTempMap();
    BOOL Attach(HMENU hMenu);
    HMENU Detach();

    BOOL CreateMenu();
    BOOL CreatePopupMenu();
    // Menu resources come from the framework's resource module.
    virtual BOOL LoadMenu(LPCTSTR lpszResourceName);
    virtual BOOL LoadMenu(UINT nIDResource);
    BOOL LoadMenuIndirect(const void* lpMenuTemplate);
    virtual BOOL DestroyMenu();

    BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, LPCTSTR lpszNewItem = nullptr);
    BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem, const CBitmap* pBmp);
    BOOL InsertMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem = 0, LPCTSTR lpszNewItem = nullptr);
    BOOL InsertMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem, const CBitmap* pBmp);
    BOOL ModifyMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem = 0, LPCTSTR lpszNewItem = nullptr);
    BOOL ModifyMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem, const CBitmap* pBmp);
    // RemoveMenu keeps a popup's submenu alive; DeleteMenu destroys it.
    BOOL RemoveMenu(UINT nPosition, UINT nFlags);
    BOOL DeleteMenu(UINT nPosition, UINT nFlags);

    // Both return the previous state, or (UINT)-1 when the item does not exist.
    UINT CheckMenuItem(UINT nIDCheckItem, UINT nCheck);
    UINT EnableMenuItem(UINT nIDEnableItem, UINT nEnable);
    BOOL CheckMenuRadioItem(UINT nIDFirst, UINT nIDLast, UINT nIDItem, UINT nFlags);
    BOOL SetMenuItemBitmaps(UINT nPosition, UINT nFlags, const CBitmap* pBmpUnchecked, const CBitmap* pBmpChecked);
    BOOL SetDefaultItem(UINT uItem, BOOL fByPos = FALSE);
    UINT GetDefaultItem(UINT gmdiFlags, BOOL fByPos = FALSE);

    UINT GetMenuState(UINT nID, UINT nFlags) const;
    // The text is cut to nMaxCount - 1 characters and always terminated.
    int GetMenuString(UINT nIDItem, LPTSTR lpString, int nMaxCount, UINT nFlags) const;
    int GetMenuString(UINT nIDItem, CString& rString, UINT nFlags) const;
    int GetMenuItemCount() const;
    // The command id; 0 for a separator, (UINT)-1 for a popup or a position out of range.
    UINT GetMenuItemID(int nPos) const;
    CMenu* GetSubMenu(int nPos) const;
    // lpMenuItemInfo->cbSize must be sizeof(MENUITEMINFO) (80 bytes in 64-bit code).
    BOOL GetMenuItemInfo(UINT uItem, LPMENUITEMINFO lpMenuItemInfo, BOOL fByPos = FALSE);
    BOOL SetMenuItemInfo(UINT uItem, LPMENUITEMINFO lpMenuItemInfo, BOOL fByPos = FALSE);

    // Shows the popup and waits until it closes. While it is open, GetTrackedPopup
    // gives its handle, so the owner can find the menu of owner-drawn items it measures.
    BOOL TrackPopupMenu(UINT nFlags, int x, int y, HWND hOwner, LPCRECT lpRect = nullptr);
    BOOL TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd, LPCRECT lpRect = nullptr);
    // The popup this thread is tracking, NULL when none.
    static HMENU GetTrackedPopup();

    // The permanent menu that holds the item nItemID, searched depth first from hMenu
    // through its submenus: the holder itself when it is permanent, else the nearest
    // permanent menu above it. A popup item's id is its submenu handle (as the system
    // measures it). NULL when the item is absent or no menu on its way is permanent.
    static CMenu* FindPermanentMenuOfItem(HMENU hMenu, UINT nItemID);

    // Owner draw: the base draws nothing.
    virtual void MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct);
    virtual void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);
};
