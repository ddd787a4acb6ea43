// What the connection pages of every wizard share: the port list with "TCP/IP" first,
// showing the network fields only for "TCP/IP", and checking and storing the page's
// choice into a programming context.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CComboBox.h"
#include "framework/CString.h"
#include "modbus/SerialPortListing.h"

#include <vector>

class CWnd;

// The connection fields of a context, whatever kind of context holds them.
struct WizardConnectionFields_t
{
    int& comPort;
    CString& host;
    int& tcpPort;
    int& modbusAddress;
};

// "TCP/IP" (item data -1), then the machine's serial ports by friendly name with the
// number of the port name as item data; "COM1" to "COM32" when the ports cannot be listed
// or none is found (Wine lists none of the ports its dosdevices links give).
void FillPortsFromSystem(CComboBox& combo);
void FillPortEntries(CComboBox& combo, const std::vector<SerialPortInfo_t>& ports, bool listed);
// "TCP/IP", then "COM 1" to "COM 32" with their numbers.
void FillPortsCom1To32(CComboBox& combo);
// Selects the entry whose item data is comPort, else the first one.
void SelectPortEntry(CComboBox& combo, int comPort);

// Shows the IP address, the TCP port and their labels only while an entry with negative
// item data ("TCP/IP") is selected, then, with loadFields, loads the page's fields into
// the controls. Returns the selected index, or CB_ERR (changing nothing) when none is
// selected. A change of the port choice does not load the fields: that would throw away
// an address or port the user has typed but not yet confirmed with Next.
int UpdateTcpIpControls(CWnd* page, bool loadFields = true);

// Next of a connection page, after its fields were taken from the controls: false keeps
// the page (a box has said why, except when no port is selected). The address text
// differs between the wizard families.
bool StoreConnectionChoice(CComboBox& combo, int modbusAddress, int tcpPort, const char* addressError,
                           const WizardConnectionFields_t& target);

// The four registry values of the last connection; a registry failure is ignored.
void RememberConnectionInRegistry(const WizardConnectionFields_t& connection);
// The process-wide last connection of the older wizards.
void RememberLastWizardConnection(const WizardConnectionFields_t& connection);

extern const char* const WIZARD_REGISTRY_KEY;
extern const char* const MODBUS_ADDRESS_ERROR;
extern const char* const MODBUS_ADDRESS_ERROR_OLDER;
