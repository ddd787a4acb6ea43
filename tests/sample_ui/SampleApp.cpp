#include "tests/sample_ui/SampleApp.h"

#include "framework/CPropertySheet.h"
#include "tests/sample_ui/SampleDialog.h"
#include "tests/sample_ui/SampleResources.h"
#include "tests/sample_ui/SampleWizardPage.h"

CSampleApp::CSampleApp() : CWinApp("Framework Sample")
{
}

BOOL CSampleApp::InitInstance()
{
    CSampleDialog settings;
    m_dialogResult = settings.DoModal();
    m_name = settings.m_name;
    m_port = settings.m_port;

    CSampleWizardPage welcome(IDD_SAMPLE_PAGE_WELCOME, m_shownPages);
    CSampleWizardPage choice(IDD_SAMPLE_PAGE_CHOICE, m_shownPages);
    CSampleWizardPage done(IDD_SAMPLE_PAGE_DONE, m_shownPages);
    CPropertySheet wizard("Sample Wizard");
    wizard.AddPage(&welcome);
    wizard.AddPage(&choice);
    wizard.AddPage(&done);
    wizard.SetWizardMode();
    // The sheet is the main window: it must not become its own owner.
    m_pMainWnd = &wizard;
    m_wizardResult = wizard.DoModal();
    // A sheet that never got its window leaves the pointer behind; the object is going.
    if (m_pMainWnd == &wizard)
        m_pMainWnd = nullptr;
    m_fast = choice.m_fast;
    return FALSE;
}
