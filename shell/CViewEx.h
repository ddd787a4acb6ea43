// The base of the display views that draw themselves (State, Historical Graph): a view
// that takes variables dragged from the trees when its display document accepts them.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CView.h"
#include "shell/IDropTarget.h"

class CViewEx : public CView, public pyraxis::IDropTarget
{
    DECLARE_DYNCREATE(CViewEx)
public:
    CViewEx();

    bool CanDrop(const CTreeItem* item) override;
    void Drop(const CTreeItem* item) override;

    void OnInitialUpdate() override;

protected:
    void OnDraw(CDC* pDC) override;
    afx_msg void OnContextMenu(CWnd* pWnd, CPoint pos);

    DECLARE_MESSAGE_MAP()
};
