// Floating frame of control bars: a tool-caption mini frame holding one dock bar
// (id AFX_IDW_DOCKBAR_FLOAT). Closing it hides the bars; its caption and borders start
// the first bar's drags and resizes.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CMiniFrameWnd.h"
#include "framework/CDockBar.h"

class CMiniDockFrameWnd : public CMiniFrameWnd
{
    DECLARE_DYNCREATE(CMiniDockFrameWnd)
public:
    CMiniDockFrameWnd();

    // pParent is the frame that docks the bars; dwBarStyle the dock bar's CBRS_ style.
    virtual BOOL Create(CWnd* pParent, DWORD dwBarStyle);
    // Fits the frame around its bars and hides it while none is visible.
    void RecalcLayout(BOOL bNotify = TRUE) override;

    CDockBar m_wndDockBar;

protected:
    // First bar in the frame (nullptr when empty); its dock context handles drags.
    CControlBar* GetFirstBar() const;

    afx_msg void OnClose();
    afx_msg void OnNcLButtonDown(UINT nHitTest, CPoint point);
    afx_msg void OnNcLButtonDblClk(UINT nHitTest, CPoint point);
    afx_msg LRESULT OnNcHitTest(CPoint point);
    DECLARE_MESSAGE_MAP()
};
