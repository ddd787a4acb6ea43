#include "wizards/framework/CPropPageWizardProgram2.h"

#include "framework/CPropertySheet.h"
#include "framework/CWaitCursor.h"
#include "framework/DataExchange.h"
#include "framework/MessageBoxHook.h"
#include "res/pyraxis_wizards_resource.h"
#include "wizards/framework/CPropertySheetDipSwitch.h"
#include "wizards/framework/ProgrammingMessages.h"
#include "wizards/framework/ProgressListHandlers.h"
#include "shell/HelpCommands.h"

#include <cstdio>
#include <string>

IMPLEMENT_DYNAMIC(CPropPageWizardProgram2, CPropPageProgressBase)

BEGIN_MESSAGE_MAP(CPropPageWizardProgram2, CPropPageProgressBase)
    ON_MESSAGE(WM_APP_PROG_FAILED, OnProgFailed)
    ON_MESSAGE(WM_APP_PROG_DONE, OnProgDone)
END_MESSAGE_MAP()

namespace
{
// Modbus exception 1 (illegal function): a device that refuses writes over Ethernet.
const WPARAM ILLEGAL_FUNCTION_CODE = 0x8001;
}

CPropPageWizardProgram2::CPropPageWizardProgram2(const CWizardProgrammingContextPtr& context)
    : CPropPageProgressBase(IDD_WIZARD_PROGRESS, IDC_WIZARD_PROGRESS_LIST, IDC_WIZARD_PROGRESS_BAR,
                            IDC_WIZARD_PROGRESS_DONE), m_context(context)
{
}

CPropPageWizardProgram2::~CPropPageWizardProgram2()
{
    m_thread.reset();
    m_context.reset();
}

void CPropPageWizardProgram2::DoDataExchange(CDataExchange* pDX)
{
    CPropPageProgressBase::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_WIZARD_PROGRESS_DONE, m_doneText);
    DDX_Control(pDX, IDC_WIZARD_PROGRESS_TITLE, m_title);
}

BOOL CPropPageWizardProgram2::OnInitDialog()
{
    CPropPageProgressBase::OnInitDialog();
    m_progress.SetRange(0, 100);
    const std::string title =
        std::string(m_context->isRead ? "Reading" : "Writing") + " " + m_context->deviceText + " configuration.";
    m_title.SetWindowText(title.c_str());
    return TRUE;
}

BOOL CPropPageWizardProgram2::OnSetActive()
{
    if (!CPropPageProgressBase::OnSetActive())
        return FALSE;
    GetSheet()->SetWizardButtons(PSWIZB_BACK);
    ResetForRun();
    // The thread of an earlier activation is stopped as it goes.
    m_thread.reset(new CWizardProgrammingThread());
    if (!m_thread->Start(m_hWnd, m_context))
    {
        AfxMessageBox("* Error: Unable to create programming thread.", MB_ICONHAND);
        return FALSE;
    }
    return TRUE;
}

BOOL CPropPageWizardProgram2::OnWizardFinish()
{
    m_thread.reset();
    return CPropPageProgressBase::OnWizardFinish();
}

void CPropPageWizardProgram2::OnCancel()
{
    m_thread.reset();
    CPropPageProgressBase::OnCancel();
}

LRESULT CPropPageWizardProgram2::OnProgFailed(WPARAM wParam, LPARAM)
{
    const char* device = m_context->deviceText.c_str();
    if (m_context->isRead || m_context->comPort >= 0 || wParam != ILLEGAL_FUNCTION_CODE)
    {
        ReportRunFailed(m_list, RunVerb(m_context->isRead), device);
        return 0;
    }
    char text[512];
    std::snprintf(text, sizeof text, "Unable to %s the %s.", RunVerb(false), device);
    m_list.AddString(text);
    m_list.AddString("Control appears to be in read-only mode via Ethernet.");
    std::snprintf(text, sizeof text,
                  "Error: it appears the %s has writes via Ethernet\ndisabled with its security DIP switch.  "
                  "Please see the\nproduct documentation about changing the security switch.",
                  device);
    AfxMessageBox(text, MB_ICONHAND);
    return 0;
}

LRESULT CPropPageWizardProgram2::OnProgDone(WPARAM, LPARAM)
{
    ShowDoneText(m_context->isRead);
    ReportRunCompleted(GetSheet(), m_list, m_progress, m_context->deviceText.c_str(), m_context->isRead, true);
    return 0;
}

