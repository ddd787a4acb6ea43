#include "displays/CDialogNewDisplay.h"
#include "documents/CDocumentManager.h"
#include "framework/CDocTemplate.h"
#include "framework/MessageBoxHook.h"
#include "framework/MessageMap.h"
#include "res/pyraxis_displays_resource.h"

BEGIN_MESSAGE_MAP(CDialogNewDisplay, CDialog)
    ON_LBN_DBLCLK(IDC_NEW_DISPLAY_LIST, OnListDoubleClick)
END_MESSAGE_MAP()

CDialogNewDisplay::CDialogNewDisplay(CDocumentManager* manager, CWnd* parent)
    : CDialog(IDD_NEW_DISPLAY, parent), m_manager(manager), m_template(nullptr)
{
}

BOOL CDialogNewDisplay::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_list.SubclassDlgItem(IDC_NEW_DISPLAY_LIST, this);
    if (m_manager == nullptr)
        return TRUE;
    const std::deque<CDocTemplatePtr> templates = m_manager->GetDocTemplates();
    if (templates.empty())
        return TRUE;
    for (const CDocTemplatePtr& docTemplate : templates)
    {
        CString name;
        if (docTemplate && docTemplate->GetDocString(name, CDocTemplate::docName) && !name.IsEmpty())
            m_list.AddString(name);
    }
    m_list.SetCurSel(0);
    m_list.SetFocus();
    if (templates.size() == 1)
        OnOK();
    // The focus is set here.
    return FALSE;
}

void CDialogNewDisplay::OnOK()
{
    const int selected = m_list.GetCurSel();
    if (selected == LB_ERR)
    {
        AfxMessageBox("You must select a display.", MB_ICONSTOP);
        return;
    }
    CString chosen;
    m_list.GetText(selected, chosen);
    m_template = nullptr;
    for (const CDocTemplatePtr& docTemplate : m_manager->GetDocTemplates())
    {
        CString name;
        if (docTemplate && docTemplate->GetDocString(name, CDocTemplate::docName) && name == chosen)
        {
            m_template = docTemplate.get();
            break;
        }
    }
    CDialog::OnOK();
}

void CDialogNewDisplay::OnCancel()
{
    m_template = nullptr;
    CDialog::OnCancel();
}

void CDialogNewDisplay::OnListDoubleClick()
{
    OnOK();
}
