#include "wizards/relay/CPropPageRelayProgProgress.h"

#include "res/pyraxis_relay_resource.h"
#include "wizards/relay/CRelayProgThread.h"

IMPLEMENT_DYNAMIC(CPropPageRelayProgProgress, CPropPageOlderProgress)

const OlderProgressPage_t RELAY_PROGRESS_PAGE = {
    IDD_RELAY_PROG_PROGRESS, IDC_RELAY_PROGRESS_LIST, IDC_RELAY_PROGRESS_BAR, IDC_RELAY_PROGRESS_TITLE,
    IDC_RELAY_PROGRESS_DONE, "Reading ostrel configuration.", nullptr, "ostrel", "Ostrel",
    "* Error: Unable to create Ostrel programming thread.", false};

CPropPageRelayProgProgress::CPropPageRelayProgProgress(CRelayProgContext* context)
    : CPropPageOlderProgress(RELAY_PROGRESS_PAGE, context)
{
}

CModbusProgrammingThread* CPropPageRelayProgProgress::CreateProgrammingThread()
{
    return new CRelayProgThread();
}
