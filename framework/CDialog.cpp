#include "framework/CDialog.h"

#include "framework/CException.h"
#include "framework/CommonControls.h"
#include "framework/CUserException.h"
#include "framework/CWinApp.h"
#include "framework/ModalMessageLoop.h"
#include "framework/ResourceHandle.h"

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_MESSAGE(WM_INITDIALOG, HandleInitDialog)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
    ON_WM_HELPINFO()
END_MESSAGE_MAP()

CDialog::CDialog() = default;

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_lpszTemplateName(MAKEINTRESOURCEA(nIDTemplate)), m_nIDHelp(nIDTemplate), m_pParentWnd(pParentWnd)
{
}

CDialog::CDialog(LPCTSTR lpszTemplateName, CWnd* pParentWnd)
    : m_lpszTemplateName(lpszTemplateName), m_pParentWnd(pParentWnd)
{
}

CDialog::~CDialog()
{
    // The object goes first: the window must not call into it afterwards.
    if (m_hWnd != nullptr && CWnd::FromHandlePermanent(m_hWnd) == this)
        DestroyWindow();
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Once attached, AfxWndProc sits in front of the dialog manager and sees every
    // message first; what it passes on arrives here and gets the default handling.
    if (message != WM_INITDIALOG || CWnd::FromHandlePermanent(hWnd) != nullptr)
        return FALSE;
    return AttachAndInitDialog(hWnd, reinterpret_cast<CDialog*>(lParam), wParam, lParam);
}

INT_PTR CDialog::AttachAndInitDialog(HWND hWnd, CDialog* pDialog, WPARAM wParam, LPARAM lParam)
{
    if (pDialog == nullptr || !pDialog->SubclassWindow(hWnd))
        return TRUE;
    return AfxWndProc(hWnd, WM_INITDIALOG, wParam, lParam);
}

LRESULT CDialog::HandleInitDialog(WPARAM, LPARAM)
{
    // A failed initialisation ends the dialog instead of leaving it half set up.
    try {
        return OnInitDialog();
    } catch (CException* e) {
        e->Delete();
    } catch (...) {
    }
    if (m_inModalLoop)
        EndDialog(-1);
    else
        ::DestroyWindow(m_hWnd);
    return FALSE;
}

BOOL CDialog::CreateFromTemplate(HWND hWndParent)
{
    if (m_lpszTemplateName == nullptr || m_hWnd != nullptr)
        return FALSE;
    // Templates may hold common controls.
    AfxInitCommonControls();
    HWND hWnd = ::CreateDialogParamA(AfxGetResourceHandle(), m_lpszTemplateName, hWndParent,
                                     &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    return hWnd != nullptr && m_hWnd == hWnd;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd)
{
    return Create(MAKEINTRESOURCEA(nIDTemplate), pParentWnd);
}

BOOL CDialog::Create(LPCTSTR lpszTemplateName, CWnd* pParentWnd)
{
    m_lpszTemplateName = lpszTemplateName;
    if (IS_INTRESOURCE(lpszTemplateName) && m_nIDHelp == 0)
        m_nIDHelp = static_cast<UINT>(reinterpret_cast<UINT_PTR>(lpszTemplateName));
    if (pParentWnd != nullptr)
        m_pParentWnd = pParentWnd;
    // A given parent stays as it is (a child dialog keeps its child parent).
    HWND hWndParent = m_pParentWnd != nullptr ? m_pParentWnd->GetSafeHwnd()
                                              : ModalMessageLoop::DefaultOwner(nullptr, this);
    return CreateFromTemplate(hWndParent);
}

INT_PTR CDialog::DoModal()
{
    HWND hWndParent = m_pParentWnd != nullptr ? m_pParentWnd->GetSafeHwnd() : nullptr;
    HWND hWndOwner = ModalMessageLoop::DefaultOwner(hWndParent, this);

    ModalMessageLoop loop(hWndOwner);
    m_inModalLoop = true;
    m_modalEnded = false;
    m_nModalResult = -1;
    if (!CreateFromTemplate(hWndOwner)) {
        m_inModalLoop = false;
        return m_modalEnded ? m_nModalResult : -1;
    }
    if (!m_modalEnded) {
        if (!IsWindowVisible())
            ShowWindow(SW_SHOWNORMAL);
        if (!loop.Run(this, [this] { return m_modalEnded; }) && !m_modalEnded)
            m_nModalResult = IDCANCEL;   // the application is quitting
    }
    m_inModalLoop = false;

    loop.CloseModalWindow(this);
    return m_nModalResult;
}

void CDialog::EndDialog(int nResult)
{
    if (m_inModalLoop) {
        m_nModalResult = nResult;
        m_modalEnded = true;
        // Wakes the loop if it waits for a message.
        if (m_hWnd != nullptr)
            ::PostMessageA(m_hWnd, WM_NULL, 0, 0);
        return;
    }
    if (m_hWnd != nullptr)
        ::EndDialog(m_hWnd, nResult);
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialog::OnHelp()
{
    if (CWinApp* app = AfxGetApp())
        app->HtmlHelp(m_nIDHelp, 0x000F /* HH_HELP_CONTEXT */);
}

void CDialog::GotoDlgCtrl(CWnd* pWndCtrl)
{
    if (pWndCtrl != nullptr && m_hWnd != nullptr)
        ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(pWndCtrl->GetSafeHwnd()), TRUE);
}

void CDialog::NextDlgCtrl() const
{
    ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, 0, FALSE);
}

void CDialog::PrevDlgCtrl() const
{
    ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, 1, FALSE);
}

void CDialog::SetDefID(UINT nID)
{
    ::SendMessageA(m_hWnd, DM_SETDEFID, nID, 0);
}

DWORD CDialog::GetDefID() const
{
    return static_cast<DWORD>(::SendMessageA(m_hWnd, DM_GETDEFID, 0, 0));
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg)
{
    if (CWnd::PreTranslateMessage(pMsg))
        return TRUE;
    // Keyboard navigation (tab, arrows, Enter, Escape) of the dialog's own controls.
    if (pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST)
        return ::IsDialogMessageA(m_hWnd, pMsg);
    return FALSE;
}
