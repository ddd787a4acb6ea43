#include "framework/CPropertyPage.h"

#include "framework/CPropertySheet.h"
#include "framework/ResourceHandle.h"

IMPLEMENT_DYNAMIC(CPropertyPage, CDialog)

CPropertyPage::CPropertyPage()
{
    InitPage(nullptr, 0);
}

CPropertyPage::CPropertyPage(UINT nIDTemplate, UINT nIDCaption)
{
    InitPage(MAKEINTRESOURCEA(nIDTemplate), nIDCaption);
    m_nIDHelp = nIDTemplate;
}

CPropertyPage::CPropertyPage(LPCTSTR lpszTemplateName, UINT nIDCaption)
{
    InitPage(lpszTemplateName, nIDCaption);
}

void CPropertyPage::InitPage(LPCTSTR lpszTemplateName, UINT nIDCaption)
{
    m_lpszTemplateName = lpszTemplateName;
    ZeroMemory(&m_psp, sizeof m_psp);
    m_psp.dwSize = sizeof m_psp;
    m_psp.dwFlags = PSP_DEFAULT;
    m_psp.hInstance = AfxGetResourceHandle();
    // From the resource (not indirect), so that a wizard can find a page by its id.
    m_psp.pszTemplate = lpszTemplateName;
    m_psp.pfnDlgProc = &CPropertyPage::PageProc;
    m_psp.lParam = reinterpret_cast<LPARAM>(this);
    if (nIDCaption != 0 && m_strCaption.LoadString(nIDCaption)) {
        m_psp.pszTitle = m_strCaption;
        m_psp.dwFlags |= PSP_USETITLE;
    }
}

INT_PTR CALLBACK CPropertyPage::PageProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_INITDIALOG || CWnd::FromHandlePermanent(hWnd) != nullptr)
        return FALSE;
    // lParam is the sheet's copy of m_psp; its lParam is the page object.
    const PROPSHEETPAGEA* psp = reinterpret_cast<const PROPSHEETPAGEA*>(lParam);
    CPropertyPage* page = psp != nullptr ? reinterpret_cast<CPropertyPage*>(psp->lParam) : nullptr;
    return AttachAndInitDialog(hWnd, page, wParam, lParam);
}

BOOL CPropertyPage::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    const NMHDR* pNMHDR = reinterpret_cast<const NMHDR*>(lParam);
    if (pNMHDR != nullptr && HandleSheetNotification(pNMHDR, pResult)) {
        // The sheet reads some answers from the dialog's result slot.
        ::SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, *pResult);
        return TRUE;
    }
    return CDialog::OnNotify(wParam, lParam, pResult);
}

BOOL CPropertyPage::HandleSheetNotification(const NMHDR* pNMHDR, LRESULT* pResult)
{
    // Only the sheet's own notifications: a control of the page could use the same codes.
    if (m_pSheet == nullptr || pNMHDR->hwndFrom != ::GetParent(m_hWnd))
        return FALSE;
    switch (pNMHDR->code) {
    case PSN_SETACTIVE:
        *pResult = OnSetActive() ? 0 : -1;
        return TRUE;
    case PSN_KILLACTIVE:
        *pResult = OnKillActive() ? FALSE : TRUE;
        return TRUE;
    case PSN_APPLY: {
        const BOOL applied = OnApply();
        if (applied)
            m_pSheet->m_nModalResult = IDOK;
        *pResult = applied ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE;
        return TRUE;
    }
    case PSN_RESET:
        OnReset();
        *pResult = 0;
        return TRUE;
    case PSN_QUERYCANCEL:
        *pResult = OnQueryCancel() ? FALSE : TRUE;
        return TRUE;
    case PSN_WIZBACK:
        *pResult = OnWizardBack();
        return TRUE;
    case PSN_WIZNEXT:
        *pResult = OnWizardNext();
        return TRUE;
    case PSN_HELP:
        // The sheet's Help button.
        RequestHelpCommand();
        *pResult = 0;
        return TRUE;
    case PSN_WIZFINISH: {
        const BOOL finished = OnWizardFinish();
        if (finished)
            m_pSheet->m_nModalResult = ID_WIZFINISH;
        *pResult = finished ? FALSE : TRUE;
        return TRUE;
    }
    default:
        return FALSE;
    }
}

BOOL CPropertyPage::OnSetActive()
{
    if (m_firstSetActive)
        m_firstSetActive = false;
    else
        UpdateData(FALSE);
    return TRUE;
}

BOOL CPropertyPage::OnKillActive()
{
    return UpdateData(TRUE);
}

BOOL CPropertyPage::OnApply()
{
    OnOK();
    return TRUE;
}

void CPropertyPage::OnReset()
{
    OnCancel();
}

BOOL CPropertyPage::OnQueryCancel()
{
    return TRUE;
}

LRESULT CPropertyPage::OnWizardBack()
{
    return 0;
}

LRESULT CPropertyPage::OnWizardNext()
{
    return 0;
}

BOOL CPropertyPage::OnWizardFinish()
{
    return TRUE;
}

// A page never ends a dialog: the sheet owns OK and Cancel.
void CPropertyPage::OnOK()
{
}

void CPropertyPage::OnCancel()
{
}

void CPropertyPage::SetModified(BOOL bChanged)
{
    HWND hWndSheet = ::GetParent(m_hWnd);
    if (hWndSheet != nullptr)
        ::SendMessageA(hWndSheet, bChanged ? PSM_CHANGED : PSM_UNCHANGED, reinterpret_cast<WPARAM>(m_hWnd), 0);
}

void CPropertyPage::CancelToClose()
{
    HWND hWndSheet = ::GetParent(m_hWnd);
    if (hWndSheet != nullptr)
        ::SendMessageA(hWndSheet, PSM_CANCELTOCLOSE, 0, 0);
}

BOOL CPropertyPage::PreTranslateMessage(MSG* pMsg)
{
    return CWnd::PreTranslateMessage(pMsg);
}
