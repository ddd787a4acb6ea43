#include "shell/CTreeViewEx.h"

#include <algorithm>
#include <utility>
#include <vector>
#include "documents/CDocumentDevice.h"
#include "documents/CDocumentLogFile.h"
#include "documents/CDocumentManager.h"
#include "documents/TextHelpers.h"
#include "framework/CDC.h"
#include "framework/CSingleLock.h"
#include "framework/CWinApp.h"
#include "framework/ResourceHandle.h"
#include "framework/MessageMap.h"
#include "res/pyraxis_resource.h"
#include "shell/CFormViewEx.h"
#include "shell/CViewEx.h"

#include <algorithm>
#include <utility>
#include <vector>

IMPLEMENT_DYNAMIC(CTreeViewEx, CTreeView)

BEGIN_MESSAGE_MAP(CTreeViewEx, CTreeView)
    ON_WM_DESTROY()
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_SETFOCUS()
    ON_WM_RBUTTONDOWN()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONUP()
    ON_WM_TIMER()
    ON_NOTIFY_REFLECT(NM_RCLICK, OnRightClick)
    ON_NOTIFY_REFLECT(TVN_BEGINDRAGA, OnBeginDrag)
    ON_NOTIFY_REFLECT(TVN_BEGINDRAGW, OnBeginDrag)
    ON_NOTIFY_EX_RANGE(TTN_NEEDTEXTA, 0, 0xFFFFFFFF, OnNeedToolTipText)
    ON_NOTIFY_EX_RANGE(TTN_NEEDTEXTW, 0, 0xFFFFFFFF, OnNeedToolTipText)
END_MESSAGE_MAP()

namespace
{
const COLORREF TREE_IMAGE_MASK = RGB(0xFF, 0x00, 0xFF);

CDocumentManager* Manager()
{
    return CDocumentManager::GetApplicationManager();
}

bool SameIds(const CTreeItem& left, const CTreeItem& right)
{
    return left.GetItemTypeId() == right.GetItemTypeId() && left.GetVariableId() == right.GetVariableId() &&
           left.GetDocumentId() == right.GetDocumentId();
}
} // namespace

CTreeViewEx::CTreeViewEx()
    : m_active(false), m_refreshPending(true), m_windowUnderCursor(nullptr), m_windowUnderCursorParent(nullptr),
      m_lastDragPoint(-1, -1), m_overMainFrame(false), m_overDropView(false), m_dropViewWindow(nullptr),
      m_highlightColour(::GetSysColor(COLOR_HIGHLIGHT)), m_highlightTextColour(::GetSysColor(COLOR_HIGHLIGHTTEXT)),
      m_windowColour(::GetSysColor(COLOR_WINDOW)), m_normalCursor(nullptr), m_dragCursor(nullptr), m_timerId(0),
      m_dragImage(nullptr), m_dragging(false), m_imageList(nullptr)
{
}

CTreeViewEx::~CTreeViewEx()
{
    if (m_imageList != nullptr)
        ImageList_Destroy(m_imageList);
}

bool CTreeViewEx::IsDeviceNode(const CTreeItem& item)
{
    return item.GetItemTypeId() == PLOT_ID_NONE && item.GetVariableId() == PLOT_ID_NONE &&
           item.GetDocumentId() != PLOT_ID_NONE;
}

bool CTreeViewEx::IsLogFileNode(const CTreeItem& item)
{
    return item.GetItemTypeId() != PLOT_ID_NONE && item.GetVariableId() == PLOT_ID_NONE;
}

bool CTreeViewEx::IsVariable(const CTreeItem& item)
{
    return item.GetVariableId() != PLOT_ID_NONE;
}

BOOL CTreeViewEx::PreCreateWindow(CREATESTRUCT& cs)
{
    CSingleLock lock(&m_lock, TRUE);
    // The selection stays shown while another window has the focus.
    cs.style |= TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_SHOWSELALWAYS;
    return CTreeView::PreCreateWindow(cs);
}

void CTreeViewEx::OnInitialUpdate()
{
    CTreeView::OnInitialUpdate();
    CSingleLock lock(&m_lock, TRUE);
    HWND tree = GetSafeHwnd();
    TreeView_SetBkColor(tree, ::GetSysColor(COLOR_WINDOW));
    TreeView_SetTextColor(tree, ::GetSysColor(COLOR_WINDOWTEXT));
    m_highlightColour = ::GetSysColor(COLOR_HIGHLIGHT);
    m_highlightTextColour = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
    m_windowColour = ::GetSysColor(COLOR_WINDOW);
    if (m_imageList == nullptr) {
        m_imageList = ImageList_LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDB_TREE_IMAGES), 16, 0,
                                           TREE_IMAGE_MASK, IMAGE_BITMAP, LR_CREATEDIBSECTION);
        if (m_imageList != nullptr)
            TreeView_SetImageList(tree, m_imageList, TVSIL_NORMAL);
    }
    if (m_imageList != nullptr)
        ImageList_SetBkColor(m_imageList, m_windowColour);
    DeleteAllItems();
    m_refreshPending = true;
    EnableToolTips(TRUE);
}

CTreeItem* CTreeViewEx::GetItemData(HTREEITEM item) const
{
    return item != nullptr ? reinterpret_cast<CTreeItem*>(GetTreeCtrl().GetItemData(item)) : nullptr;
}

CTreeItem* CTreeViewEx::GetSelectedItemData() const
{
    return GetItemData(GetTreeCtrl().GetSelectedItem());
}

int CTreeViewEx::DocumentNodeImage(const CTreeItem& item)
{
    if (IsLogFileNode(item))
        return TREE_IMAGE_LOG_FILE;
    CDocumentManager* manager = Manager();
    CDocumentDevicePtr device = manager != nullptr ? manager->FindDeviceById(item.GetDocumentId()) : CDocumentDevicePtr();
    return device ? device->GetTreeImage() : -1;
}

CDocumentEx* CTreeViewEx::FindNodeDocument(const CTreeItem& item)
{
    CDocumentManager* manager = Manager();
    if (manager == nullptr)
        return nullptr;
    if (IsDeviceNode(item))
        return manager->FindDeviceById(item.GetDocumentId()).get();
    if (IsLogFileNode(item))
        return manager->FindLogFileById(item.GetDocumentId()).get();
    return nullptr;
}

HTREEITEM CTreeViewEx::InsertOrUpdateItem(HTREEITEM parent, const CTreeItem& item, HTREEITEM existing,
                                          bool* changed)
{
    if (changed != nullptr)
        *changed = false;
    const int image = IsVariable(item) ? TREE_IMAGE_VARIABLE : DocumentNodeImage(item);
    if (image < 0)
        return nullptr;
    CTreeCtrl& tree = GetTreeCtrl();
    CString text;
    text.Format("%s", static_cast<LPCTSTR>(item.GetName()));
    if (existing != nullptr) {
        // Every change costs the control a while (about 10 ms each in a tree of 64
        // devices under Wine): only what changed is set, text and image at once.
        TVITEMA update = {};
        update.mask = TVIF_HANDLE;
        update.hItem = existing;
        if (tree.GetItemText(existing) != text) {
            update.mask |= TVIF_TEXT;
            update.pszText = const_cast<LPSTR>(static_cast<LPCTSTR>(text));
        }
        int shown = -1;
        int shownSelected = -1;
        if (!tree.GetItemImage(existing, shown, shownSelected) || shown != image || shownSelected != image) {
            update.mask |= TVIF_IMAGE | TVIF_SELECTEDIMAGE;
            update.iImage = image;
            update.iSelectedImage = image;
        }
        if (update.mask != TVIF_HANDLE) {
            tree.SendMessage(TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&update));
            if (changed != nullptr)
                *changed = true;
        }
        return existing;
    }
    HTREEITEM inserted = tree.InsertItem(text, image, image, parent, TVI_SORT);
    if (inserted != nullptr)
        tree.SetItemData(inserted, reinterpret_cast<DWORD_PTR>(new CTreeItem(item)));
    return inserted;
}

bool CTreeViewEx::SyncChildren(HTREEITEM parent, const CTreeItemList& items, int maxChanges)
{
    CSingleLock lock(&m_lock, TRUE);
    // The control draws a pass once, at its end: under Wine each change drawn on its own is
    // a request to the window server, which takes tens of ms while devices connect.
    HWND tree = GetTreeCtrl().GetSafeHwnd();
    const bool held = (::GetWindowLongPtr(tree, GWL_STYLE) & WS_VISIBLE) != 0;
    // Holding drawing drops what waited to be drawn: it is drawn again afterwards.
    const bool pending = held && ::GetUpdateRect(tree, nullptr, FALSE);
    // Drawing comes back however the pass ends: a pass that throws leaves no invisible tree.
    struct DrawingHeld
    {
        HWND tree;
        bool held;
        bool redraw = true;   // what changed is drawn again (a pass that threw: all of it)
        ~DrawingHeld()
        {
            if (!held)
                return;
            ::DefWindowProc(tree, WM_SETREDRAW, TRUE, 0);
            if (redraw)
                ::InvalidateRect(tree, nullptr, TRUE);
        }
    } drawing{tree, held};
    if (held)
        ::DefWindowProc(tree, WM_SETREDRAW, FALSE, 0);
    bool changed = false;
    const bool complete = SyncLevel(parent, items, maxChanges, changed);
    drawing.redraw = changed || pending;
    return complete;
}

bool CTreeViewEx::SyncLevel(HTREEITEM parent, const CTreeItemList& items, int maxChanges, bool& changedAny)
{
    CTreeCtrl& tree = GetTreeCtrl();
    // The children read once: each read is a message to the control.
    std::vector<std::pair<HTREEITEM, const CTreeItem*>> children;
    for (HTREEITEM child = tree.GetChildItem(parent); child != nullptr; child = tree.GetNextSiblingItem(child))
        children.emplace_back(child, GetItemData(child));
    int changes = 0;
    bool complete = true;
    for (const CTreeItemPtr& item : items) {
        if (!item)
            continue;
        const auto found = std::find_if(children.begin(), children.end(), [&](const auto& child) {
            return child.second != nullptr && SameIds(*child.second, *item);
        });
        if (found != children.end()) {
            if (changes >= maxChanges) {
                complete = false;
                continue;
            }
            bool changed = false;
            InsertOrUpdateItem(parent, *item, found->first, &changed);
            changes += changed ? 1 : 0;
            changedAny = changedAny || changed;
            continue;
        }
        HTREEITEM inserted = InsertOrUpdateItem(parent, *item, nullptr);
        if (inserted == nullptr)
            continue;
        changedAny = true;
        children.emplace_back(inserted, GetItemData(inserted));
        if (!(IsDeviceNode(*item) || IsLogFileNode(*item)))
            continue;
        // A document's variables are listed once, when its node first appears.
        if (CDocumentEx* document = FindNodeDocument(*item)) {
            CTreeItemList variables;
            document->CollectPlotItems(variables);
            SyncLevel(inserted, variables, INT_MAX, changedAny);
        }
    }
    for (const auto& child : children) {
        bool listed = false;
        for (const CTreeItemPtr& item : items)
            listed = listed || (item && child.second != nullptr && SameIds(*child.second, *item));
        if (!listed) {
            DeleteSubtree(child.first);
            changedAny = true;
        }
    }
    return complete;
}

void CTreeViewEx::DeleteItemData(HTREEITEM item, bool recursive)
{
    if (item == nullptr)
        return;
    CTreeCtrl& tree = GetTreeCtrl();
    delete GetItemData(item);
    tree.SetItemData(item, 0);
    if (!recursive)
        return;
    for (HTREEITEM child = tree.GetChildItem(item); child != nullptr; child = tree.GetNextSiblingItem(child))
        DeleteItemData(child, true);
}

void CTreeViewEx::DeleteSubtree(HTREEITEM item)
{
    DeleteItemData(item, true);
    GetTreeCtrl().DeleteItem(item);
}

void CTreeViewEx::DeleteAllItems()
{
    CTreeCtrl& tree = GetTreeCtrl();
    for (HTREEITEM item = tree.GetRootItem(); item != nullptr; item = tree.GetNextSiblingItem(item))
        DeleteItemData(item, true);
    tree.DeleteAllItems();
}

void CTreeViewEx::OnDestroy()
{
    CSingleLock lock(&m_lock, TRUE);
    if (m_dragging)
        StopDragging();
    DeleteAllItems();
    CTreeView::OnDestroy();
}

// Drawn into a bitmap first (no flicker while values change), and the selected items are
// painted in the highlight colours also while the tree does not have the focus.
void CTreeViewEx::OnPaint()
{
    PAINTSTRUCT paint;
    HDC screen = ::BeginPaint(GetSafeHwnd(), &paint);
    RECT client;
    ::GetClientRect(GetSafeHwnd(), &client);
    RECT clip;
    ::GetClipBox(screen, &clip);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, client.right - client.left, client.bottom - client.top);
    HGDIOBJ oldBitmap = ::SelectObject(memory, bitmap);
    ::IntersectClipRect(memory, clip.left, clip.top, clip.right, clip.bottom);
    ::FillRect(memory, &client, ::GetSysColorBrush(COLOR_WINDOW));
    DefWindowProc(WM_PAINT, reinterpret_cast<WPARAM>(memory), 0);

    CTreeCtrl& tree = GetTreeCtrl();
    if (tree.GetSelectedItem() != nullptr) {
        HFONT font = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
        HGDIOBJ oldFont = font != nullptr ? ::SelectObject(memory, font) : nullptr;
        const UINT visible = TreeView_GetVisibleCount(GetSafeHwnd()) + 1;
        HTREEITEM item = TreeView_GetFirstVisible(GetSafeHwnd());
        for (UINT count = 0; item != nullptr && count < visible; ++count) {
            const UINT state = TreeView_GetItemState(GetSafeHwnd(), item, TVIS_SELECTED | TVIS_DROPHILITED);
            if ((state & (TVIS_SELECTED | TVIS_DROPHILITED)) != 0) {
                RECT text;
                if (TreeView_GetItemRect(GetSafeHwnd(), item, &text, TRUE)) {
                    HBRUSH highlight = ::CreateSolidBrush(m_highlightColour);
                    ::FillRect(memory, &text, highlight);
                    ::DeleteObject(highlight);
                    const CString label = tree.GetItemText(item);
                    ::SetBkMode(memory, TRANSPARENT);
                    ::SetTextColor(memory, m_highlightTextColour);
                    ::DrawTextA(memory, label, label.GetLength(), &text,
                                DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_NOPREFIX);
                }
            }
            item = TreeView_GetNextVisible(GetSafeHwnd(), item);
        }
        if (oldFont != nullptr)
            ::SelectObject(memory, oldFont);
    }
    ::BitBlt(screen, clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top, memory, clip.left, clip.top,
             SRCCOPY);
    ::SelectObject(memory, oldBitmap);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::EndPaint(GetSafeHwnd(), &paint);
}

BOOL CTreeViewEx::OnEraseBkgnd(CDC*)
{
    return TRUE;
}

void CTreeViewEx::RefreshView()
{
}

void CTreeViewEx::RefreshWhenActive()
{
    if (GetSafeHwnd() == nullptr)
        return;
    if (m_active) {
        Invalidate(TRUE);
        m_refreshPending = false;
    } else {
        m_refreshPending = true;
    }
}

std::string CTreeViewEx::GetItemTipText(const CTreeItem&)
{
    return std::string();
}

void CTreeViewEx::OnSetFocus(CWnd* pOldWnd)
{
    {
        CSingleLock lock(&m_lock, TRUE);
        m_active = true;
    }
    if (m_refreshPending)
        RefreshView();
    Default();
}

void CTreeViewEx::OnActivateView(BOOL bActivate, CView* pActivateView, CView* pDeactiveView)
{
    if (pActivateView != pDeactiveView) {
        m_active = bActivate != FALSE;
        if (m_refreshPending)
            RefreshView();
    }
    CTreeView::OnActivateView(bActivate, pActivateView, pDeactiveView);
}

BOOL CTreeViewEx::PreTranslateMessage(MSG* pMsg)
{
    // Shift+F10 and the context-menu key would open the tree's own menu; the documents'
    // menus come from the right button.
    if ((pMsg->message == WM_KEYDOWN || pMsg->message == WM_SYSKEYDOWN) && pMsg->wParam == VK_F10 &&
        (::GetKeyState(VK_SHIFT) & 0x8000) != 0)
        return TRUE;
    if (pMsg->message == WM_CONTEXTMENU)
        return TRUE;
    return CTreeView::PreTranslateMessage(pMsg);
}

void CTreeViewEx::OnRButtonDown(UINT nFlags, CPoint point)
{
    if (m_dragging) {
        // The right button ends a drag without dropping.
        StopDragging();
        m_draggedItem.reset();
    } else {
        UINT flags = 0;
        HTREEITEM item = GetTreeCtrl().HitTest(point, &flags);
        if (item != nullptr)
            GetTreeCtrl().SelectItem(item);
    }
    Default();
}

void CTreeViewEx::OnRightClick(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
    const CTreeItem* item = GetSelectedItemData();
    if (item == nullptr || IsVariable(*item))
        return;
    if (CDocumentEx* document = FindNodeDocument(*item)) {
        const DWORD position = ::GetMessagePos();
        document->TrackContextMenu(this, static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position)));
    }
}

INT_PTR CTreeViewEx::OnToolHitTest(CPoint point, TOOLINFO* pTI) const
{
    TVHITTESTINFO hit = {};
    hit.pt = point;
    HTREEITEM item = TreeView_HitTest(GetSafeHwnd(), &hit);
    if (item == nullptr || (hit.flags & TVHT_ONITEMLABEL) == 0)
        return -1;
    if (pTI != nullptr) {
        pTI->hwnd = GetSafeHwnd();
        pTI->uId = reinterpret_cast<UINT_PTR>(item);
        pTI->uFlags = 0;
        if (!TreeView_GetItemRect(GetSafeHwnd(), item, &pTI->rect, TRUE))
            ::SetRectEmpty(&pTI->rect);
        pTI->lpszText = LPSTR_TEXTCALLBACK;
    }
    return reinterpret_cast<INT_PTR>(item);
}

// The tree control's own tooltip names the tree window as its tool: that one is the
// control's business.
BOOL CTreeViewEx::OnNeedToolTipText(UINT, NMHDR* pNMHDR, LRESULT* pResult)
{
    const bool wide = pNMHDR->code == TTN_NEEDTEXTW;
    NMTTDISPINFOA* narrowInfo = reinterpret_cast<NMTTDISPINFOA*>(pNMHDR);
    NMTTDISPINFOW* wideInfo = reinterpret_cast<NMTTDISPINFOW*>(pNMHDR);
    const UINT flags = wide ? wideInfo->uFlags : narrowInfo->uFlags;
    if ((flags & TTF_IDISHWND) != 0 && pNMHDR->idFrom == reinterpret_cast<UINT_PTR>(GetSafeHwnd()))
        return FALSE;
    const CTreeItem* item = GetItemData(reinterpret_cast<HTREEITEM>(pNMHDR->idFrom));
    const std::string text = item != nullptr ? GetItemTipText(*item) : std::string();
    if (text.empty())
        return FALSE;
    m_tipText = text;
    m_tipTextWide = NarrowToWide(text);
    if (wide)
        wideInfo->lpszText = const_cast<wchar_t*>(m_tipTextWide.c_str());
    else
        narrowInfo->lpszText = const_cast<char*>(m_tipText.c_str());
    *pResult = 0;
    return TRUE;
}

void CTreeViewEx::OnBeginDrag(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    NMTREEVIEWA* view = reinterpret_cast<NMTREEVIEWA*>(pNMHDR);
    BeginDrag(view->itemNew.hItem, CPoint(view->ptDrag.x, view->ptDrag.y));
}

void CTreeViewEx::BeginDrag(HTREEITEM item, CPoint point)
{
    CSingleLock lock(&m_lock, TRUE);
    const CTreeItem* data = GetItemData(item);
    if (data == nullptr)
        return;
    // A copy: a refresh may rebuild the tree, and its data with it, during the drag.
    m_draggedItem.reset(new CTreeItem(*data));
    m_dragImage = TreeView_CreateDragImage(GetSafeHwnd(), item);
    if (m_dragImage == nullptr)
        return;
    m_dragging = true;
    ImageList_BeginDrag(m_dragImage, 0, -15, -15);
    UpdateDragTarget(point);
    CPoint screen = point;
    ClientToScreen(&screen);
    ImageList_DragEnter(nullptr, screen.x, screen.y);
    m_normalCursor = ::GetCursor();
    m_dragCursor = ::LoadCursor(AfxGetResourceHandle(), MAKEINTRESOURCE(IDC_NO_DROP));
    if (m_dragCursor == nullptr)
        m_dragCursor = ::LoadCursor(nullptr, IDC_NO);
    m_timerId = SetTimer(TREE_DRAG_TIMER, TREE_DRAG_TIMER_MS, nullptr);
    SetCapture();
}

void CTreeViewEx::UpdateDragTarget(CPoint clientPoint)
{
    CPoint screen = clientPoint;
    ClientToScreen(&screen);
    m_lastDragPoint = screen;
    ImageList_DragMove(screen.x, screen.y);
    HWND under = ::WindowFromPoint(screen);
    m_windowUnderCursor = under != nullptr ? CWnd::FromHandle(under) : nullptr;
    m_windowUnderCursorParent = under != nullptr && ::GetParent(under) != nullptr ? CWnd::FromHandle(::GetParent(under)) : nullptr;
    m_overMainFrame = false;
    m_overDropView = false;
    m_dropViewWindow = nullptr;
    CWnd* mainWindow = AfxGetMainWnd();
    for (HWND window = under; window != nullptr; window = ::GetParent(window)) {
        CWnd* permanent = CWnd::FromHandlePermanent(window);
        if (permanent != nullptr && dynamic_cast<CTreeViewEx*>(permanent) != nullptr)
            break;
        if (permanent != nullptr &&
            (dynamic_cast<CViewEx*>(permanent) != nullptr || dynamic_cast<CFormViewEx*>(permanent) != nullptr)) {
            m_dropViewWindow = window;
            m_overDropView = true;
            break;
        }
        if (mainWindow != nullptr && window == mainWindow->GetSafeHwnd()) {
            m_overMainFrame = true;
            break;
        }
    }
}

bool CTreeViewEx::DropPossible()
{
    if (!m_draggedItem)
        return false;
    if (m_overMainFrame)
        return true;
    if (!m_overDropView)
        return false;
    CView* view = dynamic_cast<CView*>(CWnd::FromHandlePermanent(m_dropViewWindow));
    pyraxis::IDropTarget* target = view != nullptr ? dynamic_cast<pyraxis::IDropTarget*>(view) : nullptr;
    return target != nullptr && target->CanDrop(m_draggedItem.get());
}

void CTreeViewEx::OnMouseMove(UINT nFlags, CPoint point)
{
    if (m_dragging) {
        UpdateDragTarget(point);
        ::SetCursor(DropPossible() ? m_normalCursor : m_dragCursor);
    }
    Default();
}

void CTreeViewEx::OnTimer(UINT_PTR nIDEvent)
{
    if (m_dragging && nIDEvent == TREE_DRAG_TIMER) {
        ::SetCursor(DropPossible() ? m_normalCursor : m_dragCursor);
        ImageList_DragMove(m_lastDragPoint.x, m_lastDragPoint.y);
    }
    Default();
}

void CTreeViewEx::OnLButtonUp(UINT nFlags, CPoint point)
{
    EndDrag(nFlags, point);
}

void CTreeViewEx::StopDragging()
{
    if (m_timerId != 0)
        KillTimer(m_timerId);
    m_timerId = 0;
    m_dragging = false;
    ImageList_DragLeave(nullptr);
    ImageList_EndDrag();
    if (m_dragImage != nullptr)
        ImageList_Destroy(m_dragImage);
    m_dragImage = nullptr;
    if (m_normalCursor != nullptr)
        ::SetCursor(m_normalCursor);
    ReleaseCapture();
}

void CTreeViewEx::EndDrag(UINT, CPoint point)
{
    CSingleLock lock(&m_lock, TRUE);
    Default();
    if (!m_dragging)
        return;
    UpdateDragTarget(point);
    StopDragging();
    std::unique_ptr<CTreeItem> dragged(std::move(m_draggedItem));
    if (m_overDropView && dragged) {
        CView* view = dynamic_cast<CView*>(CWnd::FromHandlePermanent(m_dropViewWindow));
        pyraxis::IDropTarget* target = view != nullptr ? dynamic_cast<pyraxis::IDropTarget*>(view) : nullptr;
        if (target != nullptr && target->CanDrop(dragged.get()))
            target->Drop(dragged.get());
    }
}
