// Asks the command handlers whether a command is enabled, checked or differently named,
// and applies the answer to the user-interface item that shows the command: a menu item
// (by position) or another window (a control, or a bar's item through a derived class).
#pragma once
#include "framework/FrameworkBase.h"

class CCmdTarget;
class CWnd;

class CCmdUI
{
public:
    CCmdUI() = default;
    virtual ~CCmdUI() = default;

    virtual void Enable(BOOL bOn = TRUE);
    virtual void SetCheck(int nCheck = 1);   // 0 unchecked, 1 checked, 2 indeterminate
    virtual void SetRadio(BOOL bOn = TRUE);
    virtual void SetText(LPCTSTR lpszText);

    // Called by an update handler that wants the next target asked as well.
    void ContinueRouting() { m_bContinueRouting = TRUE; }

    // Asks pTarget's handlers; without an update handler the item is disabled when
    // bDisableIfNoHndler is set and nobody handles the command itself.
    BOOL DoUpdate(CCmdTarget* pTarget, BOOL bDisableIfNoHndler);

    UINT m_nID = 0;
    UINT m_nIndex = 0;          // item position in the menu or bar
    UINT m_nIndexMax = 0;       // item count; handlers that add or remove items adjust it
    HMENU m_hMenu = nullptr;    // the menu being updated, or nullptr
    HMENU m_hSubMenu = nullptr; // the popup at m_nIndex, when the item opens one
    CWnd* m_pOther = nullptr;   // the window being updated when not a menu
    BOOL m_bEnableChanged = FALSE;
    BOOL m_bContinueRouting = FALSE;
};
