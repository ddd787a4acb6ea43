#include "framework/ModalMessageLoop.h"

#include "framework/CWinApp.h"
#include "framework/CWnd.h"
#include "framework/FrameworkIds.h"

namespace {

// Messages that arrive by themselves all the time: they do not restart idle work,
// or a blinking caret would keep the loop from ever resting.
bool RestartsIdle(const MSG& msg)
{
    const UINT kSysTimer = 0x0118;
    return msg.message != WM_TIMER && msg.message != WM_PAINT && msg.message != kSysTimer;
}

} // namespace

ModalMessageLoop::ModalMessageLoop(HWND hWndOwner) : m_hWndOwner(hWndOwner)
{
    if (m_hWndOwner != nullptr && ::IsWindowEnabled(m_hWndOwner)) {
        ::EnableWindow(m_hWndOwner, FALSE);
        m_ownerDisabled = true;
    }
}

ModalMessageLoop::~ModalMessageLoop()
{
    ReleaseOwner(nullptr);
}

void ModalMessageLoop::ReleaseOwner(HWND hWndModal)
{
    if (!m_ownerDisabled)
        return;
    m_ownerDisabled = false;
    if (!::IsWindow(m_hWndOwner))
        return;
    ::EnableWindow(m_hWndOwner, TRUE);
    if (hWndModal != nullptr && ::GetActiveWindow() == hWndModal)
        ::SetActiveWindow(m_hWndOwner);
}

BOOL ModalMessageLoop::Run(CWnd* pModalWnd, const std::function<bool()>& isDone)
{
    bool idle = true;
    LONG idleCount = 0;
    while (!isDone()) {
        MSG msg;
        while (idle && !::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            // A window without idle work answers 0 (the default), which ends the phase.
            if (!pModalWnd->IsWindow() ||
                pModalWnd->SendMessage(WM_KICKIDLE, MSGF_DIALOGBOX, idleCount++) == 0)
                idle = false;
            if (isDone())
                return TRUE;
        }
        if (!::GetMessageA(&msg, nullptr, 0, 0)) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return FALSE;
        }
        if (!CWnd::WalkPreTranslateTree(pModalWnd->GetSafeHwnd(), &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        if (RestartsIdle(msg)) {
            idle = true;
            idleCount = 0;
        }
        // The window went away under the loop (destroyed by a handler).
        if (!pModalWnd->IsWindow())
            return TRUE;
    }
    return TRUE;
}

HWND ModalMessageLoop::DefaultOwner(HWND hWndParent, const CWnd* pModalWnd)
{
    HWND hWndOwner = hWndParent;
    if (hWndOwner == nullptr) {
        CWnd* pMainWnd = AfxGetMainWnd();
        // A dialog that is itself the main window has no owner.
        if (pMainWnd != nullptr && pMainWnd != pModalWnd)
            hWndOwner = pMainWnd->GetSafeHwnd();
    }
    // Only top-level windows own others; a child's top-level parent stands in for it.
    while (hWndOwner != nullptr && (::GetWindowLongA(hWndOwner, GWL_STYLE) & WS_CHILD) != 0)
        hWndOwner = ::GetParent(hWndOwner);
    return hWndOwner;
}

void ModalMessageLoop::CloseModalWindow(CWnd* pModalWnd)
{
    if (pModalWnd->m_hWnd == nullptr)
        return;
    ReleaseOwner(pModalWnd->m_hWnd);
    ::SetWindowPos(pModalWnd->m_hWnd, nullptr, 0, 0, 0, 0,
                   SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
    pModalWnd->DestroyWindow();
}
