#include "tests/support/DialogUser.h"

#include <algorithm>
#include "tests/support/Polling.h"
#include "tests/support/Screenshot.h"

namespace shell_test
{
std::string TextOf(HWND window)
{
    char text[1024] = {};
    ::GetWindowTextA(window, text, sizeof text);
    return text;
}

HWND FindDescendant(HWND parent, int controlId)
{
    struct Search
    {
        int controlId;
        HWND found;
    } search = {controlId, nullptr};
    ::EnumChildWindows(
        parent,
        [](HWND window, LPARAM data) -> BOOL {
            Search* search = reinterpret_cast<Search*>(data);
            if (::GetDlgCtrlID(window) != search->controlId)
                return TRUE;
            search->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindDialogWithControl(DWORD thread, int controlId)
{
    struct Search
    {
        int controlId;
        HWND found;
    } search = {controlId, nullptr};
    ::EnumThreadWindows(
        thread,
        [](HWND window, LPARAM data) -> BOOL {
            Search* search = reinterpret_cast<Search*>(data);
            char className[16] = {};
            ::GetClassNameA(window, className, sizeof className);
            if (std::string(className) != "#32770" || !::IsWindowVisible(window) ||
                FindDescendant(window, search->controlId) == nullptr)
                return TRUE;
            search->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void Click(HWND dialog, int buttonId)
{
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, buttonId)));
}

void SelectListRow(HWND dialog, int listId, int row)
{
    HWND list = ::GetDlgItem(dialog, listId);
    ::SendMessageA(list, LB_SETCURSEL, row, 0);
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(listId, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

std::vector<std::string> ListTexts(HWND list)
{
    std::vector<std::string> texts;
    const int count = static_cast<int>(::SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int row = 0; row < count && row < 10000; ++row) {
        char text[1024] = {};
        if (::SendMessageA(list, LB_GETTEXTLEN, row, 0) < static_cast<LRESULT>(sizeof text))
            ::SendMessageA(list, LB_GETTEXT, row, reinterpret_cast<LPARAM>(text));
        texts.push_back(text);
    }
    return texts;
}

bool SelectListRowOf(HWND dialog, int listId, const std::string& text)
{
    const std::vector<std::string> texts = ListTexts(::GetDlgItem(dialog, listId));
    const auto found = std::find(texts.begin(), texts.end(), text);
    if (found == texts.end())
        return false;
    SelectListRow(dialog, listId, static_cast<int>(found - texts.begin()));
    return true;
}

void TypeText(HWND dialog, int editId, const std::string& text)
{
    HWND edit = ::GetDlgItem(dialog, editId);
    ::SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(editId, EN_CHANGE), reinterpret_cast<LPARAM>(edit));
}

bool WaitClosed(HWND window, DWORD timeoutMs)
{
    return testing_support::PollUntil([&] { return !::IsWindow(window) || !::IsWindowVisible(window); },
                                      timeoutMs);
}

DialogUser::DialogUser(int controlId, std::function<void(HWND)> script, const std::string& screenshot)
    : m_uiThread(::GetCurrentThreadId()), m_controlId(controlId), m_script(std::move(script)),
      m_screenshot(screenshot), m_thread([this] { Play(); })
{
}

DialogUser::~DialogUser()
{
    if (m_thread.joinable())
        m_thread.join();
}

bool DialogUser::Finished()
{
    if (m_thread.joinable())
        m_thread.join();
    return m_appeared && m_closedByScript;
}

void DialogUser::Play()
{
    HWND dialog = nullptr;
    if (!testing_support::PollUntil(
            [&] { return (dialog = FindDialogWithControl(m_uiThread, m_controlId)) != nullptr; }, kDialogWaitMs))
        return;
    m_appeared = true;
    if (!m_screenshot.empty()) {
        // Let the dialog paint before it is captured.
        ::RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        m_screenshotPath = testing_support::Screenshot::OfWindow(dialog).Save(m_screenshot);
    }
    m_script(dialog);
    m_closedByScript = WaitClosed(dialog);
    if (!m_closedByScript)
        ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}
} // namespace shell_test
