// The connection page of the register-list wizards (Varnix, Corandel Duo, Corandel MPPT;
// dialog 460 to read, 465 to program): serial port or TCP/IP and the Modbus address, and
// on Next the context's register list built from the settings' rows.
#pragma once
#include "framework/FrameworkBase.h"
#include "wizards/framework/CPropPageWizardConnection.h"
#include "wizards/framework/CStorageVarnixConfig.h"
#include "wizards/framework/CVarnixWizardProgContext.h"

class CPropPageRegisterListConnection : public CPropPageWizardConnection
{
    DECLARE_DYNAMIC(CPropPageRegisterListConnection)
public:
    // showModeChoice: the Varnix wizard asks which mode the settings are for (its radio
    // group 1178-1181); the others hide the group.
    CPropPageRegisterListConnection(UINT dialogId, CVarnixWizardProgContext* context, CStorageVarnixConfig* settings,
                                    bool showModeChoice);
    ~CPropPageRegisterListConnection() override;

    BOOL OnInitDialog() override;
    LRESULT OnWizardNext() override;

protected:
    // With the mode choice: the chosen radio index (0..3) before the list is built; the
    // base keeps it as the context's program choice.
    virtual void OnModeChosen(int index);

    void DoDataExchange(CDataExchange* pDX) override;

    int m_modeChoice;
    bool m_showModeChoice;
    CVarnixWizardProgContext* m_context;
    CStorageVarnixConfig* m_settings;
};
