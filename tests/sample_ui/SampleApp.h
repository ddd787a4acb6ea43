// The sample application: its InitInstance shows the settings dialog and then the
// wizard, whose sheet is the main window, and ends (returns FALSE) after them.
#pragma once
#include "framework/CWinApp.h"
#include "framework/CString.h"

#include <vector>

class CSampleApp : public CWinApp
{
public:
    CSampleApp();

    BOOL InitInstance() override;

    INT_PTR m_dialogResult = 0;
    CString m_name;
    int m_port = 0;
    INT_PTR m_wizardResult = 0;
    int m_fast = BST_UNCHECKED;
    std::vector<UINT> m_shownPages;
};
