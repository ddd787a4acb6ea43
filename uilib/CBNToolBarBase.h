// The flat look of the library's toolbars: borders and gripper drawn in the non-client
// area, the inside rectangle they leave, and the routing of owner-drawing, notification
// and command messages on to the bar's owner.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CControlBar.h"
#include "uilib/UiLibExport.h"

class UILIB_API CBNToolBarBase : public CControlBar
{
    DECLARE_DYNAMIC(CBNToolBarBase)
public:
    CBNToolBarBase();
    ~CBNToolBarBase() override;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void CalcInsideRect(CRect& rect, BOOL bHorz) const override;
    void DoPaint(CDC* pDC) override;
    void DrawBorders(CDC* pDC, CRect& rect) override;
    void DrawGripper(CDC* pDC, const CRect& rect) override;

    void SetBorders(int cxLeft = 0, int cyTop = 0, int cxRight = 0, int cyBottom = 0);
    void SetBorders(const RECT* lpRect);

    BOOL IsInReBar() const;
    BOOL HasRaisedGripper() const;

    BYTE m_bInReBar;    // the parent is a rebar
    BYTE m_bGripper;    // the raised gripper (set by a control style at creation)

protected:
    afx_msg void OnWindowPosChanging(WINDOWPOS* lpWndPos);
    afx_msg void OnPaint();
    DECLARE_MESSAGE_MAP()
};
