#include "shell/CDialogMainWindow.h"

IMPLEMENT_DYNAMIC(CDialogMainWindow, CDialog)

CDialogMainWindow::CDialogMainWindow(UINT nIDTemplate, CWnd* pParentWnd, HICON icon)
    : CDialog(nIDTemplate, pParentWnd), m_icon(icon)
{
}

BOOL CDialogMainWindow::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (m_icon != nullptr) {
        SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon));
        SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_icon));
    }
    return TRUE;
}
