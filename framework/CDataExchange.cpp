#include "framework/CDataExchange.h"

#include "framework/CNotSupportedException.h"
#include "framework/CUserException.h"
#include "framework/CWnd.h"

CDataExchange::CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
    : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd)
{
}

HWND CDataExchange::PrepareCtrl(int nIDC)
{
    HWND hWndCtrl = ::GetDlgItem(m_pDlgWnd->GetSafeHwnd(), nIDC);
    if (hWndCtrl == nullptr) {
        TRACE("data exchange: no control %d\n", nIDC);
        AfxThrowNotSupportedException();
    }
    m_idLastControl = static_cast<UINT>(nIDC);
    m_bEditLastControl = FALSE;
    return hWndCtrl;
}

HWND CDataExchange::PrepareEditCtrl(int nIDC)
{
    HWND hWndCtrl = PrepareCtrl(nIDC);
    m_bEditLastControl = TRUE;
    return hWndCtrl;
}

void CDataExchange::Fail()
{
    // Only a failed save is the user's to correct; a failed load leaves the focus alone.
    if (m_bSaveAndValidate && m_idLastControl != 0) {
        HWND hDlg = m_pDlgWnd->GetSafeHwnd();
        HWND hWndCtrl = ::GetDlgItem(hDlg, static_cast<int>(m_idLastControl));
        if (hWndCtrl != nullptr) {
            // WM_NEXTDLGCTL keeps the dialog manager's idea of the focus in step.
            ::SendMessageA(hDlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(hWndCtrl), TRUE);
            if (::GetFocus() != hWndCtrl)
                ::SetFocus(hWndCtrl);
            if (m_bEditLastControl)
                ::SendMessageA(hWndCtrl, EM_SETSEL, 0, -1);
        }
    }
    AfxThrowUserException();
}
