// The loader's main window: a wizard-mode sheet without a Help button that carries the
// program's icon in both sizes.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CPropertySheet.h"

class CPropertySheetMainWindow : public CPropertySheet
{
public:
    CPropertySheetMainWindow(LPCTSTR title, HICON bigIcon, HICON smallIcon);

    BOOL OnInitDialog() override;

protected:
    // The close box cancels once, as the Cancel button does: left to the sheet's own
    // handling it asks the page twice whether it may close.
    afx_msg void OnSysCommand(UINT nID, LPARAM lParam);

    DECLARE_MESSAGE_MAP()

private:
    HICON m_bigIcon;
    HICON m_smallIcon;
};
