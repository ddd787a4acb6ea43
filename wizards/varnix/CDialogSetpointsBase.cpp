#include "wizards/varnix/CDialogSetpointsBase.h"

#include "framework/CFileDialog.h"
#include "framework/FrameworkIds.h"
#include "framework/CPropertyPage.h"
#include "framework/MessageBoxHook.h"
#include "res/pyraxis_varnix_resource.h"
#include "shell/HelpCommands.h"
#include "wizards/framework/CPropertySheetDipSwitch.h"
#include "wizards/framework/SettingsFile.h"

const char* const SETPOINT_FILE_NOT_CREATED = "Error: unable to create the specified file for writing.";

BEGIN_MESSAGE_MAP(CDialogSetpointsBase, CDialogMainWindow)
    ON_BN_CLICKED(IDHELP, OnHelpButton)
    ON_MESSAGE(WM_APP_HELP_REQUEST, OnHelpRequest)
    ON_COMMAND(ID_HELP, OnHelpCommand)
END_MESSAGE_MAP()

CDialogSetpointsBase::CDialogSetpointsBase(UINT dialogId, const boost::shared_ptr<ModbusEndpoint_t>& device,
                                           CWnd* parent, HICON icon)
    : CDialogMainWindow(dialogId, parent, icon), m_device(device), m_helpTopic(dialogId)
{
}

CDialogSetpointsBase::~CDialogSetpointsBase()
{
}

BOOL CDialogSetpointsBase::OnInitDialog()
{
    CDialogMainWindow::OnInitDialog();
    ShowWarningIcon(*this);
    HWND list = ::GetDlgItem(GetSafeHwnd(), IDC_SETUP_LIST);
    if (list != nullptr && m_list.GetSafeHwnd() == nullptr)
        m_list.SubclassWindow(list);
    modified = false;
    return TRUE;
}

void CDialogSetpointsBase::OnCancel()
{
    if (!ConfirmDiscard("Warning: current setpoints are not saved.  Close without saving?"))
        return;
    CDialogMainWindow::OnCancel();
}

bool CDialogSetpointsBase::ConfirmDiscard(const char* question)
{
    if (!modified)
        return true;
    return AfxMessageBox(question, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

bool CDialogSetpointsBase::ChooseFile(bool open, const char* extension, const char* filter, CString& path)
{
    const DWORD flags = open ? OFN_HIDEREADONLY | OFN_FILEMUSTEXIST : OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    CFileDialog dialog(open ? TRUE : FALSE, extension, nullptr, flags, filter, this);
    if (dialog.DoModal() != IDOK)
        return false;
    path = dialog.GetPathName();
    return true;
}

bool CDialogSetpointsBase::WriteSetpointFile(const CString& path, const std::string& bytes, const char* notWritten)
{
    const CString failure = ReplaceSettingsFile(path, bytes, SETPOINT_FILE_NOT_CREATED, notWritten);
    if (failure.IsEmpty())
        return true;
    AfxMessageBox(failure, MB_OK | MB_ICONSTOP);
    return false;
}

INT_PTR RunWizardSheet(const char* title, CWnd* parent, WizardPageList_t& pages)
{
    CPropertySheetDipSwitch sheet(title, parent);
    for (const auto& page : pages)
        sheet.AddPage(page.get());
    sheet.SetWizardMode();
    const INT_PTR result = sheet.DoModal();
    for (const auto& page : pages)
        sheet.RemovePage(page.get());
    pages.clear();
    return result;
}

void CDialogSetpointsBase::SetupSummaryColumns(int fixedWidth, bool withUnits)
{
    RECT client = {0, 0, 0, 0};
    m_list.GetClientRect(&client);
    const int share = (client.right - client.left - ::GetSystemMetrics(SM_CXVSCROLL) - fixedWidth) / 3;
    m_list.InsertColumn(0, "Setpoint", LVCFMT_LEFT, 200);
    m_list.InsertColumn(1, "12 V", LVCFMT_LEFT, share);
    m_list.InsertColumn(2, "24 V", LVCFMT_LEFT, share);
    m_list.InsertColumn(3, "48 V", LVCFMT_LEFT, share);
    if (withUnits)
        m_list.InsertColumn(4, "units", LVCFMT_LEFT, 60);
}

void CDialogSetpointsBase::OnHelpButton()
{
    ShowHelpTextPopup(m_helpTopic);
}

LRESULT CDialogSetpointsBase::OnHelpRequest(WPARAM, LPARAM)
{
    ShowHelpTextPopup(m_helpTopic);
    return 1;
}

void CDialogSetpointsBase::OnHelpCommand()
{
    // A window with help of its own (a wizard page, this dialog) answers first.
    ShowActiveWindowHelp(0, 0);
}

void ShowWarningIcon(CWnd& dialog)
{
    HWND icon = ::GetDlgItem(dialog.GetSafeHwnd(), IDC_SETUP_ICON);
    if (icon != nullptr)
        ::SendMessageA(icon, STM_SETICON, reinterpret_cast<WPARAM>(::LoadIconA(nullptr, IDI_WARNING)), 0);
}

CDialogSetupWarning::CDialogSetupWarning(UINT dialogId, CWnd* parent, HICON icon)
    : CDialogMainWindow(dialogId, parent, icon)
{
}

BOOL CDialogSetupWarning::OnInitDialog()
{
    CDialogMainWindow::OnInitDialog();
    ShowWarningIcon(*this);
    return TRUE;
}
