#include "tests/support/SheetScript.h"

#include "framework/CDialog.h"
#include "framework/CPropertySheet.h"

namespace testing_support {

namespace {
SheetScript* g_running = nullptr;
}

void SheetScript::Do(std::function<void()> action)
{
    m_steps.push_back(Step{nullptr, std::move(action), ""});
}

void SheetScript::WaitFor(std::function<bool()> condition, const std::string& what)
{
    m_steps.push_back(Step{std::move(condition), nullptr, what});
}

void CALLBACK SheetScript::OnTimer(HWND, UINT, UINT_PTR, DWORD)
{
    if (g_running)
        g_running->Tick();
}

void SheetScript::Tick()
{
    // A step that opens a nested modal loop (a box, a dialog) must not run the next one.
    if (m_inStep || !m_stuck.empty())
        return;
    m_inStep = true;
    while (m_next < m_steps.size()) {
        Step& step = m_steps[m_next];
        if (step.condition) {
            if (!step.condition()) {
                if (::GetTickCount() - m_waitStart > kWaitLimitMs) {
                    m_stuck = step.what;
                    m_cancel();
                }
                break;
            }
            ++m_next;
            m_waitStart = ::GetTickCount();
            continue;
        }
        ++m_next;
        m_waitStart = ::GetTickCount();
        step.action();
        break;   // one action per tick: the window handles what the action sent
    }
    m_inStep = false;
}

INT_PTR SheetScript::RunWith(const std::function<INT_PTR()>& run, const std::function<void()>& cancel)
{
    m_cancel = cancel;
    m_waitStart = ::GetTickCount();
    g_running = this;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, kIntervalMs, &SheetScript::OnTimer);
    const INT_PTR result = run();
    ::KillTimer(nullptr, timer);
    g_running = nullptr;
    return result;
}

INT_PTR SheetScript::Run(CPropertySheet& sheet)
{
    return RunWith([&] { return sheet.DoModal(); }, [&] { sheet.PressButton(PSBTN_CANCEL); });
}

INT_PTR SheetScript::Run(CDialog& dialog)
{
    return RunWith([&] { return dialog.DoModal(); }, [&] { dialog.EndDialog(IDCANCEL); });
}

std::string WindowText(HWND window)
{
    char text[4096] = {};
    ::GetWindowTextA(window, text, sizeof text);
    return text;
}

std::vector<std::string> ListBoxLines(HWND list)
{
    std::vector<std::string> lines;
    const int count = static_cast<int>(::SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int row = 0; row < count && row < 5000; ++row) {
        std::string line(static_cast<size_t>(::SendMessageA(list, LB_GETTEXTLEN, row, 0)) + 1, '\0');
        ::SendMessageA(list, LB_GETTEXT, row, reinterpret_cast<LPARAM>(&line[0]));
        line.resize(line.size() - 1);
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> ComboLines(HWND combo)
{
    std::vector<std::string> lines;
    const int count = static_cast<int>(::SendMessageA(combo, CB_GETCOUNT, 0, 0));
    for (int row = 0; row < count && row < 5000; ++row) {
        std::string line(static_cast<size_t>(::SendMessageA(combo, CB_GETLBTEXTLEN, row, 0)) + 1, '\0');
        ::SendMessageA(combo, CB_GETLBTEXT, row, reinterpret_cast<LPARAM>(&line[0]));
        line.resize(line.size() - 1);
        lines.push_back(line);
    }
    return lines;
}

void SetEditText(HWND dialog, int editId, const std::string& text)
{
    ::SetDlgItemTextA(dialog, editId, text.c_str());
}

void SelectComboRow(HWND dialog, int comboId, int row)
{
    HWND combo = ::GetDlgItem(dialog, comboId);
    ::SendMessageA(combo, CB_SETCURSEL, row, 0);
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(comboId, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

void ClickButton(HWND dialog, int buttonId)
{
    ::SendMessageA(::GetDlgItem(dialog, buttonId), BM_CLICK, 0, 0);
}

void PostClick(HWND dialog, int buttonId)
{
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, buttonId)));
}

HWND FindThreadWindow(const std::string& caption)
{
    struct Search {
        const std::string* caption;
        HWND found;
    } search = {&caption, nullptr};
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND window, LPARAM data) -> BOOL {
            Search* search = reinterpret_cast<Search*>(data);
            if (::IsWindowVisible(window) && WindowText(window) == *search->caption) {
                search->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool ControlVisible(HWND dialog, int controlId)
{
    HWND control = ::GetDlgItem(dialog, controlId);
    return control != nullptr && (::GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE) != 0;
}

bool ControlEnabled(HWND dialog, int controlId)
{
    HWND control = ::GetDlgItem(dialog, controlId);
    return control != nullptr && ::IsWindowEnabled(control);
}

} // namespace testing_support
