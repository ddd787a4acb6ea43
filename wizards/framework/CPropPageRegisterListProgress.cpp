#include "wizards/framework/CPropPageRegisterListProgress.h"

#include "res/pyraxis_wizards_resource.h"
#include "wizards/framework/SettingsRegisterList.h"

IMPLEMENT_DYNAMIC(CPropPageRegisterListProgress, CPropPageOlderProgress)

namespace
{
const char* const CREATE_ERROR = "* Error: Unable to create programming thread.";
}

const OlderProgressPage_t VARNIX_PROGRESS_PAGE = {
    IDD_WIZARD_PROGRESS, IDC_WIZARD_PROGRESS_LIST, IDC_WIZARD_PROGRESS_BAR, IDC_WIZARD_PROGRESS_TITLE, IDC_WIZARD_PROGRESS_DONE,
    "Reading Varnix configuration.", "Writing Varnix configuration.", "Varnix", "Varnix", CREATE_ERROR, false};
const OlderProgressPage_t CORANDEL_DUO_PROGRESS_PAGE = {
    IDD_WIZARD_PROGRESS, IDC_WIZARD_PROGRESS_LIST, IDC_WIZARD_PROGRESS_BAR, IDC_WIZARD_PROGRESS_TITLE, IDC_WIZARD_PROGRESS_DONE,
    "Reading Corandel Duo configuration.", "Writing Corandel Duo configuration.", "Corandel Duo", "Corandel Duo",
    CREATE_ERROR, true};
const OlderProgressPage_t CORANDEL_MPPT_PROGRESS_PAGE = {
    IDD_WIZARD_PROGRESS, IDC_WIZARD_PROGRESS_LIST, IDC_WIZARD_PROGRESS_BAR, IDC_WIZARD_PROGRESS_TITLE, IDC_WIZARD_PROGRESS_DONE,
    "Reading Corandel MPPT configuration.", "Writing Corandel MPPT configuration.", "Corandel MPPT", "Corandel MPPT",
    CREATE_ERROR, true};

CPropPageRegisterListProgress::CPropPageRegisterListProgress(const OlderProgressPage_t& page,
                                                             ThreadFactory_t makeThread,
                                                             CVarnixWizardProgContext* context,
                                                             CStorageVarnixConfig* settings)
    : CPropPageOlderProgress(page, context), m_makeThread(makeThread), m_registerContext(context), m_settings(settings)
{
}

CPropPageRegisterListProgress::~CPropPageRegisterListProgress()
{
}

CModbusProgrammingThread* CPropPageRegisterListProgress::CreateProgrammingThread()
{
    return m_makeThread();
}

void CPropPageRegisterListProgress::OnReadSucceeded(CModbusProgrammingThread& thread)
{
    CPropPageOlderProgress::OnReadSucceeded(thread);
    StoreReadRegisters(m_registerContext->registers, *m_settings);
}

CRegisterListProgThread* MakeVarnixProgThread()
{
    return new CVarnixWizProgThread();
}

CRegisterListProgThread* MakeCorandelDuoProgThread()
{
    return new CCorandelWizProgThread();
}

CRegisterListProgThread* MakeCorandelMpptProgThread()
{
    return new CCorandelMpptProgThread();
}
