// A frame's menu as a dockable toolbar: one text button per top-level popup of a menu
// resource. A click, the mnemonic with Alt, or the keyboard after Alt or F10 opens the
// popup below its button as an owner-drawn menu; while it is open, Left and Right move
// to the neighbouring popup and the mouse over another button switches to its popup.
//
// The frame creates the bar with CreateEx, loads its menu with LoadMenuA and hands each
// message of its message loop to TranslateFrameMessage before translating it, dropping
// the messages that call consumes.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CFont.h"
#include "framework/CPoint.h"
#include "framework/CStringArray.h"
#include "uilib/CBNMenu.h"
#include "uilib/CBNMenuBarFrameHook.h"
#include "uilib/CBNToolBar.h"
#include "uilib/UiLibExport.h"

class UILIB_API CBNMenuBar : public CBNToolBar
{
    DECLARE_DYNAMIC(CBNMenuBar)
public:
    enum TRACKINGSTATE
    {
        TRACK_NONE = 0,     // no tracking
        TRACK_BUTTON = 1,   // a hot button follows the keyboard
        TRACK_POPUP = 2     // a popup is open
    };

    CBNMenuBar();
    ~CBNMenuBar() override;

    CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
    void OnBarStyleChange(DWORD dwOldStyle, DWORD dwNewStyle) override;
    BOOL Create(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_TOP, UINT nID = AFX_IDW_TOOLBAR) override;
    BOOL CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle = 0, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_TOP,
                  CRect rcBorders = CRect(0, 0, 0, 0), UINT nID = AFX_IDW_TOOLBAR) override;
    // TRUE when the message was consumed: the frame must not translate or dispatch it.
    virtual BOOL TranslateFrameMessage(MSG* pMsg);
    // A message of the open popup's loop; TRUE when consumed.
    virtual BOOL OnMenuInput(MSG& m);

    // Replaces the frame's menu by the buttons of a menu resource; always TRUE.
    BOOL LoadMenuA(UINT nID);
    CBNMenu* GetMenu();
    TRACKINGSTATE GetTrackingState(int& iPopup) const;
    BOOL IsValidButton(int iButton) const;
    // The button under a point of the client area, -1 for none.
    int HitTest(CPoint point) const;
    int GetNextOrPrevButton(int iButton, BOOL bPrev) const;
    void SetTrackingState(TRACKINGSTATE iState, int iButton = -1);
    void ToggleTrackButtonMode();
    // Opens the button's popup, and the popups the user moves on to, until one closes.
    void TrackPopup(int iButton);
    void CancelMenuAndTrackNewOne(int iButton);
    CPoint ComputeMenuTrackPoint(const CRect& rcButton);
    void UpdateFont();
    void RecomputeMenuLayout();
    void RecomputeToolbarSize();
    void OnMenuSelect(HMENU hMenu, UINT nItemID);
    UINT GetMenuID() const;
    const CStringArray& GetButtonTexts() const;

    // The message-filter hook while a popup is open.
    static LRESULT CALLBACK MenuInputFilter(int code, WPARAM wp, LPARAM lp);
    // The bar whose popup is open, NULL when none (one at a time in the process).
    static CBNMenuBar* g_pMenuBar;
    static HHOOK g_hMsgHook;

protected:
    CBNMenuBarFrameHook m_frameHook;
    CStringArray m_arStrings;
    UINT m_nMenuID;
    CBNMenu m_menu;
    int m_iPopupTracking;
    int m_iNewPopup;
    BOOL m_bProcessRightArrow;
    BOOL m_bProcessLeftArrow;
    BOOL m_bEscapeWasPressed;
    CPoint m_ptMouse;
    CFont m_fontMenu;
    TRACKINGSTATE m_iTrackingState;

    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnUpdateMenuButton(CCmdUI* pCmdUI);
    DECLARE_MESSAGE_MAP()

private:
    CWnd* TrackingFrame() const;
    void RecomputeFrame();
};
