#include "shell/CDialogGenericChooser.h"
#include "framework/DataExchange.h"
#include "framework/MessageBoxHook.h"
#include "res/pyraxis_resource.h"

CDialogGenericChooser::CDialogGenericChooser(const std::string& prompt, const std::vector<std::string>& choices,
                                             int selectedIndex, CWnd* parent)
    : CDialog(IDD_GENERIC_CHOOSER, parent), m_chosenIndex(selectedIndex), m_prompt(prompt), m_choices(choices)
{
}

void CDialogGenericChooser::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, IDC_CHOOSER_PROMPT, m_promptStatic);
    DDX_Control(pDX, IDC_CHOOSER_LIST, m_choiceList);
}

BOOL CDialogGenericChooser::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_promptStatic.SetWindowText(m_prompt.c_str());
    // The list sorts the texts; each keeps its vector index as item data.
    for (size_t index = 0; index < m_choices.size(); ++index) {
        const int row = m_choiceList.AddString(m_choices[index].c_str());
        if (row < 0)
            continue;
        m_choiceList.SetItemData(row, index);
        if (static_cast<int>(index) == m_chosenIndex)
            m_choiceList.SetCurSel(row);
    }
    GotoDlgCtrl(&m_choiceList);
    return FALSE;
}

void CDialogGenericChooser::OnOK()
{
    const int row = m_choiceList.GetCurSel();
    if (row < 0) {
        AfxMessageBox("You must make a selection.", MB_ICONSTOP);
        return;
    }
    m_chosenIndex = static_cast<int>(m_choiceList.GetItemData(row));
    EndDialog(IDOK);
}

void CDialogGenericChooser::OnCancel()
{
    m_chosenIndex = -1;
    EndDialog(IDCANCEL);
}
