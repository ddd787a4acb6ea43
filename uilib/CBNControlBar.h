// A resizable control bar that docks on the four sizing dock bars of a CBNMDIFrameWnd,
// floats in a mini frame and hosts one child window that fills it. Docked it shows a
// gripper or a gradient caption, a close and a minimise/expand button, and a 6-pixel
// splitter strip on its inner edge between neighbouring bars. It keeps one size for
// each way it can sit and writes its size into the profile beside the frame's own bar
// state.
#pragma once
#include "framework/CControlBar.h"
#include "framework/CImageList.h"
#include "framework/CToolTipCtrl.h"
#include "uilib/BarLayout.h"
#include "uilib/CBNCBarButton.h"
#include "uilib/CBNMenu.h"
#include "uilib/UiLibExport.h"

class CCmdUI;
class CBNSizeDockBar;

class UILIB_API CBNControlBar : public CControlBar
{
    DECLARE_DYNAMIC(CBNControlBar)
public:
    CBNControlBar();
    ~CBNControlBar() override;

    virtual void EnableSaveState(bool bEnable);
    virtual BOOL Create(CWnd* pParentWnd, UINT nID, LPCTSTR lpszTitle, CSize size, DWORD dwStyle, BOOL bFlat);
    // The part of the client area the child fills.
    virtual void GetChildRect(CRect& rect);
    // The smallest extent along the row: room for the caption, or the splitter alone.
    virtual int GetMinExt();
    virtual BOOL IsLeftDocked() const;
    virtual BOOL IsRightDocked() const;
    virtual BOOL IsTopDocked() const;
    virtual BOOL IsBottomDocked() const;
    virtual BOOL IsHorzDocked() const;
    virtual BOOL IsVertDocked() const;
    // Neither docked on a side nor anything else: floating.
    virtual BOOL IsFloating() const;
    virtual void SetNormalSize(const CSize& size);
    virtual void Normalize();
    virtual void Minimize();
    virtual void Maximize(int nExtent);
    virtual void EnableDockingOnSizeBar(DWORD dwDockStyle);
    virtual void ShowFrameControls(BOOL bGripper, BOOL bButtons);
    virtual void SetMenuID(UINT nMenuID, UINT nToolbarID = 0, int nSubMenu = 0);
    virtual UINT GetMenuID() const;
    virtual void EnableFlatLook(int bCaption, int bBorders, int bButtons);
    virtual void EnableFlatLook(int bFlat);
    virtual int GetVertSize() const;
    virtual int GetHorzSize() const;
    virtual CRect GetGripperRect();
    virtual CRect GetButtonRect();
    using CControlBar::DrawGripper;
    virtual void DrawGripper(CDC* pDC);
    virtual void SetChild(CWnd* pWnd);
    virtual void OnInvertTracker(const CRect& rect);
    // TRUE (and the resize cursor) over the splitter strip.
    virtual BOOL HitTest(CPoint& point);
    virtual void EraseNonClient();
    virtual void DrawGriperCaption(CDC* pDC, RECT* pRect);
    virtual void LoadBarState(CSize& size, UINT nID);
    virtual void SaveBarState(CSize& size);

    BOOL PreTranslateMessage(MSG* pMsg) override;
    CSize CalcDynamicLayout(int nLength, DWORD nMode) override;
    void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override;
    void DrawBorders(CDC* pDC, CRect& rect) override;

    // What the layout and the tests read.
    const pyraxis::uilib::BarSizes& GetSizes() const;
    CSize GetDesiredSize() const;
    void SetDesiredSize(const CSize& size);
    BOOL IsMaximized() const;
    // Where the bar sits now.
    pyraxis::uilib::DockSide GetSide() const;
    BOOL IsTracking() const;
    BOOL IsOverSplitter() const;
    BOOL IsFloatingAtStart() const;
    CWnd* GetChild() const;
    CBNCBarButton& GetCloseButton();
    CBNCBarButton& GetMinimizeButton();
    int GetMinimizeImage() const;
    // The sizing dock bar the bar sits on, or nullptr.
    CBNSizeDockBar* GetSizeDockBar() const;

    // Set by the sizing dock bar's layout.
    BOOL m_bOnlyBarInRow = FALSE;
    BOOL m_bLastInRow = FALSE;

protected:
    // The docking frame's client co-ordinates of a point in ours.
    CPoint ToFrameClient(CPoint point) const;
    // The profile section of the frame's state whose "BarID" is ours, or "" when none.
    CString FindStateSection() const;
    // Shows the bar's context menu at a point in screen co-ordinates.
    void TrackContextMenu(CPoint ptScreen);

    afx_msg void OnNcPaint();
    afx_msg void OnPaint();
    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
    afx_msg LRESULT OnNcHitTest(CPoint point);
    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg void OnWindowPosChanged(WINDOWPOS* lpWndPos);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnRButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMeasureItemStruct);
    afx_msg LRESULT OnMenuChar(UINT nChar, UINT nFlags, CMenu* pMenu);
    afx_msg void OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu);
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg void OnButtonClose();
    afx_msg void OnButtonMinimize();
    afx_msg void OnUpdateButtonClose(CCmdUI* pCmdUI);
    afx_msg void OnUpdateButtonMinimize(CCmdUI* pCmdUI);

    int m_nChildInset = 5;
    int m_nMinimizeImage = 0;
    UINT m_nMenuToolbarID = 0;
    UINT m_nMenuID = 0;
    CBNMenu m_menuContext;
    int m_nSubMenu = 0;
    BOOL m_bOverSplitter = FALSE;
    BOOL m_bTracking = FALSE;
    BOOL m_bFrameButtons = TRUE;
    CRect m_rectTracker;
    // Desired, normal, docked and floating sizes, and whether the bar is maximised.
    pyraxis::uilib::BarSizes m_sizes;
    CPoint m_ptLast;
    CPoint m_ptStart;
    CWnd* m_pChild = nullptr;
    CImageList m_imageButtons;
    CBNCBarButton m_btnClose;
    CBNCBarButton m_btnMinimize;
    CToolTipCtrl m_toolTip;
    BOOL m_bGripper = TRUE;
    BOOL m_bGradientCaption = FALSE;
    BOOL m_bFlatBorders = FALSE;
    CString m_strSection;
    BOOL m_bSaveState = TRUE;
    HICON m_hIconClose = nullptr;
    HICON m_hIconMinimize = nullptr;
    UINT m_nBarID = 0;
    BOOL m_bFloatingAtStart = FALSE;
    // Where the tracker started, to move the splitter by exactly the mouse's travel.
    CRect m_rectTrackerStart;

    DECLARE_MESSAGE_MAP()
};
