#include "tests/support/HelpTopics.h"

#include "shell/HelpCommands.h"

#include <htmlhelp.h>

namespace testing_support {

namespace {
std::vector<UINT> g_popups;
int g_contents = 0;
char g_helpFile[] = "C:\\Pyraxis\\pyraxis.chm";
HtmlHelpCall g_previous = nullptr;

HWND WINAPI RecordHelp(HWND, LPCSTR, UINT command, DWORD_PTR data)
{
    if (command == HH_DISPLAY_TEXT_POPUP && data != 0)
        g_popups.push_back(reinterpret_cast<const HH_POPUP*>(data)->idString);
    if (command == HH_DISPLAY_TOC)
        ++g_contents;
    return nullptr;
}
}

HelpTopics::HelpTopics(CWinApp& app)
    : m_app(app), m_previousPath(app.m_pszHelpFilePath != nullptr ? app.m_pszHelpFilePath : ""),
      m_hadPath(app.m_pszHelpFilePath != nullptr)
{
    g_popups.clear();
    g_contents = 0;
    m_app.SetHelpFilePath(g_helpFile);
    g_previous = SetHtmlHelpCall(RecordHelp);
}

HelpTopics::~HelpTopics()
{
    SetHtmlHelpCall(g_previous);
    m_app.SetHelpFilePath(m_hadPath ? m_previousPath.c_str() : nullptr);
}

std::vector<UINT> HelpTopics::Popups() const
{
    return g_popups;
}

int HelpTopics::ContentsShown() const
{
    return g_contents;
}

} // namespace testing_support
