#include "shell/CFirstrunDeviceAutoDetectConfig.h"
#include "documents/RegistryHelpers.h"
#include "framework/DataExchange.h"
#include "framework/MessageMap.h"
#include "modbus/SerialPortListing.h"
#include "res/pyraxis_resource.h"
#include "shell/DeviceSearchSettings.h"

#include <cctype>
#include <cstdlib>
#include <stdexcept>
#include <vector>

BEGIN_MESSAGE_MAP(CFirstrunDeviceAutoDetectConfig, CDialog)
    ON_BN_CLICKED(IDC_FIRSTRUN_YES, OnYes)
    ON_BN_CLICKED(IDC_FIRSTRUN_NO, OnNo)
END_MESSAGE_MAP()

namespace
{
const DWORD_PTR ALL_PORTS = static_cast<DWORD_PTR>(-1);

// The COM number of a port name: the decimal number from its first digit on; -1 without one.
int ComNumberOfPortName(const CString& name)
{
    const char* text = name;
    while (*text != '\0' && !std::isdigit(static_cast<unsigned char>(*text)))
        ++text;
    if (*text == '\0')
        return -1;
    return static_cast<int>(std::strtol(text, nullptr, 10));
}
} // namespace

CFirstrunDeviceAutoDetectConfig::CFirstrunDeviceAutoDetectConfig(int mode, CWnd* parent)
    : CDialog(IDD_FIRSTRUN_AUTODETECT, parent), m_choice(-1), m_mode(mode)
{
}

void CFirstrunDeviceAutoDetectConfig::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, IDC_FIRSTRUN_MESSAGE, m_message);
    DDX_Control(pDX, IDC_FIRSTRUN_SERIAL_PORT, m_serialPortCombo);
    DDX_Control(pDX, IDC_FIRSTRUN_NETWORK, m_networkCheck);
    DDX_Control(pDX, IDC_FIRSTRUN_SERIAL, m_serialCheck);
    DDX_Radio(pDX, IDC_FIRSTRUN_YES, m_choice);
}

BOOL CFirstrunDeviceAutoDetectConfig::OnInitDialog()
{
    m_choice = FIRST_RUN_CHOICE_SEARCH;
    CDialog::OnInitDialog();
    if (m_mode == FIRST_RUN_MODE_PREFERENCES) {
        m_message.SetWindowText("Select what interfaces should be scanned when Pyraxis is searching for connected "
                                "devices.");
        GetDlgItem(IDC_FIRSTRUN_YES)->ShowWindow(SW_HIDE);
        GetDlgItem(IDC_FIRSTRUN_NO)->ShowWindow(SW_HIDE);
        GetDlgItem(IDC_FIRSTRUN_NOTE)->ShowWindow(SW_HIDE);
    }
    EnableSearchChoices(TRUE);

    m_networkCheck.SetCheck(GetScanForDevicesNetwork() ? BST_CHECKED : BST_UNCHECKED);
    const int storedSerial = static_cast<int>(
        ReadRegistryDword(PYRAXIS_REGISTRY_KEY, REG_SCAN_FOR_DEVICES_SERIAL, static_cast<DWORD>(-1)));
    m_serialCheck.SetCheck(storedSerial != 0 ? BST_CHECKED : BST_UNCHECKED);

    const int allRow = m_serialPortCombo.AddString("all ports");
    m_serialPortCombo.SetItemData(allRow, ALL_PORTS);
    if (storedSerial == -1 || storedSerial == 0)
        m_serialPortCombo.SetCurSel(allRow);
    std::vector<SerialPortInfo_t> ports;
    ListSerialPorts(ports);
    for (const SerialPortInfo_t& port : ports) {
        const int number = ComNumberOfPortName(port.portName);
        if (number < 0)
            continue;
        const int row = m_serialPortCombo.AddString(port.portName);
        m_serialPortCombo.SetItemData(row, static_cast<DWORD_PTR>(number));
        if (number == storedSerial)
            m_serialPortCombo.SetCurSel(row);
    }
    UpdateData(FALSE);
    return TRUE;
}

void CFirstrunDeviceAutoDetectConfig::EnableSearchChoices(BOOL enable)
{
    m_networkCheck.EnableWindow(enable);
    m_serialCheck.EnableWindow(enable);
    m_serialPortCombo.EnableWindow(enable);
}

void CFirstrunDeviceAutoDetectConfig::OnYes()
{
    EnableSearchChoices(TRUE);
}

void CFirstrunDeviceAutoDetectConfig::OnNo()
{
    EnableSearchChoices(FALSE);
}

void CFirstrunDeviceAutoDetectConfig::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    try {
        WriteRegistryDword(PYRAXIS_REGISTRY_KEY, REG_SCAN_FOR_DEVICES_NETWORK,
                           m_networkCheck.GetCheck() == BST_CHECKED ? 1 : 0);
        DWORD serial = 0;
        if (m_serialCheck.GetCheck() == BST_CHECKED) {
            int row = m_serialPortCombo.GetCurSel();
            if (row < 0)
                row = 0;
            serial = static_cast<DWORD>(m_serialPortCombo.GetItemData(row));
        }
        WriteRegistryDword(PYRAXIS_REGISTRY_KEY, REG_SCAN_FOR_DEVICES_SERIAL, serial);
        WriteRegistryDword(PYRAXIS_REGISTRY_KEY, REG_FIRST_RUN_SCAN_DEVICES, 1);
    } catch (const std::runtime_error&) {
        // A value that cannot be stored is asked again next time; the dialog still closes.
    }
    EndDialog(IDOK);
}
