#include "wizards/varnix/MpptWizardExchange.h"

#include "framework/CString.h"
#include "framework/CWnd.h"
#include "framework/MessageBoxHook.h"
#include "modbus/CModbusVariable_Time.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>

namespace
{
bool IsIpAddressControl(HWND control)
{
    char className[32] = "";
    ::GetClassNameA(control, className, sizeof className);
    return std::strcmp(className, WC_IPADDRESSA) == 0;
}

// The control's text; an IP-address control gives its four fields as a.b.c.d.
std::string ControlText(HWND control)
{
    if (IsIpAddressControl(control))
    {
        DWORD address = 0;
        ::SendMessageA(control, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&address));
        char text[20];
        std::snprintf(text, sizeof text, "%u.%u.%u.%u",
                      static_cast<unsigned>(FIRST_IPADDRESS(address)),
                      static_cast<unsigned>(SECOND_IPADDRESS(address)),
                      static_cast<unsigned>(THIRD_IPADDRESS(address)),
                      static_cast<unsigned>(FOURTH_IPADDRESS(address)));
        return text;
    }
    const int length = ::GetWindowTextLengthA(control);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    ::GetWindowTextA(control, &text[0], length + 1);
    text.resize(std::strlen(text.c_str()));
    return text;
}

void SetControlText(HWND control, const std::string& text)
{
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (IsIpAddressControl(control) &&
        std::sscanf(text.c_str(), "%u.%u.%u.%u", &a, &b, &c, &d) == 4)
    {
        ::SendMessageA(control, IPM_SETADDRESS, 0, MAKEIPADDRESS(a, b, c, d));
        return;
    }
    ::SetWindowTextA(control, text.c_str());
}

HWND Control(CDataExchange* pDX, int id)
{
    return ::GetDlgItem(pDX->m_pDlgWnd->GetSafeHwnd(), id);
}

[[noreturn]] void Refuse(CDataExchange* pDX, const std::exception& error)
{
    AfxMessageBox(error.what(), MB_OK | MB_ICONSTOP);
    pDX->Fail();
}

bool IsChecked(CDataExchange* pDX, int checkId)
{
    return ::IsDlgButtonChecked(pDX->m_pDlgWnd->GetSafeHwnd(), checkId) == BST_CHECKED;
}
}

void MpptExchangeSetting(CDataExchange* pDX, int editId, const MpptVariableSource& variable,
                         bool impliedMinus)
{
    HWND edit = pDX->PrepareEditCtrl(editId);
    try
    {
        CModbusVariable* setting = variable();
        if (!pDX->m_bSaveAndValidate)
        {
            std::string text = setting->ToString();
            if (impliedMinus)
                text.erase(0, text.find_first_not_of('-'));
            SetControlText(edit, text);
            return;
        }
        std::string text = ControlText(edit);
        if (impliedMinus)
        {
            text.erase(0, text.find_first_not_of(" \t"));
            if (!text.empty() && text[0] == '-')
                throw std::range_error(setting->GetName() +
                                       " cannot be negative (the negative sign is implied)");
            text = "-" + text;
        }
        setting->FromString(text.c_str());
    }
    catch (const std::range_error& error)
    {
        Refuse(pDX, error);
    }
}

void MpptExchangeTime(CDataExchange* pDX, int hoursId, int minutesId, int secondsId,
                      const MpptVariableSource& variable)
{
    try
    {
        CModbusVariable_Time* time = dynamic_cast<CModbusVariable_Time*>(variable());
        if (!time)
            pDX->Fail();
        const int ids[3] = {hoursId, minutesId, secondsId};
        if (!pDX->m_bSaveAndValidate)
        {
            const unsigned parts[3] = {time->GetHours(), time->GetMinutes(), time->GetSeconds()};
            for (int i = 0; i < 3; ++i)
                SetControlText(pDX->PrepareEditCtrl(ids[i]), std::to_string(parts[i]));
            return;
        }
        std::string text;
        for (int i = 0; i < 3; ++i)
            text += (i ? ":" : "") + ControlText(pDX->PrepareEditCtrl(ids[i]));
        pDX->PrepareEditCtrl(hoursId);
        time->FromString(text.c_str());
    }
    catch (const std::range_error& error)
    {
        Refuse(pDX, error);
    }
}

bool MpptExchangeOptionalSetting(CDataExchange* pDX, int checkId, int editId,
                                 const MpptVariableSource& variable, const char* defaultText)
{
    pDX->PrepareCtrl(checkId);
    HWND edit = editId != 0 ? pDX->PrepareEditCtrl(editId) : nullptr;
    try
    {
        CModbusVariable* setting = variable();
        const bool enabledBefore = setting->AsDouble() != 0.0;
        if (!pDX->m_bSaveAndValidate)
        {
            ::CheckDlgButton(pDX->m_pDlgWnd->GetSafeHwnd(), checkId,
                             enabledBefore ? BST_CHECKED : BST_UNCHECKED);
            if (edit)
                SetControlText(edit, enabledBefore ? setting->ToString() : defaultText);
            return true;
        }
        const bool checked = IsChecked(pDX, checkId);
        const std::string text = edit ? ControlText(edit) : "1";
        if (!checked && enabledBefore)
        {
            setting->FromString("0");
            return false;
        }
        if (checked && !enabledBefore)
            setting->FromString(defaultText);
        else if (checked)
            setting->FromString(text.c_str());
        return true;
    }
    catch (const std::range_error& error)
    {
        Refuse(pDX, error);
    }
}

void MpptExchangeAssign(CDataExchange* pDX, const MpptVariableSource& variable, const char* text)
{
    try
    {
        variable()->FromString(text);
    }
    catch (const std::range_error& error)
    {
        Refuse(pDX, error);
    }
}

void MpptCheckFailed(CDataExchange* pDX, int focusId, const char* message)
{
    AfxMessageBox(message, MB_OK | MB_ICONSTOP);
    if (Control(pDX, focusId))
        pDX->PrepareEditCtrl(focusId);
    pDX->Fail();
}
