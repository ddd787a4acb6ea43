#include "shell/CGenericMessageBox.h"
#include "framework/DataExchange.h"
#include "res/pyraxis_resource.h"

CGenericMessageBox::CGenericMessageBox(const std::string& message, UINT iconFlag, const std::string& button1Text,
                                       const std::string& button2Text, CWnd* parent)
    : CDialog(IDD_GENERIC_MESSAGE, parent), m_message(message), m_button1Text(button1Text),
      m_button2Text(button2Text), m_icon(::LoadIcon(nullptr, SystemIconFor(iconFlag)))
{
}

LPCTSTR CGenericMessageBox::SystemIconFor(UINT iconFlag)
{
    switch (iconFlag) {
    case MB_ICONQUESTION:
        return IDI_QUESTION;
    case MB_ICONEXCLAMATION:
        return IDI_EXCLAMATION;
    case MB_ICONASTERISK:
        return IDI_ASTERISK;
    default:
        return IDI_HAND;
    }
}

void CGenericMessageBox::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, IDC_GENERIC_MESSAGE_TEXT, m_messageStatic);
    DDX_Control(pDX, IDC_GENERIC_MESSAGE_ICON, m_iconStatic);
    DDX_Control(pDX, IDOK, m_button1);
    DDX_Control(pDX, IDCANCEL, m_button2);
}

BOOL CGenericMessageBox::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_messageStatic.SetWindowText(m_message.c_str());
    if (m_icon != nullptr)
        m_iconStatic.SetIcon(m_icon);
    m_button1.SetWindowText(m_button1Text.c_str());
    m_button2.SetWindowText(m_button2Text.c_str());
    return FALSE;
}

int ShowGenericMessageBox(const std::string& message, UINT iconFlag, const std::string& button1Text,
                          const std::string& button2Text, CWnd* parent)
{
    CGenericMessageBox box(message, iconFlag, button1Text, button2Text, parent);
    return box.DoModal() == IDOK ? IDOK : IDCANCEL;
}
