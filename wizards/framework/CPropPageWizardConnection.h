// What the wizards' connection pages share: the port choice, the network fields shown
// only for "TCP/IP", the Modbus address, the page's help, and Next taking the choice into
// the connection fields of the page's context.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CComboBox.h"
#include "framework/CEdit.h"
#include "framework/CPropertyPage.h"
#include "wizards/framework/WizardConnection.h"

class CPropPageWizardConnection : public CPropertyPage
{
public:
    // connection: the fields of a context that outlives the page; addressError: the
    // wizard family's text for a Modbus address out of range.
    CPropPageWizardConnection(UINT dialogId, const WizardConnectionFields_t& connection, const char* addressError);
    ~CPropPageWizardConnection() override;

    UINT GetHelpId() const { return m_dialogId; }

    BOOL OnSetActive() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    // OnInitDialog of the newer wizards' pages: the connection with the machine's serial
    // ports; a TCP port not yet chosen shows as 502.
    BOOL ShowConnection();
    // The controls' choice into the connection; false keeps the page.
    bool StoreConnection();
    afx_msg void OnPortChange();
    afx_msg LRESULT OnPageHelp(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

    CComboBox m_port;
    CEdit m_ipAddress;
    int m_modbusAddress;
    int m_tcpPort;
    UINT m_dialogId;
    WizardConnectionFields_t m_connection;

private:
    const char* m_addressError;
};
