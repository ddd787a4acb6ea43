#include "wizards/corandel/CDialogSetpointSummary.h"

#include "framework/CFile.h"
#include "framework/CFileDialog.h"
#include "framework/COleDateTime.h"
#include "framework/CPropertySheet.h"
#include "framework/MessageBoxHook.h"
#include "res/pyraxis_corandel_resource.h"
#include "shell/HelpCommands.h"
#include "shell/SummaryPrinting.h"
#include "wizards/framework/CModbusProgrammingThread.h"
#include "wizards/framework/CPropertySheetDipSwitch.h"
#include "wizards/framework/CStorageVarnixConfig.h"
#include "wizards/framework/CVarnixWizardProgContext.h"
#include "wizards/framework/SettingsFile.h"

#include <exception>
#include <string>

BEGIN_MESSAGE_MAP(CDialogSetpointSummary, CDialogMainWindow)
    ON_BN_CLICKED(IDC_CR_READ_DEVICE, OnReadDevice)
    ON_BN_CLICKED(IDC_CR_PROGRAM_DEVICE, OnProgramDevice)
    ON_BN_CLICKED(IDC_CR_EDIT, OnEdit)
    ON_BN_CLICKED(IDC_CR_CREATE_NEW, OnCreateNew)
    ON_BN_CLICKED(IDC_CR_READ_FILE, OnReadFromFile)
    ON_BN_CLICKED(IDC_CR_WRITE_FILE, OnWriteToFile)
    ON_BN_CLICKED(IDC_CR_PRINT, OnPrint)
    ON_BN_CLICKED(IDHELP, OnHelpButton)
    ON_MESSAGE(WM_APP_HELP_REQUEST, OnHelpRequest)
END_MESSAGE_MAP()

namespace
{
const char* const DISCARD_TO_LOAD = "Warning: current setpoints are not saved.  Read new settings without saving?";
const char* const DISCARD_TO_CLOSE = "Warning: current setpoints are not saved.  Close without saving?";
}

CDialogSetpointSummary::CDialogSetpointSummary(UINT dialogId, const SetpointDialogTexts_t& texts,
                                               boost::shared_ptr<ModbusEndpoint_t> device, CWnd* parent, HICON icon)
    : CDialogMainWindow(dialogId, parent, icon), m_unsaved(false), m_empty(true), m_device(device), m_texts(texts)
{
}

BOOL CDialogSetpointSummary::OnInitDialog()
{
    CDialogMainWindow::OnInitDialog();
    m_unsaved = false;
    m_empty = true;
    return TRUE;
}

bool CDialogSetpointSummary::MayDiscardChanges(const char* question)
{
    return !m_unsaved || AfxMessageBox(question, MB_YESNO) == IDYES;
}

bool CDialogSetpointSummary::HaveSetpoints()
{
    if (!m_empty)
        return true;
    AfxMessageBox(m_texts.noSetpoints, MB_OK | MB_ICONERROR);
    return false;
}

INT_PTR CDialogSetpointSummary::RunWizard(const char* title, const Pages_t& pages)
{
    CPropertySheetDipSwitch sheet(title, this);
    sheet.SetWizardMode();
    for (const auto& page : pages)
        sheet.AddPage(page.get());
    const INT_PTR result = sheet.DoModal();
    for (const auto& page : pages)
        sheet.RemovePage(page.get());
    return result;
}

bool CDialogSetpointSummary::RunDeviceSheet(bool isRead, CStorageVarnixConfig& settings)
{
    std::unique_ptr<CVarnixWizardProgContext> context;
    try
    {
        context.reset(new CVarnixWizardProgContext(GetDevice()));
    }
    catch (const std::exception& e)
    {
        // The run needs the device descriptions beside the program.
        AfxMessageBox(e.what(), MB_OK | MB_ICONERROR);
        return false;
    }
    context->isRead = isRead;
    const Pages_t pages = MakeRunPages(*context, settings);
    return RunWizard(isRead ? m_texts.readTitle : m_texts.programTitle, pages) != IDCANCEL;
}

void CDialogSetpointSummary::OnCreateNew()
{
    if (!MayDiscardChanges("Warning: current setpoints are not saved.  Create new settings without saving?"))
        return;
    const std::unique_ptr<CStorageVarnixConfig> created = NewSettings();
    if (RunWizard(m_texts.newTitle, MakeWizardPages(*created)) != ID_WIZFINISH)
        return;
    Settings().Assign(*created);
    m_empty = false;
    m_unsaved = true;
    Refresh();
}

void CDialogSetpointSummary::OnEdit()
{
    if (!HaveSetpoints())
        return;
    const std::unique_ptr<CStorageVarnixConfig> copy = NewSettings();
    copy->Assign(Settings());
    if (RunWizard(m_texts.editTitle, MakeWizardPages(*copy)) != ID_WIZFINISH)
        return;
    Settings().Assign(*copy);
    m_unsaved = true;
    Refresh();
}

void CDialogSetpointSummary::OnReadDevice()
{
    if (!MayDiscardChanges(DISCARD_TO_LOAD))
        return;
    // Read into a fresh set: a failed or cancelled read leaves the dialog's settings alone.
    const std::unique_ptr<CStorageVarnixConfig> read = NewSettings();
    if (!RunDeviceSheet(true, *read))
        return;
    Settings().Assign(*read);
    m_unsaved = true;
    m_empty = false;
    Refresh();
}

void CDialogSetpointSummary::OnProgramDevice()
{
    if (!HaveSetpoints() || !DisconnectDeviceForProgramming(GetDevice()))
        return;
    RunDeviceSheet(false, Settings());
}

CString CDialogSetpointSummary::FormatAddress(int address, int minimum)
{
    if (address < minimum)
        return "unknown";
    CString text;
    text.Format("%i", address);
    return text;
}

CString CDialogSetpointSummary::SummaryHeading(const char* title, int modbusAddress, int skelderAddress)
{
    CString text;
    text.Format("Quorvant Corp. %s Setup Summary\n", title);
    text += "Printed on " + COleDateTime::GetCurrentTime().Format() + "\n";
    // An address of 0 is no address a device answers on.
    text += "MODBUS Address: " + FormatAddress(modbusAddress, 1) + "\n";
    text += "Skelder Address: " + FormatAddress(skelderAddress, 1) + "\n";
    return text;
}

void CDialogSetpointSummary::OnCancel()
{
    if (MayDiscardChanges(DISCARD_TO_CLOSE))
        CDialogMainWindow::OnCancel();
}

void CDialogSetpointSummary::OnOK()
{
}

void CDialogSetpointSummary::OnReadFromFile()
{
    if (!MayDiscardChanges(DISCARD_TO_LOAD))
        return;
    CFileDialog dialog(TRUE, m_texts.extension, nullptr, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST, m_texts.filter, this);
    if (dialog.DoModal() != IDOK)
        return;
    CFile file;
    if (!file.Open(dialog.GetPathName(), CFile::modeRead | CFile::shareDenyWrite))
    {
        AfxMessageBox("Unable to open the specified file for reading", MB_OK | MB_ICONERROR);
        return;
    }
    std::string refusal;
    const bool loaded = LoadSettings(&file, &refusal);
    file.Abort();
    if (!loaded)
    {
        AfxMessageBox(SettingsFileFailureText("Error: unable to read configuration from file.", refusal),
                      MB_OK | MB_ICONERROR);
        return;
    }
    m_unsaved = false;
    m_empty = false;
    Refresh();
}

void CDialogSetpointSummary::OnWriteToFile()
{
    if (!HaveSetpoints())
        return;
    CFileDialog dialog(FALSE, m_texts.extension, nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, m_texts.filter,
                       this);
    if (dialog.DoModal() != IDOK)
        return;
    SaveSettingsTo(dialog.GetPathName());
}

bool CDialogSetpointSummary::SaveSettingsTo(const CString& path)
{
    std::string refusal;
    std::string bytes;
    if (!SaveSettingsToBytes([&](CFile* file) { return SaveSettings(file, &refusal); }, bytes))
    {
        AfxMessageBox(SettingsFileFailureText("Error: unable to save settings to file", refusal), MB_OK | MB_ICONERROR);
        return false;
    }
    const CString failure = ReplaceSettingsFile(path, bytes, "Unable to open the specified file for writing",
                                                "Error: unable to save settings to file");
    if (!failure.IsEmpty())
    {
        AfxMessageBox(failure, MB_OK | MB_ICONERROR);
        return false;
    }
    m_unsaved = false;
    return true;
}

void CDialogSetpointSummary::OnPrint()
{
    if (!HaveSetpoints())
        return;
    const CString text = BuildSummaryText();
    PrintSummaryText(text, text.GetLength(), m_texts.printJobName);
}

void CDialogSetpointSummary::OnHelpButton()
{
    ShowHelpTextPopup(m_texts.helpTopic);
}

LRESULT CDialogSetpointSummary::OnHelpRequest(WPARAM, LPARAM)
{
    ShowHelpTextPopup(m_texts.helpTopic);
    return 1;
}
