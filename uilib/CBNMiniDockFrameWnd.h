// The floating frame of sizing bars: its caption drags the bar back onto the frame's
// sizing dock bars, its borders resize it, and a double click on the caption docks it
// where it was.
#pragma once
#include "framework/CMiniDockFrameWnd.h"
#include "uilib/UiLibExport.h"

class CBNControlBar;

class UILIB_API CBNMiniDockFrameWnd : public CMiniDockFrameWnd
{
    DECLARE_DYNCREATE(CBNMiniDockFrameWnd)
public:
    CBNMiniDockFrameWnd() = default;

    BOOL Create(CWnd* pParent, DWORD dwBarStyle) override;

protected:
    // The sizing bar this frame holds alone, or nullptr (several bars, or another kind).
    CBNControlBar* GetSingleSizingBar() const;
    void ActivateTopParent();

    afx_msg void OnNcLButtonDown(UINT nHitTest, CPoint point);
    afx_msg void OnNcLButtonDblClk(UINT nHitTest, CPoint point);

    DECLARE_MESSAGE_MAP()
};
