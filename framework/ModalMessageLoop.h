// The framework's own modal loop for dialogs and property sheets: the window is
// modeless to Win32, so every message passes through PreTranslateMessage of the
// windows it is for, and the window gets WM_KICKIDLE whenever the queue is empty.
#pragma once
#include "framework/FrameworkBase.h"

#include <functional>

class CWnd;

class ModalMessageLoop
{
public:
    // Disables the owner (when it is enabled) for the life of the object.
    explicit ModalMessageLoop(HWND hWndOwner);
    // Enables the owner again and gives it back the activation.
    ~ModalMessageLoop();
    ModalMessageLoop(const ModalMessageLoop&) = delete;
    ModalMessageLoop& operator=(const ModalMessageLoop&) = delete;

    // Before the window of a loop is hidden or destroyed: the owner must be enabled
    // again first, or Win32 activates some other program's window.
    void ReleaseOwner(HWND hWndModal);

    // Ends the modal window after its loop: gives the owner back, hides the window
    // without activating anything else, and destroys it.
    void CloseModalWindow(CWnd* pModalWnd);

    // Dispatches messages until isDone answers true. FALSE when WM_QUIT arrived; the
    // quit message is posted again so that the outer loop ends too.
    BOOL Run(CWnd* pModalWnd, const std::function<bool()>& isDone);

    // The owner a modal window gets when its caller named none: the top-level window
    // of the main window, never the modal window itself.
    static HWND DefaultOwner(HWND hWndParent, const CWnd* pModalWnd);

private:
    HWND m_hWndOwner;
    bool m_ownerDisabled = false;
};
