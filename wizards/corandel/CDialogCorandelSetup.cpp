#include "wizards/corandel/CDialogCorandelSetup.h"

#include "framework/CPropertySheet.h"
#include "framework/DataExchange.h"
#include "framework/FrameworkIds.h"
#include "framework/MessageBoxHook.h"
#include "res/pyraxis_corandel_resource.h"
#include "shell/HelpCommands.h"
#include "wizards/corandel/CPropPageCrWizBattery2.h"
#include "wizards/corandel/CPropPageCrWizCommon.h"
#include "wizards/corandel/CPropPageCrWizReadCon2.h"
#include "wizards/corandel/CPropPageCrWizReadConn.h"


namespace
{
const SetpointDialogTexts_t TEXTS = {
    "qcrduo", "Quorvant Corandel Duo Config (*.qcrduo)|*.qcrduo|All Files (*.*)|*.*||",
    "Error: no setpoints are defined.  Please create new setpoints or load them from a file or Corandel Duo.",
    IDD_CORANDEL_SETUP, "Corandel Duo Summary",
    "New Corandel Duo Settings", "Edit Corandel Duo Settings", "Read Corandel Duo Settings", "Program Corandel Duo Settings"};

// The summary's rows: battery, DIP switch, the register of the OFF and of the ON set.
struct SummaryRow
{
    int battery;
    int dipSwitch;
    UINT32 offRegister;
    UINT32 onRegister;
};
const SummaryRow SUMMARY_ROWS[] = {
    {1, 1, 0xE006, 0xE00C}, {1, 1, 0xE008, 0xE00E}, {1, 1, 0xE007, 0xE00D}, {1, 1, 0xE009, 0xE00F},
    {1, 1, 0xE00A, 0xE010}, {1, 1, 0xE00B, 0xE011}, {2, 2, 0xE012, 0xE018}, {2, 2, 0xE014, 0xE01A},
    {2, 2, 0xE013, 0xE019}, {2, 2, 0xE015, 0xE01B}, {2, 2, 0xE016, 0xE01C}, {2, 2, 0xE017, 0xE01D},
    {1, 3, 0xE002, 0xE003},
};

// The printed sections: heading and registers in print order.
struct PrintSection
{
    const char* heading;
    UINT32 registers[6];
};
const PrintSection PRINT_SECTIONS[] = {
    {" \nBattery 1, DIP Switch #1 OFF\n", {0xE006, 0xE008, 0xE007, 0xE009, 0xE00A, 0xE00B}},
    {" \nBattery 1, DIP Switch #1 ON\n", {0xE00C, 0xE00E, 0xE00D, 0xE00F, 0xE010, 0xE011}},
    {" \nBattery 2, DIP Switch #2 OFF\n", {0xE012, 0xE014, 0xE013, 0xE015, 0xE016, 0xE017}},
    {" \nBattery 2, DIP Switch #2 ON\n", {0xE018, 0xE01A, 0xE019, 0xE01B, 0xE01C, 0xE01D}},
};
}

BEGIN_MESSAGE_MAP(CDialogCorandelSetup, CDialogSetpointSummary)
    ON_COMMAND(ID_HELP, OnHelpCommand)
END_MESSAGE_MAP()

CDialogCorandelSetup::CDialogCorandelSetup(boost::shared_ptr<ModbusEndpoint_t> device, CWnd* parent, HICON icon)
    : CDialogSetpointSummary(IDD_CORANDEL_SETUP, TEXTS, device, parent, icon)
{
}

BOOL CDialogCorandelSetup::OnInitDialog()
{
    CDialogSetpointSummary::OnInitDialog();
    m_list.SubclassDlgItem(IDC_CR_SUMMARY_LIST, this);
    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_FULLROWSELECT);
    CRect client;
    m_list.GetClientRect(&client);
    const int first = 150;
    const int rest = client.Width() - first;
    m_list.InsertColumn(0, "Setpoint", LVCFMT_LEFT, first);
    m_list.InsertColumn(1, "Battery", LVCFMT_LEFT, rest * 20 / 100);
    m_list.InsertColumn(2, "DIP SW", LVCFMT_LEFT, rest * 20 / 100);
    m_list.InsertColumn(3, "OFF Value", LVCFMT_LEFT, rest * 30 / 100);
    m_list.InsertColumn(4, "ON Value", LVCFMT_LEFT, rest * 30 / 100);
    Refresh();
    return TRUE;
}

void CDialogCorandelSetup::Refresh()
{
    if (m_empty)
    {
        SetDlgItemText(IDC_CRDUO_TEMP_COMP, "");
        SetDlgItemText(IDC_CR_MODBUS_ADDRESS, "");
        SetDlgItemText(IDC_CR_SKELDER_ADDRESS, "");
    }
    else
    {
        SetDlgItemText(IDC_CRDUO_TEMP_COMP, "-" + m_settings.FormatValue(0xE004));
        SetDlgItemText(IDC_CR_MODBUS_ADDRESS, FormatAddress(m_settings.GetModbusAddress(), 0));
        SetDlgItemText(IDC_CR_SKELDER_ADDRESS, FormatAddress(m_settings.GetSkelderAddress(), 0));
    }

    m_list.DeleteAllItems();
    if (m_empty)
        return;
    int item = 0;
    for (const SummaryRow& row : SUMMARY_ROWS)
    {
        const SettingRow_t* offRow = m_settings.FindRowConst(row.offRegister);
        const int index = m_list.InsertItem(item++, offRow != nullptr ? offRow->shortName : CString());
        CString number;
        number.Format("%i", row.battery);
        m_list.SetItemText(index, 1, number);
        number.Format("%i", row.dipSwitch);
        m_list.SetItemText(index, 2, number);
        m_list.SetItemText(index, 3, m_settings.FormatDisplayValue(row.offRegister));
        m_list.SetItemText(index, 4, m_settings.FormatDisplayValue(row.onRegister));
        m_list.SetItemData(index, row.offRegister);
    }
}

CString CDialogCorandelSetup::BuildSummaryText() const
{
    CString text = SummaryHeading("Corandel Duo", m_settings.GetModbusAddress(), m_settings.GetSkelderAddress());
    for (const PrintSection& section : PRINT_SECTIONS)
    {
        text += section.heading;
        text += "======================\n";
        for (UINT32 reg : section.registers)
        {
            const SettingRow_t* row = m_settings.FindRowConst(reg);
            text += (row != nullptr ? row->shortName : CString()) + " = " + m_settings.FormatDisplayValue(reg) + "\n";
        }
    }
    text += " \n";
    text += "Priority, DIP Switch #3 OFF = " + m_settings.FormatDisplayValue(0xE002) + "\n";
    text += "Priority, DIP Switch #3 ON = " + m_settings.FormatDisplayValue(0xE003) + "\n";
    text += "\nNOTE: DIP SWITCH #4 MUST BE IN THE ON POSITION TO ENABLE THE USE OF CUSTOM SETPOINTS.\n";
    return text;
}

std::unique_ptr<CStorageVarnixConfig> CDialogCorandelSetup::NewSettings() const
{
    return std::unique_ptr<CStorageVarnixConfig>(new CCorandelSettings);
}

CDialogCorandelSetup::Pages_t CDialogCorandelSetup::MakeWizardPages(CStorageVarnixConfig& settings)
{
    CCorandelSettings& duo = static_cast<CCorandelSettings&>(settings);
    Pages_t pages;
    pages.emplace_back(new CPropPageCrWizBattery1(&duo));
    pages.emplace_back(new CPropPageCrWizBattery2(&duo));
    pages.emplace_back(new CPropPageCrWizCommon(&duo));
    return pages;
}

CDialogCorandelSetup::Pages_t CDialogCorandelSetup::MakeRunPages(CVarnixWizardProgContext& context, CStorageVarnixConfig& settings)
{
    return RunPagesOf<CPropPageCrWizReadConn, CPropPageCrWizProgramConn, CPropPageCrWizReadCon2>(context, settings);
}

void CDialogCorandelSetup::OnHelpCommand()
{
    ShowActiveWindowHelp(0, 0);
}
