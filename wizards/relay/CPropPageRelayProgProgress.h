// The Ostrel's read and program run (dialog 167): the older wizards' progress page with
// an Ostrel thread; a read brings the four channels back into the page's context.
#pragma once
#include "framework/FrameworkBase.h"
#include "wizards/framework/CPropPageOlderProgress.h"

extern const OlderProgressPage_t RELAY_PROGRESS_PAGE;

class CPropPageRelayProgProgress : public CPropPageOlderProgress
{
    DECLARE_DYNAMIC(CPropPageRelayProgProgress)
public:
    explicit CPropPageRelayProgProgress(CRelayProgContext* context);

protected:
    CModbusProgrammingThread* CreateProgrammingThread() override;
};
