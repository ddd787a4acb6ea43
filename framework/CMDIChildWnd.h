// A child frame inside an MDI frame's client. It shows the menu of its document type
// while it is active; ActivateFrame decides how it is shown (a frame that must never
// be seen overrides it).
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CFrameWnd.h"

class CMDIFrameWnd;

class CMDIChildWnd : public CFrameWnd
{
    DECLARE_DYNCREATE(CMDIChildWnd)
public:
    CMDIChildWnd();

    BOOL Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName,
                DWORD dwStyle = WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW,
                const RECT& rect = rectDefault, CMDIFrameWnd* pParentWnd = nullptr,
                CCreateContext* pContext = nullptr);
    // Created hidden through the MDI client; the template's InitialUpdateFrame shows it.
    BOOL LoadFrame(UINT nIDResource, DWORD dwDefaultStyle = WS_CHILD | WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                   CWnd* pParentWnd = nullptr, CCreateContext* pContext = nullptr) override;
    BOOL DestroyWindow() override;

    CMDIFrameWnd* GetMDIFrame() const;
    void MDIActivate();
    void MDIDestroy();
    void MDIMaximize();
    void MDIRestore();

    void ActivateFrame(int nCmdShow = -1) override;
    void OnUpdateFrameTitle(BOOL bAddToTitle) override;
    // Puts this child's menu on the MDI frame when it becomes active.
    virtual void OnUpdateFrameMenu(BOOL bActive, CWnd* pActivateWnd, HMENU hMenuAlt);
    CWnd* GetMessageBar() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // The menu of the child's document type (the template's shared menu); nullptr
    // shows the MDI frame's default menu.
    HMENU m_hMenuShared = nullptr;

protected:
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;

    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg void OnWindowPosChanged(WINDOWPOS* lpwndpos);
    afx_msg void OnMDIActivate(BOOL bActivate, CWnd* pActivateWnd, CWnd* pDeactivateWnd);
    afx_msg LRESULT OnMDIActivateMessage(WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()
};
