#include "displays/CDisplayGraphTimeView.h"
#include "displays/CDisplayGraphTimeDoc.h"
#include "framework/CClientDC.h"
#include "framework/MessageMap.h"

IMPLEMENT_DYNCREATE(CDisplayGraphTimeView, CViewEx)

BEGIN_MESSAGE_MAP(CDisplayGraphTimeView, CViewEx)
    ON_MESSAGE(WM_APP_DISPLAY_REBUILD, OnDisplayRebuild)
    ON_WM_SIZE()
    ON_WM_ERASEBKGND()
    ON_WM_LBUTTONDOWN()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONUP()
    ON_WM_CAPTURECHANGED()
END_MESSAGE_MAP()

CDisplayGraphTimeView::CDisplayGraphTimeView() = default;

CDisplayGraphTimeDoc* CDisplayGraphTimeView::GetGraphDocument() const
{
    return dynamic_cast<CDisplayGraphTimeDoc*>(GetDocument());
}

void CDisplayGraphTimeView::OnInitialUpdate()
{
    CViewEx::OnInitialUpdate();
    if (CDisplayGraphTimeDoc* document = GetGraphDocument())
        m_charts.Rebuild(*document);
    LayOutCharts();
    Invalidate(FALSE);
}

void CDisplayGraphTimeView::LayOutCharts()
{
    CRect client;
    GetClientRect(&client);
    CClientDC dc(this);
    m_charts.Layout(&dc, client.Width(), client.Height());
}

LRESULT CDisplayGraphTimeView::OnDisplayRebuild(WPARAM, LPARAM)
{
    if (CDisplayGraphTimeDoc* document = GetGraphDocument())
        m_charts.Rebuild(*document);
    Invalidate(FALSE);
    return 0;
}

void CDisplayGraphTimeView::OnSize(UINT nType, int cx, int cy)
{
    CViewEx::OnSize(nType, cx, cy);
    CClientDC dc(this);
    m_charts.Layout(&dc, cx, cy);
}

BOOL CDisplayGraphTimeView::OnEraseBkgnd(CDC*)
{
    // The paint covers every pixel from its memory context.
    return TRUE;
}

void CDisplayGraphTimeView::OnDraw(CDC* pDC)
{
    CRect client;
    GetClientRect(&client);
    m_charts.Paint(pDC, client);
}

void CDisplayGraphTimeView::OnLButtonDown(UINT nFlags, CPoint point)
{
    const bool wasDragging = m_charts.IsDragging();
    if (m_charts.OnMouseDown(nFlags, point))
        Invalidate(FALSE);
    if (!wasDragging && m_charts.IsDragging())
        SetCapture();
}

void CDisplayGraphTimeView::OnMouseMove(UINT nFlags, CPoint point)
{
    if (m_charts.OnMouseMove(nFlags, point))
        Invalidate(FALSE);
}

void CDisplayGraphTimeView::OnLButtonUp(UINT nFlags, CPoint point)
{
    const bool wasDragging = m_charts.IsDragging();
    if (m_charts.OnMouseUp(nFlags, point))
        Invalidate(FALSE);
    if (wasDragging && !m_charts.IsDragging())
        ::ReleaseCapture();
}

void CDisplayGraphTimeView::OnCaptureChanged(CWnd* pWnd)
{
    // Another window took the mouse in the middle of a drag (a message box, a switch to
    // another program): the drag ends where the mouse is, as if released there, instead of
    // following the mouse with no button down.
    if (m_charts.IsDragging())
    {
        CPoint point;
        ::GetCursorPos(&point);
        ScreenToClient(&point);
        if (m_charts.OnMouseUp(0, point))
            Invalidate(FALSE);
    }
    CViewEx::OnCaptureChanged(pWnd);
}
