// A sizing bar whose child is a tab control with its tabs at the bottom; each tab owns
// a view made from a run-time class, and choosing a tab shows its view and makes it the
// frame's active view.
#pragma once
#include "framework/CMapStringToPtr.h"
#include "framework/CPtrList.h"
#include "framework/CToolTipCtrl.h"
#include "framework/CTypedPtrList.h"
#include "uilib/CBNControlBar.h"
#include "uilib/CBNTabCtrl.h"
#include "uilib/UiLibExport.h"

class CDocument;
class CImageList;
class CView;
struct CCreateContext;

// One tab: its view, label and tooltip.
struct TCB_ITEM
{
    CWnd* pWnd = nullptr;
    CString szLabel;
    CString szToolTipLabel;
    UINT uiToolTipId = 0;
};

class UILIB_API CBNTabCtrlBar : public CBNControlBar
{
    DECLARE_DYNAMIC(CBNTabCtrlBar)
public:
    CBNTabCtrlBar();
    ~CBNTabCtrlBar() override;

    // Adds a tab with a new view of the class. nImage -1 takes the tab's position
    // (1 for the first tab); only the view of image 1 starts shown.
    virtual BOOL AddView(LPCTSTR lpszLabel, CRuntimeClass* pViewClass, CDocument* pDoc = nullptr, int nImage = -1,
                         CCreateContext* pContext = nullptr);
    // Takes the tab's view and record away, and the tab with them.
    virtual void RemoveView(int nView);
    virtual void SetActiveView(CView* pView);
    virtual void SetActiveView(CRuntimeClass* pViewClass);
    virtual void SetActiveView(int nNewTab);
    virtual CView* GetActiveView();
    virtual CView* GetView(CRuntimeClass* pViewClass);
    virtual CView* GetView(int nView);
    virtual CImageList* SetTabImageList(CImageList* pImageList);
    virtual BOOL ModifyTabStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
    virtual LPCTSTR GetViewName(CRuntimeClass* pViewClass);
    virtual LPCTSTR GetViewName(int nView);
    virtual void DeleteView(CRuntimeClass* pViewClass);
    virtual void DeleteView(int nView);
    virtual void SetViewToolTip(CRuntimeClass* pViewClass, LPCTSTR lpszText);
    virtual void SetViewToolTip(int nView, LPCTSTR lpszText);
    virtual void SetTabMenuID(UINT nMenuID, UINT nToolbarID = 0, int nSubMenu = 0);
    virtual void AssociateImageIndexWithRuntimeClass(int nIndex, CRuntimeClass* pRuntimeClass);
    virtual void AssociateImageIndexWithRuntimeClass(int nIndex, LPCTSTR lpszRuntimeClassName);
    virtual BOOL RemoveAllTabs();
    // The tab under the point of the tab control (client co-ordinates); (0, 0) means
    // the cursor. -1 for none.
    virtual int GetTabFromPoint(CPoint point);
    virtual int GetImageIndexFromRuntimeClass(CRuntimeClass* pRuntimeClass);
    virtual void RemoveListItem(POSITION pos);
    virtual void OverkillAssert(CRuntimeClass* pRuntimeClass);
    virtual void SizeTabView(CWnd* pWnd);
    virtual CToolTipCtrl* GetToolTip();
    virtual void AddToolTip(TCB_ITEM* pItem, LPCTSTR lpszText);
    virtual void ResetToolTips(CToolTipCtrl* pToolTip);
    virtual BOOL CreateTabListItem(LPCTSTR lpszLabel);
    virtual BOOL CreateTabView(CRuntimeClass* pViewClass, CDocument* pDoc, CCreateContext* pContext);
    virtual BOOL EnableToolTips(BOOL bEnable);

    BOOL PreTranslateMessage(MSG* pMsg) override;
    void GetChildRect(CRect& rect) override;

    int GetTabCount() const;
    int GetActiveTab() const;
    int GetLastHitTab() const;
    UINT GetNextToolTipId() const;
    const TCB_ITEM* GetTabItem(int nView) const;
    CBNTabCtrl& GetTabCtrl();

protected:
    POSITION FindTab(int nView) const;
    // The index of the first tab whose view is of the class, or -1.
    int FindTab(CRuntimeClass* pViewClass) const;
    int FindTab(const CWnd* pWnd) const;
    static void ShowTabView(CWnd* pWnd, BOOL bShow);

    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg void OnWindowPosChanged(WINDOWPOS* lpWndPos);
    afx_msg void OnTabSelChange(NMHDR* pNMHDR, LRESULT* pResult);

    int m_nLastHit = -1;
    int m_nActiveTab = 0;
    UINT m_nNextToolTipId = 0;
    CView* m_pActiveView = nullptr;
    CTypedPtrList<CPtrList, TCB_ITEM*> m_views;
    CBNTabCtrl m_tabctrl;
    CMapStringToPtr m_mapImages;
    BOOL m_bToolTipsEnabled = TRUE;
    // Talks to the tab control's tooltip control (does not own it).
    CToolTipCtrl m_tabToolTip;
    // The window CreateTabView made last, for the record CreateTabListItem makes.
    CWnd* m_pNewTabWnd = nullptr;

    DECLARE_MESSAGE_MAP()
};
