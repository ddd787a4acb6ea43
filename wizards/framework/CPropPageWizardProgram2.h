// The newer wizards' progress page (dialog 461): runs one CWizardProgrammingThread each
// time it becomes active and shows the thread's lines and progress.
#pragma once
#include "framework/FrameworkBase.h"
#include "wizards/framework/CPropPageProgressBase.h"
#include "framework/CStatic.h"
#include "wizards/framework/CWizardProgrammingContext.h"
#include "wizards/framework/CWizardProgrammingThread.h"

#include <boost/scoped_ptr.hpp>

class CPropPageWizardProgram2 : public CPropPageProgressBase
{
    DECLARE_DYNAMIC(CPropPageWizardProgram2)
public:
    explicit CPropPageWizardProgram2(const CWizardProgrammingContextPtr& context);
    ~CPropPageWizardProgram2() override;

    // The thread of the last activation (null before the first).
    CWizardProgrammingThread* GetThread() const { return m_thread.get(); }

    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    BOOL OnWizardFinish() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    CProgrammingThreadBase* CurrentThread() override { return m_thread.get(); }
    void OnCancel() override;
    afx_msg LRESULT OnProgFailed(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnProgDone(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

    CStatic m_doneText;
    CStatic m_title;
    CWizardProgrammingContextPtr m_context;
    boost::scoped_ptr<CWizardProgrammingThread> m_thread;
};
