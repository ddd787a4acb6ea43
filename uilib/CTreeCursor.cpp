#include "uilib/CTreeCursor.h"
#include "uilib/CTreeCtrlEx.h"
#include "framework/CImageList.h"

LRESULT CTreeCursor::Send(UINT message, WPARAM wParam, LPARAM lParam) const
{
    if (m_pTree == nullptr || m_pTree->m_hWnd == nullptr || m_hTreeItem == nullptr)
        return 0;
    return m_pTree->SendMessage(message, wParam, lParam);
}

BOOL CTreeCursor::GetRect(LPRECT lpRect, BOOL bTextOnly) const
{
    if (m_pTree == nullptr || m_hTreeItem == nullptr)
        return FALSE;
    return m_pTree->GetItemRect(m_hTreeItem, lpRect, bTextOnly);
}

CString CTreeCursor::GetText() const
{
    if (m_pTree == nullptr || m_hTreeItem == nullptr)
        return CString();
    return m_pTree->GetItemText(m_hTreeItem);
}

BOOL CTreeCursor::SetText(LPCTSTR lpszText)
{
    return m_pTree != nullptr && m_hTreeItem != nullptr && m_pTree->SetItemText(m_hTreeItem, lpszText);
}

BOOL CTreeCursor::GetImage(int& nImage, int& nSelectedImage) const
{
    return m_pTree != nullptr && m_hTreeItem != nullptr && m_pTree->GetItemImage(m_hTreeItem, nImage, nSelectedImage);
}

BOOL CTreeCursor::SetImage(int nImage, int nSelectedImage)
{
    return m_pTree != nullptr && m_hTreeItem != nullptr && m_pTree->SetItemImage(m_hTreeItem, nImage, nSelectedImage);
}

int CTreeCursor::GetImageID() const
{
    TVITEMA item = {};
    item.mask = TVIF_IMAGE | TVIF_HANDLE;
    item.hItem = m_hTreeItem;
    if (!Send(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
        return -1;
    return item.iImage;
}

UINT CTreeCursor::GetState(UINT nStateMask) const
{
    if (m_pTree == nullptr || m_hTreeItem == nullptr)
        return 0;
    return m_pTree->GetItemState(m_hTreeItem, nStateMask);
}

BOOL CTreeCursor::SetState(UINT nState, UINT nStateMask)
{
    return m_pTree != nullptr && m_hTreeItem != nullptr && m_pTree->SetItemState(m_hTreeItem, nState, nStateMask);
}

DWORD_PTR CTreeCursor::GetData() const
{
    if (m_pTree == nullptr || m_hTreeItem == nullptr)
        return 0;
    return m_pTree->GetItemData(m_hTreeItem);
}

BOOL CTreeCursor::SetData(DWORD_PTR dwData)
{
    return m_pTree != nullptr && m_hTreeItem != nullptr && m_pTree->SetItemData(m_hTreeItem, dwData);
}

BOOL CTreeCursor::HasChildren() const
{
    return m_pTree != nullptr && m_hTreeItem != nullptr && m_pTree->ItemHasChildren(m_hTreeItem);
}

CImageList* CTreeCursor::CreateDragImage()
{
    auto hList = reinterpret_cast<HIMAGELIST>(Send(TVM_CREATEDRAGIMAGE, 0, reinterpret_cast<LPARAM>(m_hTreeItem)));
    if (hList == nullptr)
        return nullptr;
    auto* pList = new CImageList;
    pList->Attach(hList);
    return pList;
}

BOOL CTreeCursor::Delete()
{
    const BOOL bDone = m_pTree != nullptr && m_hTreeItem != nullptr && m_pTree->DeleteItem(m_hTreeItem);
    if (bDone)
        m_hTreeItem = nullptr;   // the handle is gone
    return bDone;
}

BOOL CTreeCursor::Expand(UINT nCode)
{
    return m_pTree != nullptr && m_hTreeItem != nullptr && m_pTree->Expand(m_hTreeItem, nCode);
}

BOOL CTreeCursor::Select(UINT nCode)
{
    return static_cast<BOOL>(Send(TVM_SELECTITEM, nCode, reinterpret_cast<LPARAM>(m_hTreeItem)));
}

BOOL CTreeCursor::Select()
{
    return Select(TVGN_CARET);
}

BOOL CTreeCursor::SelectDropTarget()
{
    return Select(TVGN_DROPHILITE);
}

BOOL CTreeCursor::SelectSetFirstVisible()
{
    return Select(TVGN_FIRSTVISIBLE);
}

HWND CTreeCursor::EditLabel()
{
    return reinterpret_cast<HWND>(Send(TVM_EDITLABELA, 0, reinterpret_cast<LPARAM>(m_hTreeItem)));
}

BOOL CTreeCursor::SortChildren()
{
    return static_cast<BOOL>(Send(TVM_SORTCHILDREN, 0, reinterpret_cast<LPARAM>(m_hTreeItem)));
}

BOOL CTreeCursor::EnsureVisible()
{
    return m_pTree != nullptr && m_hTreeItem != nullptr && m_pTree->EnsureVisible(m_hTreeItem);
}

CTreeCursor CTreeCursor::GetNext(UINT nCode) const
{
    if (m_pTree == nullptr)
        return CTreeCursor();
    return m_pTree->GetNextItem(m_hTreeItem, nCode);
}

CTreeCursor CTreeCursor::GetChild() const { return GetNext(TVGN_CHILD); }
CTreeCursor CTreeCursor::GetNextSibling() const { return GetNext(TVGN_NEXT); }
CTreeCursor CTreeCursor::GetPrevSibling() const { return GetNext(TVGN_PREVIOUS); }
CTreeCursor CTreeCursor::GetParent() const { return GetNext(TVGN_PARENT); }
CTreeCursor CTreeCursor::GetNextVisible() const { return GetNext(TVGN_NEXTVISIBLE); }
CTreeCursor CTreeCursor::GetPrevVisible() const { return GetNext(TVGN_PREVIOUSVISIBLE); }

CTreeCursor CTreeCursor::GetFirstVisible() const
{
    return m_pTree != nullptr ? m_pTree->GetFirstVisibleItem() : CTreeCursor();
}

CTreeCursor CTreeCursor::GetSelected() const
{
    return m_pTree != nullptr ? m_pTree->GetSelectedItem() : CTreeCursor();
}

CTreeCursor CTreeCursor::GetDropHilight() const
{
    return m_pTree != nullptr ? m_pTree->GetDropHilightItem() : CTreeCursor();
}

CTreeCursor CTreeCursor::GetRoot() const
{
    return m_pTree != nullptr ? m_pTree->GetRootItem() : CTreeCursor();
}

CTreeCursor CTreeCursor::AddHead(LPCTSTR lpszText, int nImage)
{
    return _Insert(lpszText, nImage, TVI_FIRST);
}

CTreeCursor CTreeCursor::AddTail(LPCTSTR lpszText, int nImage)
{
    return _Insert(lpszText, nImage, TVI_LAST);
}

CTreeCursor CTreeCursor::InsertAfter(LPCTSTR lpszText, HTREEITEM hAfter, int nImage)
{
    return _Insert(lpszText, nImage, hAfter);
}

CTreeCursor CTreeCursor::_Insert(LPCTSTR lpszText, int nImage, HTREEITEM hAfter)
{
    if (m_pTree == nullptr)
        return CTreeCursor();
    TVINSERTSTRUCTA insert = {};
    insert.hParent = m_hTreeItem;
    insert.hInsertAfter = hAfter;
    insert.item.mask = TVIF_TEXT;
    insert.item.pszText = const_cast<LPSTR>(lpszText);
    if (nImage != -1)
    {
        insert.item.mask |= TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        insert.item.iImage = nImage;
        insert.item.iSelectedImage = nImage;
    }
    return m_pTree->InsertItem(&insert);
}

// --- Accessors ---------------------------------------------------------------------

CTreeCursor::CTreeCursor(HTREEITEM hTreeItem, CTreeCtrlEx* pTree)
    : m_hTreeItem(hTreeItem), m_pTree(pTree)
{
}

CTreeCursor::operator HTREEITEM() const
{
    return m_hTreeItem;
}

CTreeCtrlEx* CTreeCursor::GetTree() const
{
    return m_pTree;
}
