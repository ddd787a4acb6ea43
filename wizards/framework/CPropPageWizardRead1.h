// The newer wizards' connection pages: serial port or TCP/IP and the Modbus address of
// the device to read (dialog 604) or to program (dialog 605, CPropPageWizardProgram1).
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CComboBox.h"
#include "framework/CEdit.h"
#include "framework/CPropertyPage.h"
#include "wizards/framework/CWizardProgrammingContext.h"

class CPropPageWizardRead1 : public CPropertyPage
{
    DECLARE_DYNAMIC(CPropPageWizardRead1)
public:
    CPropPageWizardRead1(const CWizardProgrammingContextPtr& context, UINT dialogId);
    ~CPropPageWizardRead1() override;

    UINT GetHelpId() const { return m_dialogId; }

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
    UINT m_dialogId;
    CWizardProgrammingContextPtr m_context;
};

class CPropPageWizardProgram1 : public CPropPageWizardRead1
{
    DECLARE_DYNAMIC(CPropPageWizardProgram1)
public:
    CPropPageWizardProgram1(const CWizardProgrammingContextPtr& context, UINT dialogId);
};
