// A view that is a tree control.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CCtrlView.h"
#include "framework/CTreeCtrl.h"

class CTreeView : public CCtrlView
{
    DECLARE_DYNCREATE(CTreeView)
public:
    CTreeView();
    ~CTreeView() override;

    // The tree control of this view (the same window).
    CTreeCtrl& GetTreeCtrl() const;

protected:
    afx_msg void OnDestroy();

    DECLARE_MESSAGE_MAP()

private:
    // Wraps the view's window without owning it.
    mutable CTreeCtrl m_treeCtrl;
};
