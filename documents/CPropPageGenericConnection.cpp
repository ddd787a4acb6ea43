#include "documents/CPropPageGenericConnection.h"
#include "documents/CConnectionGeneric1.h"
#include "documents/CDocumentDeviceGeneric1.h"
#include "framework/DataExchange.h"
#include "framework/MessageBoxHook.h"
#include "framework/MessageMap.h"
#include "res/pyraxis_resource.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

IMPLEMENT_DYNCREATE(CPropPageGenericConnection, CPropertyPage)

BEGIN_MESSAGE_MAP(CPropPageGenericConnection, CPropertyPage)
    ON_CBN_SELCHANGE(IDC_CONNECTION_TYPE, OnTypeChanged)
END_MESSAGE_MAP()

namespace
{
const int COM_PORT_ENTRIES = 30;
const int TCP_CONTROLS[] = {IDC_CONNECTION_HOST,         IDC_CONNECTION_TCP_PORT,  IDC_CONNECTION_LOCAL_PORT,
                            IDC_CONNECTION_TCP_PORT_LABEL, IDC_CONNECTION_LOCAL_LABEL, IDC_CONNECTION_TCP_NOTE,
                            IDC_CONNECTION_LOCAL_NOTE};

std::string NumberText(int value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%i", value);
    return text;
}
} // namespace

CPropPageGenericConnection::CPropPageGenericConnection(CDocumentDeviceGeneric1* device)
    : CPropertyPage(IDD_PROPPAGE_CONNECTION), m_device(device)
{
}

bool CPropPageGenericConnection::ParseCNumber(const std::string& text, unsigned long& value)
{
    if (text.empty() || text[0] == '-' || text[0] == '+' || text[0] == ' ')
        return false;
    errno = 0;
    char* end = nullptr;
    value = std::strtoul(text.c_str(), &end, 0);
    return errno == 0 && end != text.c_str() && *end == '\0';
}

long CPropPageGenericConnection::ParsePortText(const std::string& text)
{
    return std::strtol(text.c_str(), nullptr, 10);
}

void CPropPageGenericConnection::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_CONNECTION_TYPE, m_typeCombo);
    DDX_Control(pDX, IDC_CONNECTION_COM_PORT, m_comCombo);
    DDX_Control(pDX, IDC_CONNECTION_HOST, m_hostEdit);
    DDX_Control(pDX, IDC_CONNECTION_TCP_PORT, m_tcpPortEdit);
    DDX_Control(pDX, IDC_CONNECTION_LOCAL_PORT, m_localTcpPortEdit);
    DDX_Control(pDX, IDC_CONNECTION_ADDRESS, m_addressEdit);
    DDX_Control(pDX, IDC_CONNECTION_CONNECTED_TO, m_connectedToStatic);
}

BOOL CPropPageGenericConnection::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    boost::shared_ptr<CConnectionGeneric1> connection = m_device != nullptr ? m_device->GetGenericConnection()
                                                                            : boost::shared_ptr<CConnectionGeneric1>();
    for (int port = 1; port <= COM_PORT_ENTRIES; ++port) {
        const int row = m_comCombo.AddString(("COM" + NumberText(port)).c_str());
        m_comCombo.SetItemData(row, static_cast<DWORD_PTR>(port));
        if (connection && connection->GetComPort() == port)
            m_comCombo.SetCurSel(row);
    }
    const int serialRow = m_typeCombo.AddString("Local (serial)");
    m_typeCombo.SetItemData(serialRow, CONNECTION_TYPE_SERIAL);
    const int tcpRow = m_typeCombo.AddString("Remote (TCP)");
    m_typeCombo.SetItemData(tcpRow, CONNECTION_TYPE_TCP);
    if (connection) {
        m_addressEdit.SetWindowText(NumberText(connection->GetEffectiveUnitId()).c_str());
        m_hostEdit.SetWindowText(connection->GetHost().c_str());
        m_tcpPortEdit.SetWindowText(NumberText(connection->GetTcpPort()).c_str());
        m_localTcpPortEdit.SetWindowText(
            connection->GetLocalTcpPort() > 0 ? NumberText(connection->GetLocalTcpPort()).c_str() : "");
        m_typeCombo.SetCurSel(connection->IsSerial() ? 0 : 1);
    }
    ShowControlsOfType();
    return TRUE;
}

void CPropPageGenericConnection::OnTypeChanged()
{
    ShowControlsOfType();
}

void CPropPageGenericConnection::ShowControlsOfType()
{
    const int row = m_typeCombo.GetCurSel();
    if (row < 0)
        return;
    const bool tcp = m_typeCombo.GetItemData(row) == CONNECTION_TYPE_TCP;
    for (int id : TCP_CONTROLS) {
        if (CWnd* control = GetDlgItem(id))
            control->ShowWindow(tcp ? SW_SHOW : SW_HIDE);
    }
    m_connectedToStatic.SetWindowText(tcp ? "The control has the IP address" : "The control is connected to");
    m_comCombo.ShowWindow(tcp ? SW_HIDE : SW_SHOW);
}

std::string CPropPageGenericConnection::TextOf(CWnd& control) const
{
    CString text;
    control.GetWindowText(text);
    return static_cast<const char*>(text);
}

BOOL CPropPageGenericConnection::OnApply()
{
    const int typeRow = m_typeCombo.GetCurSel();
    boost::shared_ptr<CConnectionGeneric1> connection = m_device != nullptr ? m_device->GetGenericConnection()
                                                                            : boost::shared_ptr<CConnectionGeneric1>();
    if (typeRow < 0 || !connection)
        return FALSE;
    if (m_typeCombo.GetItemData(typeRow) == CONNECTION_TYPE_TCP) {
        connection->SetSerial(false);
        const std::string host = TextOf(m_hostEdit);
        // Without a host the connection could not be opened, nor saved in a workspace.
        if (!CConnectionModbusLocal::AcceptsHost(host)) {
            AfxMessageBox("You must enter the control's IP address", MB_ICONSTOP);
            return FALSE;
        }
        connection->SetHost(host);
        const long tcpPort = ParsePortText(TextOf(m_tcpPortEdit));
        if (!CConnectionModbusLocal::AcceptsControlTcpPort(tcpPort)) {
            AfxMessageBox("Invalid control TCP port", MB_ICONSTOP);
            return FALSE;
        }
        connection->SetTcpPort(static_cast<int>(tcpPort));
        const long localPort = ParsePortText(TextOf(m_localTcpPortEdit));
        if (!CConnectionModbusLocal::AcceptsLocalTcpPort(localPort)) {
            AfxMessageBox("Invalid local TCP port", MB_ICONSTOP);
            return FALSE;
        }
        connection->SetLocalTcpPort(static_cast<int>(localPort));
    } else {
        connection->SetSerial(true);
        const int comRow = m_comCombo.GetCurSel();
        if (comRow < 0) {
            AfxMessageBox("You must select a COM port", MB_ICONSTOP);
            return FALSE;
        }
        connection->SetComPort(static_cast<int>(m_comCombo.GetItemData(comRow)));
    }
    // A Modbus frame carries the unit id in one byte: larger numbers would poll another
    // unit (300 would reach unit 44).
    unsigned long address = 0;
    if (!ParseCNumber(TextOf(m_addressEdit), address) ||
        !CConnectionModbusLocal::AcceptsUnitId(static_cast<long long>(address))) {
        AfxMessageBox("Invalid Modbus address", MB_ICONSTOP);
        return FALSE;
    }
    connection->SetUnitId(static_cast<int>(address));
    return CPropertyPage::OnApply();
}
