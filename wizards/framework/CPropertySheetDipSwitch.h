// The one property sheet every wizard of the program runs in (in wizard mode). It hands a
// help request on to its active page.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CPropertySheet.h"
#include "shell/ShellCommands.h"

class CPropertySheetDipSwitch : public CPropertySheet
{
    DECLARE_DYNAMIC(CPropertySheetDipSwitch)
public:
    explicit CPropertySheetDipSwitch(LPCTSTR caption, CWnd* parent = nullptr, UINT firstPage = 0);
    ~CPropertySheetDipSwitch() override;

protected:
    afx_msg LRESULT OnHelpRequest(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()
};
