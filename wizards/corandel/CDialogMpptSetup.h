// The Corandel MPPT's setpoint window: every setpoint on six tabs with its 12 V and 24 V
// reading, with the operations on them (new, edit, read and program a device, file,
// print, help).
#pragma once
#include "framework/CListCtrl.h"
#include "framework/CTabCtrl.h"
#include "wizards/corandel/CDialogSetpointSummary.h"
#include "wizards/corandel/CMpptSettings.h"

#include <vector>

const int MPPT_TAB_COUNT = 6;

class CDialogMpptSetup : public CDialogSetpointSummary
{
public:
    CDialogMpptSetup(boost::shared_ptr<ModbusEndpoint_t> device, CWnd* parent, HICON icon);

    CMpptSettings& GetSettings() { return m_settings; }
    CString BuildSummaryText() const override;
    // The registers a tab lists (and the summary prints), in order.
    static std::vector<UINT32> GetTabRegisters(const CMpptSettings& settings, int tab);

    BOOL OnInitDialog() override;

protected:
    void Refresh() override;
    bool LoadSettings(CFile* file, std::string* refusal) override { return m_settings.LoadFromFile(file, refusal); }
    bool SaveSettings(CFile* file, std::string* refusal) override { return m_settings.SaveToFile(file, refusal); }

    CStorageVarnixConfig& Settings() override { return m_settings; }
    std::unique_ptr<CStorageVarnixConfig> NewSettings() const override;
    Pages_t MakeWizardPages(CStorageVarnixConfig& settings) override;
    Pages_t MakeRunPages(CVarnixWizardProgContext& context, CStorageVarnixConfig& settings) override;
    afx_msg void OnTabChanged(NMHDR* pNMHDR, LRESULT* pResult);

    CTabCtrl m_tabs;
    CListCtrl m_lists[MPPT_TAB_COUNT];
    std::vector<CListCtrl*> m_tabLists;
    CMpptSettings m_settings;

    DECLARE_MESSAGE_MAP()
};
