// Where the Ostrel is (serial port or TCP/IP) and its Modbus address, for a read or a
// program run (dialog 166). It starts from the connection the wizards used last.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CComboBox.h"
#include "framework/CEdit.h"
#include "framework/CPropertyPage.h"
#include "wizards/framework/CRelayProgContext.h"

class CPropPageRelayProgConnection : public CPropertyPage
{
    DECLARE_DYNAMIC(CPropPageRelayProgConnection)
public:
    explicit CPropPageRelayProgConnection(CRelayProgContext* context);
    ~CPropPageRelayProgConnection() override;

    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    LRESULT OnWizardNext() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    afx_msg void OnPortChange();
    afx_msg LRESULT OnPageHelp(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

    CComboBox m_port;
    CEdit m_ipAddress;
    int m_modbusAddress;
    int m_tcpPort;
    CRelayProgContext* m_context;
};
