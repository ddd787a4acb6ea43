#include "wizards/framework/CPropPageProgressBase.h"

#include "framework/CPropertySheet.h"
#include "framework/CWaitCursor.h"
#include "framework/DataExchange.h"
#include "shell/HelpCommands.h"
#include "wizards/framework/CPropertySheetDipSwitch.h"
#include "wizards/framework/ProgrammingMessages.h"
#include "wizards/framework/ProgressListHandlers.h"

IMPLEMENT_DYNAMIC(CPropPageProgressBase, CPropertyPage)

BEGIN_MESSAGE_MAP(CPropPageProgressBase, CPropertyPage)
    ON_MESSAGE(WM_APP_PROG_TEXT, OnProgText)
    ON_MESSAGE(WM_APP_PROG_PROGRESS, OnProgProgress)
    ON_MESSAGE(WM_APP_PROG_TICK, OnProgTick)
    ON_MESSAGE(WM_APP_HELP_REQUEST, OnPageHelp)
END_MESSAGE_MAP()

CPropPageProgressBase::CPropPageProgressBase(UINT dialogId, UINT listId, UINT barId, UINT doneTextId)
    : CPropertyPage(dialogId), m_dialogId(dialogId), m_listId(listId), m_barId(barId), m_doneTextId(doneTextId)
{
}

CPropPageProgressBase::~CPropPageProgressBase()
{
}

void CPropPageProgressBase::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, m_listId, m_list);
    DDX_Control(pDX, m_barId, m_progress);
}

BOOL CPropPageProgressBase::OnInitDialog()
{
    const BOOL result = CPropertyPage::OnInitDialog();
    ShowDoneTextWindow(false);
    return result;
}

void CPropPageProgressBase::ResetForRun()
{
    m_list.ResetContent();
    m_progress.SetPos(0);
    // "...successfully programmed." must not stand above a run that is going on or failed.
    ShowDoneTextWindow(false);
}

void CPropPageProgressBase::ShowDoneText(bool wasRead)
{
    ShowDoneTextWindow(!wasRead);
}

void CPropPageProgressBase::ShowDoneTextWindow(bool show)
{
    if (CWnd* done = GetDlgItem(m_doneTextId))
        done->ShowWindow(show ? SW_SHOW : SW_HIDE);
}

LRESULT CPropPageProgressBase::OnWizardBack()
{
    if (CProgrammingThreadBase* thread = CurrentThread())
    {
        CWaitCursor wait;
        thread->Stop(5000);
    }
    GetSheet()->SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
    return CPropertyPage::OnWizardBack();
}

LRESULT CPropPageProgressBase::OnProgText(WPARAM wParam, LPARAM lParam)
{
    AddProgressText(m_list, wParam, lParam);
    return 0;
}

LRESULT CPropPageProgressBase::OnProgProgress(WPARAM wParam, LPARAM lParam)
{
    SetProgressFraction(m_progress, wParam, lParam);
    return 0;
}

LRESULT CPropPageProgressBase::OnProgTick(WPARAM, LPARAM)
{
    AdvanceProgressTick(m_progress);
    return 0;
}

// A help request is a message of its own: it never reaches the failure handling.
LRESULT CPropPageProgressBase::OnPageHelp(WPARAM, LPARAM)
{
    ShowHelpTextPopup(m_dialogId);
    return 1;
}
