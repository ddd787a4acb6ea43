// Plays the user of modal dialogs on the test's own thread: steps run from a
// thread timer, so they run inside whatever modal loop (dialog, wizard sheet, file
// dialog) is showing. Each step waits, bounded, for its condition; a step that waits too
// long fails the test and every window of the thread is cancelled until the body returns.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace testing_support {

// Generous: a loaded machine shows Wine windows slowly and serial runs take seconds.
const DWORD kStepWaitMs = 30000;

class UiScript
{
public:
    // The step waits until ready holds, then acts.
    void Step(const std::string& name, std::function<bool()> ready, std::function<void()> act);
    void Step(const std::string& name, std::function<void()> act);

    // Runs body (which shows the modal windows) while the steps play.
    void Play(const std::function<void()>& body);
    bool Finished() const { return m_next == m_steps.size() && m_stuck.empty(); }
    // The step that waited too long, "" when none; the steps not run.
    const std::string& Stuck() const { return m_stuck; }
    size_t Remaining() const { return m_steps.size() - m_next; }

private:
    struct Entry
    {
        std::string name;
        std::function<bool()> ready;
        std::function<void()> act;
    };
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
    void Tick();

    std::vector<Entry> m_steps;
    size_t m_next = 0;
    DWORD m_waitingSince = 0;
    bool m_inTick = false;
    std::string m_stuck;
};

// Windows of this thread.
HWND FindTopWindow(const std::string& title);          // visible, by caption
HWND FindDialogWith(int controlId);                     // visible dialog with that control
HWND FindWizardSheet();                                 // the visible wizard (it has a Next button)
HWND CurrentPage(HWND sheet);                           // the wizard's active page
std::string TextOf(HWND window);
std::string ItemText(HWND dialog, int id);
bool IsItemEnabled(HWND dialog, int id);
bool IsItemVisible(HWND dialog, int id);
bool IsChecked(HWND dialog, int id);
// Posted, so that a command that opens a modal window runs in the dialog's own loop.
void Click(HWND dialog, int id);
void PressWizardButton(HWND sheet, int button);        // PSBTN_BACK, _NEXT, _FINISH, _CANCEL
// A check box or radio button clicked as the user does (state and notification).
void Toggle(HWND dialog, int id);
// A key pressed and released on the keyboard, with the focus on the window: the input goes
// through the system's queue, so the system's own handling of the key follows (F1's help
// request among it) once the window's loop reads it. False when the window could not be
// given the focus in the foreground window.
bool PressKey(HWND focus, WORD virtualKey);
// Replaces an edit's text (the dialog is told of the change) and moves the focus on, as
// leaving the field does.
void Type(HWND dialog, int id, const std::string& text);
void SelectCombo(HWND dialog, int id, int index);
void SelectTab(HWND dialog, int id, int index);
bool IsWizardButtonEnabled(HWND sheet, int commandId);   // ID_WIZBACK, ID_WIZNEXT, ID_WIZFINISH, IDCANCEL
std::vector<std::string> ListBoxLines(HWND dialog, int id);
// The rows of a report list view, each with its columns' texts.
std::vector<std::vector<std::string>> ListViewRows(HWND dialog, int id);
// The open or save dialog of this thread, answered with a path; false when none shows.
bool AnswerFileDialog(const std::string& path);
HWND FindFileDialog();
// Saves the window's screenshot under the name; true when saved.
bool SaveScreenshot(HWND window, const std::string& name);

} // namespace testing_support
