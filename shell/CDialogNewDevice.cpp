#include "shell/CDialogNewDevice.h"
#include "framework/DataExchange.h"
#include "framework/MessageMap.h"
#include "res/pyraxis_resource.h"

BEGIN_MESSAGE_MAP(CDialogNewDevice, CDialog)
    ON_LBN_SELCHANGE(IDC_NEW_DEVICE_LIST, OnSelectionChange)
    ON_LBN_DBLCLK(IDC_NEW_DEVICE_LIST, OnDoubleClick)
END_MESSAGE_MAP()

CDialogNewDevice::CDialogNewDevice(CWnd* parent) : CDialog(IDD_NEW_DEVICE, parent)
{
}

INT_PTR CDialogNewDevice::DoModalWithDevices(const NamedDeviceList_t& devices)
{
    m_chosenDevice.reset();
    m_devices = devices;
    return DoModal();
}

void CDialogNewDevice::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, IDC_NEW_DEVICE_LIST, m_deviceList);
}

BOOL CDialogNewDevice::OnInitDialog()
{
    CDialog::OnInitDialog();
    for (const NamedDevice_t& device : m_devices)
        m_deviceList.AddString(device.first.c_str());
    m_deviceList.SetCurSel(0);
    OnSelectionChange();
    return TRUE;
}

void CDialogNewDevice::OnSelectionChange()
{
    const int row = m_deviceList.GetCurSel();
    if (row < 0)
        return;
    CString text;
    m_deviceList.GetText(row, text);
    // Names need not be unique: the last device of that name wins.
    for (const NamedDevice_t& device : m_devices) {
        if (device.first == static_cast<const char*>(text))
            m_chosenDevice = device.second;
    }
}

void CDialogNewDevice::OnDoubleClick()
{
    OnOK();
}
