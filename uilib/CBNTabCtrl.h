// The tab control of the tabbed bar: double-buffered, in the system's message font,
// with an owner-drawn context menu on a right click.
#pragma once
#include "framework/CFont.h"
#include "framework/CTabCtrl.h"
#include "uilib/CBNMenu.h"
#include "uilib/UiLibExport.h"

class UILIB_API CBNTabCtrl : public CTabCtrl
{
    DECLARE_DYNAMIC(CBNTabCtrl)
public:
    CBNTabCtrl() = default;
    ~CBNTabCtrl() override;

    virtual void UpdateFont();
    virtual void SetMenuID(UINT nMenuID, UINT nToolbarID = 0, int nSubMenu = 0);
    virtual UINT GetMenuID() const;
    virtual BOOL Create(CWnd* pParentWnd, UINT nID, DWORD dwStyle, const RECT& rect);

protected:
    afx_msg void OnRButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMeasureItemStruct);
    afx_msg LRESULT OnMenuChar(UINT nChar, UINT nFlags, CMenu* pMenu);
    afx_msg void OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu);
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg void OnPaint();

    UINT m_nMenuToolbarID = 0;
    UINT m_nMenuID = 0;
    CBNMenu m_menuContext;
    int m_nSubMenu = 0;
    CFont m_font;

    DECLARE_MESSAGE_MAP()
};
