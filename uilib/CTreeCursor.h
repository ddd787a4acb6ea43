// An item of a CTreeCtrlEx handed out as a value: the item handle bound to its tree,
// with the item's operations as members. A cursor without an item converts to a null
// HTREEITEM and its operations do nothing.
#pragma once
#include "framework/CRect.h"
#include "framework/CString.h"
#include "uilib/UiLibExport.h"

#include <commctrl.h>

class CTreeCtrlEx;
class CImageList;
class CWnd;

class UILIB_API CTreeCursor
{
public:
    CTreeCursor() = default;
    CTreeCursor(HTREEITEM hTreeItem, CTreeCtrlEx* pTree);

    operator HTREEITEM() const;
    CTreeCtrlEx* GetTree() const;

    BOOL GetRect(LPRECT lpRect, BOOL bTextOnly) const;
    CString GetText() const;
    BOOL SetText(LPCTSTR lpszText);
    BOOL GetImage(int& nImage, int& nSelectedImage) const;
    BOOL SetImage(int nImage, int nSelectedImage);
    int GetImageID() const;   // -1 without an item
    UINT GetState(UINT nStateMask) const;
    BOOL SetState(UINT nState, UINT nStateMask);
    DWORD_PTR GetData() const;
    BOOL SetData(DWORD_PTR dwData);

    BOOL HasChildren() const;
    // A new image list (the caller deletes it), nullptr when none could be made.
    CImageList* CreateDragImage();
    BOOL Delete();
    BOOL Expand(UINT nCode = TVE_EXPAND);
    BOOL Select(UINT nCode);
    BOOL Select();            // as the caret
    BOOL SelectDropTarget();
    BOOL SelectSetFirstVisible();
    HWND EditLabel();         // the label's edit control
    BOOL SortChildren();
    BOOL EnsureVisible();

    CTreeCursor GetNext(UINT nCode) const;
    CTreeCursor GetChild() const;
    CTreeCursor GetNextSibling() const;
    CTreeCursor GetPrevSibling() const;
    CTreeCursor GetParent() const;
    CTreeCursor GetNextVisible() const;
    CTreeCursor GetPrevVisible() const;
    CTreeCursor GetFirstVisible() const;
    CTreeCursor GetSelected() const;
    CTreeCursor GetDropHilight() const;
    CTreeCursor GetRoot() const;

    // A child of this item, first, last or after the sibling; image -1 sets no image.
    CTreeCursor AddHead(LPCTSTR lpszText, int nImage = -1);
    CTreeCursor AddTail(LPCTSTR lpszText, int nImage = -1);
    CTreeCursor InsertAfter(LPCTSTR lpszText, HTREEITEM hAfter, int nImage = -1);

protected:
    CTreeCursor _Insert(LPCTSTR lpszText, int nImage, HTREEITEM hAfter);
    // Sends a message to the tree; 0 without a tree or an item.
    LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) const;

    HTREEITEM m_hTreeItem = nullptr;
    CTreeCtrlEx* m_pTree = nullptr;
};
