#include "uilib/ContextMenus.h"
#include "uilib/CBNMenu.h"
#include "framework/CWnd.h"

void TrackContextMenu(CBNMenu& menu, UINT nMenuID, UINT nToolbarID, int nSubMenu, CPoint ptScreen, CWnd* pOwner)
{
    if (!menu.LoadMenuA(static_cast<int>(nMenuID)))
        return;
    if (nToolbarID != 0)
        menu.LoadToolbar(nToolbarID);
    CMenu* pPopup = menu.GetSubMenu(nSubMenu);
    if (pPopup != nullptr && pOwner != nullptr)
        pPopup->TrackPopupMenu(TPM_RIGHTBUTTON, ptScreen.x, ptScreen.y, pOwner);
    menu.DestroyMenu();
}

BOOL MeasureContextMenuItem(CWnd* pWnd, LPMEASUREITEMSTRUCT lpMeasureItemStruct, CBNMenu* pMeasurer)
{
    if (lpMeasureItemStruct == nullptr || lpMeasureItemStruct->CtlType != ODT_MENU)
        return FALSE;
    const UINT nItemID = lpMeasureItemStruct->itemID;
    CMenu* pHolder = CMenu::FindPermanentMenuOfItem(CMenu::GetTrackedPopup(), nItemID);
    if (pHolder == nullptr && pWnd != nullptr && pWnd->m_hWnd != nullptr)
        pHolder = CMenu::FindPermanentMenuOfItem(::GetMenu(pWnd->m_hWnd), nItemID);
    if (pHolder == nullptr || !pHolder->IsKindOf(RUNTIME_CLASS(CBNMenu)))
        return FALSE;
    (pMeasurer != nullptr ? pMeasurer : static_cast<CBNMenu*>(pHolder))->MeasureItem(lpMeasureItemStruct);
    return TRUE;
}

BOOL ContextMenuChar(UINT nChar, UINT nFlags, CMenu* pMenu, LRESULT& lResult)
{
    if (pMenu == nullptr || !CBNMenu::IsMenu(pMenu))
        return FALSE;
    lResult = CBNMenu::FindKeyboardShortcut(nChar, nFlags, pMenu);
    return TRUE;
}

void UpdateContextMenuPopup(CMenu* pPopupMenu, BOOL bSysMenu)
{
    if (!bSysMenu && pPopupMenu != nullptr && CBNMenu::IsMenu(pPopupMenu))
        CBNMenu::UpdateMenu(pPopupMenu);
}
