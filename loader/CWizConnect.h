// Step 3 and after: runs the programming thread and shows its progress, its log and the
// outcome. The page owns the thread of the current run.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CFont.h"
#include "framework/CPropertyPage.h"
#include "framework/CString.h"
#include "loader/ProgrammingSettings.h"

#include <memory>

class ProgrammingThread;

class CWizConnect : public CPropertyPage
{
public:
    // The log list is shown only when verbosity is above 0.
    CWizConnect(ProgrammingSettings* settings, int verbosity);
    ~CWizConnect() override;

    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    LRESULT OnWizardBack() override;
    BOOL OnWizardFinish() override;
    BOOL OnQueryCancel() override;

    bool IsBusy() const { return m_busy; }

    // Whole minutes a run of this many records takes, rounded up (13 records a second
    // through a meter's pass-through, 41 otherwise).
    static int EstimateMinutes(size_t records, bool meter);
    static CString EstimateText(size_t records, bool meter);

    static const int MaxLogLines = 1024;
    static const int MaxLogTextLength = 512;

protected:
    afx_msg LRESULT OnLoadLog(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnLoadFailed(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnLoadProgress(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnLoadDone(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnLoadSearching(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnLoadStarted(WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()

private:
    void StopThread();
    void AddLogLine(LPCTSTR text);
    // A line the programming thread posted: added when it is short enough, then freed.
    void AddPostedLogLine(WPARAM wParam, LPARAM lParam);
    // Sent rather than posted: a button change queued behind the run's last message
    // would undo the Exit button.
    void SetButtonsNow(DWORD buttons);
    // The end of a run: only the Finish button, labelled "Exit", stays usable.
    void ShowOutcome(bool success);

    ProgrammingSettings* m_settings;
    int m_verbosity;
    std::unique_ptr<ProgrammingThread> m_thread;
    bool m_busy = true;
    CString m_instructionTemplate;
    CFont m_instructionFont;
};
