#include "wizards/corandel/CDialogMpptSetup.h"

#include "framework/CPropertySheet.h"
#include "framework/FrameworkIds.h"
#include "res/pyraxis_corandel_resource.h"
#include "wizards/corandel/CPropPageMpptCharge2.h"
#include "wizards/corandel/CPropPageMpptWizLighting.h"
#include "wizards/corandel/CPropPageMpptWizLvdHvd.h"
#include "wizards/corandel/CPropPageMpptWizMisc.h"
#include "wizards/corandel/CPropPageMpptWizReadCon2.h"
#include "wizards/corandel/CPropPageMpptWizReadConn.h"
#include "wizards/corandel/CPropPageMpptWizShared.h"


namespace
{
const SetpointDialogTexts_t TEXTS = {
    "qcrppt", "Quorvant Corandel MPPT Config (*.qcrppt)|*.qcrppt|All Files (*.*)|*.*||",
    "Error: no setpoints are defined.  Please create new setpoints or load them from a file or Mppt Duo.",
    IDD_MPPT_SETUP, "Corandel MPPT Summary",
    "New Corandel MPPT Settings", "Edit Corandel MPPT Settings", "Read Corandel MPPT Settings", "Program Corandel MPPT Settings"};

const int LIGHTING_TAB = 4;

struct Tab
{
    const char* text;
    const char* caption;
    std::vector<UINT32> registers;
};
const Tab TABS[MPPT_TAB_COUNT] = {
    {"Charge 1", "Charge Settings - Battery Select Jumper Inserted",
     {0xE000, 0xE001, 0xE002, 0xE004, 0xE003, 0xE005, 0xE006, 0xE007, 0xE008, 0xE00A, 0xE009}},
    {"Charge 2", "Charge Settings - Battery Select Jumper Removed",
     {0xE00D, 0xE00E, 0xE00F, 0xE011, 0xE010, 0xE012, 0xE013, 0xE014, 0xE015, 0xE017, 0xE016}},
    {"Charge Shared", "Shared Charge Settings", {0xE01A, 0xE01B, 0xE01C, 0xE01D, 0xE01E, 0xE01F}},
    {"Load", "Load Settings", {0xE022, 0xE023, 0xE024, 0xE025, 0xE026, 0xE027}},
    {"Lighting", "Lighting Settings",
     {0xE028, 0xE029, 0xE02A, 0xE02B, 0xE02C, 0xE02D, 0xE02E, 0xE03B, 0xE03C, 0xE03D, 0xE03E}},
    {"Misc", "Miscellaneous Settings", {0xE031, 0xE032, 0xE033, 0xE030}},
};

// The printed sections: title and tab; the lighting rows are not printed.
struct PrintSection
{
    const char* title;
    int tab;
};
const PrintSection PRINT_SECTIONS[] = {
    {"Charge Settings 1 - Battery Select Jumper Inserted", 0},
    {"Charge Settings 2 - Battery Select Jumper Removed", 1},
    {"Shared Charge Settings", 2},
    {"Load Settings", 3},
    {"Miscellaneous Settings", 5},
};

const int LIST_IDS[MPPT_TAB_COUNT] = {IDC_MPPT_LIST_CHARGE1, IDC_MPPT_LIST_CHARGE2, IDC_MPPT_LIST_SHARED,
                                      IDC_MPPT_LIST_LOAD,    IDC_MPPT_LIST_LIGHTING, IDC_MPPT_LIST_MISC};
}

BEGIN_MESSAGE_MAP(CDialogMpptSetup, CDialogSetpointSummary)
    ON_NOTIFY(TCN_SELCHANGE, IDC_MPPT_TABS, OnTabChanged)
    ON_COMMAND(ID_HELP, OnHelp)
END_MESSAGE_MAP()

CDialogMpptSetup::CDialogMpptSetup(boost::shared_ptr<ModbusEndpoint_t> device, CWnd* parent, HICON icon)
    : CDialogSetpointSummary(IDD_MPPT_SETUP, TEXTS, device, parent, icon)
{
}

std::vector<UINT32> CDialogMpptSetup::GetTabRegisters(const CMpptSettings& settings, int tab)
{
    if (tab < 0 || tab >= MPPT_TAB_COUNT)
        return std::vector<UINT32>();
    // With lighting off only the switch itself is listed.
    if (tab == LIGHTING_TAB && settings.GetRegisterWord(0xE028) == 0)
        return std::vector<UINT32>(1, 0xE028);
    return TABS[tab].registers;
}

BOOL CDialogMpptSetup::OnInitDialog()
{
    CDialogSetpointSummary::OnInitDialog();
    m_tabs.SubclassDlgItem(IDC_MPPT_TABS, this);
    m_tabLists.clear();
    for (int tab = 0; tab < MPPT_TAB_COUNT; ++tab)
    {
        m_lists[tab].SubclassDlgItem(LIST_IDS[tab], this);
        m_lists[tab].SetExtendedStyle(m_lists[tab].GetExtendedStyle() | LVS_EX_FULLROWSELECT);
        m_tabLists.push_back(&m_lists[tab]);
    }
    CRect client;
    m_tabLists[0]->GetClientRect(&client);
    for (CListCtrl* list : m_tabLists)
    {
        list->InsertColumn(0, "Setting", LVCFMT_LEFT, client.Width() * 60 / 100);
        list->InsertColumn(1, "12V", LVCFMT_LEFT, client.Width() * 20 / 100);
        list->InsertColumn(2, "24V", LVCFMT_LEFT, client.Width() * 20 / 100);
    }
    Refresh();
    return TRUE;
}

void CDialogMpptSetup::Refresh()
{
    SetDlgItemText(IDC_CR_MODBUS_ADDRESS, m_empty ? CString() : FormatAddress(m_settings.GetModbusId(), 0));
    SetDlgItemText(IDC_CR_SKELDER_ADDRESS, m_empty ? CString() : FormatAddress(m_settings.GetSkelderId(), 0));

    int selected = m_tabs.GetCurSel();
    if (selected < 0 || selected >= MPPT_TAB_COUNT)
        selected = 0;
    m_tabs.DeleteAllItems();
    for (int tab = 0; tab < MPPT_TAB_COUNT; ++tab)
        m_tabs.InsertItem(tab, TABS[tab].text);
    m_tabs.SetCurSel(selected);
    for (int tab = 0; tab < MPPT_TAB_COUNT; ++tab)
        m_tabLists[tab]->ShowWindow(tab == selected ? SW_SHOW : SW_HIDE);
    SetDlgItemText(IDC_MPPT_SECTION, TABS[selected].caption);

    if (m_empty)
    {
        for (CListCtrl* list : m_tabLists)
            list->DeleteAllItems();
        return;
    }
    CListCtrl& list = *m_tabLists[selected];
    list.DeleteAllItems();
    int item = 0;
    for (UINT32 reg : GetTabRegisters(m_settings, selected))
    {
        const SettingRow_t* row = m_settings.FindRowConst(reg);
        const int index = list.InsertItem(item++, row != nullptr ? row->shortName : CString());
        list.SetItemData(index, reg);
        list.SetItemText(index, 1, m_settings.GetNumberText(reg, false));
        list.SetItemText(index, 2, m_settings.GetNumberText(reg, true));
    }
    for (int index = 0; index < list.GetItemCount(); ++index)
    {
        const UINT32 reg = static_cast<UINT32>(list.GetItemData(index));
        list.SetItemText(index, 1, m_settings.GetValueText(reg, false));
        list.SetItemText(index, 2, m_settings.GetValueText(reg, true));
    }
}

void CDialogMpptSetup::OnTabChanged(NMHDR*, LRESULT* pResult)
{
    Refresh();
    *pResult = 0;
}

CString CDialogMpptSetup::BuildSummaryText() const
{
    CString text = SummaryHeading("Corandel MPPT", m_settings.GetModbusId(), m_settings.GetSkelderId());
    for (const PrintSection& section : PRINT_SECTIONS)
    {
        text += CString(" \n") + section.title + "\n";
        text += "======================\n";
        for (UINT32 reg : GetTabRegisters(m_settings, section.tab))
        {
            const SettingRow_t* row = m_settings.FindRowConst(reg);
            text += (row != nullptr ? row->shortName : CString()) + " = " + m_settings.GetValueText(reg, false) +
                    " (12 V); " + m_settings.GetValueText(reg, true) + " (24 V)\n";
        }
    }
    return text;
}

std::unique_ptr<CStorageVarnixConfig> CDialogMpptSetup::NewSettings() const
{
    return std::unique_ptr<CStorageVarnixConfig>(new CMpptSettings);
}

CDialogMpptSetup::Pages_t CDialogMpptSetup::MakeWizardPages(CStorageVarnixConfig& settings)
{
    CMpptSettings& mppt = static_cast<CMpptSettings&>(settings);
    Pages_t pages;
    pages.emplace_back(new CPropPageMpptCharge1(&mppt));
    pages.emplace_back(new CPropPageMpptCharge2(&mppt));
    pages.emplace_back(new CPropPageMpptWizShared(&mppt));
    pages.emplace_back(new CPropPageMpptWizLvdHvd(&mppt));
    pages.emplace_back(new CPropPageMpptWizLighting(&mppt));
    pages.emplace_back(new CPropPageMpptWizMisc(&mppt));
    return pages;
}

CDialogMpptSetup::Pages_t CDialogMpptSetup::MakeRunPages(CVarnixWizardProgContext& context, CStorageVarnixConfig& settings)
{
    return RunPagesOf<CPropPageMpptWizReadConn, CPropPageMpptWizProgramConn, CPropPageMpptWizReadCon2>(context, settings);
}
