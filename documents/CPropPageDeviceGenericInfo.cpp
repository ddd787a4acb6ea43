#include "documents/CPropPageDeviceGenericInfo.h"
#include "documents/CDocumentDeviceGeneric1.h"
#include "framework/DataExchange.h"
#include "res/pyraxis_resource.h"

IMPLEMENT_DYNCREATE(CPropPageDeviceGenericInfo, CPropertyPage)

CPropPageDeviceGenericInfo::CPropPageDeviceGenericInfo(CDocumentDeviceGeneric1* device)
    : CPropertyPage(IDD_PROPPAGE_DEVICE_INFO), m_device(device)
{
}

void CPropPageDeviceGenericInfo::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_DEVICE_INFO_LIST, m_infoList);
}

BOOL CPropPageDeviceGenericInfo::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    CRect client;
    m_infoList.GetClientRect(&client);
    const int width = client.Width() / 2 - 1;
    m_infoList.InsertColumn(0, "Setting", LVCFMT_LEFT, width);
    m_infoList.InsertColumn(1, "Value", LVCFMT_LEFT, width);
    if (m_device == nullptr || !m_device->IsConnected()) {
        m_infoList.InsertItem(0, "(not connected)");
        m_infoList.EnableWindow(FALSE);
        return TRUE;
    }
    int row = m_infoList.InsertItem(0, "Firmware Version");
    if (row >= 0)
        m_infoList.SetItemText(row, 1, m_device->GetFirmwareVersion().c_str());
    for (const HardwareInfoPair_t& pair : m_device->GetHardwareInfo()) {
        if (row < 0)
            break;
        row = m_infoList.InsertItem(row + 1, pair.first.c_str());
        if (row >= 0)
            m_infoList.SetItemText(row, 1, pair.second.c_str());
    }
    return TRUE;
}
