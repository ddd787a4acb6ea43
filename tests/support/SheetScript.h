// Plays the user of a modal property sheet or dialog from inside its own message loop: a
// thread timer runs one step per tick, a step may wait (bounded) for a condition, and a
// watchdog cancels the sheet when the script is stuck, so a broken test fails instead of
// hanging.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class CPropertySheet;
class CDialog;

namespace testing_support {

class SheetScript {
public:
    static const UINT kIntervalMs = 100;
    // A wait longer than this ends the run (generous: a loaded machine is slow).
    static const DWORD kWaitLimitMs = 45000;

    void Do(std::function<void()> action);
    // Holds the script until the condition holds.
    void WaitFor(std::function<bool()> condition, const std::string& what);

    // Runs the sheet modally with the script; its DoModal result.
    INT_PTR Run(CPropertySheet& sheet);
    INT_PTR Run(CDialog& dialog);

    bool AllDone() const { return m_next == m_steps.size(); }
    // What the script was waiting for when the watchdog ended it ("" when it did not).
    const std::string& Stuck() const { return m_stuck; }

private:
    struct Step {
        std::function<bool()> condition;
        std::function<void()> action;
        std::string what;
    };
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
    void Tick();
    INT_PTR RunWith(const std::function<INT_PTR()>& run, const std::function<void()>& cancel);

    std::vector<Step> m_steps;
    size_t m_next = 0;
    DWORD m_waitStart = 0;
    bool m_inStep = false;
    std::string m_stuck;
    std::function<void()> m_cancel;
};

// Small helpers for scripts.
std::string WindowText(HWND window);
std::vector<std::string> ListBoxLines(HWND list);
std::vector<std::string> ComboLines(HWND combo);
void SetEditText(HWND dialog, int editId, const std::string& text);
// Selects a combo row and tells the dialog, as the user's choice would.
void SelectComboRow(HWND dialog, int comboId, int row);
// Clicks a button (radio, check box or push button) as the user would.
void ClickButton(HWND dialog, int buttonId);
// Posts the click, so that a button that opens a modal window (a nested sheet or dialog)
// does so after the step has returned and the script can go on inside it.
void PostClick(HWND dialog, int buttonId);
// A visible top-level window of this thread with that caption; null when none.
HWND FindThreadWindow(const std::string& caption);
bool ControlVisible(HWND dialog, int controlId);
bool ControlEnabled(HWND dialog, int controlId);

} // namespace testing_support
