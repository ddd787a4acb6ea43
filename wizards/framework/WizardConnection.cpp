#include "wizards/framework/WizardConnection.h"

#include "framework/CWnd.h"
#include "framework/MessageBoxHook.h"
#include "documents/RegistryHelpers.h"
#include "modbus/SerialPortListing.h"
#include "res/pyraxis_wizards_resource.h"
#include "wizards/framework/ControllerAddress.h"
#include "wizards/framework/CRelayProgContext.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <vector>

const char* const WIZARD_REGISTRY_KEY = "Software\\QuorvantCorp\\Pyraxis";
const char* const MODBUS_ADDRESS_ERROR = "Error: Modbus address must be between 1 and 247.";
const char* const MODBUS_ADDRESS_ERROR_OLDER = "Error: MODBUS address must be between 1 and 247.";

namespace
{
void AddPort(CComboBox& combo, const char* text, int number)
{
    const int index = combo.AddString(text);
    combo.SetItemData(index, static_cast<DWORD_PTR>(static_cast<INT_PTR>(number)));
}

// The number that begins at the port name's first digit; -1 without a digit.
int PortNumber(const char* name)
{
    const char* digit = std::strpbrk(name, "1234567890");
    return digit != nullptr ? std::atoi(digit) : -1;
}
}

void FillPortsFromSystem(CComboBox& combo)
{
    std::vector<SerialPortInfo_t> ports;
    const bool listed = ListSerialPorts(ports);
    FillPortEntries(combo, ports, listed && !ports.empty());
}

void FillPortEntries(CComboBox& combo, const std::vector<SerialPortInfo_t>& ports, bool listed)
{
    combo.ResetContent();
    AddPort(combo, "TCP/IP", -1);
    if (listed)
    {
        for (const SerialPortInfo_t& port : ports)
        {
            const int number = PortNumber(port.portName.GetString());
            if (number >= 0)
                AddPort(combo, port.friendlyName.GetString(), number);
        }
        return;
    }
    for (int number = 1; number <= 32; ++number)
    {
        char text[16];
        std::snprintf(text, sizeof text, "COM%i", number);
        AddPort(combo, text, number);
    }
}

void FillPortsCom1To32(CComboBox& combo)
{
    combo.ResetContent();
    AddPort(combo, "TCP/IP", -1);
    for (int number = 1; number <= 32; ++number)
    {
        char text[16];
        std::snprintf(text, sizeof text, "COM %i", number);
        AddPort(combo, text, number);
    }
}

void SelectPortEntry(CComboBox& combo, int comPort)
{
    for (int i = 0; i < combo.GetCount(); ++i)
    {
        if (static_cast<int>(static_cast<INT_PTR>(combo.GetItemData(i))) == comPort)
        {
            combo.SetCurSel(i);
            return;
        }
    }
    combo.SetCurSel(0);
}

int UpdateTcpIpControls(CWnd* page, bool loadFields)
{
    HWND combo = ::GetDlgItem(page->GetSafeHwnd(), IDC_WIZARD_PORT);
    const int selected = static_cast<int>(::SendMessageA(combo, CB_GETCURSEL, 0, 0));
    if (selected == CB_ERR)
        return CB_ERR;
    const INT_PTR data = static_cast<INT_PTR>(::SendMessageA(combo, CB_GETITEMDATA, selected, 0));
    const int show = data < 0 ? SW_SHOW : SW_HIDE;
    const int controls[4] = {IDC_WIZARD_IP_ADDRESS, IDC_WIZARD_IP_LABEL, IDC_WIZARD_TCP_PORT_LABEL, IDC_WIZARD_TCP_PORT};
    for (int id : controls)
    {
        HWND control = ::GetDlgItem(page->GetSafeHwnd(), id);
        if (control != nullptr)
            ::ShowWindow(control, show);
    }
    if (loadFields)
        page->UpdateData(FALSE);
    return selected;
}

bool StoreConnectionChoice(CComboBox& combo, int modbusAddress, int tcpPort, const char* addressError,
                           const WizardConnectionFields_t& target)
{
    const int selected = combo.GetCurSel();
    if (selected == CB_ERR)
        return false;
    if (!MODBUS_ADDRESS.Holds(modbusAddress))
    {
        AfxMessageBox(addressError, MB_OK);
        return false;
    }
    const int data = static_cast<int>(static_cast<INT_PTR>(combo.GetItemData(selected)));
    if (data < 0)
    {
        CString host;
        HWND edit = ::GetDlgItem(::GetParent(combo.GetSafeHwnd()), IDC_WIZARD_IP_ADDRESS);
        char text[256] = {};
        if (edit != nullptr)
            ::GetWindowTextA(edit, text, sizeof text);
        target.comPort = -1;
        target.host = text;
        if (tcpPort < 0 || tcpPort > 65535)
        {
            AfxMessageBox("Error: invalid TCP port given (must be between 0 and 65535).", MB_OK);
            return false;
        }
        target.tcpPort = tcpPort;
    }
    else
        target.comPort = data;
    target.modbusAddress = modbusAddress;
    return true;
}

void RememberConnectionInRegistry(const WizardConnectionFields_t& connection)
{
    try
    {
        WriteRegistryDword(WIZARD_REGISTRY_KEY, "LastUsedDeviceComPort", static_cast<DWORD>(connection.comPort));
        if (!connection.host.IsEmpty())
            WriteRegistryString(WIZARD_REGISTRY_KEY, "LastUsedDeviceIp", connection.host.GetString());
        if (connection.tcpPort > 0)
            WriteRegistryDword(WIZARD_REGISTRY_KEY, "LastUsedDeviceTcpPort", static_cast<DWORD>(connection.tcpPort));
        WriteRegistryDword(WIZARD_REGISTRY_KEY, "LastUsedDeviceModbusAddr", static_cast<DWORD>(connection.modbusAddress));
    }
    catch (const std::runtime_error&)
    {
        // The connection still works; only the next wizard will not remember it.
    }
}

void RememberLastWizardConnection(const WizardConnectionFields_t& connection)
{
    LastWizardConnection_t& last = LastWizardConnection();
    last.comPort = connection.comPort;
    if (!connection.host.IsEmpty())
        last.host = connection.host;
    last.tcpPort = connection.tcpPort;
    last.modbusAddress = connection.modbusAddress;
}
