// Tolmera's application object: reads the command line, loads a named firmware file,
// and runs the wizard as the main window; the program ends when the wizard closes.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CWinApp.h"

#include <vector>

class CVarnixLoadApp : public CWinApp
{
public:
    CVarnixLoadApp();

    BOOL InitInstance() override;

    int m_verbosity = 0;

    // What the last run did, for the program's tests: the dialog ids of the pages the
    // wizard got (empty when the program ended before it) and the wizard's result.
    std::vector<UINT> m_wizardPages;
    INT_PTR m_wizardResult = 0;

private:
    static void ShowUsage();
};
