// A menu whose items the program draws: each item carries a CBNMenuData record with
// its text and an optional image (from a toolbar resource or an image list). Items show
// an image column (images, check marks, radio dots, embossed images when disabled), the
// label, and the accelerator text aligned to the right.
//
// Menus are built from menu resources (LoadMenuA: the top level stays plain text, every
// popup below it is owner-drawn), by the append, insert and modify calls, or by
// synchronising a menu that someone else changed (SynchronizeMenu, run by UpdateMenu
// when a popup opens). The window that owns a popup hands WM_MEASUREITEM to
// MeasureItem, WM_MENUCHAR to FindKeyboardShortcut and WM_INITMENUPOPUP to UpdateMenu;
// WM_DRAWITEM reaches DrawItem of the submenu object that holds the item.
//
// Submenus created under a menu are CBNMenu objects of their own, owned by it. Their
// handles belong to the menu tree: they are destroyed with the top handle, once.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CMenu.h"
#include "framework/CPtrArray.h"
#include "framework/CSize.h"
#include "framework/CString.h"
#include "framework/CTypedPtrArray.h"
#include "uilib/CBNMenuData.h"
#include "uilib/UiLibExport.h"

#include <vector>

class CBitmap;
class CDC;
class CImageList;
class CRect;
class CToolBar;

class UILIB_API CBNMenu : public CMenu
{
    DECLARE_DYNAMIC(CBNMenu)
public:
    CBNMenu();
    ~CBNMenu() override;

    void DrawItem(LPDRAWITEMSTRUCT lpDIS) override;
    void MeasureItem(LPMEASUREITEMSTRUCT lpMIS) override;
    virtual BOOL LoadMenuA(int nResource);
    BOOL LoadMenuA(LPCTSTR lpszResourceName) override;
    BOOL DestroyMenu() override;
    BOOL LoadMenuA(UINT nIDResource) override;

    // --- Owner-drawn items --------------------------------------------------------------
    // Id 0 makes a separator; with MF_POPUP the id is a submenu handle. The image list
    // is copied; a toolbar id takes the item's image from that toolbar resource (-1: none).
    BOOL AppendODMenuW(const wchar_t* lpstrText, UINT nFlags, UINT_PTR nID, CImageList* pList, int nIndex);
    BOOL AppendODMenuW(const wchar_t* lpstrText, UINT nFlags = MF_OWNERDRAW, UINT_PTR nID = 0, int nToolbarID = -1);
    BOOL AppendODMenuA(LPCSTR lpstrText, UINT nFlags, UINT_PTR nID, CImageList* pList, int nIndex);
    BOOL AppendODMenuA(LPCSTR lpstrText, UINT nFlags = MF_OWNERDRAW, UINT_PTR nID = 0, int nToolbarID = -1);
    BOOL InsertODMenuW(UINT nPosition, const wchar_t* lpstrText, UINT nFlags, UINT_PTR nID, CImageList* pList,
                       int nIndex);
    BOOL InsertODMenuW(UINT nPosition, const wchar_t* lpstrText, UINT nFlags = MF_OWNERDRAW, UINT_PTR nID = 0,
                       int nToolbarID = -1);
    BOOL InsertODMenuA(UINT nPosition, LPCSTR lpstrText, UINT nFlags, UINT_PTR nID, CImageList* pList, int nIndex);
    BOOL InsertODMenuA(UINT nPosition, LPCSTR lpstrText, UINT nFlags = MF_OWNERDRAW, UINT_PTR nID = 0,
                       int nToolbarID = -1);

    // Makes the item of a command owner-drawn with this image; a NULL text keeps the text.
    BOOL ModifyODMenuW(const wchar_t* lpstrText, UINT nID, CImageList* pList, int nIndex);
    BOOL ModifyODMenuW(const wchar_t* lpstrText, UINT nID, CBitmap* pBitmap);
    BOOL ModifyODMenuW(const wchar_t* lpstrText, UINT nID, int nToolbarID = -1);
    BOOL ModifyODMenuA(LPCSTR lpstrText, UINT nID, CImageList* pList, int nIndex);
    BOOL ModifyODMenuA(LPCSTR lpstrText, UINT nID, CBitmap* pBitmap);
    BOOL ModifyODMenuA(LPCSTR lpstrText, UINT nID, int nToolbarID = -1);
    // Changes the record whose text is lpstrText; FALSE when no record has it.
    BOOL ModifyODMenuW(const wchar_t* lpstrText, const wchar_t* lpstrNewText, int nToolbarID);
    BOOL ModifyODMenuA(LPCSTR lpstrText, LPCSTR lpstrNewText, int nToolbarID);

    // Owner-drawn through the forms above.
    BOOL AppendMenuW(UINT nFlags, UINT_PTR nIDNewItem, const wchar_t* lpszNewItem, int nToolbarID);
    BOOL AppendMenuW(UINT nFlags, UINT_PTR nIDNewItem, const wchar_t* lpszNewItem, CImageList* pList, int nIndex);
    BOOL AppendMenuW(UINT nFlags, UINT_PTR nIDNewItem, const wchar_t* lpszNewItem, CBitmap* pBitmap);
    BOOL AppendMenuA(UINT nFlags, UINT_PTR nIDNewItem, LPCSTR lpszNewItem, int nToolbarID);
    BOOL AppendMenuA(UINT nFlags, UINT_PTR nIDNewItem, LPCSTR lpszNewItem, CImageList* pList, int nIndex);
    BOOL AppendMenuA(UINT nFlags, UINT_PTR nIDNewItem, LPCSTR lpszNewItem, CBitmap* pBitmap);
    BOOL InsertMenuW(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem, const wchar_t* lpszNewItem, int nToolbarID);
    BOOL InsertMenuW(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem, const wchar_t* lpszNewItem,
                     CImageList* pList, int nIndex);
    BOOL InsertMenuW(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem, const wchar_t* lpszNewItem, CBitmap* pBitmap);
    BOOL InsertMenuA(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem, LPCSTR lpszNewItem, int nToolbarID);
    BOOL InsertMenuA(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem, LPCSTR lpszNewItem, CImageList* pList,
                     int nIndex);
    BOOL InsertMenuA(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem, LPCSTR lpszNewItem, CBitmap* pBitmap);
    // Plain items, drawn by the system.
    BOOL AppendMenuA(UINT nFlags, UINT_PTR nIDNewItem = 0, LPCSTR lpszNewItem = nullptr);
    BOOL AppendMenuA(UINT nFlags, UINT_PTR nIDNewItem, const CBitmap* pBitmap);

    // A new owner-drawn popup sharing this menu's check-mark images; this menu owns it.
    CBNMenu* AppendODPopupMenuW(const wchar_t* lpstrText);
    CBNMenu* AppendODPopupMenuA(LPCSTR lpstrText);

    // Remove the item and its record; a popup's submenu object goes with it. By
    // command, the menu that holds the command does it.
    BOOL RemoveMenu(UINT nPosition, UINT nFlags);
    BOOL DeleteMenu(UINT nPosition, UINT nFlags);

    // --- Images ---------------------------------------------------------------------
    // Gives the images of a toolbar resource to the items with the same command ids;
    // FALSE when the resource is missing. LoadToolbars is TRUE only when every load is.
    BOOL LoadToolbar(UINT nToolBar);
    BOOL LoadToolbars(const UINT* arID, int n);
    // Takes the images of a live toolbar whose buttons use the bitmap resource nBitmapID.
    BOOL AddFromToolBar(CToolBar* pToolBar, int nBitmapID);
    // Two check-mark bitmaps (unselected, selected), used for checked items without an
    // image; ignored unless both ids are positive.
    BOOL LoadCheckmarkBitmap(int nUnselected, int nSelected);
    void SetIconSize(int nWidth, int nHeight);
    CSize GetIconSize() const;
    void SetBitmapBackground(COLORREF color);
    void UnSetBitmapBackground();
    // The old disabled style embosses images in one pass over a monochrome copy.
    void SetDisableOldStyle();
    void UnSetDisableOldStyle();
    BOOL GetDisableOldStyle() const;

    // --- Finding items ----------------------------------------------------------------
    // By position (MF_BYPOSITION) or by command (searching submenus); FALSE when absent.
    BOOL GetMenuText(UINT nID, CString& rString, UINT nFlags = MF_BYPOSITION);
    // The menu or submenu that holds the command, with its position; NULL and -1 when absent.
    CBNMenu* FindMenuOption(int nID, int& nLoc);
    // The record whose text is exactly lpstrText, searching submenus; NULL when none.
    CBNMenuData* FindMenuOption(const wchar_t* lpstrText);
    // The first record of the command not yet marked in this pass, marked now.
    CBNMenuData* FindMenuList(UINT nID);
    // The record of the item at a position of this menu, NULL when it has none.
    CBNMenuData* GetItemData(UINT nPosition) const;
    INT_PTR GetRecordCount() const;
    INT_PTR GetSubMenuCount() const;

    // --- Keeping records and items in step --------------------------------------------
    void InitializeMenuList(int nValue);
    void DeleteMenuList();
    void SynchronizeMenu();
    // Pads the labels of items with an accelerator so the accelerators line up.
    void InsertSpaces();
    // A new record for the item at a position, which becomes owner-drawn with it.
    CBNMenuData* NewODMenu(UINT nPosition, UINT nFlags, UINT_PTR nID, CString string);

    static void UpdateMenu(CMenu* pMenu);
    // The answer to WM_MENUCHAR for a popup of owner-drawn items: MNC_EXECUTE and the
    // position of the first item whose "&" precedes the character (case ignored), else 0.
    static LRESULT FindKeyboardShortcut(UINT nChar, UINT nFlags, CMenu* pMenu);
    // TRUE for a handle of an owner-drawn submenu of any CBNMenu.
    static BOOL IsMenu(HMENU hSubMenu);
    static BOOL IsMenu(CMenu* pSubMenu);
    // The shell-version value: 0 or 1 on Windows 9x, 2 or 3 on Windows NT.
    static int GetShellVersion();
    static BOOL IsNewShell();

    // --- Image helpers ----------------------------------------------------------------
    // Finds the command on the toolbar resource nToolBar and sets nIndex to its image
    // (left alone for the first image; the caller presets 0). FALSE when it is absent.
    static BOOL LoadFromToolBar(UINT nID, UINT nToolBar, int& nIndex);
    BOOL AddBitmapToImageList(CImageList* pList, UINT nResourceID);
    static HBITMAP LoadSysColorBitmap(int nResourceId);
    BOOL GetBitmapFromImageList(CDC* pDC, CImageList* pList, int nIndex, CBitmap& bitmap);

    // --- Drawing primitives -----------------------------------------------------------
    void DrawCheckMark(CDC* pDC, int x, int y, COLORREF color);
    void DrawRadioDot(CDC* pDC, int x, int y, COLORREF color);
    void Draw3DCheckmark(CDC* pDC, const CRect& rect, BOOL bSelected, HBITMAP hbmCheck);
    void DitherBlt(HDC hdcDest, int nXDest, int nYDest, int nWidth, int nHeight, HBITMAP hbm, int nXSrc, int nYSrc);
    void DitherBlt2(CDC* pDC, int nXDest, int nYDest, int nWidth, int nHeight, CBitmap& bmp, int nXSrc, int nYSrc);

protected:
    // An owned record pointer array in item order; the submenu handles made under this menu.
    CTypedPtrArray<CPtrArray, CBNMenuData*> m_MenuList;
    CTypedPtrArray<CPtrArray, HMENU> m_SubMenus;
    CImageList* m_checkmaps;
    BOOL m_checkmapsshare;
    int m_selectcheck;
    int m_unselectcheck;
    int m_iconX;
    int m_iconY;
    COLORREF m_bitmapBackground;
    BOOL m_bitmapBackgroundFlag;
    BOOL m_bDisableOldStyle;

    static std::vector<HMENU> m_AllSubMenus;

private:
    void ShareCheckmarks(CBNMenu* pSubMenu);
    // Pixels of this colour in image bitmaps are transparent.
    COLORREF MaskColor() const;
    // The image of a record: from an image list (copied) or from a toolbar resource.
    void SetRecordImage(CBNMenuData* pData, CImageList* pList, int nIndex);
    void SetRecordToolbarImage(CBNMenuData* pData, int nToolbarID);
    CBNMenuData* NewRecord(const wchar_t* lpstrText, UINT nFlags, UINT_PTR nID);
    BOOL AddODItem(BOOL bInsert, UINT nPosition, const wchar_t* lpstrText, UINT nFlags, UINT_PTR nID,
                   CImageList* pList, int nIndex, int nToolbarID);
    BOOL ModifyODItem(const wchar_t* lpstrText, UINT nID, CImageList* pList, int nIndex, int nToolbarID);
    BOOL RemoveItem(UINT nPosition, UINT nFlags, BOOL bDelete);
    // Frees a submenu object of this menu. Its handle is destroyed only when it has
    // left the menu tree (bDestroyHandle); otherwise the tree destroys it.
    void DeleteSubMenuObject(HMENU hSubMenu, BOOL bDestroyHandle);
    // Frees records, submenu objects and check marks; the handle stays.
    void ReleaseContents();
    int RecordIndex(const CBNMenuData* pData) const;
    static CBNMenu* OwnerDrawnMenuOf(HMENU hMenu);
    static void RemoveFromAllSubMenus(HMENU hMenu);
    void DrawItemText(CDC* pDC, const CRect& rect, const wchar_t* pszText, BOOL bGrayed, BOOL bSelected,
                      COLORREF crText);
};
