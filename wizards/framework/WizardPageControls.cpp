#include "wizards/framework/WizardPageControls.h"

#include <prsht.h>

void EnableDialogControls(HWND page, std::initializer_list<int> ids, bool enable)
{
    for (int id : ids)
    {
        HWND control = ::GetDlgItem(page, id);
        if (control != nullptr)
            ::EnableWindow(control, enable ? TRUE : FALSE);
    }
}

void ShowDialogControls(HWND page, std::initializer_list<int> ids, bool show)
{
    for (int id : ids)
    {
        HWND control = ::GetDlgItem(page, id);
        if (control != nullptr)
            ::ShowWindow(control, show ? SW_SHOW : SW_HIDE);
    }
}

void PostWizardButtons(HWND page, DWORD flags)
{
    HWND sheet = ::GetParent(page);
    if (sheet != nullptr)
        ::PostMessageA(sheet, PSM_SETWIZBUTTONS, 0, static_cast<LPARAM>(flags));
}
