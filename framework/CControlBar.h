// Base of the bars a frame lays out around its client area: status bar, toolbars,
// dock bars and derived sizing bars. Keeps the bar style, the borders, the docking
// links (dock site, dock bar, dock context) and answers the frame's layout pass.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CWnd.h"
#include "framework/FrameworkIds.h"
#include "framework/CRect.h"
#include "framework/CSize.h"
#include "framework/CPoint.h"

class CFrameWnd;
class CDockBar;
class CDockContext;
class CControlBarInfo;
class CDC;

// Bar style bits (the low word and the gripper bit are the bar's own, the rest is
// window style).
#ifndef CBRS_ALIGN_LEFT
#define CBRS_ALIGN_LEFT 0x1000L
#define CBRS_ALIGN_TOP 0x2000L
#define CBRS_ALIGN_RIGHT 0x4000L
#define CBRS_ALIGN_BOTTOM 0x8000L
#define CBRS_ALIGN_ANY 0xF000L
#define CBRS_BORDER_LEFT 0x0100L
#define CBRS_BORDER_TOP 0x0200L
#define CBRS_BORDER_RIGHT 0x0400L
#define CBRS_BORDER_BOTTOM 0x0800L
#define CBRS_BORDER_ANY 0x0F00L
#define CBRS_TOOLTIPS 0x0010L
#define CBRS_FLYBY 0x0020L
#define CBRS_FLOAT_MULTI 0x0040L
#define CBRS_BORDER_3D 0x0080L
#define CBRS_HIDE_INPLACE 0x0008L
#define CBRS_SIZE_DYNAMIC 0x0004L
#define CBRS_SIZE_FIXED 0x0002L
#define CBRS_FLOATING 0x0001L
#define CBRS_GRIPPER 0x00400000L
#define CBRS_ORIENT_HORZ (CBRS_ALIGN_TOP | CBRS_ALIGN_BOTTOM)
#define CBRS_ORIENT_VERT (CBRS_ALIGN_LEFT | CBRS_ALIGN_RIGHT)
#define CBRS_ORIENT_ANY (CBRS_ORIENT_HORZ | CBRS_ORIENT_VERT)
#define CBRS_ALL 0x0040FFFFL
#define CBRS_NOALIGN 0x00000000L
#define CBRS_LEFT (CBRS_ALIGN_LEFT | CBRS_BORDER_RIGHT)
#define CBRS_TOP (CBRS_ALIGN_TOP | CBRS_BORDER_BOTTOM)
#define CBRS_RIGHT (CBRS_ALIGN_RIGHT | CBRS_BORDER_LEFT)
#define CBRS_BOTTOM (CBRS_ALIGN_BOTTOM | CBRS_BORDER_TOP)
#endif

// Modes of CalcDynamicLayout.
#ifndef LM_STRETCH
#define LM_STRETCH 0x01
#define LM_HORZ 0x02
#define LM_MRUWIDTH 0x04
#define LM_HORZDOCK 0x08
#define LM_VERTDOCK 0x10
#define LM_LENGTHY 0x20
#define LM_COMMIT 0x40
#endif

class CControlBar : public CWnd
{
    DECLARE_DYNAMIC(CControlBar)
public:
    CControlBar();
    ~CControlBar() override;

    int GetCount() const { return m_nCount; }
    void SetBorders(int cxLeft = 0, int cyTop = 0, int cxRight = 0, int cyBottom = 0);
    void SetBorders(LPCRECT lpRect);
    CRect GetBorders() const;

    DWORD GetBarStyle() const { return m_dwStyle; }
    void SetBarStyle(DWORD dwStyle);
    void EnableDocking(DWORD dwDockStyle);
    DWORD GetDockStyle() const { return m_dwDockStyle; }

    CFrameWnd* GetDockingFrame() const;
    BOOL IsFloating() const;
    BOOL IsVisible() const;   // visible or about to be shown by a delayed show

    virtual CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz);
    virtual CSize CalcDynamicLayout(int nLength, DWORD nMode);
    virtual void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) = 0;
    virtual void CalcInsideRect(CRect& rect, BOOL bHorz) const;
    // The part of CalcInsideRect that the border lines and widths take (no gripper).
    void CalcBorderInsets(CRect& rect, BOOL bHorz) const;
    virtual void DoPaint(CDC* pDC);
    virtual void DrawBorders(CDC* pDC, CRect& rect);
    virtual void DrawGripper(CDC* pDC, const CRect& rect);
    virtual void DelayShow(BOOL bShow);
    virtual BOOL IsDockBar() const { return FALSE; }
    virtual void OnBarStyleChange(DWORD dwOldStyle, DWORD dwNewStyle);
    virtual void SetBarInfo(CControlBarInfo* pInfo, CFrameWnd* pFrameWnd);
    virtual void GetBarInfo(CControlBarInfo* pInfo);

    BOOL PreTranslateMessage(MSG* pMsg) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    INT_PTR OnToolHitTest(CPoint point, TOOLINFO* pTI) const override;

    // Applies a pending DelayShow (unless only querying) and returns the window style
    // the bar has for the layout.
    DWORD RecalcDelayShow(BOOL bQuery);
    void ResetTimer(UINT nEvent, UINT nTime);
    // The window and its client area in window coordinates, for painting the borders
    // around the client area.
    void GetNonClientRects(CRect& rectWindow, CRect& rectClient) const;
    void EraseNonClient();
    // Clips a window DC of the bar to its non-client area; returns the window
    // rectangle in the DC's co-ordinates.
    CRect ExcludeClientArea(CDC* pDC) const;

    // State flags kept between layout passes.
    enum StateFlags
    {
        delayHide = 1,
        delayShow = 2,
        tempHide = 4,
        statusSet = 8
    };

    int m_cxLeftBorder = 6;
    int m_cxRightBorder = 6;
    int m_cyTopBorder = 1;
    int m_cyBottomBorder = 1;
    int m_nMRUWidth = 32767;      // width a dynamic bar last had while floating
    BOOL m_bAutoDelete = FALSE;   // delete the object when its window goes
    int m_nCount = 0;             // items of the bar (panes, buttons)
    UINT m_nStateFlags = 0;
    DWORD m_dwStyle = 0;          // CBRS_ bits
    DWORD m_dwDockStyle = 0;      // sides the bar may dock on
    CFrameWnd* m_pDockSite = nullptr;
    CDockBar* m_pDockBar = nullptr;
    CDockContext* m_pDockContext = nullptr;

protected:
    void PostNcDestroy() override;
    // Places the bar into the free rectangle of a layout pass.
    LRESULT OnSizeParent(WPARAM wParam, LPARAM lParam);
    LRESULT OnIdleUpdateCmdUI(WPARAM wParam, LPARAM lParam);

    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg void OnDestroy();
    afx_msg void OnPaint();
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg void OnWindowPosChanging(WINDOWPOS* lpWndPos);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnLButtonDblClk(UINT nFlags, CPoint point);
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    DECLARE_MESSAGE_MAP()
};
