#include "wizards/framework/CPropPageOlderProgress.h"

#include "framework/CPropertySheet.h"
#include "framework/CWaitCursor.h"
#include "framework/DataExchange.h"
#include "framework/MessageBoxHook.h"
#include "wizards/framework/CPropertySheetDipSwitch.h"
#include "wizards/framework/ProgrammingMessages.h"
#include "wizards/framework/ProgressListHandlers.h"
#include "shell/HelpCommands.h"

#include <exception>

IMPLEMENT_DYNAMIC(CPropPageOlderProgress, CPropPageProgressBase)

BEGIN_MESSAGE_MAP(CPropPageOlderProgress, CPropPageProgressBase)
    ON_MESSAGE(WM_APP_PROG_FAILED, OnProgFailed)
    ON_MESSAGE(WM_APP_PROG_DONE, OnProgDone)
END_MESSAGE_MAP()

CPropPageOlderProgress::CPropPageOlderProgress(const OlderProgressPage_t& page, CRelayProgContext* context)
    : CPropPageProgressBase(page.dialogId, page.listId, page.barId, page.doneTextId), m_page(page), m_context(context)
{
}

CPropPageOlderProgress::~CPropPageOlderProgress()
{
    StopThread();
}

BOOL CPropPageOlderProgress::OnInitDialog()
{
    CPropPageProgressBase::OnInitDialog();
    m_progress.SetRange(0, 100);
    const char* title = m_context->isRead ? m_page.readTitle : m_page.writeTitle;
    if (title != nullptr)
        SetDlgItemText(m_page.titleId, title);
    return TRUE;
}

void CPropPageOlderProgress::StopThread()
{
    if (m_thread)
        m_thread->Stop(5000);
    m_thread.reset();
}

BOOL CPropPageOlderProgress::OnSetActive()
{
    if (!CPropPageProgressBase::OnSetActive())
        return FALSE;
    GetSheet()->SetWizardButtons(PSWIZB_BACK);
    ResetForRun();
    StopThread();
    try
    {
        m_thread.reset(CreateProgrammingThread());
    }
    catch (const std::exception&)
    {
        m_thread.reset();
    }
    if (!m_thread || !m_thread->Start(m_hWnd, *m_context))
    {
        m_thread.reset();
        AfxMessageBox(m_page.createError, MB_ICONHAND);
        return FALSE;
    }
    return TRUE;
}

BOOL CPropPageOlderProgress::OnWizardFinish()
{
    StopThread();
    return CPropPageProgressBase::OnWizardFinish();
}

void CPropPageOlderProgress::OnCancel()
{
    StopThread();
    CPropPageProgressBase::OnCancel();
}

void CPropPageOlderProgress::OnReadSucceeded(CModbusProgrammingThread& thread)
{
    m_context->Assign(thread.GetContext());
}

LRESULT CPropPageOlderProgress::OnProgFailed(WPARAM, LPARAM)
{
    ReportRunFailed(m_list, RunVerb(m_context->isRead), m_page.failureName);
    return 0;
}

LRESULT CPropPageOlderProgress::OnProgDone(WPARAM, LPARAM)
{
    // The thread has posted its last message: its copy of the context is final.
    if (m_context->isRead && m_thread)
        OnReadSucceeded(*m_thread);
    ShowDoneText(m_context->isRead);
    ReportRunCompleted(GetSheet(), m_list, m_progress, m_page.successName, m_context->isRead,
                       m_page.disableCancelOnDone);
    return 0;
}

