#include "framework/CCmdUI.h"
#include "framework/CCmdTarget.h"
#include "framework/CWnd.h"

namespace
{
// Menu state bits of an item by position, to keep them when the text is replaced.
UINT MenuItemState(HMENU menu, UINT index)
{
    return ::GetMenuState(menu, index, MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED | MF_CHECKED);
}
}  // namespace

void CCmdUI::Enable(BOOL bOn)
{
    if (m_hMenu != nullptr)
    {
        ::EnableMenuItem(m_hMenu, m_nIndex, MF_BYPOSITION | (bOn ? MF_ENABLED : (MF_DISABLED | MF_GRAYED)));
    }
    else if (m_pOther != nullptr)
    {
        // A control about to be disabled must not keep the focus, or the keyboard is lost.
        if (!bOn && ::GetFocus() == m_pOther->m_hWnd)
        {
            HWND parent = ::GetParent(m_pOther->m_hWnd);
            if (parent != nullptr)
                ::SendMessage(parent, WM_NEXTDLGCTL, 0, FALSE);
        }
        m_pOther->EnableWindow(bOn);
    }
    m_bEnableChanged = TRUE;
}

void CCmdUI::SetCheck(int nCheck)
{
    if (m_hMenu != nullptr)
    {
        ::CheckMenuItem(m_hMenu, m_nIndex, MF_BYPOSITION | (nCheck ? MF_CHECKED : MF_UNCHECKED));
    }
    else if (m_pOther != nullptr && (m_pOther->SendMessage(WM_GETDLGCODE) & DLGC_BUTTON) != 0)
    {
        m_pOther->SendMessage(BM_SETCHECK, static_cast<WPARAM>(nCheck));
    }
}

void CCmdUI::SetRadio(BOOL bOn)
{
    if (m_hMenu != nullptr)
    {
        MENUITEMINFO info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE;
        if (::GetMenuItemInfo(m_hMenu, m_nIndex, TRUE, &info))
        {
            info.fType = bOn ? (info.fType | MFT_RADIOCHECK) : (info.fType & ~MFT_RADIOCHECK);
            ::SetMenuItemInfo(m_hMenu, m_nIndex, TRUE, &info);
        }
    }
    SetCheck(bOn ? 1 : 0);
}

void CCmdUI::SetText(LPCTSTR lpszText)
{
    if (lpszText == nullptr)
        lpszText = "";
    if (m_hMenu != nullptr)
    {
        const UINT state = MenuItemState(m_hMenu, m_nIndex);
        ::ModifyMenu(m_hMenu, m_nIndex, MF_BYPOSITION | MF_STRING | state, m_nID, lpszText);
    }
    else if (m_pOther != nullptr)
    {
        m_pOther->SetWindowText(lpszText);
    }
}

BOOL CCmdUI::DoUpdate(CCmdTarget* pTarget, BOOL bDisableIfNoHndler)
{
    if (m_nID == 0 || pTarget == nullptr)
        return TRUE;
    m_bEnableChanged = FALSE;
    const BOOL handled = pTarget->OnCmdMsg(m_nID, static_cast<int>(CN_UPDATE_COMMAND_UI), this, nullptr);
    if (bDisableIfNoHndler && !m_bEnableChanged)
    {
        AFX_CMDHANDLERINFO info;
        Enable(pTarget->OnCmdMsg(m_nID, CN_COMMAND, nullptr, &info));
    }
    return handled;
}
