// Step 2: the user picks the COM port (tried at once) and, for a meter, the Modbus
// address of the controller that carries it.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CPropertyPage.h"
#include "framework/CString.h"
#include "loader/ProgrammingSettings.h"

class CWizSelectPort : public CPropertyPage
{
public:
    explicit CWizSelectPort(ProgrammingSettings* settings);

    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    LRESULT OnWizardNext() override;

    // Device name of a COM port number as Win32 opens it.
    static CString PortDeviceName(int comPort);

private:
    void FillPortList();
    void AddPort(const CString& text, int number);

    ProgrammingSettings* m_settings;
    CString m_promptTemplate;
    CString m_meterNoteTemplate;
};
