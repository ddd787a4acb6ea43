// The docking MDI frame: the framework's MDI frame with this library's dock bars (flat
// toolbar dock bars, the four sizing dock bars, floating frames for sizing bars), the
// sizing dock bars laid out after every frame layout, and the owner-drawn menus that
// replace the frame's default menu and its templates' shared menus.
#pragma once
#include "framework/CMDIFrameWnd.h"
#include "framework/CPtrList.h"
#include "framework/CTypedPtrList.h"
#include "uilib/CBNMenu.h"
#include "uilib/CBNMenuBar.h"
#include "uilib/UiLibExport.h"

class CBNSizeDockBar;
class CControlBar;
class CDocTemplate;

class UILIB_API CBNMDIFrameWnd : public CMDIFrameWnd
{
    DECLARE_DYNCREATE(CBNMDIFrameWnd)
public:
    // The sides whose sizing dock bar draws its splitter flat.
    enum DockFlatBorders
    {
        FlatTop = 1,
        FlatBottom = 2,
        FlatLeft = 4,
        FlatRight = 8
    };

    CBNMDIFrameWnd();
    ~CBNMDIFrameWnd() override;

    // A new owner-drawn menu of the resource, with the images of the toolbars; the
    // frame keeps the menu object. nullptr when it could not be made.
    virtual HMENU NewMenu(UINT nMenuID, UINT nToolbarID);
    virtual HMENU NewMenu(UINT nMenuID, const UINT* pToolbarIDs, int nCount);
    virtual void LoadBarState(LPCTSTR lpszProfileName);
    virtual void SaveBarState(LPCTSTR lpszProfileName);
    virtual BOOL InitializeMenu(HMENU* phMenu, UINT nMenuID, const UINT* pToolbarIDs, int nCount);
    virtual BOOL InitializeMenu(HMENU* phMenu, UINT nMenuID, UINT nToolbarID);
    // The first call also makes the default menu the frame's menu; a template gets
    // its shared menu.
    virtual BOOL InitializeMenu(CDocTemplate* pTemplate, UINT nMenuID, UINT nToolbarID, UINT nDefaultMenuID);
    virtual BOOL InitializeMenu(CDocTemplate* pTemplate, UINT nMenuID, const UINT* pToolbarIDs, int nCount,
                                UINT nDefaultMenuID);
    virtual void RecalcAllExcept(CBNSizeDockBar* pExcept);
    virtual void EnableDocking(DWORD dwDockStyle);
    // The sizing dock bars of the sides in dwDockStyle; dwFlatBorders of DockFlatBorders.
    virtual void EnableDockingSizeBar(DWORD dwDockStyle, DWORD dwFlatBorders = 0);
    // Docks a sizing bar; without a dock bar on its own side, whose thickness then
    // becomes the bar's.
    virtual void DockSizeBar(CControlBar* pBar, CBNSizeDockBar* pDockBar = nullptr, LPCRECT lpRect = nullptr);
    virtual void DockControlBarLeftOf(CControlBar* pBar, CControlBar* pLeftOf);
    virtual BOOL PreCreateWindow(CREATESTRUCT& cs, UINT nIconID);

    void RecalcLayout(BOOL bNotify = TRUE) override;

    INT_PTR GetMenuCount() const;
    // The menu bar the derived frame creates (CreateEx, LoadMenuA) when it shows one.
    CBNMenuBar& GetMenuBar();

protected:
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    // Each sizing dock bar as thick as the sizing bar it holds.
    void FitSidesToBars();
    // Puts a toolbar dock bar before the sizing dock bars in the layout.
    void PlaceBeforeSizingSides(CWnd* pDockBar);

    afx_msg void OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMeasureItemStruct);
    afx_msg LRESULT OnMenuChar(UINT nChar, UINT nFlags, CMenu* pMenu);
    afx_msg void OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu);
    afx_msg void OnClose();

    CTypedPtrList<CPtrList, CBNMenu*> m_listMenus;
    CBNMenuBar m_wndMenuBar;

    DECLARE_MESSAGE_MAP()
};
