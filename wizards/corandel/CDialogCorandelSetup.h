// The Corandel Duo's setpoint window: the setpoints of both batteries' DIP switch sets,
// the charging priority, the temperature compensation and the addresses, with every
// operation on them (new, edit, read and program a device, file, print, help).
#pragma once
#include "framework/CListCtrl.h"
#include "wizards/corandel/CCorandelSettings.h"
#include "wizards/corandel/CDialogSetpointSummary.h"

class CDialogCorandelSetup : public CDialogSetpointSummary
{
public:
    CDialogCorandelSetup(boost::shared_ptr<ModbusEndpoint_t> device, CWnd* parent, HICON icon);

    CCorandelSettings& GetSettings() { return m_settings; }
    CString BuildSummaryText() const override;

    BOOL OnInitDialog() override;

protected:
    void Refresh() override;
    bool LoadSettings(CFile* file, std::string* refusal) override { return m_settings.LoadFromFile(file, refusal); }
    bool SaveSettings(CFile* file, std::string* refusal) override { return m_settings.SaveToFile(file, refusal); }

    CStorageVarnixConfig& Settings() override { return m_settings; }
    std::unique_ptr<CStorageVarnixConfig> NewSettings() const override;
    Pages_t MakeWizardPages(CStorageVarnixConfig& settings) override;
    Pages_t MakeRunPages(CVarnixWizardProgContext& context, CStorageVarnixConfig& settings) override;
    // The help command (F1): the active window's help, a wizard page's over this dialog's.
    afx_msg void OnHelpCommand();

    CListCtrl m_list;
    CCorandelSettings m_settings;

    DECLARE_MESSAGE_MAP()
};
