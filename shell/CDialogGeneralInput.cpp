#include "shell/CDialogGeneralInput.h"
#include "framework/DataExchange.h"
#include "res/pyraxis_resource.h"

CDialogGeneralInput::CDialogGeneralInput(CWnd* parent, const CString& initialText, const CString& prompt)
    : CDialog(IDD_GENERAL_INPUT, parent), m_prompt(prompt), m_enteredText(initialText)
{
}

INT_PTR CDialogGeneralInput::DoModalGetText(CString& text)
{
    const INT_PTR result = DoModal();
    if (result == IDOK)
        text = m_enteredText;
    return result;
}

void CDialogGeneralInput::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, IDC_GENERAL_INPUT_PROMPT, m_promptStatic);
    DDX_Control(pDX, IDC_GENERAL_INPUT_TEXT, m_textEdit);
}

BOOL CDialogGeneralInput::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_promptStatic.SetWindowText(m_prompt);
    m_textEdit.SetWindowText(m_enteredText);
    GotoDlgCtrl(&m_textEdit);
    // The focus is set: the dialog manager must not move it.
    return FALSE;
}

void CDialogGeneralInput::OnOK()
{
    m_textEdit.GetWindowText(m_enteredText);
    EndDialog(IDOK);
}
