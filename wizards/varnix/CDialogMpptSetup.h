// The setpoint dialogs of the Varnix MPPT and the Varnix HV MPPT: one design over either
// settings model. They show the mode, the addresses and the settings that apply at 12, 24
// and 48 V, read and write XML setpoint files (.vxmppt), read and program a controller,
// run the setup wizard and print a summary.
#pragma once
#include "framework/FrameworkBase.h"
#include "wizards/framework/CWizardProgrammingContext.h"
#include "wizards/varnix/CDialogSetpointsBase.h"
#include "wizards/varnix/CVarnixHvMpptSettings.h"
#include "wizards/varnix/CVarnixMpptSettings.h"

#include <set>
#include <string>

template <class TSettings>
class CDialogMpptSetup : public CDialogSetpointsBase
{
public:
    CDialogMpptSetup(const boost::shared_ptr<ModbusEndpoint_t>& device, CWnd* parent, HICON icon);
    ~CDialogMpptSetup() override;

    BOOL OnInitDialog() override;

    const TSettings& GetSettings() const { return m_settings; }
    // Write to File once the file is chosen: the settings in place of the file at path, or
    // the error box and the old file as it was.
    bool SaveSettingsTo(const CString& path);
    // Settings the last read did not get from the controller (or the file last opened did
    // not hold) and the user has not set since: the summary shows them as not read; Save
    // and Program leave them out.
    const std::set<int>& GetSettingsNotRead() const { return m_notRead; }

protected:
    void UpdateSummary();

    afx_msg void OnReadFile();
    afx_msg void OnWriteFile();
    afx_msg void OnReadDevice();
    afx_msg void OnProgramDevice();
    afx_msg void OnEdit();
    afx_msg void OnPrint();
    afx_msg void OnCreateNew();
    DECLARE_MESSAGE_MAP()

private:
    bool RequireSetpoints();
    // The settings' XML text; false with the error box when they make none.
    bool SettingsText(std::string& text);

    TSettings m_settings;
    std::set<int> m_notRead;
};

class CDialogVarnixMpptSummary : public CDialogMpptSetup<CVarnixMpptSettings>
{
public:
    CDialogVarnixMpptSummary(const boost::shared_ptr<ModbusEndpoint_t>& device, CWnd* parent, HICON icon);
};

class CDialogVarnixHvMpptSummary : public CDialogMpptSetup<CVarnixHvMpptSettings>
{
public:
    CDialogVarnixHvMpptSummary(const boost::shared_ptr<ModbusEndpoint_t>& device, CWnd* parent,
                               HICON icon);
};

// The setup wizards on a copy of the settings; the copy is written back only on Finish.
// notRead (or none): the settings that hold only stand-ins; the pages show them empty, and
// those the user sets there leave the set on Finish.
bool RunVarnixMpptWizard(CWnd* parent, CVarnixMpptSettings& settings, std::set<int>* notRead = nullptr);
bool RunVarnixHvMpptWizard(CWnd* parent, CVarnixHvMpptSettings& settings, std::set<int>* notRead = nullptr);

// The warnings before the Varnix MPPT and HV MPPT setup dialogs.
class CDialogVarnixMpptWarn : public CDialogSetupWarning
{
public:
    CDialogVarnixMpptWarn(CWnd* parent, HICON icon);
};

class CDialogVarnixHvMpptWarn : public CDialogVarnixMpptWarn
{
public:
    CDialogVarnixHvMpptWarn(CWnd* parent, HICON icon);
};

extern template class CDialogMpptSetup<CVarnixMpptSettings>;
extern template class CDialogMpptSetup<CVarnixHvMpptSettings>;
