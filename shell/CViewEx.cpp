#include "shell/CViewEx.h"
#include "framework/MessageMap.h"
#include "shell/DisplayDropRules.h"

IMPLEMENT_DYNCREATE(CViewEx, CView)

BEGIN_MESSAGE_MAP(CViewEx, CView)
    ON_WM_CONTEXTMENU()
END_MESSAGE_MAP()

CViewEx::CViewEx()
{
}

bool CViewEx::CanDrop(const CTreeItem* item)
{
    return display_drop::CanDrop(GetDocument(), item);
}

void CViewEx::Drop(const CTreeItem* item)
{
    display_drop::Drop(GetDocument(), item);
}

void CViewEx::OnInitialUpdate()
{
    CView::OnInitialUpdate();
    display_drop::CaptionFrameWithTitle(this, GetDocument());
}

void CViewEx::OnDraw(CDC* pDC)
{
    CView::OnDraw(pDC);
}

void CViewEx::OnContextMenu(CWnd* pWnd, CPoint pos)
{
    display_drop::TrackContextMenu(GetDocument(), pWnd, pos.x, pos.y);
}
