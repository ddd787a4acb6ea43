#include "wizards/varnix/CDialogMpptSetup.h"

#include "framework/CFile.h"
#include "framework/CFileException.h"
#include "framework/COleDateTime.h"
#include "framework/CPropertySheet.h"
#include "framework/MessageBoxHook.h"
#include "res/pyraxis_varnix_resource.h"
#include "res/pyraxis_wizards_resource.h"
#include "shell/SummaryPrinting.h"
#include "wizards/framework/CModbusProgrammingThread.h"
#include "wizards/framework/CPropPageWizardProgram2.h"
#include "wizards/framework/CPropPageWizardRead1.h"
#include "wizards/varnix/MpptProgrammingContext.h"
#include "wizards/varnix/MpptSummary.h"
#include "wizards/varnix/MpptWizardChargePages.h"
#include "wizards/varnix/MpptWizardNotificationPage.h"
#include "wizards/varnix/MpptWizardPages.h"

#include <cstring>
#include <new>
#include <vector>

namespace
{
const char* const VXMPPT_EXTENSION = "vxmppt";
const char* const VXMPPT_FILTER = "Quorvant Varnix MPPT Config (*.vxmppt)|*.vxmppt|All Files (*.*)|*.*||";
const char* const NO_SETPOINTS =
    "Error: no setpoints are defined.  Please create new setpoints or load them from a file or Varnix.";

// The pages of each model's setup wizard, in sheet order.
void AddWizardPages(CVarnixMpptSettings* working, WizardPageList_t& pages)
{
    pages.emplace_back(new CPropPageVarnixMpptWizardMode(working));
    pages.emplace_back(new CPropPageVarnixMpptWizardCharge1(working));
    pages.emplace_back(new CPropPageVarnixMpptWizardCharge2(working));
    pages.emplace_back(new CPropPageVarnixMpptWizardCharge3(working));
    pages.emplace_back(new CPropPageVarnixMpptWizardCharge4(working));
    pages.emplace_back(new CPropPageVarnixMpptWizardWind(working));
    pages.emplace_back(new CPropPageVarnixMpptWizardLed(working));
    pages.emplace_back(new CPropPageVarnixMpptWizardLogging(working));
    pages.emplace_back(new CPropPageVarnixMpptWizardComm(working));
    pages.emplace_back(new CPropPageVarnixMpptWizardNotification(working));
    for (int index = 1; index <= MPPT_NOTIFICATION_COUNT; ++index)
        pages.emplace_back(new CPropPageVarnixMpptWizardNotification12(working, index));
}

void AddWizardPages(CVarnixHvMpptSettings* working, WizardPageList_t& pages)
{
    pages.emplace_back(new CPropPageVarnixHvMpptWizardMode(working));
    pages.emplace_back(new CPropPageVarnixHvMpptWizardCharge1(working));
    pages.emplace_back(new CPropPageVarnixHvMpptWizardCharge2(working));
    pages.emplace_back(new CPropPageVarnixHvMpptWizardCharge3(working));
    pages.emplace_back(new CPropPageVarnixHvMpptWizardWind(working));
    pages.emplace_back(new CPropPageVarnixHvMpptWizardLed(working));
    pages.emplace_back(new CPropPageVarnixHvMpptWizardLogging(working));
    pages.emplace_back(new CPropPageVarnixHvMpptWizardComm(working));
    pages.emplace_back(new CPropPageVarnixHvMpptWizardNotification(working));
    for (int index = 1; index <= MPPT_NOTIFICATION_COUNT; ++index)
        pages.emplace_back(new CPropPageVarnixHvMpptWizardNotification12(working, index));
}

CPropertyPage* MakeModePage(CVarnixMpptSettings* settings)
{
    return new CPropPageVarnixMpptWizardMode(settings);
}

CPropertyPage* MakeModePage(CVarnixHvMpptSettings* settings)
{
    return new CPropPageVarnixHvMpptWizardMode(settings);
}

template <class TSettings>
bool RunMpptWizard(CWnd* parent, TSettings& settings, std::set<int>* notRead)
{
    TSettings working(settings);
    std::set<int> workingNotRead = notRead ? *notRead : std::set<int>();
    WizardPageList_t pages;
    AddWizardPages(&working, pages);
    for (const auto& page : pages)
        if (auto* wizardPage = dynamic_cast<CPropPageGenericWizard<TSettings>*>(page.get()))
            wizardPage->notRead = &workingNotRead;
    if (RunWizardSheet("Varnix Setup Wizard", parent, pages) != ID_WIZFINISH)
        return false;
    settings = working;
    if (notRead)
        *notRead = workingNotRead;
    return true;
}

bool RunMpptWizardFor(CWnd* parent, CVarnixMpptSettings& settings, std::set<int>* notRead)
{
    return RunVarnixMpptWizard(parent, settings, notRead);
}

bool RunMpptWizardFor(CWnd* parent, CVarnixHvMpptSettings& settings, std::set<int>* notRead)
{
    return RunVarnixHvMpptWizard(parent, settings, notRead);
}
}

bool RunVarnixMpptWizard(CWnd* parent, CVarnixMpptSettings& settings, std::set<int>* notRead)
{
    return RunMpptWizard(parent, settings, notRead);
}

bool RunVarnixHvMpptWizard(CWnd* parent, CVarnixHvMpptSettings& settings, std::set<int>* notRead)
{
    return RunMpptWizard(parent, settings, notRead);
}

BEGIN_TEMPLATE_MESSAGE_MAP(CDialogMpptSetup, TSettings, CDialogSetpointsBase)
    ON_BN_CLICKED(IDC_SETUP_READ_FILE, OnReadFile)
    ON_BN_CLICKED(IDC_SETUP_WRITE_FILE, OnWriteFile)
    ON_BN_CLICKED(IDC_SETUP_READ_DEVICE, OnReadDevice)
    ON_BN_CLICKED(IDC_SETUP_PROGRAM_DEVICE, OnProgramDevice)
    ON_BN_CLICKED(IDC_SETUP_EDIT, OnEdit)
    ON_BN_CLICKED(IDC_SETUP_PRINT, OnPrint)
    ON_BN_CLICKED(IDC_SETUP_CREATE_NEW, OnCreateNew)
END_MESSAGE_MAP()

template <class TSettings>
CDialogMpptSetup<TSettings>::CDialogMpptSetup(const boost::shared_ptr<ModbusEndpoint_t>& device, CWnd* parent,
                                              HICON icon)
    : CDialogSetpointsBase(IDD_VXMPPT_SUMMARY, device, parent, icon)
{
}

template <class TSettings>
CDialogMpptSetup<TSettings>::~CDialogMpptSetup()
{
}

template <class TSettings>
BOOL CDialogMpptSetup<TSettings>::OnInitDialog()
{
    CDialogSetpointsBase::OnInitDialog();
    SetupSummaryColumns(260, true);
    UpdateSummary();
    return TRUE;
}

template <class TSettings>
void CDialogMpptSetup<TSettings>::UpdateSummary()
{
    SetDlgItemText(IDC_SETUP_MODE, m_settings.GetModeName());
    SetDlgItemText(IDC_SETUP_MODBUS_ADDRESS, m_settings.GetVariable(MPPT_SETTING_MODBUS_ID)->ToString().c_str());
    SetDlgItemText(IDC_SETUP_SKELDER_ADDRESS, m_settings.GetVariable(MPPT_SETTING_SKELDER_ID)->ToString().c_str());
    m_list.DeleteAllItems();
    for (const MpptSummaryRow_t& row : MpptSummaryRows(m_settings, m_notRead))
    {
        const int item = m_list.InsertItem(m_list.GetItemCount(), row.name.c_str());
        m_list.SetItemData(item, static_cast<DWORD_PTR>(row.id));
        for (int column = 0; column < 3; ++column)
            m_list.SetItemText(item, column + 1, row.values[column].c_str());
        m_list.SetItemText(item, 4, row.units.c_str());
    }
}

template <class TSettings>
bool CDialogMpptSetup<TSettings>::RequireSetpoints()
{
    if (m_settings.mode != 0)
        return true;
    AfxMessageBox(NO_SETPOINTS, MB_OK | MB_ICONSTOP);
    return false;
}

template <class TSettings>
void CDialogMpptSetup<TSettings>::OnReadFile()
{
    if (!ConfirmDiscard("Warning: current setpoints are not saved.  Read new settings without saving?"))
        return;
    CString path;
    if (!ChooseFile(true, VXMPPT_EXTENSION, VXMPPT_FILTER, path))
        return;
    CFile file;
    if (!file.Open(path, CFile::modeRead | CFile::shareDenyWrite))
    {
        AfxMessageBox("Unable to open the specified file for reading", MB_OK | MB_ICONSTOP);
        return;
    }
    std::string text;
    try
    {
        const ULONGLONG size = file.GetLength();
        if (size == 0)
        {
            AfxMessageBox("Unable to get the status of the specified file for reading", MB_OK | MB_ICONSTOP);
            return;
        }
        if (size + 1 > 0xFFFFFFFFull)
        {
            AfxMessageBox("File is too big to be an Pyraxis settings file.", MB_OK | MB_ICONSTOP);
            return;
        }
        std::vector<char> buffer(static_cast<size_t>(size) + 1, '\0');
        const UINT read = file.Read(buffer.data(), static_cast<UINT>(size + 1));
        buffer[read < buffer.size() ? read : buffer.size() - 1] = '\0';
        text = buffer.data();
        file.Close();
    }
    catch (CFileException* error)
    {
        error->Delete();
        AfxMessageBox("Unable to get the status of the specified file for reading", MB_OK | MB_ICONSTOP);
        return;
    }
    catch (const std::bad_alloc&)
    {
        AfxMessageBox("File is too big to be an Pyraxis settings file.", MB_OK | MB_ICONSTOP);
        return;
    }

    // A file that fails part-way leaves the dialog's settings as they were.
    TSettings fresh;
    MpptSettingIdSet_t notHeld;
    try
    {
        notHeld = LoadMpptSetpointFile(text, fresh);
    }
    catch (const std::exception& error)
    {
        const std::string message =
            "Error: unable to read configuration from file (" + std::string(error.what()) + ")";
        AfxMessageBox(message.c_str(), MB_OK | MB_ICONSTOP);
        return;
    }
    m_settings = fresh;
    m_notRead = notHeld;
    modified = false;
    UpdateSummary();
}

template <class TSettings>
void CDialogMpptSetup<TSettings>::OnWriteFile()
{
    if (!RequireSetpoints())
        return;
    // Settings that make no text are refused before a file is asked for.
    std::string text;
    if (!SettingsText(text))
        return;
    CString path;
    if (!ChooseFile(false, VXMPPT_EXTENSION, VXMPPT_FILTER, path))
        return;
    SaveSettingsTo(path);
}

template <class TSettings>
bool CDialogMpptSetup<TSettings>::SettingsText(std::string& text)
{
    try
    {
        text = MpptSetpointFileText(m_settings, m_notRead);
        return true;
    }
    catch (const std::exception& error)
    {
        const std::string message =
            "Error: unable to save configuration to file (" + std::string(error.what()) + ")";
        AfxMessageBox(message.c_str(), MB_OK | MB_ICONSTOP);
        return false;
    }
}

template <class TSettings>
bool CDialogMpptSetup<TSettings>::SaveSettingsTo(const CString& path)
{
    std::string text;
    if (!SettingsText(text) || !WriteSetpointFile(path, text, "Error: unable to write the settings file."))
        return false;
    modified = false;
    return true;
}

template <class TSettings>
void CDialogMpptSetup<TSettings>::OnReadDevice()
{
    if (!ConfirmDiscard("Warning: current setpoints are not saved.  Read new settings without saving?"))
        return;
    CWizardProgrammingContextPtr context = MakeMpptProgrammingContext(m_device, true);
    // The run reads into copies: a run that fails or is cancelled leaves the dialog's
    // settings as they were, and a completed one is adopted below.
    FillMpptReadContext(m_settings, *context);
    TSettings modeChoice;
    WizardPageList_t pages;
    pages.emplace_back(MakeModePage(&modeChoice));
    pages.emplace_back(new CPropPageWizardRead1(context, IDD_WIZARD_READ_CONNECTION));
    pages.emplace_back(new CPropPageWizardProgram2(context));
    if (RunWizardSheet("Read Varnix Settings", this, pages) == IDCANCEL)
        return;

    m_settings = AdoptMpptReadResult<TSettings>(*context, modeChoice.mode);
    m_notRead = MpptSettingsNotRead(*context);
    modified = true;
    if (!m_settings.GetVariable(MPPT_SETTING_SMTP_SERVER)->ToString().empty())
        AfxMessageBox("Warning: it looks like this control has SMTP (email) enabled.\n"
                      "For security reasons, you cannot read the email password, so\n"
                      "you will have to edit these settings you just read and provide one.",
                      MB_OK | MB_ICONEXCLAMATION);
    UpdateSummary();
}

template <class TSettings>
void CDialogMpptSetup<TSettings>::OnProgramDevice()
{
    if (!RequireSetpoints() || !DisconnectDeviceForProgramming(m_device.get()))
        return;
    CWizardProgrammingContextPtr context = MakeMpptProgrammingContext(m_device, false);
    FillMpptProgramContext(m_settings, *context, m_notRead);
    WizardPageList_t pages;
    pages.emplace_back(new CPropPageWizardProgram1(context, IDD_WIZARD_PROGRAM_CONNECTION));
    pages.emplace_back(new CPropPageWizardProgram2(context));
    RunWizardSheet("Program Varnix Settings", this, pages);
}

template <class TSettings>
void CDialogMpptSetup<TSettings>::OnEdit()
{
    const TSettings before(m_settings);
    if (!RunMpptWizardFor(this, m_settings, &m_notRead))
        return;
    ForgetSettingsSetSince(before, m_settings, m_notRead);
    modified = true;
    UpdateSummary();
}

template <class TSettings>
void CDialogMpptSetup<TSettings>::OnCreateNew()
{
    if (!ConfirmDiscard("Warning: current setpoints are not saved.  Create new settings without saving?"))
        return;
    TSettings fresh;
    if (!RunMpptWizardFor(this, fresh, nullptr))
        return;
    m_settings = fresh;
    m_notRead.clear();
    modified = true;
    UpdateSummary();
}

template <class TSettings>
void CDialogMpptSetup<TSettings>::OnPrint()
{
    const std::string text =
        MpptSummaryText(m_settings, COleDateTime::GetCurrentTime().Format().GetString(), m_notRead);
    PrintSummaryText(text.c_str(), static_cast<int>(text.size()));
}

template class CDialogMpptSetup<CVarnixMpptSettings>;
template class CDialogMpptSetup<CVarnixHvMpptSettings>;

CDialogVarnixMpptSummary::CDialogVarnixMpptSummary(const boost::shared_ptr<ModbusEndpoint_t>& device,
                                                   CWnd* parent, HICON icon)
    : CDialogMpptSetup<CVarnixMpptSettings>(device, parent, icon)
{
}

CDialogVarnixHvMpptSummary::CDialogVarnixHvMpptSummary(const boost::shared_ptr<ModbusEndpoint_t>& device,
                                                       CWnd* parent, HICON icon)
    : CDialogMpptSetup<CVarnixHvMpptSettings>(device, parent, icon)
{
}

CDialogVarnixMpptWarn::CDialogVarnixMpptWarn(CWnd* parent, HICON icon)
    : CDialogSetupWarning(IDD_VXMPPT_WARN, parent, icon)
{
}

CDialogVarnixHvMpptWarn::CDialogVarnixHvMpptWarn(CWnd* parent, HICON icon)
    : CDialogVarnixMpptWarn(parent, icon)
{
}
