// The one property sheet every wizard of the program runs in (in wizard mode). It hands a
// help request on to its active page.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CPropertySheet.h"

// Help request to a dialog or a wizard page (wParam the help command, lParam the help
// data; a non-zero result means handled). It has a number of its own, so that the
// progress pages never take it for a thread's WM_APP_PROG_FAILED (0x8002).
const UINT WM_APP_HELP_REQUEST = 0x8010;

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
