#include "shell/CFormViewEx.h"
#include "framework/MessageMap.h"
#include "shell/DisplayDropRules.h"

IMPLEMENT_DYNAMIC(CFormViewEx, CFormView)

BEGIN_MESSAGE_MAP(CFormViewEx, CFormView)
    ON_WM_CONTEXTMENU()
END_MESSAGE_MAP()

CFormViewEx::CFormViewEx(UINT nIDTemplate) : CFormView(nIDTemplate)
{
}

bool CFormViewEx::CanDrop(const CTreeItem* item)
{
    return display_drop::CanDrop(GetDocument(), item);
}

void CFormViewEx::Drop(const CTreeItem* item)
{
    display_drop::Drop(GetDocument(), item);
}

void CFormViewEx::OnInitialUpdate()
{
    CFormView::OnInitialUpdate();
    display_drop::CaptionFrameWithTitle(this, GetDocument());
}

void CFormViewEx::OnDraw(CDC* pDC)
{
    CFormView::OnDraw(pDC);
}

void CFormViewEx::OnContextMenu(CWnd* pWnd, CPoint pos)
{
    display_drop::TrackContextMenu(GetDocument(), pWnd, pos.x, pos.y);
}
