#include "loader/CWizSelectPort.h"

#include "framework/CPropertySheet.h"
#include "framework/MessageBoxHook.h"
#include "loader/CComPort.h"
#include "modbus/SerialPortListing.h"
#include "res/tolmera_resource.h"

#include <cstdlib>
#include <vector>

CWizSelectPort::CWizSelectPort(ProgrammingSettings* settings)
    : CPropertyPage(IDD_WIZ_SELECT_PORT), m_settings(settings)
{
}

CString CWizSelectPort::PortDeviceName(int comPort)
{
    CString name;
    if (comPort <= 9)
        name.Format("COM%i", comPort);
    else
        name.Format("\\\\.\\COM%i", comPort);
    return name;
}

BOOL CWizSelectPort::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    GetDlgItemText(IDC_PORT_PROMPT, m_promptTemplate);
    GetDlgItemText(IDC_PORT_METER_NOTE, m_meterNoteTemplate);
    FillPortList();
    SetDlgItemInt(IDC_PORT_ADDRESS, m_settings->passThroughAddress != 0 ? m_settings->passThroughAddress : 1);
    return TRUE;
}

void CWizSelectPort::AddPort(const CString& text, int number)
{
    const int item = static_cast<int>(SendDlgItemMessage(IDC_PORT_LIST, LB_ADDSTRING, 0,
                                                         reinterpret_cast<LPARAM>(static_cast<LPCTSTR>(text))));
    if (item >= 0)
        SendDlgItemMessage(IDC_PORT_LIST, LB_SETITEMDATA, item, number);
}

void CWizSelectPort::FillPortList()
{
    std::vector<SerialPortInfo_t> ports;
    if (ListSerialPorts(ports)) {
        for (const SerialPortInfo_t& port : ports) {
            const int digit = port.portName.FindOneOf("0123456789");
            if (digit >= 0)
                AddPort(port.friendlyName, atoi(port.portName.Mid(digit)));
        }
    } else {
        for (int number = 1; number <= 12; ++number) {
            CString name;
            name.Format("COM%i", number);
            AddPort(name, number);
        }
    }
    const int count = static_cast<int>(SendDlgItemMessage(IDC_PORT_LIST, LB_GETCOUNT));
    int selection = 0;
    for (int item = 0; item < count; ++item) {
        if (static_cast<int>(SendDlgItemMessage(IDC_PORT_LIST, LB_GETITEMDATA, item)) == m_settings->comPort) {
            selection = item;
            break;
        }
    }
    if (count > 0)
        SendDlgItemMessage(IDC_PORT_LIST, LB_SETCURSEL, selection);
}

BOOL CWizSelectPort::OnSetActive()
{
    const CString product = m_settings->GetProductName();
    CString prompt = m_promptTemplate;
    prompt.Replace("%p", product);
    SetDlgItemText(IDC_PORT_PROMPT, prompt);
    CString meterNote = m_meterNoteTemplate;
    meterNote.Replace("%p", product);
    SetDlgItemText(IDC_PORT_METER_NOTE, meterNote);

    const int meterShow = m_settings->IsMeter() ? SW_SHOW : SW_HIDE;
    const int meterControls[] = {IDC_PORT_METER_QUESTION, IDC_PORT_ADDRESS, IDC_PORT_METER_NOTE};
    for (int id : meterControls) {
        CWnd* control = GetDlgItem(id);
        if (control != nullptr)
            control->ShowWindow(meterShow);
    }
    const bool first = GetSheet()->GetPageIndex(this) == 0;
    GetSheet()->SetWizardButtons(first ? PSWIZB_NEXT : PSWIZB_BACK | PSWIZB_NEXT);
    return CPropertyPage::OnSetActive();
}

LRESULT CWizSelectPort::OnWizardNext()
{
    const int selection = static_cast<int>(SendDlgItemMessage(IDC_PORT_LIST, LB_GETCURSEL));
    if (selection < 0) {
        AfxMessageBox("You must select a COM port.", MB_OK | MB_ICONERROR);
        return -1;
    }
    m_settings->comPort = static_cast<int>(SendDlgItemMessage(IDC_PORT_LIST, LB_GETITEMDATA, selection));

    // Open the port once now, so that a busy or missing port is reported on this page.
    const CString deviceName = PortDeviceName(m_settings->comPort);
    CComPort testPort;
    const int result = testPort.Open(deviceName, m_settings->baud);
    if (result != COMPORT_OK) {
        CString text;
        text.Format("Unable to open port %s (%s)", static_cast<LPCTSTR>(deviceName), CComPort::GetErrorText(result));
        AfxMessageBox(text, MB_OK | MB_ICONWARNING);
        return -1;
    }
    testPort.Close();

    if (m_settings->IsMeter()) {
        CString addressText;
        GetDlgItemText(IDC_PORT_ADDRESS, addressText);
        const int address = atoi(addressText);
        if (!ProgrammingSettings::IsControllerAddress(address)) {
            AfxMessageBox(ProgrammingSettings::AddressRangeMessage(), MB_OK | MB_ICONERROR);
            return -1;
        }
        m_settings->passThroughAddress = address;
    }
    return 0;
}
