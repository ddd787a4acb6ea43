#include "shell/DialogDataExchange.h"
#include "framework/CWnd.h"
#include "framework/DataExchange.h"

#include <cstdio>

namespace
{
HWND FindControl(CDataExchange* pDX, int nIDC)
{
    return ::GetDlgItem(pDX->m_pDlgWnd->GetSafeHwnd(), nIDC);
}
} // namespace

void DDX_FloatFormat(CDataExchange* pDX, int nIDC, float& value, const char* format)
{
    if (FindControl(pDX, nIDC) == nullptr)
        return;
    if (pDX->m_bSaveAndValidate) {
        DDX_Text(pDX, nIDC, value);
        return;
    }
    HWND control = pDX->PrepareEditCtrl(nIDC);
    char text[64];
    std::snprintf(text, sizeof text, format != nullptr ? format : "%.3f", static_cast<double>(value));
    ::SetWindowTextA(control, text);
}

void DDX_CheckBool(CDataExchange* pDX, int nIDC, bool& value)
{
    if (FindControl(pDX, nIDC) == nullptr)
        return;
    HWND control = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
        value = ::SendMessageA(control, BM_GETCHECK, 0, 0) != BST_UNCHECKED;
    else
        ::SendMessageA(control, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
}
