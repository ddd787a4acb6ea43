#include "uilib/CBNTabCtrl.h"
#include "uilib/CBNBufferedPaint.h"
#include "uilib/SystemFonts.h"
#include "uilib/ContextMenus.h"
#include "framework/CWinApp.h"
#include "framework/MessageMap.h"

IMPLEMENT_DYNAMIC(CBNTabCtrl, CTabCtrl)

BEGIN_MESSAGE_MAP(CBNTabCtrl, CTabCtrl)
    ON_WM_RBUTTONDOWN()
    ON_WM_MEASUREITEM()
    ON_WM_MENUCHAR()
    ON_WM_INITMENUPOPUP()
    ON_WM_ERASEBKGND()
    ON_WM_PAINT()
END_MESSAGE_MAP()

CBNTabCtrl::~CBNTabCtrl()
{
    // Destroy while this class's handlers still run.
    if (m_hWnd != nullptr && ::IsWindow(m_hWnd))
        DestroyWindow();
}

BOOL CBNTabCtrl::Create(CWnd* pParentWnd, UINT nID, DWORD dwStyle, const RECT& rect)
{
    if (!CTabCtrl::Create(dwStyle, rect, pParentWnd, nID))
        return FALSE;
    UpdateFont();
    return TRUE;
}

void CBNTabCtrl::UpdateFont()
{
    LOGFONTA font;
    if (!GetSystemMessageLogFontA(font))
        return;
    m_font.DeleteObject();
    if (m_font.CreateFontIndirect(&font) && m_hWnd != nullptr)
        SetFont(&m_font, TRUE);
}

void CBNTabCtrl::SetMenuID(UINT nMenuID, UINT nToolbarID, int nSubMenu)
{
    m_nMenuID = nMenuID;
    m_nMenuToolbarID = nToolbarID;
    m_nSubMenu = nSubMenu;
}

UINT CBNTabCtrl::GetMenuID() const
{
    return m_nMenuID;
}

void CBNTabCtrl::OnRButtonDown(UINT nFlags, CPoint point)
{
    if (m_nMenuID == 0)
    {
        CTabCtrl::OnRButtonDown(nFlags, point);
        return;
    }
    ClientToScreen(&point);
    TrackContextMenu(m_menuContext, m_nMenuID, m_nMenuToolbarID, m_nSubMenu, point, AfxGetMainWnd());
}

void CBNTabCtrl::OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMeasureItemStruct)
{
    if (!MeasureContextMenuItem(this, lpMeasureItemStruct))
        CTabCtrl::OnMeasureItem(nIDCtl, lpMeasureItemStruct);
}

LRESULT CBNTabCtrl::OnMenuChar(UINT nChar, UINT nFlags, CMenu* pMenu)
{
    LRESULT lResult = 0;
    if (ContextMenuChar(nChar, nFlags, pMenu, lResult))
        return lResult;
    return CTabCtrl::OnMenuChar(nChar, nFlags, pMenu);
}

void CBNTabCtrl::OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu)
{
    CTabCtrl::OnInitMenuPopup(pPopupMenu, nIndex, bSysMenu);
    UpdateContextMenuPopup(pPopupMenu, bSysMenu);
}

BOOL CBNTabCtrl::OnEraseBkgnd(CDC*)
{
    return TRUE;
}

void CBNTabCtrl::OnPaint()
{
    CBNBufferedPaint paint(this);
    paint.DC().FillSolidRect(&paint.ClientRect(), ::GetSysColor(COLOR_BTNFACE));
    paint.PaintDefault();
}
