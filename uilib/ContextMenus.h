// The owner-drawn context menus of the bars and the menu messages their owners pass on
// to owner-drawn menus (CBNMenu).
#pragma once
#include "framework/CPoint.h"
#include "framework/FrameworkBase.h"

class CBNMenu;
class CMenu;
class CWnd;

// Loads the menu resource into the menu, gives it the images of the toolbar (0: none),
// shows its popup nSubMenu at the screen point until a choice is made (the owner gets
// the command), and destroys the menu again.
void TrackContextMenu(CBNMenu& menu, UINT nMenuID, UINT nToolbarID, int nSubMenu, CPoint ptScreen, CWnd* pOwner);
// WM_MEASUREITEM of pWnd for an item of an owner-drawn popup (the popup being tracked
// or one of pWnd's menu bar): measured by pMeasurer (nullptr: the menu that holds the
// item). FALSE for any other item.
BOOL MeasureContextMenuItem(CWnd* pWnd, LPMEASUREITEMSTRUCT lpMeasureItemStruct, CBNMenu* pMeasurer = nullptr);
// WM_MENUCHAR in an owner-drawn popup: TRUE and the answer in lResult.
BOOL ContextMenuChar(UINT nChar, UINT nFlags, CMenu* pMenu, LRESULT& lResult);
// WM_INITMENUPOPUP (after the default handling): an owner-drawn popup takes up what
// others changed in it.
void UpdateContextMenuPopup(CMenu* pPopupMenu, BOOL bSysMenu);
