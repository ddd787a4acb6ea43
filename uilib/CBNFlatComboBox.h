// A combo box with a flat frame that rises while the mouse is over it or it has the
// focus and sinks while it is pressed; it can complete typed text from its list.
// Created on a toolbar (CBNToolBar::InsertControl) or subclassed in a dialog.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CComboBox.h"
#include "uilib/UiLibExport.h"

class CDC;

class UILIB_API CBNFlatComboBox : public CComboBox
{
    DECLARE_DYNCREATE(CBNFlatComboBox)
public:
    enum STATE
    {
        FC_DRAWNORMAL = 1,
        FC_DRAWRAISED = 2,
        FC_DRAWPRESSD = 3
    };

    CBNFlatComboBox();
    ~CBNFlatComboBox() override;

    // Off until enabled: typed text is completed from the first list entry it begins.
    virtual void EnableAutoCompletion(BOOL bEnable = TRUE);
    // TRUE while the cursor is over the window.
    virtual BOOL PointInRect();
    // Draws the frame and the drop button area; without a context, on the window's own.
    virtual void DrawCombo(STATE eState, COLORREF clrTopLeft, COLORREF clrBottomRight, CDC* pDC = nullptr);
    BOOL PreTranslateMessage(MSG* pMsg) override;

    // The Windows 95 platform itself (9x, minor version 0), whose combo boxes need
    // their keys dispatched at once.
    static BOOL IsWin95();

    BOOL IsAutoCompletionEnabled() const;
    BOOL IsDrawnRaised() const;
    BOOL IsPressed() const;
    BOOL HasFocusFlag() const;

protected:
    BOOL m_bLBtnDown;
    BOOL m_bPainted;     // drawn raised
    BOOL m_bHasFocus;
    BOOL m_bAutoComp;
    COLORREF m_clrBtnHilite;
    COLORREF m_clrBtnShadow;
    COLORREF m_clrBtnFace;

    // The hot-tracking step, run by the timer and at each mouse move.
    void UpdateHotState();

    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg void OnSysColorChange();
    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
    afx_msg void OnPaint();
    afx_msg void OnSetFocus();
    afx_msg void OnKillFocus();
    afx_msg void OnEditUpdate();
    DECLARE_MESSAGE_MAP()
};
