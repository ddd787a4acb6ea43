#include "loader/CPropertySheetMainWindow.h"

BEGIN_MESSAGE_MAP(CPropertySheetMainWindow, CPropertySheet)
    ON_WM_SYSCOMMAND()
END_MESSAGE_MAP()

CPropertySheetMainWindow::CPropertySheetMainWindow(LPCTSTR title, HICON bigIcon, HICON smallIcon)
    : CPropertySheet(title), m_bigIcon(bigIcon), m_smallIcon(smallIcon)
{
    SetWizardMode();
    m_psh.dwFlags &= ~PSH_HASHELP;
}

BOOL CPropertySheetMainWindow::OnInitDialog()
{
    const BOOL result = CPropertySheet::OnInitDialog();
    SetIcon(m_bigIcon, TRUE);
    SetIcon(m_smallIcon, FALSE);
    return result;
}

void CPropertySheetMainWindow::OnSysCommand(UINT nID, LPARAM lParam)
{
    if ((nID & 0xFFF0) == SC_CLOSE) {
        SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return;
    }
    CPropertySheet::OnSysCommand(nID, lParam);
}
