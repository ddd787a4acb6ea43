// List-view control (report, icon and list views).
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CWnd.h"

#include <commctrl.h>

class CImageList;

class CListCtrl : public CWnd
{
    DECLARE_DYNAMIC(CListCtrl)
public:
    CListCtrl() = default;

    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

    int InsertColumn(int nCol, LPCTSTR lpszColumnHeading, int nFormat = LVCFMT_LEFT, int nWidth = -1,
                     int nSubItem = -1);
    BOOL DeleteColumn(int nCol);
    int GetColumnWidth(int nCol) const;
    BOOL SetColumnWidth(int nCol, int cx);

    int GetItemCount() const;
    // For a list with LVS_OWNERDATA, whose owner gives the texts (LVN_GETDISPINFO).
    BOOL SetItemCountEx(int nItems, DWORD dwFlags = 0);
    int GetTopIndex() const;
    int GetCountPerPage() const;
    int InsertItem(int nItem, LPCTSTR lpszItem, int nImage = -1);
    int InsertItem(const LVITEMA* pItem);
    BOOL DeleteItem(int nItem);
    BOOL DeleteAllItems();
    BOOL SetItemText(int nItem, int nSubItem, LPCTSTR lpszText);
    CString GetItemText(int nItem, int nSubItem) const;
    BOOL SetItemData(int nItem, DWORD_PTR dwData);
    DWORD_PTR GetItemData(int nItem) const;
    BOOL SetItemState(int nItem, UINT nState, UINT nMask);
    UINT GetItemState(int nItem, UINT nMask) const;
    BOOL GetItemRect(int nItem, LPRECT lpRect, UINT nCode) const;
    // The next item with the flags (LVNI_SELECTED...) after nItem (-1: from the start).
    int GetNextItem(int nItem, int nFlags) const;
    UINT GetSelectedCount() const;
    BOOL EnsureVisible(int nItem, BOOL bPartialOK);
    int HitTest(CPoint pt, UINT* pFlags = nullptr) const;
    BOOL SortItems(PFNLVCOMPARE pfnCompare, DWORD_PTR dwData);
    BOOL RedrawItems(int nFirst, int nLast);

    DWORD GetExtendedStyle() const;
    DWORD SetExtendedStyle(DWORD dwNewStyle);
    // nImageList: LVSIL_NORMAL, LVSIL_SMALL or LVSIL_STATE. Returns the previous list.
    CImageList* SetImageList(CImageList* pImageList, int nImageList);
    CImageList* GetImageList(int nImageList) const;
    BOOL SetBkColor(COLORREF cr);
    BOOL SetTextColor(COLORREF cr);
    BOOL SetTextBkColor(COLORREF cr);
};
