#include "tests/support/UiScript.h"

#include "tests/support/Screenshot.h"

#include <commctrl.h>
#include <dlgs.h>
#include <gtest/gtest.h>
#include <prsht.h>

namespace testing_support {

namespace {
const UINT kTickMs = 40;
UiScript* g_playing = nullptr;

std::vector<HWND> ThreadWindows()
{
    std::vector<HWND> windows;
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND window, LPARAM data) -> BOOL {
            if (::IsWindowVisible(window))
                reinterpret_cast<std::vector<HWND>*>(data)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    return windows;
}
}

void UiScript::Step(const std::string& name, std::function<bool()> ready, std::function<void()> act)
{
    m_steps.push_back({name, std::move(ready), std::move(act)});
}

void UiScript::Step(const std::string& name, std::function<void()> act)
{
    Step(name, [] { return true; }, std::move(act));
}

void UiScript::Play(const std::function<void()>& body)
{
    g_playing = this;
    m_waitingSince = ::GetTickCount();
    const UINT_PTR timer = ::SetTimer(nullptr, 0, kTickMs, &UiScript::OnTimer);
    ASSERT_NE(0u, timer);
    body();
    ::KillTimer(nullptr, timer);
    g_playing = nullptr;
    EXPECT_EQ("", m_stuck) << "this step waited in vain";
    EXPECT_EQ(0u, Remaining()) << "steps left when the windows closed";
}

void CALLBACK UiScript::OnTimer(HWND, UINT, UINT_PTR, DWORD)
{
    if (g_playing != nullptr)
        g_playing->Tick();
}

void UiScript::Tick()
{
    // A step may start a nested loop in which the timer ticks again.
    if (m_inTick)
        return;
    m_inTick = true;
    if (!m_stuck.empty())
    {
        // Cancel whatever still shows so that the body returns.
        for (HWND window : ThreadWindows())
            ::PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    }
    else if (m_next < m_steps.size())
    {
        Entry& step = m_steps[m_next];
        if (step.ready())
        {
            ++m_next;
            m_waitingSince = ::GetTickCount();
            step.act();
        }
        else if (::GetTickCount() - m_waitingSince > kStepWaitMs)
        {
            m_stuck = step.name;
            // What was showing instead, for the failure's message.
            for (HWND window : ThreadWindows())
            {
                char className[64] = {};
                ::GetClassNameA(window, className, sizeof className);
                ADD_FAILURE() << "showing: " << className << " \"" << TextOf(window) << "\"";
            }
        }
    }
    m_inTick = false;
}

HWND FindTopWindow(const std::string& title)
{
    for (HWND window : ThreadWindows())
    {
        if (TextOf(window) == title)
            return window;
    }
    return nullptr;
}

HWND FindDialogWith(int controlId)
{
    for (HWND window : ThreadWindows())
    {
        char className[16] = {};
        ::GetClassNameA(window, className, sizeof className);
        if (std::string(className) == "#32770" && ::GetDlgItem(window, controlId) != nullptr)
            return window;
    }
    return nullptr;
}

HWND FindWizardSheet()
{
    // The wizard's caption follows its pages, so it is found by its buttons.
    return FindDialogWith(0x3024);
}

HWND CurrentPage(HWND sheet)
{
    return sheet != nullptr ? reinterpret_cast<HWND>(::SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)) : nullptr;
}

std::string TextOf(HWND window)
{
    char text[2048] = {};
    if (window != nullptr)
        ::GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ItemText(HWND dialog, int id)
{
    return TextOf(::GetDlgItem(dialog, id));
}

bool IsItemEnabled(HWND dialog, int id)
{
    return ::IsWindowEnabled(::GetDlgItem(dialog, id)) != FALSE;
}

bool IsItemVisible(HWND dialog, int id)
{
    return ::IsWindowVisible(::GetDlgItem(dialog, id)) != FALSE;
}

bool IsChecked(HWND dialog, int id)
{
    return ::IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

void Click(HWND dialog, int id)
{
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

void PressWizardButton(HWND sheet, int button)
{
    ::PostMessageA(sheet, PSM_PRESSBUTTON, button, 0);
}

void Toggle(HWND dialog, int id)
{
    ::SendMessageA(::GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

bool PressKey(HWND focus, WORD virtualKey)
{
    HWND top = ::GetAncestor(focus, GA_ROOT);
    ::SetForegroundWindow(top);
    ::SetFocus(focus);
    if (::GetForegroundWindow() != top || ::GetFocus() != focus)
        return false;
    INPUT keys[2] = {};
    keys[0].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = virtualKey;
    keys[0].ki.wScan = static_cast<WORD>(::MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC));
    keys[1] = keys[0];
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    return ::SendInput(2, keys, sizeof(INPUT)) == 2;
}

void Type(HWND dialog, int id, const std::string& text)
{
    HWND edit = ::GetDlgItem(dialog, id);
    ::SetFocus(edit);
    ::SetWindowTextA(edit, text.c_str());
    // Leaving the field, as the user's Tab does.
    ::SetFocus(::GetNextDlgTabItem(dialog, edit, FALSE));
}

void SelectCombo(HWND dialog, int id, int index)
{
    HWND combo = ::GetDlgItem(dialog, id);
    ::SendMessageA(combo, CB_SETCURSEL, index, 0);
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

void SelectTab(HWND dialog, int id, int index)
{
    HWND tabs = ::GetDlgItem(dialog, id);
    NMHDR header = {tabs, static_cast<UINT_PTR>(id), static_cast<UINT>(TCN_SELCHANGING)};
    if (::SendMessageA(dialog, WM_NOTIFY, id, reinterpret_cast<LPARAM>(&header)) != FALSE)
        return;   // the dialog keeps the tab
    ::SendMessageA(tabs, TCM_SETCURSEL, index, 0);
    header.code = TCN_SELCHANGE;
    ::SendMessageA(dialog, WM_NOTIFY, id, reinterpret_cast<LPARAM>(&header));
}

bool IsWizardButtonEnabled(HWND sheet, int commandId)
{
    HWND button = ::GetDlgItem(sheet, commandId);
    return button != nullptr && ::IsWindowVisible(button) && ::IsWindowEnabled(button);
}

std::vector<std::string> ListBoxLines(HWND dialog, int id)
{
    HWND list = ::GetDlgItem(dialog, id);
    std::vector<std::string> lines;
    const int count = static_cast<int>(::SendMessageA(list, LB_GETCOUNT, 0, 0));
    // Read as wide text: Wine hands a list of another process that keeps wide text to an
    // ANSI reader unconverted, which ends it after the first letter.
    for (int row = 0; row < count && row < 2000; ++row)
    {
        wchar_t text[1024] = {};
        if (::SendMessageW(list, LB_GETTEXTLEN, row, 0) < static_cast<LRESULT>(ARRAYSIZE(text)))
            ::SendMessageW(list, LB_GETTEXT, row, reinterpret_cast<LPARAM>(text));
        char narrow[4096] = {};
        ::WideCharToMultiByte(CP_ACP, 0, text, -1, narrow, sizeof narrow, nullptr, nullptr);
        lines.push_back(narrow);
    }
    return lines;
}

std::vector<std::vector<std::string>> ListViewRows(HWND dialog, int id)
{
    HWND list = ::GetDlgItem(dialog, id);
    HWND header = reinterpret_cast<HWND>(::SendMessageA(list, LVM_GETHEADER, 0, 0));
    const int columns = static_cast<int>(::SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
    std::vector<std::vector<std::string>> rows;
    const int count = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count && row < 1000; ++row)
    {
        std::vector<std::string> texts;
        for (int column = 0; column < columns && column < 16; ++column)
        {
            char text[512] = {};
            LVITEMA item = {};
            item.iSubItem = column;
            item.pszText = text;
            item.cchTextMax = sizeof text;
            ::SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
            texts.push_back(text);
        }
        rows.push_back(texts);
    }
    return rows;
}

HWND FindFileDialog()
{
    for (HWND window : ThreadWindows())
    {
        char className[16] = {};
        ::GetClassNameA(window, className, sizeof className);
        if (std::string(className) == "#32770" &&
            (::GetDlgItem(window, cmb13) != nullptr || ::GetDlgItem(window, edt1) != nullptr))
            return window;
    }
    return nullptr;
}

bool AnswerFileDialog(const std::string& path)
{
    HWND dialog = FindFileDialog();
    if (dialog == nullptr)
        return false;
    HWND name = ::GetDlgItem(dialog, cmb13);
    if (name == nullptr)
        name = ::GetDlgItem(dialog, edt1);
    ::SetWindowTextA(name, path.c_str());
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return true;
}

bool SaveScreenshot(HWND window, const std::string& name)
{
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    const testing_support::Screenshot shot = testing_support::Screenshot::OfWindow(window);
    return !shot.Empty() && !shot.Save(name).empty();
}

} // namespace testing_support
