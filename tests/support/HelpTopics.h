// Records the help topics and the contents that the program asks the help file for, in
// place of the help system, while the application names a help file.
#pragma once
#include "framework/CWinApp.h"

#include <windows.h>

#include <string>
#include <vector>

namespace testing_support {

class HelpTopics
{
public:
    explicit HelpTopics(CWinApp& app);
    ~HelpTopics();

    // The topics of the text pop-ups shown so far.
    std::vector<UINT> Popups() const;
    // How often the table of contents was shown.
    int ContentsShown() const;

private:
    CWinApp& m_app;
    std::string m_previousPath;
    bool m_hadPath;
};

} // namespace testing_support
