// First welcome page: the two warnings before a firmware update.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CFont.h"
#include "framework/CPropertyPage.h"
#include "loader/ProgrammingSettings.h"

class CWizIntro1 : public CPropertyPage
{
public:
    explicit CWizIntro1(ProgrammingSettings* settings);

    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;

    // The welcome pages hide the sheet's Cancel and Help buttons for the whole wizard.
    static void HideSheetCancelAndHelp(const CWnd& page);

private:
    ProgrammingSettings* m_settings;
    CFont m_warningFont;
};
