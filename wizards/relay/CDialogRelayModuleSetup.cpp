#include "wizards/relay/CDialogRelayModuleSetup.h"

#include "framework/CArchive.h"
#include "framework/CArchiveException.h"
#include "framework/CFile.h"
#include "framework/CFileDialog.h"
#include "framework/FrameworkIds.h"
#include "framework/MessageBoxHook.h"
#include "res/pyraxis_relay_resource.h"
#include "shell/HelpCommands.h"
#include "shell/SummaryPrinting.h"
#include "wizards/framework/CModbusProgrammingThread.h"
#include "wizards/framework/CPropertySheetDipSwitch.h"
#include "wizards/framework/CRelayProgContext.h"
#include "wizards/framework/LocalTime.h"
#include "wizards/framework/SettingsFile.h"
#include "wizards/relay/CPropPageRelayProgConnection.h"
#include "wizards/relay/CPropPageRelayProgProgress.h"
#include "wizards/relay/RelayWizardPages.h"

#include <cstdio>

namespace
{
const char* const FILE_FILTER = "Quorvant Relay Config (*.qrelay)|*.qrelay|All Files (*.*)|*.*||";
const UINT SIMPLE_BUTTONS[4] = {IDC_RELAY_SIMPLE_1, IDC_RELAY_SIMPLE_2, IDC_RELAY_SIMPLE_3, IDC_RELAY_SIMPLE_4};
const UINT ADVANCED_BUTTONS[4] = {IDC_RELAY_ADVANCED_1, IDC_RELAY_ADVANCED_2, IDC_RELAY_ADVANCED_3,
                                  IDC_RELAY_ADVANCED_4};
const UINT SUMMARIES[4] = {IDC_RELAY_SUMMARY_1, IDC_RELAY_SUMMARY_2, IDC_RELAY_SUMMARY_3, IDC_RELAY_SUMMARY_4};
const char* const INVALID_FILE = "Error reading configuration from file.  Invalid file format.";
}

BEGIN_MESSAGE_MAP(CDialogRelayModuleSetup, CDialogMainWindow)
    ON_CONTROL_RANGE(BN_CLICKED, IDC_RELAY_SIMPLE_1, IDC_RELAY_ADVANCED_4, OnEdit)
    ON_BN_CLICKED(IDC_RELAY_READ_FILE, OnReadFile)
    ON_BN_CLICKED(IDC_RELAY_WRITE_FILE, OnWriteFile)
    ON_BN_CLICKED(IDC_RELAY_READ_MODULE, OnReadDevice)
    ON_BN_CLICKED(IDC_RELAY_PROGRAM_MODULE, OnProgramDevice)
    ON_BN_CLICKED(IDC_RELAY_PRINT, OnPrint)
    ON_MESSAGE(WM_APP_HELP_REQUEST, OnHelpRequest)
    ON_COMMAND(ID_HELP, OnHelp)
END_MESSAGE_MAP()

CDialogRelayModuleSetup::CDialogRelayModuleSetup(const boost::shared_ptr<ModbusEndpoint_t>& endpoint, CWnd* parent,
                                                 HICON icon)
    : CDialogMainWindow(IDD_RELAY_SETUP, parent, icon), m_candidates(LoadCandidateDevices()), m_endpoint(endpoint)
{
    for (int i = 0; i < 4; ++i)
    {
        m_channels[i].SetChannelIndex(i);
        m_channels[i].SetCandidateDevices(m_candidates);
    }
}

CDialogRelayModuleSetup::~CDialogRelayModuleSetup()
{
}

BOOL CDialogRelayModuleSetup::OnInitDialog()
{
    CDialogMainWindow::OnInitDialog();
    RefreshSummary();
    return TRUE;
}

void CDialogRelayModuleSetup::RefreshSummary()
{
    if (GetSafeHwnd() == nullptr)
        return;
    for (int i = 0; i < 4; ++i)
    {
        SetDlgItemText(SUMMARIES[i], m_channels[i].GetDescription().c_str());
        const BOOL editable = m_channels[i].GetFunction() != RELAY_FUNCTION_GENSTART_SLAVE;
        ::EnableWindow(::GetDlgItem(m_hWnd, SIMPLE_BUTTONS[i]), editable);
        ::EnableWindow(::GetDlgItem(m_hWnd, ADVANCED_BUTTONS[i]), editable);
    }
}

void CDialogRelayModuleSetup::OnEdit(UINT id)
{
    for (int i = 0; i < 4; ++i)
    {
        if (id == SIMPLE_BUTTONS[i])
            OnEditChannel(false, i);
        else if (id == ADVANCED_BUTTONS[i])
            OnEditChannel(true, i);
    }
}

void CDialogRelayModuleSetup::OnEditChannel(bool advanced, int index)
{
    CRelayChannelWizard wizard(m_channels, index, advanced, m_candidates, this);
    wizard.Run();
    RefreshSummary();
}

std::string CDialogRelayModuleSetup::LoadChannels(const std::string& path)
{
    CFile file;
    if (!file.Open(path.c_str(), CFile::modeRead | CFile::shareDenyWrite))
        return "Unable to open the specified file for reading";
    // Into copies: a file that ends or breaks part-way leaves the dialog's channels as
    // they were, instead of half replaced.
    CRelayModuleChannel loaded[4];
    for (int i = 0; i < 4; ++i)
        loaded[i] = m_channels[i];
    bool valid = true;
    try
    {
        CArchive ar(&file, CArchive::load, 4096);
        for (int i = 0; i < 4 && valid; ++i)
        {
            valid = loaded[i].Load(ar);
            loaded[i].SetChannelIndex(i);
        }
        ar.Close();
    }
    catch (CArchiveException* e)
    {
        e->Delete();
        valid = false;
    }
    file.Close();
    if (!valid)
        return INVALID_FILE;
    // A controller address no controller answers at would be programmed as it stands.
    const std::string refusal = ChannelsAddressRefusal(loaded, 4);
    if (!refusal.empty())
        return "Error reading configuration from file.  " + refusal + ".";
    for (int i = 0; i < 4; ++i)
        m_channels[i] = loaded[i];
    RefreshSummary();
    return std::string();
}

std::string CDialogRelayModuleSetup::SaveChannels(const std::string& path)
{
    // Such a file would not open again.
    const std::string refusal = ChannelsAddressRefusal(m_channels, 4);
    if (!refusal.empty())
        return "Unable to write the configuration to the specified file.  " + refusal + ".";
    std::string bytes;
    const bool stored = SaveSettingsToBytes(
        [this](CFile* file) {
            return SerializeSettingsFile(file, CArchive::store, [this](CArchive& ar) {
                for (int i = 0; i < 4; ++i)
                    m_channels[i].Save(ar);
                return true;
            });
        },
        bytes);
    if (!stored)
        return "Unable to write the configuration to the specified file";
    return static_cast<LPCTSTR>(ReplaceSettingsFile(path.c_str(), bytes, "Unable to create the specified file for writing",
                                                    "Unable to write the configuration to the specified file"));
}

void CDialogRelayModuleSetup::OnReadFile()
{
    CFileDialog dialog(TRUE, "qrelay", nullptr, OFN_HIDEREADONLY, FILE_FILTER, this);
    if (dialog.DoModal() != IDOK)
    {
        RefreshSummary();
        return;
    }
    const std::string error = LoadChannels(static_cast<const char*>(dialog.GetPathName()));
    if (!error.empty())
        AfxMessageBox(error.c_str(), MB_ICONHAND);
}

void CDialogRelayModuleSetup::OnWriteFile()
{
    CFileDialog dialog(FALSE, "qrelay", nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, FILE_FILTER, this);
    if (dialog.DoModal() != IDOK)
        return;
    const std::string error = SaveChannels(static_cast<const char*>(dialog.GetPathName()));
    if (!error.empty())
        AfxMessageBox(error.c_str(), MB_ICONHAND);
}

std::string CDialogRelayModuleSetup::SummaryText(const std::string& printedOn) const
{
    std::string text = "Quorvant Corp. Ostrel Setup Summary\nPrinted on " + printedOn + "\n";
    for (int i = 0; i < 4; ++i)
    {
        char prefix[32];
        std::snprintf(prefix, sizeof prefix, "Channel %i: ", i + 1);
        text += prefix + m_channels[i].GetDescription() + "\n";
    }
    return text;
}

void CDialogRelayModuleSetup::OnPrint()
{
    const std::string text = SummaryText(FormatLocalNow());
    PrintSummaryText(text.c_str(), static_cast<int>(text.size()), "Ostrel Summary");
}

void CDialogRelayModuleSetup::ReadModule()
{
    CRelayProgContext context(m_endpoint.get(), &m_candidates);
    context.isRead = true;
    context.modbusAddress = 9;
    INT_PTR result = IDCANCEL;
    {
        CPropertySheetDipSwitch sheet("Read Ostrel Configuration", this, 0);
        CPropPageRelayProgConnection connection(&context);
        CPropPageRelayProgProgress progress(&context);
        sheet.AddPage(&connection);
        sheet.AddPage(&progress);
        sheet.SetWizardMode();
        result = sheet.DoModal();
        sheet.RemovePage(&progress);
        sheet.RemovePage(&connection);
    }
    if (result == IDCANCEL || result < 0)
        return;
    // The questions about ambiguous sources come now, on this thread; a source left
    // unresolved discards the whole read.
    for (int i = 0; i < 4; ++i)
        if (!context.channels[i].ResolveControlDevice())
            return;
    for (int i = 0; i < 4; ++i)
        m_channels[i] = context.channels[i];
    RefreshSummary();
}

void CDialogRelayModuleSetup::ProgramModule()
{
    if (!DisconnectDeviceForProgramming(m_endpoint.get()))
        return;
    CRelayProgContext context(m_endpoint.get(), &m_candidates);
    context.isRead = false;
    context.modbusAddress = 9;
    for (int i = 0; i < 4; ++i)
        context.channels[i] = m_channels[i];
    CPropertySheetDipSwitch sheet("Ostrel Programming", this, 0);
    CPropPageRelayProgConnection connection(&context);
    CPropPageRelayProgProgress progress(&context);
    sheet.AddPage(&connection);
    sheet.AddPage(&progress);
    sheet.SetWizardMode();
    sheet.DoModal();
    sheet.RemovePage(&progress);
    sheet.RemovePage(&connection);
}

void CDialogRelayModuleSetup::OnReadDevice()
{
    ReadModule();
}

void CDialogRelayModuleSetup::OnProgramDevice()
{
    ProgramModule();
}

LRESULT CDialogRelayModuleSetup::OnHelpRequest(WPARAM, LPARAM)
{
    ShowHelpTextPopup(IDD_RELAY_SETUP);
    return 1;
}
