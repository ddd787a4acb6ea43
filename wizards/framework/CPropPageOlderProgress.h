// The progress page of the older wizards (Ostrel, Varnix, Corandel Duo, Corandel MPPT):
// runs one CModbusProgrammingThread per activation on the page's context, shows the
// thread's lines and ticks, and on success hands the values read back. The wizards
// differ only in the thread they start, the device's name in the texts and what a
// successful read does.
#pragma once
#include "framework/FrameworkBase.h"
#include "wizards/framework/CPropPageProgressBase.h"
#include "wizards/framework/CModbusProgrammingThread.h"
#include "wizards/framework/CRelayProgContext.h"

#include <boost/scoped_ptr.hpp>

struct OlderProgressPage_t
{
    UINT dialogId;             // also the help topic
    UINT listId;
    UINT barId;
    UINT titleId;
    UINT doneTextId;           // "... has been successfully programmed."
    const char* readTitle;     // the title while reading
    const char* writeTitle;    // null keeps the template's text
    const char* failureName;   // "Unable to %s the <failureName>."
    const char* successName;   // "<successName> %s completed successfully."
    const char* createError;   // when the thread cannot be made or started
    bool disableCancelOnDone;
};

class CPropPageOlderProgress : public CPropPageProgressBase
{
    DECLARE_DYNAMIC(CPropPageOlderProgress)
public:
    CPropPageOlderProgress(const OlderProgressPage_t& page, CRelayProgContext* context);
    ~CPropPageOlderProgress() override;

    CModbusProgrammingThread* GetThread() const { return m_thread.get(); }

    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    BOOL OnWizardFinish() override;

protected:
    // A new thread of the wizard's kind; it may throw (a context that reads devices.xml).
    virtual CModbusProgrammingThread* CreateProgrammingThread() = 0;
    // After a read: the page's context takes the thread's copy.
    virtual void OnReadSucceeded(CModbusProgrammingThread& thread);

    CProgrammingThreadBase* CurrentThread() override { return m_thread.get(); }
    void OnCancel() override;
    void StopThread();
    afx_msg LRESULT OnProgFailed(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnProgDone(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

    const OlderProgressPage_t& m_page;
    CRelayProgContext* m_context;
    boost::scoped_ptr<CModbusProgrammingThread> m_thread;
};
