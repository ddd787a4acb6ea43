// Tab control.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CWnd.h"

#include <commctrl.h>

class CImageList;

class CTabCtrl : public CWnd
{
    DECLARE_DYNAMIC(CTabCtrl)
public:
    CTabCtrl() = default;

    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

    LONG InsertItem(int nItem, LPCTSTR lpszItem, int nImage = -1);
    BOOL DeleteItem(int nItem);
    BOOL DeleteAllItems();
    int GetItemCount() const;
    int GetCurSel() const;
    int SetCurSel(int nItem);
    BOOL GetItemRect(int nItem, LPRECT lpRect) const;
    // bLarger FALSE: the display area of a window rectangle; TRUE: the reverse.
    void AdjustRect(BOOL bLarger, LPRECT lpRect);
    CImageList* SetImageList(CImageList* pImageList);
};
