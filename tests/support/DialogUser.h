// Plays the user of a modal dialog from a second thread while the test's thread runs the
// dialog: waits (bounded) for the dialog to show, lets a script read and press its
// controls, and closes a dialog that the script left open, so that a broken test fails
// instead of hanging.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace shell_test
{
// Generous: a loaded machine shows Wine windows slowly.
const DWORD kDialogWaitMs = 20000;

std::string TextOf(HWND window);
// A control with that id anywhere below the window (the pages of a property sheet).
HWND FindDescendant(HWND parent, int controlId);
// The visible dialog of the thread that has a control with that id, also on one of its
// pages; null when none.
HWND FindDialogWithControl(DWORD thread, int controlId);
// Presses a button as a click does (the notification the button sends its dialog).
void Click(HWND dialog, int buttonId);
// Selects a row of a list box and notifies the dialog as the user's click would.
void SelectListRow(HWND dialog, int listId, int row);
std::vector<std::string> ListTexts(HWND list);
// Selects the row of that text as SelectListRow does; false when the list has none.
bool SelectListRowOf(HWND dialog, int listId, const std::string& text);
// Replaces an edit's text and notifies the dialog.
void TypeText(HWND dialog, int editId, const std::string& text);
// Waits (bounded) until the window is gone or hidden.
bool WaitClosed(HWND window, DWORD timeoutMs = kDialogWaitMs);

class DialogUser
{
public:
    // Waits for the constructing thread's dialog that has controlId, then runs the script
    // on this second thread; a screenshot name saves the dialog before the script.
    DialogUser(int controlId, std::function<void(HWND dialog)> script, const std::string& screenshot = "");
    ~DialogUser();
    DialogUser(const DialogUser&) = delete;
    DialogUser& operator=(const DialogUser&) = delete;

    // Joins the thread; true when the dialog appeared and the script closed it.
    bool Finished();
    bool Appeared() const { return m_appeared; }
    // The screenshot's path ("" when none was asked or it failed).
    const std::string& ScreenshotPath() const { return m_screenshotPath; }

private:
    void Play();

    DWORD m_uiThread;
    int m_controlId;
    std::function<void(HWND)> m_script;
    std::string m_screenshot;
    std::string m_screenshotPath;
    bool m_appeared = false;
    bool m_closedByScript = false;
    std::thread m_thread;
};
} // namespace shell_test
