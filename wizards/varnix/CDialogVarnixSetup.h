// The Varnix setup dialog: the mode, the controller's addresses and every setpoint the
// mode uses at 12, 24 and 48 V; new setpoints and edits through the wizard, .qvarnix
// files, reading from and programming a controller, and a printed summary.
#pragma once
#include "framework/FrameworkBase.h"
#include "wizards/varnix/CDialogSetpointsBase.h"
#include "wizards/framework/CVarnixWizardProgContext.h"
#include "wizards/varnix/CVarnixSettings.h"

#include <memory>
#include <string>

class CDialogVarnixSetup : public CDialogSetpointsBase
{
public:
    CDialogVarnixSetup(const boost::shared_ptr<ModbusEndpoint_t>& device, CWnd* parent, HICON icon);
    ~CDialogVarnixSetup() override;

    BOOL OnInitDialog() override;

    const CVarnixSettings& GetSettings() const { return m_settings; }
    // The summary the Print button prints, with the time text it was printed at.
    std::string BuildSummaryText(const std::string& printedOn) const;
    // Save once the file is chosen: the settings in place of the file at path, or the
    // error box and the old file as it was.
    bool SaveSettingsTo(const CString& path);

protected:
    void Refresh();

    afx_msg void OnLoad();
    afx_msg void OnSave();
    afx_msg void OnRead();
    afx_msg void OnProgram();
    afx_msg void OnEdit();
    afx_msg void OnPrint();
    afx_msg void OnCreateNew();
    DECLARE_MESSAGE_MAP()

private:
    bool RequireSetpoints();
    // Null, with the error shown, when the context cannot be made.
    std::unique_ptr<CVarnixWizardProgContext> MakeRunContext(bool isRead);

    CVarnixSettings m_settings;
};

// The setup wizard on a copy of the settings; the copy is written back only on Finish.
bool RunVarnixWizard(CWnd* parent, CVarnixSettings& settings);

// The two warnings shown before the Varnix (and, the second, the Varnix MPPT) setup.
class CDialogVxWizWarn1 : public CDialogSetupWarning
{
public:
    CDialogVxWizWarn1(CWnd* parent, HICON icon);
};

class CDialogVxWizWarn2 : public CDialogSetupWarning
{
public:
    CDialogVxWizWarn2(CWnd* parent, HICON icon);
};
