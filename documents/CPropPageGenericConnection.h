// The "Connection" page of a generic device: serial port or TCP host and ports, and the
// Modbus address; the values are used at the next connect.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CComboBox.h"
#include "framework/CEdit.h"
#include "framework/CPropertyPage.h"
#include "framework/CStatic.h"

class CDocumentDeviceGeneric1;

const int CONNECTION_TYPE_SERIAL = 0;
const int CONNECTION_TYPE_TCP = 1;

class CPropPageGenericConnection : public CPropertyPage
{
    DECLARE_DYNCREATE(CPropPageGenericConnection)
public:
    explicit CPropPageGenericConnection(CDocumentDeviceGeneric1* device = nullptr);

    BOOL OnApply() override;

    // The whole text as an unsigned number in C notation (decimal, 0x hexadecimal,
    // leading 0 octal); false when anything is left over or it is no number.
    static bool ParseCNumber(const std::string& text, unsigned long& value);
    // The whole text as a decimal port; text that is no number counts as 0.
    static long ParsePortText(const std::string& text);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    afx_msg void OnTypeChanged();

    DECLARE_MESSAGE_MAP()

private:
    void ShowControlsOfType();
    std::string TextOf(CWnd& control) const;

    CDocumentDeviceGeneric1* m_device;
    CComboBox m_typeCombo;
    CComboBox m_comCombo;
    CEdit m_hostEdit;
    CEdit m_tcpPortEdit;
    CEdit m_localTcpPortEdit;
    CEdit m_addressEdit;
    CStatic m_connectedToStatic;
};
