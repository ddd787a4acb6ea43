#include "loader/CWizConnect.h"

#include "framework/CPropertySheet.h"
#include "framework/MessageBoxHook.h"
#include "loader/EmphasisFont.h"
#include "loader/ProgrammingThread.h"
#include "res/tolmera_resource.h"

#include <cmath>
#include <cstring>

namespace {

const DWORD kStopWaitMs = 5000;
const int kSearchStep = 5;
const int kSearchFallBack = 90;

} // namespace

BEGIN_MESSAGE_MAP(CWizConnect, CPropertyPage)
    ON_MESSAGE(WM_APP_LOAD_LOG, OnLoadLog)
    ON_MESSAGE(WM_APP_LOAD_FAILED, OnLoadFailed)
    ON_MESSAGE(WM_APP_LOAD_PROGRESS, OnLoadProgress)
    ON_MESSAGE(WM_APP_LOAD_DONE, OnLoadDone)
    ON_MESSAGE(WM_APP_LOAD_SEARCHING, OnLoadSearching)
    ON_MESSAGE(WM_APP_LOAD_STARTED, OnLoadStarted)
END_MESSAGE_MAP()

CWizConnect::CWizConnect(ProgrammingSettings* settings, int verbosity)
    : CPropertyPage(IDD_WIZ_CONNECT), m_settings(settings), m_verbosity(verbosity)
{
}

CWizConnect::~CWizConnect()
{
    StopThread();
}

int CWizConnect::EstimateMinutes(size_t records, bool meter)
{
    const float recordsPerSecond = meter ? 13.0f : 41.0f;
    return static_cast<int>(std::ceil(static_cast<float>(records) / recordsPerSecond / 60.0f));
}

CString CWizConnect::EstimateText(size_t records, bool meter)
{
    const int minutes = EstimateMinutes(records, meter);
    CString text;
    text.Format("This will take approximately %i minute%s.", minutes, minutes > 1 ? "s" : "");
    return text;
}

BOOL CWizConnect::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    GetDlgItemText(IDC_CONNECT_INSTRUCTION, m_instructionTemplate);
    if (CreateEmphasisFont(*this, m_instructionFont))
        SendDlgItemMessage(IDC_CONNECT_INSTRUCTION, WM_SETFONT,
                           reinterpret_cast<WPARAM>(static_cast<HFONT>(m_instructionFont)), TRUE);
    SendDlgItemMessage(IDC_CONNECT_PROGRESS, PBM_SETRANGE32, 0, 100);
    SendDlgItemMessage(IDC_CONNECT_SUCCESS_ICON, STM_SETICON,
                       reinterpret_cast<WPARAM>(::LoadIconA(nullptr, MAKEINTRESOURCEA(32516) /* IDI_ASTERISK */)));
    SendDlgItemMessage(IDC_CONNECT_FAILURE_ICON, STM_SETICON,
                       reinterpret_cast<WPARAM>(::LoadIconA(nullptr, MAKEINTRESOURCEA(32513) /* IDI_HAND */)));
    GetDlgItem(IDC_CONNECT_SUCCESS_ICON)->ShowWindow(SW_HIDE);
    GetDlgItem(IDC_CONNECT_FAILURE_ICON)->ShowWindow(SW_HIDE);
    GetDlgItem(IDC_CONNECT_LOG)->ShowWindow(m_verbosity > 0 ? SW_SHOW : SW_HIDE);
    return TRUE;
}

BOOL CWizConnect::OnSetActive()
{
    GetSheet()->SetWizardButtons(PSWIZB_BACK);
    CString instruction;
    if (m_settings->IsMeter()) {
        instruction.Format("Please plug the %s into the controller now.",
                           static_cast<LPCTSTR>(m_settings->GetProductName()));
    } else {
        instruction = m_instructionTemplate;
        instruction.Replace("%p", m_settings->GetProductName());
    }
    SetDlgItemText(IDC_CONNECT_INSTRUCTION, instruction);
    SendDlgItemMessage(IDC_CONNECT_PROGRESS, PBM_SETPOS, 0);
    SendDlgItemMessage(IDC_CONNECT_LOG, LB_RESETCONTENT);

    StopThread();
    m_busy = true;
    m_thread.reset(new ProgrammingThread());
    if (!m_thread->Start(m_hWnd, *m_settings)) {
        m_thread.reset();
        AddLogLine("* Error: Unable to create device programming thread.");
        ::PostQuitMessage(0);
    }
    return CPropertyPage::OnSetActive();
}

void CWizConnect::StopThread()
{
    if (m_thread) {
        m_thread->Stop(kStopWaitMs);
        m_thread.reset();
    }
}

void CWizConnect::AddLogLine(LPCTSTR text)
{
    while (SendDlgItemMessage(IDC_CONNECT_LOG, LB_GETCOUNT) > MaxLogLines)
        SendDlgItemMessage(IDC_CONNECT_LOG, LB_DELETESTRING, 0);
    const LRESULT item = SendDlgItemMessage(IDC_CONNECT_LOG, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    if (item >= 0)
        SendDlgItemMessage(IDC_CONNECT_LOG, LB_SETTOPINDEX, static_cast<WPARAM>(item));
}

void CWizConnect::SetButtonsNow(DWORD buttons)
{
    ::SendMessageA(GetSheet()->GetSafeHwnd(), PSM_SETWIZBUTTONS, 0, static_cast<LPARAM>(buttons));
}

LRESULT CWizConnect::OnLoadLog(WPARAM wParam, LPARAM lParam)
{
    // Lines often come in bursts, and under Wine every change of a visible list box costs
    // milliseconds: the lines queued right behind this one are added with the list's
    // drawing off, and it is drawn once. Only lines that are next in the queue are taken,
    // so the log keeps its order with the run's other messages.
    CWnd* list = GetDlgItem(IDC_CONNECT_LOG);
    MSG next;
    const bool burst = list != nullptr &&
                       ::PeekMessageA(&next, nullptr, 0, 0, PM_NOREMOVE | PM_NOYIELD) &&
                       next.hwnd == m_hWnd && next.message == WM_APP_LOAD_LOG;
    if (burst)
        list->SendMessage(WM_SETREDRAW, FALSE);
    AddPostedLogLine(wParam, lParam);
    for (int taken = 0; burst && taken < MaxLogLines; ++taken) {
        if (!::PeekMessageA(&next, nullptr, 0, 0, PM_NOREMOVE | PM_NOYIELD) || next.hwnd != m_hWnd ||
            next.message != WM_APP_LOAD_LOG ||
            !::PeekMessageA(&next, m_hWnd, WM_APP_LOAD_LOG, WM_APP_LOAD_LOG, PM_REMOVE | PM_NOYIELD))
            break;
        AddPostedLogLine(next.wParam, next.lParam);
    }
    if (burst) {
        list->SendMessage(WM_SETREDRAW, TRUE);
        list->Invalidate();
    }
    return 0;
}

void CWizConnect::AddPostedLogLine(WPARAM wParam, LPARAM lParam)
{
    char* text = reinterpret_cast<char*>(wParam);
    if (text != nullptr && lParam < MaxLogTextLength && strlen(text) < static_cast<size_t>(MaxLogTextLength)) {
        // Some lines end in a line feed, which a list box would show as a box.
        CString line(text);
        line.TrimRight("\r\n");
        AddLogLine(line);
    }
    delete[] text;
}

LRESULT CWizConnect::OnLoadSearching(WPARAM, LPARAM)
{
    const int position = static_cast<int>(SendDlgItemMessage(IDC_CONNECT_PROGRESS, PBM_GETPOS));
    const int next = position + kSearchStep < 100 ? position + kSearchStep : position - kSearchFallBack;
    SendDlgItemMessage(IDC_CONNECT_PROGRESS, PBM_SETPOS, next);
    return 0;
}

LRESULT CWizConnect::OnLoadStarted(WPARAM, LPARAM)
{
    const CString product = m_settings->GetProductName();
    SetButtonsNow(0);
    CString text;
    text.Format("Step 4 - Updaing %s", static_cast<LPCTSTR>(product));
    GetSheet()->SetTitle(text);
    text.Format("Updating %s", static_cast<LPCTSTR>(product));
    SetDlgItemText(IDC_CONNECT_INSTRUCTION, text);
    SetDlgItemText(IDC_CONNECT_STATUS, EstimateText(m_settings->records.size(), m_settings->IsMeter()));
    return 0;
}

LRESULT CWizConnect::OnLoadProgress(WPARAM wParam, LPARAM lParam)
{
    const long long total = static_cast<long long>(lParam);
    if (total > 0)
        SendDlgItemMessage(IDC_CONNECT_PROGRESS, PBM_SETPOS,
                           static_cast<WPARAM>(static_cast<long long>(wParam) * 100 / total));
    return 0;
}

LRESULT CWizConnect::OnLoadDone(WPARAM, LPARAM)
{
    const CString product = m_settings->GetProductName();
    CString text;
    AddLogLine("");
    text.Format("%s programming completed successfully", static_cast<LPCTSTR>(product));
    AddLogLine(text);
    text.Format("Your %s has now been upgraded.", static_cast<LPCTSTR>(product));
    AddLogLine(text);
    m_busy = false;
    text.Format("Step 5 - %s Updated Successfully", static_cast<LPCTSTR>(product));
    GetSheet()->SetTitle(text);
    ShowOutcome(true);
    text.Format("%s updated successfully", static_cast<LPCTSTR>(product));
    SetDlgItemText(IDC_CONNECT_INSTRUCTION, text);
    SetDlgItemText(IDC_CONNECT_STATUS,
                   "Important: Remember to turn product off and then back on to resume normal operation.");
    return 0;
}

LRESULT CWizConnect::OnLoadFailed(WPARAM, LPARAM)
{
    const CString product = m_settings->GetProductName();
    AddLogLine("Unable to program the QV control.");
    AddLogLine("Please restart the program and try again.");
    AddLogLine("If the problem persists, contact Quorvant Technical Support.");
    m_busy = false;
    CString text;
    text.Format("Step 5 - %s Update Failed", static_cast<LPCTSTR>(product));
    GetSheet()->SetTitle(text);
    ShowOutcome(false);
    text.Format("%s update failed!", static_cast<LPCTSTR>(product));
    SetDlgItemText(IDC_CONNECT_INSTRUCTION, text);
    SetDlgItemText(IDC_CONNECT_STATUS, "Please turn off product, check cable connections, and try again.");
    return 0;
}

void CWizConnect::ShowOutcome(bool success)
{
    SetButtonsNow(PSWIZB_FINISH);
    GetSheet()->SetFinishText("Exit");
    HWND sheet = GetSheet()->GetSafeHwnd();
    const int otherButtons[] = {ID_WIZBACK, ID_WIZNEXT, IDCANCEL};
    for (int id : otherButtons) {
        HWND button = ::GetDlgItem(sheet, id);
        if (button != nullptr)
            ::EnableWindow(button, FALSE);
    }
    HWND finish = ::GetDlgItem(sheet, ID_WIZFINISH);
    if (finish != nullptr) {
        ::ShowWindow(finish, SW_SHOW);
        ::EnableWindow(finish, TRUE);
    }
    GetDlgItem(IDC_CONNECT_PROGRESS)->ShowWindow(SW_HIDE);
    GetDlgItem(success ? IDC_CONNECT_SUCCESS_ICON : IDC_CONNECT_FAILURE_ICON)->ShowWindow(SW_SHOW);
}

LRESULT CWizConnect::OnWizardBack()
{
    GetSheet()->SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
    StopThread();
    return 0;
}

BOOL CWizConnect::OnWizardFinish()
{
    StopThread();
    return TRUE;
}

BOOL CWizConnect::OnQueryCancel()
{
    if (m_busy && AfxMessageBox("Are you sure you want to cancel the programming operation?",
                                MB_YESNO | MB_ICONQUESTION) != IDYES)
        return FALSE;
    StopThread();
    return TRUE;
}
