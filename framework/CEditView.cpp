#include "framework/CEditView.h"

IMPLEMENT_DYNCREATE(CEditView, CCtrlView)

BEGIN_MESSAGE_MAP(CEditView, CCtrlView)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CEditView::CEditView()
    : CCtrlView("EDIT", AFX_WS_DEFAULT_VIEW | WS_HSCROLL | WS_VSCROLL | ES_AUTOHSCROLL | ES_AUTOVSCROLL |
                            ES_MULTILINE | ES_NOHIDESEL)
{
}

CEditView::~CEditView()
{
    m_editCtrl.m_hWnd = nullptr;
}

CEdit& CEditView::GetEditCtrl() const
{
    m_editCtrl.m_hWnd = m_hWnd;
    return m_editCtrl;
}

void CEditView::OnDestroy()
{
    m_editCtrl.m_hWnd = nullptr;
    CCtrlView::OnDestroy();
}
