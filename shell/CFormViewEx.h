// The base of the form display views (the Logger): a form view from a dialog template
// that takes variables dragged from the trees when its display document accepts them.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CFormView.h"
#include "shell/IDropTarget.h"

class CFormViewEx : public CFormView, public pyraxis::IDropTarget
{
    DECLARE_DYNAMIC(CFormViewEx)
public:
    bool CanDrop(const CTreeItem* item) override;
    void Drop(const CTreeItem* item) override;

    void OnInitialUpdate() override;

protected:
    explicit CFormViewEx(UINT nIDTemplate);

    void OnDraw(CDC* pDC) override;
    afx_msg void OnContextMenu(CWnd* pWnd, CPoint pos);

    DECLARE_MESSAGE_MAP()
};
