// Plays the user of a wizard sheet (or of a setup dialog) from a second thread while the
// test's thread runs it modally: finds the window, reads and changes the controls of the
// page shown, presses the wizard's buttons and waits, bounded, for what each press does:
// another page, a message box, or the sheet closing. Everything the script saw goes into
// a log of lines that the test compares after the run.
#pragma once
#include <windows.h>
#include <prsht.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace varnix_ui
{
// Generous: a loaded machine shows Wine windows slowly.
const DWORD kWaitMs = 20000;

// The visible top-level dialog window of the thread with that title; with an empty title
// the wizard sheet the thread shows.
HWND FindTopDialog(DWORD thread, const std::string& title);
std::string WindowText(HWND window);

const char* const kWizardSheet = "";

// The line the player logs when a press leads to that page.
std::string PageLine(int id);

class SheetPlayer
{
public:
    // Waits for the window of the thread with that title (empty: its wizard sheet) and runs
    // the script with this player on a second thread; a script that leaves the window
    // open has it cancelled, so that a broken test fails instead of hanging.
    SheetPlayer(const std::string& title, std::function<void(SheetPlayer&)> script);
    // The same for a window that another thread (the one running the dialog) shows, for
    // a script that opens a nested wizard from its dialog.
    SheetPlayer(const std::string& title, std::function<void(SheetPlayer&)> script, DWORD uiThread);
    ~SheetPlayer();
    SheetPlayer(const SheetPlayer&) = delete;
    SheetPlayer& operator=(const SheetPlayer&) = delete;

    // Joins the script; true when the window appeared and the script closed it.
    bool Finished();
    const std::vector<std::string>& Log() const { return m_log; }

    // --- For the script --------------------------------------------------------------
    HWND Window() const { return m_window; }
    HWND Page() const;
    // The dialog resource id of the page shown.
    int PageId() const;
    // Presses Next, Back or Finish (PSBTN_*) and waits for its outcome; logs
    // "page <id>", "box <text>" or "closed", and returns that line.
    std::string Press(int button);
    std::string Next() { return Press(PSBTN_NEXT); }
    std::string Back() { return Press(PSBTN_BACK); }
    std::string Finish() { return Press(PSBTN_FINISH); }
    // Presses Next up to the last page of the sheet (at most 30 pages), then Finish.
    void NextToFinish();
    // Cancel through the sheet's query, answering its question; logs the question and then
    // "closed" or the page that stays.
    std::string Cancel(int answer);
    // Clicks a button of the page (a check box, a radio, a push button) or of a dialog.
    void Click(int id);
    // Clicks a button of the page that opens a window of its own (a nested sheet or box)
    // without waiting for it.
    void ClickLater(int id);
    void SetText(int id, const std::string& text);
    // An IP-address control's a.b.c.d, or "" when none of its fields is filled in.
    std::string Text(int id) const;
    bool Enabled(int id) const;
    bool Visible(int id) const;
    bool Checked(int id) const;
    void SelectComboEntry(int id, const std::string& text);
    std::string ComboSelection(int id) const;
    std::vector<std::string> ComboEntries(int id) const;
    // The sheet's own buttons (ID_WIZBACK, ID_WIZNEXT, ID_WIZFINISH), once the buttons
    // a page posted have arrived.
    bool WizardButtonEnabled(int id) const;
    bool WaitWizardButton(int id, bool enabled) const;
    // Waits for a condition on the window (bounded); logs "timeout <what>" when it fails.
    bool WaitFor(const std::function<bool()>& condition, const std::string& what);
    // Saves a screenshot of the window under the name.
    void Screenshot(const std::string& name);
    void Note(const std::string& line) { m_log.push_back(line); }
    DWORD UiThread() const { return m_uiThread; }
    // Types the path into the file dialog the window opened and presses its OK; logs
    // "file dialog", or "timeout file dialog" when none showed and "timeout file dialog
    // closing" when it stayed open.
    void AnswerFileDialog(const std::string& path);

private:
    void Play();
    HWND Control(int id) const;

    DWORD m_uiThread;
    std::string m_title;
    std::function<void(SheetPlayer&)> m_script;
    HWND m_window = nullptr;
    bool m_appeared = false;
    bool m_closedByScript = false;
    std::vector<std::string> m_log;
    std::thread m_thread;
};
} // namespace varnix_ui
