// Base of the Corandel setup dialogs: one set of setpoints with its unsaved and empty
// states, the setpoint file it is read from and written to, the printed summary, help,
// and the wizard sheets the dialog runs for reading, programming and editing.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CPropertyPage.h"
#include "framework/CString.h"
#include "framework/MessageMap.h"
#include "modbus/ModbusEndpoint.h"
#include "shell/CDialogMainWindow.h"
#include "wizards/framework/CVarnixWizardProgContext.h"

#include <boost/shared_ptr.hpp>
#include <memory>
#include <string>
#include <vector>

class CFile;
class CStorageVarnixConfig;

struct SetpointDialogTexts_t
{
    const char* extension;     // of the setpoint files
    const char* filter;        // of the file dialogs
    const char* noSetpoints;   // the error of commands that need setpoints
    UINT helpTopic;
    const char* printJobName;  // the print job of the summary
    // Titles of the wizard sheets.
    const char* newTitle;
    const char* editTitle;
    const char* readTitle;
    const char* programTitle;
};

class CDialogSetpointSummary : public CDialogMainWindow
{
public:
    CDialogSetpointSummary(UINT dialogId, const SetpointDialogTexts_t& texts,
                           boost::shared_ptr<ModbusEndpoint_t> device, CWnd* parent, HICON icon);

    bool IsUnsaved() const { return m_unsaved; }
    bool IsEmpty() const { return m_empty; }
    // The summary Print hands to the printer.
    virtual CString BuildSummaryText() const = 0;
    // Write to File once the file is chosen: the settings in place of the file at path, or
    // the error box and the old file as it was.
    bool SaveSettingsTo(const CString& path);

    BOOL OnInitDialog() override;

protected:
    typedef std::vector<std::unique_ptr<CPropertyPage>> Pages_t;

    virtual void Refresh() = 0;
    // A bus address outside its range fails either, its refusal then in *refusal.
    virtual bool LoadSettings(CFile* file, std::string* refusal) = 0;
    virtual bool SaveSettings(CFile* file, std::string* refusal) = 0;
    // The dialog's own settings, and a fresh set with the factory values.
    virtual CStorageVarnixConfig& Settings() = 0;
    virtual std::unique_ptr<CStorageVarnixConfig> NewSettings() const = 0;
    // The pages of the edit wizard, and of a read or programming run, on settings.
    virtual Pages_t MakeWizardPages(CStorageVarnixConfig& settings) = 0;
    virtual Pages_t MakeRunPages(CVarnixWizardProgContext& context, CStorageVarnixConfig& settings) = 0;
    // A run's two pages: the read or program connection page, then the progress page.
    template <class ReadConnection, class ProgramConnection, class Progress>
    static Pages_t RunPagesOf(CVarnixWizardProgContext& context, CStorageVarnixConfig& settings)
    {
        Pages_t pages;
        if (context.isRead)
            pages.emplace_back(new ReadConnection(&context, &settings));
        else
            pages.emplace_back(new ProgramConnection(&context, &settings));
        pages.emplace_back(new Progress(&context, &settings));
        return pages;
    }

    // True unless there are unsaved changes and the user answers the question with No.
    bool MayDiscardChanges(const char* question);
    // True when setpoints are defined; otherwise the error box.
    bool HaveSetpoints();
    // Runs a wizard sheet on the pages, which are removed from it again afterwards; the
    // sheet's result (ID_WIZFINISH, IDCANCEL).
    INT_PTR RunWizard(const char* title, const Pages_t& pages);
    const ModbusEndpoint_t* GetDevice() const { return m_device.get(); }
    // A read (isRead) or programming run of the settings on the dialog's device; true
    // when the sheet ended otherwise than with Cancel.
    bool RunDeviceSheet(bool isRead, CStorageVarnixConfig& settings);

    // "unknown" for an address below minimum, else the number.
    static CString FormatAddress(int address, int minimum);
    // The heading lines of a printed summary: title, print time and the two addresses.
    static CString SummaryHeading(const char* title, int modbusAddress, int skelderAddress);

    void OnCancel() override;
    // The dialog has no OK button: Enter in its list must not close it past the unsaved
    // question.
    void OnOK() override;
    afx_msg void OnReadDevice();
    afx_msg void OnProgramDevice();
    afx_msg void OnEdit();
    afx_msg void OnCreateNew();
    afx_msg void OnReadFromFile();
    afx_msg void OnWriteToFile();
    afx_msg void OnPrint();
    afx_msg void OnHelpButton();
    afx_msg LRESULT OnHelpRequest(WPARAM wParam, LPARAM lParam);

    bool m_unsaved;   // changes not written to a file
    bool m_empty;     // no setpoints defined yet
    boost::shared_ptr<ModbusEndpoint_t> m_device;
    const SetpointDialogTexts_t& m_texts;

    DECLARE_MESSAGE_MAP()
};
