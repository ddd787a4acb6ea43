#include "wizards/varnix/CDialogVarnixSetup.h"

#include "framework/CFile.h"
#include "framework/COleDateTime.h"
#include "framework/MessageBoxHook.h"
#include "res/pyraxis_varnix_resource.h"
#include "shell/SummaryPrinting.h"
#include "wizards/framework/CModbusProgrammingThread.h"
#include "wizards/framework/CPropertySheetDipSwitch.h"
#include "wizards/framework/SettingsFile.h"
#include "wizards/varnix/VarnixReadProgramPages.h"
#include "wizards/varnix/VarnixWizardModePages.h"
#include "wizards/varnix/VarnixWizardPages.h"

#include <memory>
#include <string>
#include <vector>

namespace
{
const char* const QVARNIX_EXTENSION = "qvarnix";
const char* const QVARNIX_FILTER = "Quorvant Varnix Config (*.qvarnix)|*.qvarnix|All Files (*.*)|*.*||";
const char* const NO_SETPOINTS =
    "Error: no setpoints are defined.  Please create new setpoints or load them from a file or Varnix.";

CString AddressText(int address, bool zeroIsUnknown)
{
    if (address < 0 || (zeroIsUnknown && address == 0))
        return CString("unknown");
    CString text;
    text.Format("%i", address);
    return text;
}
}

BEGIN_MESSAGE_MAP(CDialogVarnixSetup, CDialogSetpointsBase)
    ON_BN_CLICKED(IDC_SETUP_READ_FILE, OnLoad)
    ON_BN_CLICKED(IDC_SETUP_WRITE_FILE, OnSave)
    ON_BN_CLICKED(IDC_SETUP_READ_DEVICE, OnRead)
    ON_BN_CLICKED(IDC_SETUP_PROGRAM_DEVICE, OnProgram)
    ON_BN_CLICKED(IDC_SETUP_EDIT, OnEdit)
    ON_BN_CLICKED(IDC_SETUP_PRINT, OnPrint)
    ON_BN_CLICKED(IDC_SETUP_CREATE_NEW, OnCreateNew)
END_MESSAGE_MAP()

CDialogVarnixSetup::CDialogVarnixSetup(const boost::shared_ptr<ModbusEndpoint_t>& device, CWnd* parent,
                                       HICON icon)
    : CDialogSetpointsBase(IDD_VARNIX_SETUP, device, parent, icon)
{
}

CDialogVarnixSetup::~CDialogVarnixSetup()
{
}

BOOL CDialogVarnixSetup::OnInitDialog()
{
    CDialogSetpointsBase::OnInitDialog();
    SetupSummaryColumns(200, false);
    Refresh();
    return TRUE;
}

void CDialogVarnixSetup::Refresh()
{
    SetDlgItemText(IDC_SETUP_MODE, m_settings.GetModeName());
    SetDlgItemText(IDC_SETUP_MODBUS_ADDRESS, AddressText(m_settings.GetModbusId(), false));
    SetDlgItemText(IDC_SETUP_SKELDER_ADDRESS, AddressText(m_settings.GetSkelderId(), false));
    m_list.DeleteAllItems();
    for (int index = 0; index < m_settings.GetRowCount(); ++index)
    {
        const SettingRow_t* row = m_settings.GetRowAtConst(index);
        if (!m_settings.IsUsed(row->registerAddress))
            continue;
        const int item = m_list.InsertItem(m_list.GetItemCount(), row->shortName);
        m_list.SetItemData(item, static_cast<DWORD_PTR>(index));
        for (int system = VARNIX_SYSTEM_12V; system <= VARNIX_SYSTEM_48V; ++system)
            m_list.SetItemText(item, system + 1, m_settings.GetValueText(row->registerAddress, system));
    }
}

bool CDialogVarnixSetup::RequireSetpoints()
{
    if (m_settings.GetMode() != VARNIX_MODE_NONE)
        return true;
    AfxMessageBox(NO_SETPOINTS, MB_OK | MB_ICONSTOP);
    return false;
}

void CDialogVarnixSetup::OnLoad()
{
    if (!ConfirmDiscard("Warning: current setpoints are not saved.  Read new settings without saving?"))
        return;
    CString path;
    if (!ChooseFile(true, QVARNIX_EXTENSION, QVARNIX_FILTER, path))
        return;
    CFile file;
    if (!file.Open(path, CFile::modeRead | CFile::shareDenyWrite))
    {
        AfxMessageBox("Unable to open the specified file for reading", MB_OK | MB_ICONSTOP);
        return;
    }
    // A file that cannot be read whole leaves the settings as they were.
    std::string refusal;
    const bool loaded = m_settings.LoadFromFile(&file, &refusal);
    file.Close();
    if (!loaded)
    {
        AfxMessageBox(SettingsFileFailureText("Error: unable to read configuration from file.", refusal),
                      MB_OK | MB_ICONSTOP);
        return;
    }
    modified = false;
    Refresh();
}

void CDialogVarnixSetup::OnSave()
{
    if (!RequireSetpoints())
        return;
    CString path;
    if (!ChooseFile(false, QVARNIX_EXTENSION, QVARNIX_FILTER, path))
        return;
    SaveSettingsTo(path);
}

bool CDialogVarnixSetup::SaveSettingsTo(const CString& path)
{
    const char* const notSaved = "Error: unable to save settings to file";
    std::string refusal;
    std::string bytes;
    if (!SaveSettingsToBytes([&](CFile* file) { return m_settings.SaveToFile(file, &refusal); }, bytes))
    {
        AfxMessageBox(SettingsFileFailureText(notSaved, refusal), MB_OK | MB_ICONSTOP);
        return false;
    }
    if (!WriteSetpointFile(path, bytes, notSaved))
        return false;
    modified = false;
    return true;
}

std::unique_ptr<CVarnixWizardProgContext> CDialogVarnixSetup::MakeRunContext(bool isRead)
{
    // The context reads the device descriptions; a damaged devices.xml stops the run.
    std::unique_ptr<CVarnixWizardProgContext> context;
    try
    {
        context.reset(new CVarnixWizardProgContext(m_device.get()));
        context->isRead = isRead;
    }
    catch (const std::exception& error)
    {
        AfxMessageBox(error.what(), MB_OK | MB_ICONSTOP);
        context.reset();
    }
    return context;
}

void CDialogVarnixSetup::OnRead()
{
    if (!ConfirmDiscard("Warning: current setpoints are not saved.  Read new settings without saving?"))
        return;
    CVarnixSettings fresh;
    const std::unique_ptr<CVarnixWizardProgContext> context = MakeRunContext(true);
    if (!context)
        return;
    WizardPageList_t pages;
    pages.emplace_back(new CPropPageVxWizReadConn(context.get(), &fresh));
    pages.emplace_back(new CPropPageVxWizReadCon2(context.get(), &fresh));
    if (RunWizardSheet("Read Varnix Settings", this, pages) == IDCANCEL)
        return;
    m_settings.AssignSettings(fresh);
    modified = true;
    Refresh();
}

void CDialogVarnixSetup::OnProgram()
{
    if (!RequireSetpoints() || !DisconnectDeviceForProgramming(m_device.get()))
        return;
    const std::unique_ptr<CVarnixWizardProgContext> context = MakeRunContext(false);
    if (!context)
        return;
    WizardPageList_t pages;
    pages.emplace_back(new CPropPageVxWizProgramConn(context.get(), &m_settings));
    pages.emplace_back(new CPropPageVxWizReadCon2(context.get(), &m_settings));
    RunWizardSheet("Program Varnix Settings", this, pages);
    Refresh();
}

void CDialogVarnixSetup::OnEdit()
{
    if (!RunVarnixWizard(this, m_settings))
        return;
    modified = true;
    Refresh();
}

void CDialogVarnixSetup::OnCreateNew()
{
    if (!ConfirmDiscard("Warning: current setpoints are not saved.  Create new settings without saving?"))
        return;
    CVarnixSettings fresh;
    if (!RunVarnixWizard(this, fresh))
        return;
    m_settings.AssignSettings(fresh);
    modified = true;
    Refresh();
}

std::string CDialogVarnixSetup::BuildSummaryText(const std::string& printedOn) const
{
    std::string text = "Quorvant Corp. Varnix Setup Summary\n";
    text += "Printed on " + printedOn + "\n";
    text += "Mode: " + std::string(m_settings.GetModeName().GetString()) + "\n";
    text += "MODBUS Address: " + std::string(AddressText(m_settings.GetModbusId(), true).GetString()) + "\n";
    text += "Skelder Address: " + std::string(AddressText(m_settings.GetSkelderId(), true).GetString()) + "\n";
    text += "Setpoints (set the System Voltage with DIP switches 2 & 3):\n";
    for (int index = 0; index < m_settings.GetRowCount(); ++index)
    {
        const SettingRow_t* row = m_settings.GetRowAtConst(index);
        if (!m_settings.IsUsed(row->registerAddress))
            continue;
        const double value = m_settings.GetValueAt(index);
        const bool volts = row->unit == "V";
        CString line;
        line.Format("%s: %.2f (12V), %.2f (24V), %.2f (48V)\n", row->shortName.GetString(), value,
                    volts ? value * 2 : value, volts ? value * 4 : value);
        text += line.GetString();
    }
    return text;
}

void CDialogVarnixSetup::OnPrint()
{
    const std::string text =
        BuildSummaryText(COleDateTime::GetCurrentTime().Format().GetString());
    PrintSummaryText(text.c_str(), static_cast<int>(text.size()));
}

bool RunVarnixWizard(CWnd* parent, CVarnixSettings& settings)
{
    CVarnixSettings working;
    working.AssignSettings(settings);
    WizardPageList_t pages;
    pages.emplace_back(new CPropPageVxWizMode(&working));
    pages.emplace_back(new CPropPageVxWizCharge1(&working));
    pages.emplace_back(new CPropPageVxWizCharge2(&working));
    pages.emplace_back(new CPropPageVxWizCharge3(&working));
    pages.emplace_back(new CPropPageVxWizLoad1(&working));
    pages.emplace_back(new CPropPageVxWizDiversion1(&working));
    pages.emplace_back(new CPropPageVxWizDiversion2(&working));
    pages.emplace_back(new CPropPageVxWizLighting1(&working));
    pages.emplace_back(new CPropPageVxWizLed(&working));
    pages.emplace_back(new CPropPageVxWizComm(&working));
    if (RunWizardSheet("Varnix Setup Wizard", parent, pages) != ID_WIZFINISH)
        return false;
    settings.AssignSettings(working);
    return true;
}

CDialogVxWizWarn1::CDialogVxWizWarn1(CWnd* parent, HICON icon)
    : CDialogSetupWarning(IDD_VX_WIZ_WARN1, parent, icon)
{
}

CDialogVxWizWarn2::CDialogVxWizWarn2(CWnd* parent, HICON icon)
    : CDialogSetupWarning(IDD_VX_WIZ_WARN2, parent, icon)
{
}
