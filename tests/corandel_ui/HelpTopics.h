// Records the help topics the program asks the help file for, in place of the help
// system, with an application object that names a help file.
#pragma once
#include "framework/CWinApp.h"

#include <windows.h>

#include <vector>

namespace corandel_ui {

class HelpTopics
{
public:
    HelpTopics();
    ~HelpTopics();

    // The topics of the text pop-ups shown so far.
    std::vector<UINT> Popups() const;

private:
    CWinApp m_app;
};

} // namespace corandel_ui
