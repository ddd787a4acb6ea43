// The main frame of a multiple-document program: an MDI client window in its client
// area holds the child frames; the menu bar switches to the active child's menu, whose
// window-list popup the client fills with the children's titles.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CFrameWnd.h"

class CMDIChildWnd;
class CMenu;

class CMDIFrameWnd : public CFrameWnd
{
    DECLARE_DYNCREATE(CMDIFrameWnd)
public:
    CMDIFrameWnd();

    // Creates the MDI client (id AFX_IDW_PANE_FIRST); pWindowMenu is the popup that lists
    // the children.
    virtual BOOL CreateClient(LPCREATESTRUCT lpCreateStruct, CMenu* pWindowMenu);
    // The popup of the menu bar that lists the windows: the one holding a Window
    // command (cascade, tile, arrange, new window), else the second from the right.
    virtual HMENU GetWindowMenuPopup(HMENU hMenuBar);

    CMDIChildWnd* MDIGetActive(BOOL* pbMaximized = nullptr) const;
    void MDIActivate(CWnd* pWndActivate);
    void MDICascade();
    void MDITile(int nType = MDITILE_HORIZONTAL);
    void MDIIconArrange();
    void MDIMaximize(CWnd* pWnd);
    void MDIRestore(CWnd* pWnd);
    void MDINext();
    void MDIPrev();
    // Shows the frame menu with its window-list popup; the old menu bar is returned.
    HMENU MDISetMenu(HMENU hFrameMenu, HMENU hWindowMenu);
    // Lists in the window-list popup only the children shown now (a hidden child is no
    // window to switch to).
    void MDIRefreshWindowList();

    CFrameWnd* GetActiveFrame() override;
    void OnUpdateFrameTitle(BOOL bAddToTitle) override;
    // Shows the active child's menu, else the default menu (hMenuAlt: this one instead).
    virtual void OnUpdateFrameMenu(HMENU hMenuAlt);

    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    HWND m_hWndMDIClient = nullptr;

protected:
    BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* pContext) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg BOOL OnMDIWindowCmd(UINT nID);
    afx_msg void OnUpdateMDIWindowCmd(CCmdUI* pCmdUI);
    afx_msg void OnWindowNew();

    DECLARE_MESSAGE_MAP()
};
