// List box. Owner-drawn list boxes draw and measure their items in DrawItem and
// MeasureItem, reflected from the parent.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CWnd.h"

class CListBox : public CWnd
{
    DECLARE_DYNAMIC(CListBox)
public:
    CListBox() = default;

    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

    int GetCount() const;
    // Single-selection list boxes.
    int GetCurSel() const;
    int SetCurSel(int nSelect);
    // Multiple-selection list boxes.
    int GetSel(int nIndex) const;
    int SetSel(int nIndex, BOOL bSelect = TRUE);
    int GetSelCount() const;
    int GetSelItems(int nMaxItems, LPINT rgIndex) const;

    int AddString(LPCTSTR lpszItem);
    int InsertString(int nIndex, LPCTSTR lpszItem);
    int DeleteString(UINT nIndex);
    void ResetContent();
    void GetText(int nIndex, CString& rString) const;
    int GetTextLen(int nIndex) const;
    int FindString(int nStartAfter, LPCTSTR lpszItem) const;
    int FindStringExact(int nIndexStart, LPCTSTR lpszFind) const;
    int SelectString(int nStartAfter, LPCTSTR lpszItem);
    DWORD_PTR GetItemData(int nIndex) const;
    int SetItemData(int nIndex, DWORD_PTR dwItemData);
    void* GetItemDataPtr(int nIndex) const;
    int SetItemDataPtr(int nIndex, void* pData);
    int GetTopIndex() const;
    int SetTopIndex(int nIndex);
    void SetHorizontalExtent(int cxExtent);
    int GetItemRect(int nIndex, LPRECT lpRect) const;
    int SetItemHeight(int nIndex, UINT cyItemHeight);
    // The item nearest the point (client coordinates); bOutside is TRUE when the point
    // is outside every item.
    UINT ItemFromPoint(CPoint pt, BOOL& bOutside) const;

    virtual void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);
    virtual void MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct);

protected:
    DECLARE_MESSAGE_MAP()
};
