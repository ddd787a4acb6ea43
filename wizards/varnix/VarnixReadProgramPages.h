// The two-page wizards that read the Varnix's setpoints and program them: where the
// controller is and which mode the setpoints are for, then the run with its progress.
#pragma once
#include "framework/FrameworkBase.h"
#include "wizards/framework/CPropPageRegisterListConnection.h"
#include "wizards/framework/CPropPageRegisterListProgress.h"
#include "wizards/varnix/CVarnixSettings.h"

// Dialog 460; its mode choice becomes the settings' mode (1 to 4).
class CPropPageVxWizReadConn : public CPropPageRegisterListConnection
{
public:
    CPropPageVxWizReadConn(CVarnixWizardProgContext* context, CVarnixSettings* settings);

protected:
    CPropPageVxWizReadConn(UINT dialogId, CVarnixWizardProgContext* context, CVarnixSettings* settings);
    void OnModeChosen(int index) override;

private:
    CVarnixSettings* m_varnixSettings;
};

// Dialog 465, the same page for programming.
class CPropPageVxWizProgramConn : public CPropPageVxWizReadConn
{
public:
    CPropPageVxWizProgramConn(CVarnixWizardProgContext* context, CVarnixSettings* settings);
};

// Dialog 461: runs the Varnix's register-list thread; a completed read goes into the
// settings the page was given.
class CPropPageVxWizReadCon2 : public CPropPageRegisterListProgress
{
public:
    CPropPageVxWizReadCon2(CVarnixWizardProgContext* context, CVarnixSettings* settings);
};
