// Second welcome page: what the program does, how to get help, and its version.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CPropertyPage.h"
#include "loader/ProgrammingSettings.h"

class CWizIntro2 : public CPropertyPage
{
public:
    explicit CWizIntro2(ProgrammingSettings* settings);

    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    LRESULT OnWizardNext() override;

private:
    ProgrammingSettings* m_settings;
};
