#include "uilib/CTreeCtrlEx.h"
#include "uilib/CBNBufferedPaint.h"
#include "framework/CDC.h"
#include "framework/CFont.h"
#include "framework/CImageList.h"
#include "framework/CRgn.h"
#include "framework/MessageMap.h"

IMPLEMENT_DYNAMIC(CTreeCtrlEx, CTreeCtrl)

BEGIN_MESSAGE_MAP(CTreeCtrlEx, CTreeCtrl)
    ON_WM_PAINT()
END_MESSAGE_MAP()

CTreeCtrlEx::CTreeCtrlEx()
    : m_clrHighlight(::GetSysColor(COLOR_HIGHLIGHT)), m_clrHighlightText(::GetSysColor(COLOR_HIGHLIGHTTEXT))
{
}

BOOL CTreeCtrlEx::SetHighlightColor(COLORREF color)
{
    m_clrHighlight = color;
    return TRUE;
}

BOOL CTreeCtrlEx::SetHighlightTextColor(COLORREF color)
{
    m_clrHighlightText = color;
    return TRUE;
}

CImageList* CTreeCtrlEx::SetImageList(CImageList* pImageList, int nImageList)
{
    return CTreeCtrl::SetImageList(pImageList, nImageList);
}

CTreeCursor CTreeCtrlEx::GetNextItem(HTREEITEM hItem, UINT nCode)
{
    return CTreeCursor(CTreeCtrl::GetNextItem(hItem, nCode), this);
}

CTreeCursor CTreeCtrlEx::GetChildItem(HTREEITEM hItem) { return GetNextItem(hItem, TVGN_CHILD); }
CTreeCursor CTreeCtrlEx::GetNextSiblingItem(HTREEITEM hItem) { return GetNextItem(hItem, TVGN_NEXT); }
CTreeCursor CTreeCtrlEx::GetPrevSiblingItem(HTREEITEM hItem) { return GetNextItem(hItem, TVGN_PREVIOUS); }
CTreeCursor CTreeCtrlEx::GetParentItem(HTREEITEM hItem) { return GetNextItem(hItem, TVGN_PARENT); }
CTreeCursor CTreeCtrlEx::GetNextVisibleItem(HTREEITEM hItem) { return GetNextItem(hItem, TVGN_NEXTVISIBLE); }
CTreeCursor CTreeCtrlEx::GetPrevVisibleItem(HTREEITEM hItem) { return GetNextItem(hItem, TVGN_PREVIOUSVISIBLE); }
CTreeCursor CTreeCtrlEx::GetFirstVisibleItem() { return GetNextItem(nullptr, TVGN_FIRSTVISIBLE); }
CTreeCursor CTreeCtrlEx::GetSelectedItem() { return GetNextItem(nullptr, TVGN_CARET); }
CTreeCursor CTreeCtrlEx::GetDropHilightItem() { return GetNextItem(nullptr, TVGN_DROPHILITE); }
CTreeCursor CTreeCtrlEx::GetRootItem() { return GetNextItem(nullptr, TVGN_ROOT); }

CTreeCursor CTreeCtrlEx::InsertItem(const TVINSERTSTRUCTA* pInsertStruct)
{
    return CTreeCursor(CTreeCtrl::InsertItem(pInsertStruct), this);
}

CTreeCursor CTreeCtrlEx::InsertItem(UINT nMask, LPCTSTR lpszItem, int nImage, int nSelectedImage, UINT nState,
                                    UINT nStateMask, LPARAM lParam, HTREEITEM hParent, HTREEITEM hInsertAfter)
{
    TVINSERTSTRUCTA insert = {};
    insert.hParent = hParent;
    insert.hInsertAfter = hInsertAfter;
    insert.item.mask = nMask;
    insert.item.pszText = const_cast<LPSTR>(lpszItem);
    insert.item.iImage = nImage;
    insert.item.iSelectedImage = nSelectedImage;
    insert.item.state = nState;
    insert.item.stateMask = nStateMask;
    insert.item.lParam = lParam;
    return InsertItem(&insert);
}

CTreeCursor CTreeCtrlEx::InsertItem(LPCTSTR lpszItem, HTREEITEM hParent, HTREEITEM hInsertAfter)
{
    return CTreeCursor(CTreeCtrl::InsertItem(lpszItem, hParent, hInsertAfter), this);
}

CTreeCursor CTreeCtrlEx::InsertItem(LPCTSTR lpszItem, int nImage, int nSelectedImage, HTREEITEM hParent,
                                    HTREEITEM hInsertAfter)
{
    return CTreeCursor(CTreeCtrl::InsertItem(lpszItem, nImage, nSelectedImage, hParent, hInsertAfter), this);
}

CTreeCursor CTreeCtrlEx::HitTest(TVHITTESTINFO* pHitTestInfo)
{
    auto hItem = reinterpret_cast<HTREEITEM>(SendMessage(TVM_HITTEST, 0, reinterpret_cast<LPARAM>(pHitTestInfo)));
    return CTreeCursor(hItem, this);
}

CTreeCursor CTreeCtrlEx::HitTest(CPoint pt, UINT* pFlags)
{
    return CTreeCursor(CTreeCtrl::HitTest(pt, pFlags), this);
}

void CTreeCtrlEx::OnPaint()
{
    // The control paints into a memory bitmap, over which the highlighted items are
    // painted again in our colours; one copy puts the result on the screen.
    CRect rectUpdate;
    if (!::GetUpdateRect(m_hWnd, &rectUpdate, FALSE))
        GetClientRect(&rectUpdate);
    CBNBufferedPaint paint(this);
    CDC& dc = paint.DC();
    CRgn clip;
    clip.CreateRectRgnIndirect(&rectUpdate);
    dc.SelectClipRgn(&clip);
    paint.PaintDefault();

    auto hFont = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
    HGDIOBJ hOldFont = hFont != nullptr ? ::SelectObject(dc.m_hDC, hFont) : nullptr;
    const UINT nFormat = dc.GetTextAlign();
    const UINT nVisible = static_cast<UINT>(SendMessage(TVM_GETVISIBLECOUNT));
    CTreeCursor item = GetFirstVisibleItem();
    for (UINT n = 0; n <= nVisible && static_cast<HTREEITEM>(item) != nullptr; n++)
    {
        if (item.GetState(TVIS_SELECTED | TVIS_DROPHILITED) != 0)
        {
            CRect rectText;
            item.GetRect(&rectText, TRUE);
            dc.FillSolidRect(&rectText, m_clrHighlight);
            dc.SetBkColor(m_clrHighlight);
            dc.SetTextColor(m_clrHighlightText);
            dc.DrawText(item.GetText(), &rectText, nFormat);
        }
        item = item.GetNextVisible();
    }
    if (hOldFont != nullptr)
        ::SelectObject(dc.m_hDC, hOldFont);
}

// --- Accessors ---------------------------------------------------------------------

COLORREF CTreeCtrlEx::GetHighlightColor() const
{
    return m_clrHighlight;
}

COLORREF CTreeCtrlEx::GetHighlightTextColor() const
{
    return m_clrHighlightText;
}
