// A tree control that paints its selected and drop-highlighted items in colours of its
// own (the system highlight colours unless set) even while it does not have the focus,
// and that hands out its items as CTreeCursor values.
#pragma once
#include "framework/CTreeCtrl.h"
#include "uilib/CTreeCursor.h"
#include "uilib/UiLibExport.h"

class UILIB_API CTreeCtrlEx : public CTreeCtrl
{
    DECLARE_DYNAMIC(CTreeCtrlEx)
public:
    CTreeCtrlEx();

    BOOL SetHighlightColor(COLORREF color);
    BOOL SetHighlightTextColor(COLORREF color);
    COLORREF GetHighlightColor() const;
    COLORREF GetHighlightTextColor() const;

    // nImageList: TVSIL_NORMAL or TVSIL_STATE; returns the previous list.
    CImageList* SetImageList(CImageList* pImageList, int nImageList);

    CTreeCursor GetNextItem(HTREEITEM hItem, UINT nCode);
    CTreeCursor GetChildItem(HTREEITEM hItem);
    CTreeCursor GetNextSiblingItem(HTREEITEM hItem);
    CTreeCursor GetPrevSiblingItem(HTREEITEM hItem);
    CTreeCursor GetParentItem(HTREEITEM hItem);
    CTreeCursor GetNextVisibleItem(HTREEITEM hItem);
    CTreeCursor GetPrevVisibleItem(HTREEITEM hItem);
    CTreeCursor GetFirstVisibleItem();
    CTreeCursor GetSelectedItem();
    CTreeCursor GetDropHilightItem();
    CTreeCursor GetRootItem();

    CTreeCursor InsertItem(const TVINSERTSTRUCTA* pInsertStruct);
    CTreeCursor InsertItem(UINT nMask, LPCTSTR lpszItem, int nImage, int nSelectedImage, UINT nState,
                           UINT nStateMask, LPARAM lParam, HTREEITEM hParent, HTREEITEM hInsertAfter);
    CTreeCursor InsertItem(LPCTSTR lpszItem, HTREEITEM hParent = TVI_ROOT, HTREEITEM hInsertAfter = TVI_LAST);
    CTreeCursor InsertItem(LPCTSTR lpszItem, int nImage, int nSelectedImage, HTREEITEM hParent = TVI_ROOT,
                           HTREEITEM hInsertAfter = TVI_LAST);

    CTreeCursor HitTest(TVHITTESTINFO* pHitTestInfo);
    CTreeCursor HitTest(CPoint pt, UINT* pFlags = nullptr);

protected:
    afx_msg void OnPaint();

    COLORREF m_clrHighlight;
    COLORREF m_clrHighlightText;

    DECLARE_MESSAGE_MAP()
};
