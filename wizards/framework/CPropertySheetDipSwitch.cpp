#include "wizards/framework/CPropertySheetDipSwitch.h"

#include "framework/CPropertyPage.h"

IMPLEMENT_DYNAMIC(CPropertySheetDipSwitch, CPropertySheet)

BEGIN_MESSAGE_MAP(CPropertySheetDipSwitch, CPropertySheet)
    ON_MESSAGE(WM_APP_HELP_REQUEST, OnHelpRequest)
END_MESSAGE_MAP()

CPropertySheetDipSwitch::CPropertySheetDipSwitch(LPCTSTR caption, CWnd* parent, UINT firstPage)
    : CPropertySheet(caption, parent, firstPage)
{
}

CPropertySheetDipSwitch::~CPropertySheetDipSwitch()
{
}

LRESULT CPropertySheetDipSwitch::OnHelpRequest(WPARAM wParam, LPARAM lParam)
{
    CPropertyPage* page = GetActivePage();
    if (page == nullptr || page->GetSafeHwnd() == nullptr)
        return 0;
    return ::SendMessageA(page->GetSafeHwnd(), WM_APP_HELP_REQUEST, wParam, lParam);
}
