#include "documents/CPropPageGenericCoils.h"
#include "documents/CConnectionGeneric1.h"
#include "documents/CDocumentDeviceGeneric1.h"
#include "framework/DataExchange.h"
#include "framework/MessageBoxHook.h"
#include "framework/MessageMap.h"
#include "res/pyraxis_resource.h"

#include <stdexcept>

IMPLEMENT_DYNCREATE(CPropPageGenericCoils, CPropertyPage)

BEGIN_MESSAGE_MAP(CPropPageGenericCoils, CPropertyPage)
    ON_BN_CLICKED(IDC_COILS_FORCE_OFF, OnForceOff)
    ON_BN_CLICKED(IDC_COILS_FORCE_ON, OnForceOn)
    ON_LBN_SELCHANGE(IDC_COILS_LIST, OnSelectionChange)
    ON_LBN_DBLCLK(IDC_COILS_LIST, OnDoubleClick)
END_MESSAGE_MAP()

CPropPageGenericCoils::CPropPageGenericCoils(CDocumentDeviceGeneric1* device)
    : CPropertyPage(IDD_PROPPAGE_COILS), m_device(device), m_connectedAtOpen(false)
{
}

void CPropPageGenericCoils::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_COILS_LIST, m_coilList);
    DDX_Control(pDX, IDC_COILS_FORCE_ON, m_forceOnButton);
    DDX_Control(pDX, IDC_COILS_FORCE_OFF, m_forceOffButton);
}

BOOL CPropPageGenericCoils::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    m_connectedAtOpen = m_device != nullptr && m_device->IsConnected();
    m_coilList.EnableWindow(m_connectedAtOpen);
    m_forceOnButton.EnableWindow(m_connectedAtOpen);
    m_forceOffButton.EnableWindow(m_connectedAtOpen);
    if (m_device != nullptr) {
        for (const GenericCoil_t& coil : m_device->GetCoils()) {
            const int row = m_coilList.AddString(coil.name.c_str());
            if (row >= 0)
                m_coilList.SetItemData(row, static_cast<DWORD_PTR>(coil.address));
        }
    }
    UpdateButtons();
    m_coilList.SetFocus();
    return FALSE;
}

void CPropPageGenericCoils::UpdateButtons()
{
    const BOOL enable = m_coilList.GetCurSel() >= 0 && m_connectedAtOpen;
    m_forceOnButton.EnableWindow(enable);
    m_forceOffButton.EnableWindow(enable);
}

void CPropPageGenericCoils::ForceSelectedCoil(bool on)
{
    const int row = m_coilList.GetCurSel();
    if (row < 0) {
        AfxMessageBox("You must select a coil.", MB_OK);
        return;
    }
    try {
        boost::shared_ptr<CConnectionGeneric1> connection = m_device->GetGenericConnection();
        if (!connection)
            throw std::runtime_error("the device has no connection");
        connection->WriteCoil(static_cast<int>(m_coilList.GetItemData(row)), on);
    } catch (const std::runtime_error& error) {
        AfxMessageBox(error.what(), MB_ICONSTOP);
    }
}

void CPropPageGenericCoils::OnForceOff()
{
    ForceSelectedCoil(false);
}

void CPropPageGenericCoils::OnForceOn()
{
    ForceSelectedCoil(true);
}

void CPropPageGenericCoils::OnSelectionChange()
{
    UpdateButtons();
}

void CPropPageGenericCoils::OnDoubleClick()
{
}
