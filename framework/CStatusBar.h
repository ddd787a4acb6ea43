// The frame's status bar: a control bar over the common status control, with one pane
// per indicator id. The first separator pane stretches and shows the menu prompts
// (the bar's window text); the indicator panes show their string while enabled.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CControlBar.h"
#include "framework/CStatusBarCtrl.h"
#include "framework/CString.h"

#include <vector>

// Pane styles: the control's drawing bits plus the bar's own.
#ifndef SBPS_NORMAL
#define SBPS_NORMAL 0x0000
#define SBPS_NOBORDERS SBT_NOBORDERS
#define SBPS_POPOUT SBT_POPOUT
#define SBPS_OWNERDRAW SBT_OWNERDRAW
#define SBPS_DISABLED 0x04000000   // the text is hidden
#define SBPS_STRETCH 0x08000000    // the pane takes the width left over
#endif

class CStatusBar : public CControlBar
{
    DECLARE_DYNAMIC(CStatusBar)
public:
    CStatusBar();
    ~CStatusBar() override;

    virtual BOOL Create(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM,
                        UINT nID = AFX_IDW_STATUS_BAR);

    // One pane per id; an indicator's text and width come from its string resource
    // (a missing string gives an empty pane instead of a failure).
    BOOL SetIndicators(const UINT* lpIDArray, int nIDCount);

    int CommandToIndex(UINT nIDFind) const;    // -1 when no pane has the id
    UINT GetItemID(int nIndex) const;
    void GetItemRect(int nIndex, LPRECT lpRect) const;

    void GetPaneInfo(int nIndex, UINT& nID, UINT& nStyle, int& cxWidth) const;
    void SetPaneInfo(int nIndex, UINT nID, UINT nStyle, int cxWidth);
    UINT GetPaneStyle(int nIndex) const;
    void SetPaneStyle(int nIndex, UINT nStyle);
    CString GetPaneText(int nIndex) const;
    void GetPaneText(int nIndex, CString& rString) const;
    BOOL SetPaneText(int nIndex, LPCTSTR lpszNewText, BOOL bUpdate = TRUE);

    CStatusBarCtrl& GetStatusBarCtrl() const;

    CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
    void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override;

protected:
    struct Pane
    {
        UINT nID = 0;
        UINT nStyle = SBPS_NORMAL;
        int cxText = 0;         // width of the text area in pixels
        CString strText;
    };

    // Gives the control the panes' right edges for the current width.
    void UpdateAllPanes();
    // Shows the pane's text in the control (nothing while the pane is disabled).
    void ShowPaneText(int nIndex);
    int TextWidth(const CString& text) const;
    BOOL IsValidIndex(int nIndex) const { return nIndex >= 0 && nIndex < static_cast<int>(m_panes.size()); }

    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnLButtonDblClk(UINT nFlags, CPoint point);
    afx_msg LRESULT OnSetText(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnGetText(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnGetTextLength(WPARAM wParam, LPARAM lParam);

    std::vector<Pane> m_panes;
    // Talks to this window as the common control (does not own it).
    mutable CStatusBarCtrl m_statusBarCtrl;

    DECLARE_MESSAGE_MAP()
};
