// What the Varnix and MPPT setup dialogs share: the unsaved-changes flag and its
// questions, the setpoint-file dialogs, reading and (safely) writing a whole setpoint
// file, the summary list's columns, and the help button, help request and help command.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CListCtrl.h"
#include "framework/CString.h"
#include "framework/MessageMap.h"
#include "modbus/ModbusEndpoint.h"
#include "shell/CDialogMainWindow.h"

#include <boost/shared_ptr.hpp>

#include <memory>
#include <string>
#include <vector>

class CPropertyPage;

typedef std::vector<std::unique_ptr<CPropertyPage>> WizardPageList_t;

class CDialogSetpointsBase : public CDialogMainWindow
{
public:
    // device may be empty: the dialog was opened without one.
    CDialogSetpointsBase(UINT dialogId, const boost::shared_ptr<ModbusEndpoint_t>& device,
                         CWnd* parent, HICON icon);
    ~CDialogSetpointsBase() override;

    BOOL OnInitDialog() override;

    // The current setpoints are not saved.
    bool modified = false;

protected:
    // Close: asks first when the setpoints are not saved.
    void OnCancel() override;

    // True when nothing is unsaved or the user agrees to the question.
    bool ConfirmDiscard(const char* question);
    // The open or save dialog of the setpoint files; false when cancelled.
    bool ChooseFile(bool open, const char* extension, const char* filter, CString& path);
    // Puts the bytes in place of the setpoint file (ReplaceSettingsFile): true, or false with
    // the error box (notWritten when the file could not be written or put in place) and the
    // old file as it was.
    bool WriteSetpointFile(const CString& path, const std::string& bytes, const char* notWritten);
    // Columns "Setpoint" (200 pixels), "12 V", "24 V", "48 V" sharing what is left after
    // fixedWidth, and "units" (60 pixels) when asked for.
    void SetupSummaryColumns(int fixedWidth, bool withUnits);

    afx_msg void OnHelpButton();
    afx_msg LRESULT OnHelpRequest(WPARAM wParam, LPARAM lParam);
    afx_msg void OnHelpCommand();
    DECLARE_MESSAGE_MAP()

    boost::shared_ptr<ModbusEndpoint_t> m_device;
    CListCtrl m_list;

private:
    UINT m_helpTopic;
};

// A warning shown before a setup: its text, OK and Cancel, and the warning icon.
class CDialogSetupWarning : public CDialogMainWindow
{
public:
    CDialogSetupWarning(UINT dialogId, CWnd* parent, HICON icon);
    BOOL OnInitDialog() override;
};

// Runs a wizard sheet over the pages; they are removed and deleted afterwards. Returns
// how the sheet ended (ID_WIZFINISH or IDCANCEL).
INT_PTR RunWizardSheet(const char* title, CWnd* parent, WizardPageList_t& pages);

// Shows the warning icon in the icon control of a setup or warning dialog.
void ShowWarningIcon(CWnd& dialog);

// The box of a setpoint file that cannot be created.
extern const char* const SETPOINT_FILE_NOT_CREATED;
