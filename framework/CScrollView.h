// A view larger than its window: scroll bars over a total size in pixels (MM_TEXT, the
// one mapping mode supported), and a device context whose origin follows the scrolling.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CPoint.h"
#include "framework/CSize.h"
#include "framework/CView.h"

class CScrollView : public CView
{
    DECLARE_DYNAMIC(CScrollView)
public:
    // Defaults for sizePage and sizeLine: a tenth and a hundredth of the total size.
    static const SIZE sizeDefault;

    void SetScrollSizes(int nMapMode, SIZE sizeTotal, const SIZE& sizePage = sizeDefault,
                        const SIZE& sizeLine = sizeDefault);
    CSize GetTotalSize() const { return m_totalLog; }
    CPoint GetScrollPosition() const;
    void ScrollToPosition(POINT pt);

protected:
    CScrollView();

    void OnPrepareDC(CDC* pDC) override;
    // Shows or hides the bars for the current client size.
    void UpdateBars();
    // Scrolls by a number of pixels in each direction; FALSE when it did not move.
    BOOL OnScrollBy(CSize sizeScroll, BOOL bDoScroll = TRUE);

    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    afx_msg void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);

    int m_nMapMode = 0;     // 0 until SetScrollSizes
    CSize m_totalLog;
    CSize m_pageDev;
    CSize m_lineDev;

    DECLARE_MESSAGE_MAP()

private:
    void OnScroll(int nBar, UINT nSBCode);
    // Setting the bars resizes the client area, which asks for the bars again.
    BOOL m_bInUpdateBars = FALSE;
};
