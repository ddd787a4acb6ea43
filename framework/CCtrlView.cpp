#include "framework/CCtrlView.h"

#include "framework/CommonControls.h"

IMPLEMENT_DYNAMIC(CCtrlView, CView)

BEGIN_MESSAGE_MAP(CCtrlView, CView)
    ON_WM_PAINT()
END_MESSAGE_MAP()

CCtrlView::CCtrlView(LPCTSTR lpszClass, DWORD dwStyle) : m_strClass(lpszClass), m_dwDefaultStyle(dwStyle)
{
}

BOOL CCtrlView::PreCreateWindow(CREATESTRUCT& cs)
{
    AfxInitCommonControls();
    cs.lpszClass = m_strClass;
    cs.style |= m_dwDefaultStyle | WS_CLIPSIBLINGS;
    return TRUE;
}

void CCtrlView::OnDraw(CDC* /*pDC*/)
{
}

void CCtrlView::OnPaint()
{
    Default();
}
