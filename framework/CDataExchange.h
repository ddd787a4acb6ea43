// One transfer between a dialog's controls and its member variables, in either
// direction. The DDX_/DDV_ helpers (DataExchange.h) take it as their first argument.
#pragma once
#include "framework/FrameworkBase.h"

class CWnd;

class CDataExchange
{
public:
    // bSaveAndValidate TRUE: controls to variables, with validation.
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate);

    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;

    // The control's window; remembers it so that Fail can put the focus back on it.
    // A missing control is a programming error: throws CNotSupportedException.
    HWND PrepareCtrl(int nIDC);
    // The same for an edit control: Fail also selects its text.
    HWND PrepareEditCtrl(int nIDC);
    // Focuses the last prepared control (when saving) and ends the exchange with a
    // CUserException; UpdateData catches it and returns FALSE.
    [[noreturn]] void Fail();

    UINT m_idLastControl = 0;
    BOOL m_bEditLastControl = FALSE;
};
