// One side of a frame for sizing bars: lays the CBNControlBars docked on it out in one
// row that fills the side, and has a 4-pixel splitter on its edge towards the client
// area that changes the thickness of the whole side.
#pragma once
#include "framework/CDockBar.h"
#include "uilib/BarLayout.h"
#include "uilib/UiLibExport.h"

class CBNControlBar;

class UILIB_API CBNSizeDockBar : public CDockBar
{
    DECLARE_DYNAMIC(CBNSizeDockBar)
public:
    CBNSizeDockBar();

    // Non-client strip on the inner edge: two border lines and the splitter.
    static const int kNonClientAcross = 6;
    static const int kSplitterWidth = 4;

    // What IsDockBar answers. The docking frame sets it only while the framework loads
    // or saves the bar state, so that its bar-state code sees these as dock bars and
    // nothing else does.
    static BOOL m_bDockBarMode;

    BOOL IsDockBar() const override;
    BOOL IsDockSizeBar() const;

    // Places the visible sizing bars along the side.
    void CalcSizeBarLayout();
    void Maximize(CBNControlBar* pBar);
    void Normalize(CBNControlBar* pBar);
    // Lays out every sizing dock bar of the frame but this one.
    void RecalcAllExcept(CBNSizeDockBar* pBar);
    // The frame's sizing dock bar of the CBRS_ALIGN_ side, or nullptr.
    static CBNSizeDockBar* FindForAlignment(CFrameWnd* pFrame, DWORD dwAlignment);
    // The same for any frame's sizing dock bars: top, bottom, left, right.
    static void RecalcFrameExcept(CFrameWnd* pFrame, CBNSizeDockBar* pExcept);
    CBNControlBar* GetDockedSizeBar(int nPos) const;
    // TRUE when no visible sizing bar follows the slot.
    BOOL IsLastControlBar(int nPos) const;
    // The frame's client area less what its bars take (the MDI client's place).
    CRect GetAvailableRect();
    void SetActualSize(int nSize);
    int GetActualSize() const;
    void FlatBorder(BOOL bFlat);
    BOOL IsFlatBorder() const;
    BOOL IsTracking() const;
    // The sides by their bar style.
    BOOL IsLeftSide() const;
    BOOL IsTopSide() const;
    BOOL IsRightSide() const;
    BOOL IsBottomSide() const;
    BOOL IsHorzSide() const;
    pyraxis::uilib::DockSide Side() const;

    virtual void OnInvertTracker(const CRect& rect);
    // Sets the splitter cursor (kept in m_hSplitterCursor) when the screen point lies
    // on the splitter strip.
    virtual void HitTest(const CPoint& point);
    void EraseNonClient();

    CSize CalcDynamicLayout(int nLength, DWORD nMode) override;
    void DoPaint(CDC* pDC) override;
    void DrawBorders(CDC* pDC, CRect& rect) override;

    int m_nMinClientSpace = 25;

protected:
    // The splitter strip in window co-ordinates.
    CRect SplitterRect() const;
    // What the border lines and the splitter take of the window's rectangle.
    void DeflateByBorderLines(RECT& rect) const;
    void DeflateBySplitter(RECT& rect) const;
    CPoint ToFrameClient(CPoint point) const;
    void RepaintBars();

    afx_msg void OnNcPaint();
    afx_msg void OnNcCalcSize(BOOL bCalcValidRects, NCCALCSIZE_PARAMS* lpncsp);
    afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    afx_msg LRESULT OnNcHitTest(CPoint point);
    afx_msg void OnNcLButtonDown(UINT nHitTest, CPoint point);
    afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
    afx_msg void OnMouseMove(UINT nFlags, CPoint point);

    int m_nActualSize = 100;
    BOOL m_bFlatBorder = TRUE;
    HCURSOR m_hSplitterCursor = nullptr;
    BOOL m_bTracking = FALSE;
    CRect m_rectTracker;
    CPoint m_ptLast;
    CPoint m_ptStart;
    CPoint m_ptButtonDown;

    DECLARE_MESSAGE_MAP()
};
