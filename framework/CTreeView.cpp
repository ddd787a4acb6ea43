#include "framework/CTreeView.h"

IMPLEMENT_DYNCREATE(CTreeView, CCtrlView)

BEGIN_MESSAGE_MAP(CTreeView, CCtrlView)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CTreeView::CTreeView() : CCtrlView(WC_TREEVIEWA, AFX_WS_DEFAULT_VIEW)
{
}

CTreeView::~CTreeView()
{
    // The wrapper never owned the window.
    m_treeCtrl.m_hWnd = nullptr;
}

CTreeCtrl& CTreeView::GetTreeCtrl() const
{
    m_treeCtrl.m_hWnd = m_hWnd;
    return m_treeCtrl;
}

void CTreeView::OnDestroy()
{
    m_treeCtrl.m_hWnd = nullptr;
    CCtrlView::OnDestroy();
}
