#include "tests/varnix_ui/SheetPlayer.h"

#include "tests/support/Polling.h"
#include "tests/support/Screenshot.h"
#include "tests/support/WindowTest.h"

#include <commctrl.h>
#include <dlgs.h>
#include <prsht.h>

#include <algorithm>
#include <utility>
#include <vector>

// The wizard's Finish button.
const int ID_WIZFINISH = 0x3025;

namespace varnix_ui
{
using testing_support::Recorder;

namespace
{
bool IsDialogClass(HWND window)
{
    char className[16] = {};
    ::GetClassNameA(window, className, sizeof className);
    return std::string(className) == "#32770";
}
// Cancels every dialog of the thread shown besides the window (a file dialog, the box
// of one, a nested sheet); the window itself stays.
void CloseWindowsOver(DWORD thread, HWND window)
{
    for (int round = 0; round < 10; ++round)
    {
        std::vector<HWND> others;
        std::pair<HWND, std::vector<HWND>*> search(window, &others);
        ::EnumThreadWindows(
            thread,
            [](HWND shown, LPARAM data) -> BOOL {
                auto* found = reinterpret_cast<std::pair<HWND, std::vector<HWND>*>*>(data);
                if (shown != found->first && IsDialogClass(shown) && ::IsWindowVisible(shown))
                    found->second->push_back(shown);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        if (others.empty())
            return;
        for (HWND other : others)
            ::PostMessageA(other, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        testing_support::PollUntil(
            [&] {
                return std::none_of(others.begin(), others.end(),
                                    [](HWND other) { return ::IsWindow(other) && ::IsWindowVisible(other); });
            },
            2000);
    }
}
} // namespace

std::string PageLine(int id)
{
    return "page " + std::to_string(id);
}

std::string WindowText(HWND window)
{
    char text[2048] = {};
    ::SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

HWND FindTopDialog(DWORD thread, const std::string& title)
{
    struct Search
    {
        const std::string* title;
        HWND found;
    } search = {&title, nullptr};
    ::EnumThreadWindows(
        thread,
        [](HWND window, LPARAM data) -> BOOL {
            Search* search = reinterpret_cast<Search*>(data);
            if (!IsDialogClass(window) || !::IsWindowVisible(window))
                return TRUE;
            // A wizard sheet is titled by its page: it is found by having one.
            if (search->title->empty() ? ::SendMessageA(window, PSM_GETCURRENTPAGEHWND, 0, 0) == 0
                                       : WindowText(window) != *search->title)
                return TRUE;
            search->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

SheetPlayer::SheetPlayer(const std::string& title, std::function<void(SheetPlayer&)> script)
    : m_uiThread(::GetCurrentThreadId()), m_title(title), m_script(std::move(script)), m_thread([this] { Play(); })
{
}

SheetPlayer::SheetPlayer(const std::string& title, std::function<void(SheetPlayer&)> script, DWORD uiThread)
    : m_uiThread(uiThread), m_title(title), m_script(std::move(script)), m_thread([this] { Play(); })
{
}

SheetPlayer::~SheetPlayer()
{
    if (m_thread.joinable())
        m_thread.join();
}

bool SheetPlayer::Finished()
{
    if (m_thread.joinable())
        m_thread.join();
    return m_appeared && m_closedByScript;
}

void SheetPlayer::Play()
{
    if (!testing_support::PollUntil([&] { return (m_window = FindTopDialog(m_uiThread, m_title)) != nullptr; },
                                    kWaitMs))
    {
        // Whatever the thread shows instead is named in the log and closed, so that the
        // test fails instead of waiting for a window nobody answers.
        m_log.push_back("timeout window " + m_title);
        ::EnumThreadWindows(
            m_uiThread,
            [](HWND window, LPARAM data) -> BOOL {
                if (IsDialogClass(window) && ::IsWindowVisible(window))
                {
                    reinterpret_cast<std::vector<std::string>*>(data)->push_back("shown " + WindowText(window));
                    ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&m_log));
        return;
    }
    m_appeared = true;
    m_script(*this);
    m_closedByScript = testing_support::PollUntil(
        [&] { return !::IsWindow(m_window) || !::IsWindowVisible(m_window); }, kWaitMs);
    if (!m_closedByScript)
    {
        // Whatever the window still shows over itself goes first, or the window could not
        // close and the test would wait for ever.
        m_log.push_back("left open");
        CloseWindowsOver(m_uiThread, m_window);
        ::PostMessageA(m_window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }
}

HWND SheetPlayer::Page() const
{
    HWND page = reinterpret_cast<HWND>(::SendMessageA(m_window, PSM_GETCURRENTPAGEHWND, 0, 0));
    return page != nullptr ? page : m_window;
}

int SheetPlayer::PageId() const
{
    HWND page = reinterpret_cast<HWND>(::SendMessageA(m_window, PSM_GETCURRENTPAGEHWND, 0, 0));
    if (page == nullptr)
        return 0;
    const LRESULT index = ::SendMessageA(m_window, PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(page), 0);
    return static_cast<int>(::SendMessageA(m_window, PSM_INDEXTOID, static_cast<WPARAM>(index), 0));
}

std::string SheetPlayer::Press(int button)
{
    const size_t boxes = Recorder().Count();
    const int before = PageId();
    const LRESULT pageBefore = ::SendMessageA(m_window, PSM_GETCURRENTPAGEHWND, 0, 0);
    ::PostMessageA(m_window, PSM_PRESSBUTTON, static_cast<WPARAM>(button), 0);
    std::string outcome;
    const bool ended = testing_support::PollUntil(
        [&] {
            // A closing sheet has no current page any more.
            const LRESULT page = ::IsWindow(m_window) ? ::SendMessageA(m_window, PSM_GETCURRENTPAGEHWND, 0, 0) : 0;
            if (!::IsWindow(m_window) || !::IsWindowVisible(m_window) || page == 0)
                outcome = "closed";
            else if (Recorder().Count() > boxes)
                outcome = "box " + Recorder().Boxes().back().text;
            else if (page != pageBefore)
                outcome = PageLine(PageId());
            return !outcome.empty();
        },
        kWaitMs);
    if (!ended)
        outcome = "no change on page " + std::to_string(before);
    m_log.push_back(outcome);
    return outcome;
}

void SheetPlayer::NextToFinish()
{
    // The last page of the sheet's order offers Finish: the tab control holds every page.
    HWND tabs = reinterpret_cast<HWND>(::SendMessageA(m_window, PSM_GETTABCONTROL, 0, 0));
    const int last = static_cast<int>(::SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0)) - 1;
    for (int step = 0; step < 30; ++step)
    {
        HWND page = reinterpret_cast<HWND>(::SendMessageA(m_window, PSM_GETCURRENTPAGEHWND, 0, 0));
        if (::SendMessageA(m_window, PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(page), 0) >= last)
            break;
        if (Next().compare(0, 5, "page ") != 0)
            return;
    }
    WaitWizardButton(ID_WIZFINISH, true);
    Finish();
}

std::string SheetPlayer::Cancel(int answer)
{
    const size_t boxes = Recorder().Count();
    Recorder().QueueAnswer(answer);
    ::PostMessageA(m_window, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    if (!WaitFor([&] { return Recorder().Count() > boxes; }, "the question before cancelling"))
        return "";
    const std::string question = "box " + Recorder().Boxes().back().text;
    m_log.push_back(question);
    if (answer == IDYES && WaitFor([&] { return !::IsWindow(m_window) || !::IsWindowVisible(m_window); }, "closing"))
        m_log.push_back("closed");
    else if (answer != IDYES)
        m_log.push_back(PageLine(PageId()));
    return question;
}

HWND SheetPlayer::Control(int id) const
{
    HWND control = ::GetDlgItem(Page(), id);
    return control != nullptr ? control : ::GetDlgItem(m_window, id);
}

void SheetPlayer::Click(int id)
{
    ::SendMessageA(Control(id), BM_CLICK, 0, 0);
}

void SheetPlayer::ClickLater(int id)
{
    HWND control = Control(id);
    ::PostMessageA(::GetParent(control), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
}

void SheetPlayer::SetText(int id, const std::string& text)
{
    HWND control = Control(id);
    char className[32] = {};
    ::GetClassNameA(control, className, sizeof className);
    if (std::string(className) == WC_IPADDRESSA)
    {
        unsigned a = 0, b = 0, c = 0, d = 0;
        std::sscanf(text.c_str(), "%u.%u.%u.%u", &a, &b, &c, &d);
        ::SendMessageA(control, IPM_SETADDRESS, 0, MAKEIPADDRESS(a, b, c, d));
        return;
    }
    ::SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::string SheetPlayer::Text(int id) const
{
    HWND control = Control(id);
    char className[32] = {};
    ::GetClassNameA(control, className, sizeof className);
    if (std::string(className) == WC_IPADDRESSA)
    {
        if (::SendMessageA(control, IPM_ISBLANK, 0, 0))
            return std::string();
        DWORD address = 0;
        ::SendMessageA(control, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&address));
        return std::to_string(FIRST_IPADDRESS(address)) + "." + std::to_string(SECOND_IPADDRESS(address)) + "." +
               std::to_string(THIRD_IPADDRESS(address)) + "." + std::to_string(FOURTH_IPADDRESS(address));
    }
    return WindowText(control);
}

bool SheetPlayer::Enabled(int id) const
{
    return ::IsWindowEnabled(Control(id)) != FALSE;
}

bool SheetPlayer::Visible(int id) const
{
    return (::GetWindowLongA(Control(id), GWL_STYLE) & WS_VISIBLE) != 0;
}

bool SheetPlayer::Checked(int id) const
{
    return ::SendMessageA(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void SheetPlayer::SelectComboEntry(int id, const std::string& text)
{
    HWND combo = Control(id);
    const LRESULT index = ::SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                         reinterpret_cast<LPARAM>(text.c_str()));
    if (index == CB_ERR)
    {
        m_log.push_back("no entry " + text);
        return;
    }
    ::SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    ::SendMessageA(::GetParent(combo), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

std::string SheetPlayer::ComboSelection(int id) const
{
    HWND combo = Control(id);
    const LRESULT index = ::SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR)
        return "";
    char text[512] = {};
    if (::SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0) < static_cast<LRESULT>(sizeof text))
        ::SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return text;
}

std::vector<std::string> SheetPlayer::ComboEntries(int id) const
{
    HWND combo = Control(id);
    std::vector<std::string> entries;
    const int count = static_cast<int>(::SendMessageA(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count && i < 1000; ++i)
    {
        char text[512] = {};
        if (::SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0) < static_cast<LRESULT>(sizeof text))
            ::SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        entries.push_back(text);
    }
    return entries;
}

bool SheetPlayer::WizardButtonEnabled(int id) const
{
    HWND button = ::GetDlgItem(m_window, id);
    return button != nullptr && ::IsWindowVisible(button) && ::IsWindowEnabled(button);
}

bool SheetPlayer::WaitWizardButton(int id, bool enabled) const
{
    return testing_support::PollUntil([&] { return WizardButtonEnabled(id) == enabled; }, kWaitMs);
}

bool SheetPlayer::WaitFor(const std::function<bool()>& condition, const std::string& what)
{
    if (testing_support::PollUntil(condition, kWaitMs))
        return true;
    m_log.push_back("timeout " + what);
    return false;
}

void SheetPlayer::Screenshot(const std::string& name)
{
    ::RedrawWindow(m_window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    if (testing_support::Screenshot::OfWindow(m_window).Save(name).empty())
        m_log.push_back("no screenshot " + name);
}
} // namespace varnix_ui

namespace varnix_ui
{
void SheetPlayer::AnswerFileDialog(const std::string& path)
{
    HWND dialog = nullptr;
    const bool shown = testing_support::PollUntil(
        [&] {
            struct Search
            {
                HWND found;
            } search = {nullptr};
            ::EnumThreadWindows(
                m_uiThread,
                [](HWND window, LPARAM data) -> BOOL {
                    if (IsDialogClass(window) && ::IsWindowVisible(window) &&
                        (::GetDlgItem(window, cmb13) != nullptr || ::GetDlgItem(window, edt1) != nullptr))
                    {
                        reinterpret_cast<Search*>(data)->found = window;
                        return FALSE;
                    }
                    return TRUE;
                },
                reinterpret_cast<LPARAM>(&search));
            dialog = search.found;
            return dialog != nullptr;
        },
        kWaitMs);
    if (!shown)
    {
        m_log.push_back("timeout file dialog");
        return;
    }
    HWND name = ::GetDlgItem(dialog, cmb13);
    if (name == nullptr)
        name = ::GetDlgItem(dialog, edt1);
    // The dialog may still be settling when it shows (it fills its name box once it has
    // listed the folder), which would empty a name typed from this thread: the name is
    // typed again, and OK pressed again, as long as the box does not hold it.
    const bool closed = testing_support::PollUntil(
        [&] {
            if (!::IsWindow(dialog) || !::IsWindowVisible(dialog))
                return true;
            if (WindowText(name) != path)
            {
                ::SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
                ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            }
            return false;
        },
        kWaitMs);
    m_log.push_back(closed ? "file dialog" : "timeout file dialog closing");
}
} // namespace varnix_ui
