// The base of the edge bar's two trees: documents of the document manager as top-level
// items with their variables below, tooltips, the documents' context menus, and variables
// dragged onto display views through the program's drop interface.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CCriticalSection.h"
#include "framework/CTreeView.h"
#include "documents/CTreeItem.h"

#include <climits>

class CDocumentEx;

#include <commctrl.h>
#include <memory>
#include <string>

const int TREE_IMAGE_VARIABLE = 5;
const int TREE_IMAGE_LOG_FILE = 8;
const UINT TREE_DRAG_TIMER = 1;
const UINT TREE_DRAG_TIMER_MS = 100;

class CTreeViewEx : public CTreeView
{
    DECLARE_DYNAMIC(CTreeViewEx)
public:
    CTreeViewEx();
    ~CTreeViewEx() override;

    // Nothing in the base; the tab views repaint through RefreshWhenActive.
    virtual void RefreshView();
    // The tooltip of an item; empty for none.
    virtual std::string GetItemTipText(const CTreeItem& item);
    // Ends a drag at the point (client co-ordinates) and drops where the cursor is.
    virtual void EndDrag(UINT nFlags, CPoint point);
    // Starts a drag of the item as TVN_BEGINDRAG does (client co-ordinates).
    void BeginDrag(HTREEITEM item, CPoint point);

    // Brings the children of parent in line with items: new ones inserted (a new
    // document's variables with it), known ones renamed, missing ones deleted. At most
    // maxChanges known ones are changed: false when some were left to a later call.
    bool SyncChildren(HTREEITEM parent, const CTreeItemList& items, int maxChanges = INT_MAX);
    // Null when the item's device is not known. changed, when given, tells whether an
    // existing item took a new text or image.
    HTREEITEM InsertOrUpdateItem(HTREEITEM parent, const CTreeItem& item, HTREEITEM existing,
                                 bool* changed = nullptr);
    void DeleteItemData(HTREEITEM item, bool recursive);
    void DeleteSubtree(HTREEITEM item);
    void DeleteAllItems();
    // The data of the selected item; null when none is selected.
    CTreeItem* GetSelectedItemData() const;
    CTreeItem* GetItemData(HTREEITEM item) const;

    void OnInitialUpdate() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    // An item's label is a tool (the item handle its id); anywhere else there is none.
    INT_PTR OnToolHitTest(CPoint point, TOOLINFO* pTI) const override;

    bool IsActive() const { return m_active; }
    bool IsRefreshPending() const { return m_refreshPending; }
    bool IsDragging() const { return m_dragging; }
    // The copy of the dragged item, taken when the drag began.
    const CTreeItem* GetDraggedItem() const { return m_draggedItem.get(); }
    HWND GetDropViewWindow() const { return m_overDropView ? m_dropViewWindow : nullptr; }

    static bool IsDeviceNode(const CTreeItem& item);
    static bool IsLogFileNode(const CTreeItem& item);
    static bool IsVariable(const CTreeItem& item);

protected:
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    void OnActivateView(BOOL bActivate, CView* pActivateView, CView* pDeactiveView) override;
    // The image of a document node; -1 when the document is not known.
    virtual int DocumentNodeImage(const CTreeItem& item);
    // The document of a node (device or log file), for its variables and its menu.
    virtual CDocumentEx* FindNodeDocument(const CTreeItem& item);

    afx_msg void OnDestroy();
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg void OnSetFocus(CWnd* pOldWnd);
    afx_msg void OnRButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg void OnRightClick(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnBeginDrag(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg BOOL OnNeedToolTipText(UINT id, NMHDR* pNMHDR, LRESULT* pResult);

    DECLARE_MESSAGE_MAP()

    // Repaints now when the view is its tab's active view, else when it becomes active.
    void RefreshWhenActive();

    // SyncChildren at one level; changedAny is set when the control was changed.
    bool SyncLevel(HTREEITEM parent, const CTreeItemList& items, int maxChanges, bool& changedAny);
    CCriticalSection m_lock;
    bool m_active;
    bool m_refreshPending;

private:
    void UpdateDragTarget(CPoint clientPoint);
    bool DropPossible();
    void StopDragging();

    CWnd* m_windowUnderCursor;
    CWnd* m_windowUnderCursorParent;
    std::unique_ptr<CTreeItem> m_draggedItem;
    CPoint m_lastDragPoint;
    bool m_overMainFrame;
    bool m_overDropView;
    HWND m_dropViewWindow;
    COLORREF m_highlightColour;
    COLORREF m_highlightTextColour;
    COLORREF m_windowColour;
    HCURSOR m_normalCursor;
    HCURSOR m_dragCursor;
    UINT_PTR m_timerId;
    HIMAGELIST m_dragImage;
    bool m_dragging;
    HIMAGELIST m_imageList;
    std::string m_tipText;
    std::wstring m_tipTextWide;
};
