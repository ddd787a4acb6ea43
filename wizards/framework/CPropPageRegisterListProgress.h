// The progress page of the register-list wizards (dialog 461): the older progress page
// with the thread kind of its wizard; after a read each value goes into the settings row
// of its register.
#pragma once
#include "framework/FrameworkBase.h"
#include "wizards/framework/CPropPageOlderProgress.h"
#include "wizards/framework/CRegisterListProgThread.h"
#include "wizards/framework/CStorageVarnixConfig.h"
#include "wizards/framework/CVarnixWizardProgContext.h"

// Page texts of the three register-list wizards.
extern const OlderProgressPage_t VARNIX_PROGRESS_PAGE;
extern const OlderProgressPage_t CORANDEL_DUO_PROGRESS_PAGE;
extern const OlderProgressPage_t CORANDEL_MPPT_PROGRESS_PAGE;

class CPropPageRegisterListProgress : public CPropPageOlderProgress
{
    DECLARE_DYNAMIC(CPropPageRegisterListProgress)
public:
    typedef CRegisterListProgThread* (*ThreadFactory_t)();

    CPropPageRegisterListProgress(const OlderProgressPage_t& page, ThreadFactory_t makeThread,
                                  CVarnixWizardProgContext* context, CStorageVarnixConfig* settings);
    ~CPropPageRegisterListProgress() override;

protected:
    CModbusProgrammingThread* CreateProgrammingThread() override;
    void OnReadSucceeded(CModbusProgrammingThread& thread) override;

private:
    ThreadFactory_t m_makeThread;
    CVarnixWizardProgContext* m_registerContext;
    CStorageVarnixConfig* m_settings;
};

// The thread kinds, for the pages' factories.
CRegisterListProgThread* MakeVarnixProgThread();
CRegisterListProgThread* MakeCorandelDuoProgThread();
CRegisterListProgThread* MakeCorandelMpptProgThread();
