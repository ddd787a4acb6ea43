// An owner-drawn push button with a flat look: no frame until the cursor is over it,
// then a raised frame; pressed it sinks. It draws a text, an icon (with an optional
// second icon while pressed) or a bitmap, in the system colours or in alternate ones.
#pragma once
#include "framework/CButton.h"
#include "framework/CFont.h"
#include "framework/CSize.h"
#include "uilib/UiLibExport.h"

class CDC;

class UILIB_API CBNFlatButton : public CButton
{
    DECLARE_DYNAMIC(CBNFlatButton)
public:
    CBNFlatButton();
    ~CBNFlatButton() override;

    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;
    virtual void SetButtonFont(CFont* pFont);
    // Sets the colours in use and keeps them across system colour changes.
    virtual void SetAlternateColors(COLORREF clrFace, COLORREF clrHighlight, COLORREF clrShadow, COLORREF clrText);
    // FALSE gives the 3-D look: a frame at all times.
    virtual void DisableFlatLook(BOOL bFlat);
    virtual void SetIcon(HICON hIcon, HICON hIconPushed, CSize size);
    virtual void SetIcon(HICON hIcon, CSize size);
    virtual void DrawButtonIcon(CDC* pDC, UINT nState, const CRect& rectItem);
    virtual void DrawButtonText(CDC* pDC, UINT nState, const CRect& rectItem);
    virtual void DrawButtonBitmap(CDC* pDC, UINT nState, const CRect& rectItem);
    // The own font becomes the system's message font again.
    virtual void UpdateFont();

    BOOL IsFlatLook() const;
    BOOL IsHot() const;
    BOOL IsPressed() const;
    CSize GetIconSize() const;
    COLORREF GetFaceColor() const;

protected:
    // The point where the icon of this size sits, centred in the button.
    CPoint IconOrigin(const CRect& rectItem) const;
    // The icon (or the pushed icon while pressed), greyed for a disabled button when
    // asked to.
    void DrawIconFor(CDC* pDC, UINT nState, const CRect& rectItem, BOOL bGreyWhenDisabled);
    void LoadSystemColors();

    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
    afx_msg void OnLButtonDblClk(UINT nFlags, CPoint point);
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg void OnSysColorChange();
    afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg void OnPaint();

    BOOL m_bPressed = FALSE;
    BOOL m_bFlatLook = TRUE;
    CSize m_sizeIcon;
    COLORREF m_clrHighlight = 0;
    COLORREF m_clrShadow = 0;
    COLORREF m_clrDarkShadow = 0;
    COLORREF m_clrFace = 0;
    COLORREF m_clrDisabledText = 0;
    COLORREF m_clrText = 0;
    COLORREF m_clrAltFace = 0;
    COLORREF m_clrAltHighlight = 0;
    COLORREF m_clrAltShadow = 0;
    COLORREF m_clrAltText = 0;
    BOOL m_bAlternateColors = FALSE;
    BOOL m_bHot = FALSE;
    HICON m_hIconPushed = nullptr;
    CFont* m_pButtonFont = nullptr;
    CFont m_fontOwn;
    HCURSOR m_hCursorHand = nullptr;

    DECLARE_MESSAGE_MAP()
};
