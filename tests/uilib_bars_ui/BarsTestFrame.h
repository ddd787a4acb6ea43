// A small frame built the way the program's main frame is: the status bar, the four
// sizing dock bars, and one tabbed sizing bar ("Workspace") with two tree views, docked
// left, whose context menu is the frame menu's second popup.
#pragma once
#include "framework/CTreeView.h"
#include "uilib/CBNMDIFrameWnd.h"
#include "uilib/CBNStatusBar.h"
#include "uilib/CBNTabCtrlBar.h"

// The two kinds of tab view; each counts the Return keys it gets.
class DevicesTestView : public CTreeView
{
    DECLARE_DYNCREATE(DevicesTestView)
public:
    int m_nReturns = 0;
    int m_nInitialUpdates = 0;
    // Deactivations of any of these views, also of views already gone.
    static int s_nDeactivations;
    void OnInitialUpdate() override;
    void OnActivateView(BOOL bActivate, CView* pActivateView, CView* pDeactiveView) override;

protected:
    afx_msg void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    DECLARE_MESSAGE_MAP()
};

class LogFilesTestView : public DevicesTestView
{
    DECLARE_DYNCREATE(LogFilesTestView)
};

class BarsTestFrame : public CBNMDIFrameWnd
{
    DECLARE_DYNCREATE(BarsTestFrame)
public:
    // The frame's profile name of the bar state.
    static const char kBarStateProfile[];
    // Menu, title and the edge bar's id.
    static const UINT kFrameID;
    static const UINT kEdgeBarID;

    CBNStatusBar m_wndStatusBar;
    CBNTabCtrlBar m_wndEdgeBar;
    // Commands the context menu sent.
    UINT m_nLastCommand = 0;

protected:
    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg void OnContextCommand(UINT nID);
    DECLARE_MESSAGE_MAP()
};
