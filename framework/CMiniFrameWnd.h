// A small popup frame with a tool caption: the holder of floating bars and other
// palettes. With MFS_SYNCACTIVE its caption looks active while its owner frame is.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CFrameWnd.h"

#define MFS_SYNCACTIVE 0x00000100L    // caption follows the owner frame's activation
#define MFS_4THICKFRAME 0x00000200L   // sizing border without the corner sizing
#define MFS_THICKFRAME 0x00000400L    // sizing border
#define MFS_MOVEFRAME 0x00000800L     // dragging the border moves the window
#define MFS_BLOCKSYSMENU 0x00001000L  // no system menu on the caption

class CMiniFrameWnd : public CFrameWnd
{
    DECLARE_DYNCREATE(CMiniFrameWnd)
public:
    CMiniFrameWnd();

    BOOL Create(LPCTSTR lpClassName, LPCTSTR lpWindowName, DWORD dwStyle, const RECT& rect,
                CWnd* pParentWnd = nullptr, UINT nID = 0);
    BOOL CreateEx(DWORD dwExStyle, LPCTSTR lpClassName, LPCTSTR lpWindowName, DWORD dwStyle,
                  const RECT& rect, CWnd* pParentWnd = nullptr, UINT nID = 0);

protected:
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;

    afx_msg BOOL OnNcActivate(BOOL bActive);
    afx_msg void OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized);
    afx_msg LRESULT OnFloatStatus(WPARAM wParam, LPARAM lParam);

    // The owner frame is active: the caption stays lit even without activation.
    BOOL m_bActive = FALSE;

    DECLARE_MESSAGE_MAP()
};
