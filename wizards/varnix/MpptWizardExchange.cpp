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

// An IP-address control with no field filled in.
bool IsBlank(HWND control)
{
    if (IsIpAddressControl(control))
        return ::SendMessageA(control, IPM_ISBLANK, 0, 0) != 0;
    return ::GetWindowTextLengthA(control) == 0;
}

void ClearControl(HWND control)
{
    if (IsIpAddressControl(control))
        ::SendMessageA(control, IPM_CLEARADDRESS, 0, 0);
    else
        ::SetWindowTextA(control, "");
}

// The text a setting's edit shows for its value.
std::string ShownText(const CModbusVariable& setting, bool impliedMinus)
{
    std::string text = setting.ToString();
    if (impliedMinus)
        text.erase(0, text.find_first_not_of('-'));
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

}

void MpptExchangeSetting(CDataExchange* pDX, int editId, const MpptVariableSource& variable,
                         bool impliedMinus, const MpptNotRead& notRead)
{
    HWND edit = pDX->PrepareEditCtrl(editId);
    try
    {
        CModbusVariable* setting = variable();
        if (!pDX->m_bSaveAndValidate)
        {
            if (notRead.Is())
                ClearControl(edit);
            else
                SetControlText(edit, ShownText(*setting, impliedMinus));
            return;
        }
        if (notRead.Is() && IsBlank(edit))
            return;
        std::string text = ControlText(edit);
        // The write-only password has no text to compare with: what is typed is sent.
        if (!notRead.Is() && !setting->IsWriteOnly() && text == ShownText(*setting, impliedMinus))
            return;
        if (impliedMinus)
        {
            text.erase(0, text.find_first_not_of(" \t"));
            if (!text.empty() && text[0] == '-')
                throw std::range_error(setting->GetName() +
                                       " cannot be negative (the negative sign is implied)");
            text = "-" + text;
        }
        setting->FromString(text.c_str());
        notRead.Set();
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
                                 const MpptVariableSource& variable, const char* defaultText,
                                 const MpptNotRead& notRead)
{
    HWND box = pDX->PrepareCtrl(checkId);
    HWND edit = editId != 0 ? pDX->PrepareEditCtrl(editId) : nullptr;
    try
    {
        CModbusVariable* setting = variable();
        const bool enabledBefore = setting->AsDouble() != 0.0;
        const HWND page = pDX->m_pDlgWnd->GetSafeHwnd();
        if (!pDX->m_bSaveAndValidate)
        {
            if (notRead.Is())
            {
                // Undecided until the user picks on or off; a click then leaves that state.
                ::SendMessageA(box, BM_SETSTYLE, BS_AUTO3STATE, TRUE);
                ::CheckDlgButton(page, checkId, BST_INDETERMINATE);
                if (edit)
                    ClearControl(edit);
                return true;
            }
            ::CheckDlgButton(page, checkId, enabledBefore ? BST_CHECKED : BST_UNCHECKED);
            if (edit)
                SetControlText(edit, enabledBefore ? ShownText(*setting, false) : defaultText);
            return true;
        }
        const UINT state = ::IsDlgButtonChecked(page, checkId);
        if (notRead.Is())
        {
            if (state == BST_INDETERMINATE)
                return false;
            ::SendMessageA(box, BM_SETSTYLE, BS_AUTOCHECKBOX, TRUE);
            // A box decided here sets the setting, whatever the stand-in held.
            const std::string text = edit ? ControlText(edit) : "1";
            setting->FromString(state != BST_CHECKED ? "0" : edit && text.empty() ? defaultText : text.c_str());
            notRead.Set();
            return state == BST_CHECKED;
        }
        const bool checked = state == BST_CHECKED;
        const std::string text = edit ? ControlText(edit) : "1";
        if (!checked && enabledBefore)
        {
            setting->FromString("0");
            return false;
        }
        if (checked && !enabledBefore)
            setting->FromString(defaultText);
        else if (checked && text != ShownText(*setting, false))
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
