// A view that is a multi-line edit control.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CCtrlView.h"
#include "framework/CEdit.h"

class CEditView : public CCtrlView
{
    DECLARE_DYNCREATE(CEditView)
public:
    CEditView();
    ~CEditView() override;

    // The edit control of this view (the same window).
    CEdit& GetEditCtrl() const;

protected:
    afx_msg void OnDestroy();

    DECLARE_MESSAGE_MAP()

private:
    mutable CEdit m_editCtrl;
};
