#include "loader/CWizLoadFile.h"

#include "framework/CFileDialog.h"
#include "framework/CPropertySheet.h"
#include "framework/MessageBoxHook.h"
#include "loader/LoadFirmwareFile.h"
#include "res/tolmera_resource.h"

BEGIN_MESSAGE_MAP(CWizLoadFile, CPropertyPage)
    ON_BN_CLICKED(IDC_FILE_BROWSE, OnBrowse)
END_MESSAGE_MAP()

CWizLoadFile::CWizLoadFile(ProgrammingSettings* settings)
    : CPropertyPage(IDD_WIZ_LOAD_FILE), m_settings(settings)
{
}

BOOL CWizLoadFile::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    if (!m_settings->firmwarePath.IsEmpty())
        LoadPath(m_settings->firmwarePath);
    else
        ShowHeaderText();
    return TRUE;
}

BOOL CWizLoadFile::OnSetActive()
{
    const bool first = GetSheet()->GetPageIndex(this) == 0;
    GetSheet()->SetWizardButtons(first ? PSWIZB_NEXT : PSWIZB_BACK | PSWIZB_NEXT);
    return CPropertyPage::OnSetActive();
}

void CWizLoadFile::LoadPath(const CString& path)
{
    m_valid = LoadFirmwareFile(path, *m_settings);
    m_settings->firmwarePath = m_valid ? path : CString();
    SetDlgItemText(IDC_FILE_PATH, m_settings->firmwarePath);
    ShowHeaderText();
}

void CWizLoadFile::ShowHeaderText()
{
    // The header comes with bare line feeds; the edit control breaks lines at CR LF.
    CString text;
    if (m_valid) {
        const CString& header = m_settings->headerText;
        for (int i = 0; i < header.GetLength(); ++i) {
            if (header[i] == '\n' && (i == 0 || header[i - 1] != '\r'))
                text += '\r';
            text += header[i];
        }
    }
    SetDlgItemText(IDC_FILE_HEADER, text);
    CWnd* headerField = GetDlgItem(IDC_FILE_HEADER);
    if (headerField != nullptr)
        headerField->ShowWindow(m_valid ? SW_SHOW : SW_HIDE);
}

void CWizLoadFile::OnBrowse()
{
    CString initialName;
    GetDlgItemText(IDC_FILE_PATH, initialName);
    CFileDialog dialog(TRUE, "qvz", initialName, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST,
                       "Quorvant Corp Firmware Files (*.qvz)|*.qvz|All Files (*.*)|*.*||", this);
    dialog.m_ofn.lpstrTitle = "Open Quorvant Firmware File";
    if (dialog.DoModal() != IDOK)
        return;
    LoadPath(dialog.GetPathName());
}

LRESULT CWizLoadFile::OnWizardNext()
{
    if (!m_valid) {
        AfxMessageBox("You must select a valid firmware file", MB_OK | MB_ICONERROR);
        return -1;
    }
    return 0;
}
