// The Historical Graph's view: its two strip charts, painted double-buffered, rebuilt
// when the plotted columns change or a log file grew, and the overview's window dragged
// with the mouse.
#pragma once
#include "framework/FrameworkBase.h"
#include "displays/CGraphTimeCharts.h"
#include "shell/CViewEx.h"

class CDisplayGraphTimeDoc;

class CDisplayGraphTimeView : public CViewEx
{
    DECLARE_DYNCREATE(CDisplayGraphTimeView)
public:
    CDisplayGraphTimeView();

    void OnInitialUpdate() override;
    CDisplayGraphTimeDoc* GetGraphDocument() const;
    CGraphTimeCharts& GetCharts() { return m_charts; }

protected:
    void OnDraw(CDC* pDC) override;
    afx_msg LRESULT OnDisplayRebuild(WPARAM wParam, LPARAM lParam);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
    afx_msg void OnCaptureChanged(CWnd* pWnd);

    DECLARE_MESSAGE_MAP()

private:
    void LayOutCharts();

    CGraphTimeCharts m_charts;
};
